// The PNG decoder from a file stream; the colour types, depths, transparency,
// resolution and hostile-file cases are files in tests/images/cases/png.
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
