#pragma once

#include <cstddef>
#include <cstdint>

#include "surfaces/PixelBlock.h"

// Reads the device-independent bitmaps that metafiles carry inside their records into
// a pixel block: 1, 4 and 8 bits per pixel keep their palette, 16, 24 and 32 bits
// become 24-bit pixels. Run-length (8 and 4 bits) and bit-field pixels are read;
// compressed pictures (JPEG, PNG) are not.
//
// Everything is bounded by the bytes given: the header must lie inside the information
// span, the colour table must be there, the rows must be there, and the picture may
// have at most kMaxPixels pixels (a run-length picture, whose size the data does not
// bound, at most kRlePixelsPerByte pixels per byte of data beyond a small allowance).
class CDibReader {
public:
    static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 25;
    static constexpr std::uint64_t kRlePixelsPerByte = 1024;
    static constexpr std::uint64_t kRleFreePixels = std::uint64_t{1} << 20;

    // How the colour table is given: as colours or as 16-bit indices into the logical
    // palette of the playing context (which a picture decoder does not have; they are
    // shown as greys).
    enum ColourUsage { kRgbColours = 0, kPaletteIndices = 1 };

    // A bitmap whose header and colour table are in info and whose rows are in bits.
    // topDown, when given, tells whether the file stored the rows from the top (which
    // moves the origin of source rectangles to the top-left corner).
    static bool Read(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                     std::size_t bitsSize, int usage, PixelBlock& out, bool* topDown = nullptr);
    // A packed bitmap: header, colour table and rows one after the other.
    static bool ReadPacked(const std::uint8_t* data, std::size_t size, int usage, PixelBlock& out,
                           bool* topDown = nullptr);
    // The device-dependent bitmap of older records: a 10-byte header (type, width,
    // height, bytes per row, planes, bits per pixel) and the rows from the top down.
    // One plane of 1, 24 or 32 bits per pixel; 1 bit shows 0 as black and 1 as white.
    static bool ReadDeviceBitmap(const std::uint8_t* data, std::size_t size, PixelBlock& out);
    // The mean colour (0x00BBGGRR) of a picture, from at most 64 x 64 evenly spread
    // pixels: how a pattern brush is shown.
    static std::uint32_t AverageColour(const PixelBlock& pixels);
};
