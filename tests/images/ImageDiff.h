#pragma once

// Pictures the tests read back from the binary PPM files that sleevit-cli writes.
#include <cstdint>
#include <string>
#include <vector>

// A picture as packed RGB triples, top row first, no row padding.
struct RgbPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3 bytes
};

// Reads a binary PPM (P6) with 8-bit samples. Returns false with a reason in error otherwise.
bool ReadPnmFile(const std::string& path, RgbPicture& out, std::string& error);
