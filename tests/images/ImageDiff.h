#pragma once

// Comparing decoded pictures in tests: pictures as packed top-down RGB bytes, a
// comparison that reports how far two of them lie apart, and a reader for the binary
// PPM files that reference decoders write.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PixelBlock;

// A picture as packed RGB triples, top row first, no row padding.
struct RgbPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3 bytes
};

// How two pictures of the same size differ, channel by channel.
struct ImageDifference {
    bool sameSize = false;
    int maxChannelDiff = 0;           // largest difference of one channel of one pixel
    std::uint64_t sumChannelDiff = 0; // all channel differences added up
    std::uint64_t differingPixels = 0;
    std::int32_t firstX = -1; // the first differing pixel, counted from the top-left
    std::int32_t firstY = -1;

    // Average channel difference over all channels of all pixels.
    double MeanChannelDiff(std::int32_t width, std::int32_t height) const;
    // "max 3, sum 120, 40 pixels differ, first at (2, 7)" or "sizes differ".
    std::string Describe() const;
};

// The block's pixels as RGB, top row first. A palette picture looks its colours up;
// an index outside the palette gives black. When transparentIndex is a palette index,
// the pixels of that index become white, as they show on a white page.
RgbPicture ToRgb(const PixelBlock& pixels, int transparentIndex = -1);

// Compares two pictures; pictures of different sizes only report sameSize = false.
ImageDifference CompareRgb(const RgbPicture& have, const RgbPicture& want);

// CRC-32 (zlib's) of the packed top-down RGB rows.
std::uint32_t RgbCrc32(const RgbPicture& picture);

// Reads a binary PPM (P6) with 8-bit samples, as reference decoders and sleevit-cli write it.
// Returns false with a reason in error otherwise.
bool ReadPnm(const std::vector<std::uint8_t>& bytes, RgbPicture& out, std::string& error);
bool ReadPnmFile(const std::string& path, RgbPicture& out, std::string& error);
