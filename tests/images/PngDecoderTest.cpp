// The PNG decoder on hostile files and from a file stream; the colour types, depths,
// transparency and resolution cases are files in tests/images/cases/png.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include "images/ByteStream.h"
#include "images/DecoderKit.h"
#include "images/PngDecoder.h"

namespace {

using kit::Bytes;

// A 16-bit RGB file of noise written with libpng.
Bytes EncodePng(int width, int height)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 16,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    Bytes row(std::size_t(width) * 6);
    std::uint32_t seed = 99;
    for (int y = 0; y < height; ++y) {
        for (auto& b : row) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(seed >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Offset of a chunk's length field, or 0.
std::size_t FindChunk(const Bytes& file, const char* type)
{
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t len =
            (std::size_t{file[at]} << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
        if (std::memcmp(&file[at + 4], type, 4) == 0)
            return at;
        at += 12 + len;
    }
    return 0;
}

void FixCrc(Bytes& file, std::size_t chunk)
{
    const std::size_t len =
        (std::size_t{file[chunk]} << 24) | (file[chunk + 1] << 16) | (file[chunk + 2] << 8) | file[chunk + 3];
    const uLong crc = crc32(0, &file[chunk + 4], static_cast<uInt>(len + 4));
    for (int i = 0; i < 4; ++i)
        file[chunk + 8 + len + std::size_t(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

Bytes WithSize(Bytes file, png_uint_32 width, png_uint_32 height)
{
    const std::size_t ihdr = FindChunk(file, "IHDR");
    for (int i = 0; i < 4; ++i) {
        file[ihdr + 8 + std::size_t(i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        file[ihdr + 12 + std::size_t(i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    FixCrc(file, ihdr);
    return file;
}

TEST(PngDecoder, HostileFilesFailCleanly)
{
    const Bytes plain = EncodePng(9, 7);
    const std::size_t idat = FindChunk(plain, "IDAT");
    const std::size_t idatLen = (std::size_t{plain[idat + 2]} << 8) | plain[idat + 3];
    Bytes idatCrc = plain;
    idatCrc[idat + 8 + idatLen] ^= 0x01;
    Bytes idatData = plain;
    idatData[idat + 8] ^= 0x01;
    const Bytes jpegStart = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'};
    struct Case {
        const char* name;
        Bytes file;
        std::string want;
    };
    const Case cases[] = {
        {"a side above 32768", WithSize(plain, 40000, 7), "Image too large"},
        {"both sides allowed, block above 1 GiB", WithSize(plain, 30000, 30000), "Image too large"},
        {"zero height", WithSize(plain, 9, 0), "Invalid IHDR data"},
        {"image data with a wrong checksum", idatCrc, "IDAT: CRC error"},
        {"damaged compressed data", idatData, "IDAT: incorrect header check"},
        {"a JPEG", jpegStart, "Not a PNG file"},
        {"empty", Bytes{}, "Not a PNG file"},
        {"signature only", Bytes(plain.begin(), plain.begin() + 8), "Premature end of PNG file"},
    };
    for (const Case& c : cases) {
        const kit::Decoded r = kit::Decode(kImagePng, c.file);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.error, c.want) << c.name;
        EXPECT_FALSE(r.image.pixels.IsValid()) << c.name;
    }
}

TEST(PngDecoder, FileStreamGivesTheSamePixels)
{
    const Bytes file = EncodePng(301, 97);
    const kit::Decoded fromFile = kit::DecodeFromFile(kImagePng, file);
    ASSERT_TRUE(fromFile.ok) << fromFile.error;
    const kit::Decoded fromMemory = kit::Decode(kImagePng, file);
    ASSERT_TRUE(fromMemory.ok) << fromMemory.error;
    EXPECT_EQ(kit::Colours(fromFile.image.pixels), kit::Colours(fromMemory.image.pixels));
}

} // namespace
