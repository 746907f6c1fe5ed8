#pragma once

// Decoded pictures in tests: pictures as packed top-down RGB bytes, their checksum, and
// a reader for the binary PPM files that sleevit-cli writes.
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

// The block's pixels as RGB, top row first. A palette picture looks its colours up.
RgbPicture ToRgb(const PixelBlock& pixels);

// CRC-32 (zlib's) of the packed top-down RGB rows.
std::uint32_t RgbCrc32(const RgbPicture& picture);

// Reads a binary PPM (P6) with 8-bit samples. Returns false with a reason in error otherwise.
bool ReadPnmFile(const std::string& path, RgbPicture& out, std::string& error);
