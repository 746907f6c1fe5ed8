#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "images/ByteStream.h"
#include "surfaces/PixelBlock.h"

// The one reader of device-independent bitmaps: the part of a bitmap file after its
// file header, the bitmaps of icons and those metafiles carry inside their records.
// Core, info (V1..V5) and OS/2 v2 headers; 1, 2, 4, 8, 16, 24 and 32 bits per pixel;
// run-length pixels (8, 4 and the OS/2 24 bits) and bit-field masks. Paletted
// pictures (1, 2, 4, 8 bits) stay paletted (2 bits become 4); the others become 24
// bits. Compressed payloads (JPEG, PNG, Huffman) are not read.
//
// Reading is in two steps, so that a file reader can fetch only the rows the header
// asks for: ReadLayout takes the header (and masks and colour table) from a span,
// ReadPixels takes the layout, the colour table and the rows. Every step is bounded by
// the bytes given.
class CDibReader {
public:
    // Where the bitmap lives decides three things: whether the position of its rows is
    // known apart from its colour table (a file's header says where they start; in an
    // icon or a packed bitmap they follow the table), what its alpha channel means (a
    // file's is blended over white paper, an icon's is handed to the icon reader, a
    // metafile's is ignored the way a bitmap drawn into a page ignores it), and whether
    // the height counts the rows of an icon's mask too.
    enum class Holder { kFile, kIcon, kMetafile };

    // Why a bitmap cannot be read.
    // kNoBlock: the pixel block could not be made (the message says why).
    enum class Fault { kNone, kBadHeader, kUnsupported, kTruncated, kTooLarge, kNoBlock };

    enum Compression : std::uint32_t {
        kRgb = 0,
        kRle8 = 1,
        kRle4 = 2,
        kBitFields = 3,
        kAlphaBitFields = 6,
        kOs2Huffman = 100, // OS/2 codes 3 and 4, renumbered on reading
        kOs2Rle24 = 101,
    };

    // How the colour table is given: as colours or as 16-bit indices into the logical
    // palette of the playing context (which a picture decoder does not have; they are
    // shown as greys).
    enum ColourUsage { kRgbColours = 0, kPaletteIndices = 1 };

    struct Layout {
        Holder holder = Holder::kFile;
        std::uint32_t headerSize = 0;
        std::int64_t width = 0;
        std::int64_t height = 0; // rows of the picture, always positive
        bool topDown = false;
        int bpp = 0;
        std::uint32_t compression = kRgb;
        std::uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
        int xDpi = 96;
        int yDpi = 96;
        std::size_t tableOffset = 0;    // the colour table's offset in the header span
        std::uint32_t tableEntries = 0; // entries stored (files: before clipping to the rows)
        std::size_t entrySize = 4;
        std::uint64_t stride = 0;   // bytes of one stored uncompressed row
        std::uint64_t rowBytes = 0; // bytes all stored rows need; the last may lack its padding

        bool Rle() const { return compression == kRle8 || compression == kRle4 || compression == kOs2Rle24; }
        int OutBpp() const { return bpp == 2 ? 4 : bpp > 8 ? 24 : bpp; }
        // Bytes of the header span the table ends at.
        std::size_t TableEnd() const { return tableOffset + std::size_t{tableEntries} * entrySize; }
        // Bytes of the pixel block the picture becomes.
        std::uint64_t BlockBytes() const;
    };

    // The picture and what it said beyond its pixels.
    struct Pixels {
        PixelBlock block;
        std::vector<std::uint8_t> alpha; // icons: per pixel, rows bottom-up, when there is an alpha mask
        bool alphaUsed = false;          // some alpha value is not zero
        const char* notice = nullptr;    // what was wrong with run-length data that ended early
    };

    // The header at the start of info. usage tells the size of the table's entries.
    static Fault ReadLayout(const std::uint8_t* info, std::size_t infoSize, Holder holder, int usage,
                            Layout& layout);
    // The picture: table holds the colour table (a file's may hold fewer entries than its
    // header says when its rows begin sooner: the caller then lowers tableEntries), bits
    // the rows or run-length data. error: why the block could not be made (kNoBlock).
    static Fault ReadPixels(const Layout& layout, const std::uint8_t* table, std::size_t tableSize, int usage,
                            const std::uint8_t* bits, std::size_t bitsSize, Pixels& out, std::string& error);
    // The same with the rows read from a stream at its position, one row at a time
    // (run-length data: all of what is left, at most ImageLimits::kMaxBlockBytes).
    static Fault ReadPixels(const Layout& layout, const std::uint8_t* table, std::size_t tableSize, int usage,
                            CByteStream& bits, Pixels& out, std::string& error);

    // Metafile bitmaps are bounded further: at most kMaxPixels pixels, and a run-length
    // picture, whose size the data does not bound, at most kRlePixelsPerByte pixels per
    // byte of data beyond a small allowance.
    static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 25;
    static constexpr std::uint64_t kRlePixelsPerByte = 1024;
    static constexpr std::uint64_t kRleFreePixels = std::uint64_t{1} << 20;

    // A metafile's bitmap whose header and colour table are in info and whose rows are
    // in bits. topDown, when given, tells whether the rows were stored from the top
    // (which moves the origin of source rectangles to the top-left corner).
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
