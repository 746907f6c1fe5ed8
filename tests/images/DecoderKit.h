#pragma once

// What the decoder tests share: decoding bytes with the decoder of a type code, a
// picture's colours in reading order, and the case files of tests/images/cases.
#include <cstdint>
#include <string>
#include <vector>

#include "images/ImageDecoder.h"

namespace kit {

using Bytes = std::vector<std::uint8_t>;

struct Decoded {
    bool ok = false;
    std::string error;
    DecodedImage image;
};

// Decodes file with the decoder of type (kImageBmp, ...) from memory, starting at skip.
Decoded Decode(int type, const Bytes& file, std::size_t skip = 0);

// Decodes file through a file stream (which reads in chunks): written to a temporary file first.
Decoded DecodeFromFile(int type, const Bytes& file);

// The picture's colours as 0xRRGGBB, top row first.
std::vector<std::uint32_t> Colours(const PixelBlock& p);
// The palette indices of a picture of up to 8 bits, top row first.
std::vector<std::uint32_t> Indices(const PixelBlock& p);
// CRC-32 (zlib's) of the picture's colours as packed RGB bytes, top row first.
std::uint32_t RgbCrc32(const PixelBlock& p);
// A short fingerprint of a long list of colours or indices, "fnv=1a2b3c4d".
std::string Fingerprint(const std::vector<std::uint32_t>& values);
// "ff0000 00ff00 ..." for a test's output.
std::string Describe(const std::vector<std::uint32_t>& colours);

Bytes ReadBytes(const std::string& path);

// The reference for a JPEG file: its colours as bare libjpeg decodes them, 0xRRGGBB top
// row first, without EXIF turns; empty when libjpeg cannot read it.
std::vector<std::uint32_t> LibjpegColours(const Bytes& file);

} // namespace kit
