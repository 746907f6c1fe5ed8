// The PNG decoder against files written here with libpng: every colour type and bit
// depth, interlaced or not, transparency on white paper, resolution, hostile and cut-off
// files.
#include <cmath>
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
#include "images/PngDecoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct PngSpec {
    int width = 9;
    int height = 7;
    int colourType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha; // tRNS for a palette
    bool colourKey = false;             // tRNS for grey or RGB
    png_color_16 key{};
    bool phys = false;
    png_uint_32 physX = 0, physY = 0;
    int physUnit = PNG_RESOLUTION_METER;
};

int Channels(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// The sample value of channel c at (x, y): a pattern using the full range of the depth.
unsigned Sample(const PngSpec& s, int x, int y, int c)
{
    const unsigned max = (1u << s.depth) - 1;
    if (s.colourType == PNG_COLOR_TYPE_PALETTE)
        return static_cast<unsigned>(x + y * s.width) % static_cast<unsigned>(s.palette.size());
    const bool alpha = (s.colourType & PNG_COLOR_MASK_ALPHA) != 0 && c == Channels(s.colourType) - 1;
    if (alpha) {
        const unsigned steps[5] = {0, max, max / 2, max / 3, max - 1};
        return steps[(x + 2 * y) % 5];
    }
    return static_cast<unsigned>((x * 37 + y * 101 + c * 53) * 2654435761u >> 7) & max;
}

Bytes EncodePng(const PngSpec& s)
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
    png_set_IHDR(png, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height), s.depth,
                 s.colourType, s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.paletteAlpha.empty())
        png_set_tRNS(png, info, s.paletteAlpha.data(), static_cast<int>(s.paletteAlpha.size()), nullptr);
    if (s.colourKey) {
        png_color_16 key = s.key;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (s.phys)
        png_set_pHYs(png, info, s.physX, s.physY, s.physUnit);
    png_write_info(png, info);
    const int ch = Channels(s.colourType);
    const std::size_t rowBytes = (std::size_t(s.width) * ch * s.depth + 7) / 8;
    std::vector<Bytes> rows(std::size_t(s.height), Bytes(rowBytes, 0));
    for (int y = 0; y < s.height; ++y) {
        Bytes& row = rows[std::size_t(y)];
        for (int x = 0; x < s.width; ++x)
            for (int c = 0; c < ch; ++c) {
                const unsigned v = Sample(s, x, y, c);
                const std::size_t bit = (std::size_t(x) * ch + c) * s.depth;
                if (s.depth == 16) {
                    row[bit / 8] = static_cast<std::uint8_t>(v >> 8);
                    row[bit / 8 + 1] = static_cast<std::uint8_t>(v & 0xFF);
                } else {
                    row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | (v << (8 - s.depth - bit % 8)));
                }
            }
    }
    std::vector<png_bytep> pointers;
    for (Bytes& r : rows)
        pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<png_color> Palette(int n)
{
    std::vector<png_color> p;
    for (int i = 0; i < n; ++i)
        p.push_back(png_color{static_cast<png_byte>(i * 53 + 7), static_cast<png_byte>(255 - i * 31),
                              static_cast<png_byte>(i * 97)});
    return p;
}

struct Result {
    bool ok = false;
    DecodedImage image;
    std::string error;
};

Result Decode(const Bytes& file)
{
    Result r;
    CMemoryStream in(file.data(), file.size());
    r.ok = CPngDecoder::Decode(in, r.image, r.error);
    return r;
}

// 0x00BBGGRR of a pixel counted from the top.
std::uint32_t At(const DecodedImage& img, int x, int yFromTop)
{
    return img.pixels.GetColour(x, img.pixels.Height() - 1 - yFromTop);
}

std::uint32_t Pack(int r, int g, int b)
{
    return (std::uint32_t(b) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(r);
}

// The colour a pixel must have: its own colour laid onto white with its alpha, each
// channel the nearest integer to the exact value.
std::uint32_t Expected(const PngSpec& s, int x, int y)
{
    double rgb[3];
    double alpha = 1;
    if (s.colourType == PNG_COLOR_TYPE_PALETTE) {
        const unsigned i = Sample(s, x, y, 0);
        rgb[0] = s.palette[i].red;
        rgb[1] = s.palette[i].green;
        rgb[2] = s.palette[i].blue;
        if (i < s.paletteAlpha.size())
            alpha = s.paletteAlpha[i] / 255.0;
    } else {
        const double max = (1u << s.depth) - 1;
        const bool colour = (s.colourType & PNG_COLOR_MASK_COLOR) != 0;
        for (int c = 0; c < 3; ++c)
            rgb[c] = Sample(s, x, y, colour ? c : 0) * 255.0 / max;
        if (s.colourType & PNG_COLOR_MASK_ALPHA)
            alpha = Sample(s, x, y, Channels(s.colourType) - 1) / max;
        if (s.colourKey) {
            const bool hit = colour ? (Sample(s, x, y, 0) == s.key.red && Sample(s, x, y, 1) == s.key.green &&
                                       Sample(s, x, y, 2) == s.key.blue)
                                    : Sample(s, x, y, 0) == s.key.gray;
            alpha = hit ? 0 : 1;
        }
    }
    int out[3];
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<int>(std::lround(rgb[c] * alpha + 255.0 * (1 - alpha)));
    return Pack(out[0], out[1], out[2]);
}

// The first pixel that differs from Expected, as text, or "" when all agree. A 16-bit
// file may be off by one: its alpha is applied in 16 bits and rounded twice.
std::string FirstMismatch(const PngSpec& s, const DecodedImage& img)
{
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t have = At(img, x, y);
            const std::uint32_t want = Expected(s, x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                const int d = std::abs(int((have >> shift) & 0xFF) - int((want >> shift) & 0xFF));
                if (d > (s.depth == 16 ? 1 : 0)) {
                    char text[96];
                    std::snprintf(text, sizeof text, "pixel %d,%d have %06x want %06x", x, y, have, want);
                    return text;
                }
            }
        }
    return "";
}

struct Format {
    int colourType;
    int depth;
    int wantBpp;
};

const Format kFormats[] = {
    {PNG_COLOR_TYPE_GRAY, 1, 8},         {PNG_COLOR_TYPE_GRAY, 2, 8},
    {PNG_COLOR_TYPE_GRAY, 4, 8},         {PNG_COLOR_TYPE_GRAY, 8, 8},
    {PNG_COLOR_TYPE_GRAY, 16, 8},        {PNG_COLOR_TYPE_RGB, 8, 24},
    {PNG_COLOR_TYPE_RGB, 16, 24},        {PNG_COLOR_TYPE_PALETTE, 1, 1},
    {PNG_COLOR_TYPE_PALETTE, 2, 4},      {PNG_COLOR_TYPE_PALETTE, 4, 4},
    {PNG_COLOR_TYPE_PALETTE, 8, 8},      {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 24},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 24}, {PNG_COLOR_TYPE_RGB_ALPHA, 8, 24},
    {PNG_COLOR_TYPE_RGB_ALPHA, 16, 24},
};

PngSpec SpecFor(const Format& f, bool interlaced)
{
    PngSpec s;
    s.width = 19; // odd sizes: partial bytes at the row ends, every Adam7 pass partly filled
    s.height = 11;
    s.colourType = f.colourType;
    s.depth = f.depth;
    s.interlaced = interlaced;
    if (f.colourType == PNG_COLOR_TYPE_PALETTE)
        s.palette = Palette(std::min(1 << f.depth, 200));
    return s;
}

TEST(PngDecoder, EveryColourTypeAndDepthGivesTheRightPixels)
{
    for (const Format& f : kFormats) {
        for (bool interlaced : {false, true}) {
            const PngSpec s = SpecFor(f, interlaced);
            const Result r = Decode(EncodePng(s));
            const std::string what = "type " + std::to_string(f.colourType) + " depth " +
                                     std::to_string(f.depth) + (interlaced ? " interlaced" : "");
            ASSERT_TRUE(r.ok) << what << ": " << r.error;
            EXPECT_EQ(r.image.pixels.Width(), s.width) << what;
            EXPECT_EQ(r.image.pixels.Height(), s.height) << what;
            EXPECT_EQ(r.image.pixels.Bpp(), f.wantBpp) << what;
            EXPECT_EQ(r.image.transIndex, -1) << what;
            EXPECT_EQ(FirstMismatch(s, r.image), "") << what;
        }
    }
}

TEST(PngDecoder, InterlacedGivesTheSameBlockAsNonInterlaced)
{
    for (const Format& f : kFormats) {
        const Result plain = Decode(EncodePng(SpecFor(f, false)));
        const Result adam7 = Decode(EncodePng(SpecFor(f, true)));
        ASSERT_TRUE(plain.ok && adam7.ok) << plain.error << adam7.error;
        ASSERT_EQ(plain.image.pixels.DataSize(), adam7.image.pixels.DataSize());
        EXPECT_EQ(
            std::memcmp(plain.image.pixels.Data(), adam7.image.pixels.Data(), plain.image.pixels.DataSize()),
            0)
            << "type " << f.colourType << " depth " << f.depth;
    }
}

TEST(PngDecoder, GreyAndPaletteKeepTheirPalettes)
{
    const Result grey = Decode(EncodePng(SpecFor({PNG_COLOR_TYPE_GRAY, 4, 8}, false)));
    ASSERT_TRUE(grey.ok) << grey.error;
    for (int i = 0; i < 256; ++i) {
        const RgbQuad q = grey.image.pixels.Palette()[i];
        ASSERT_TRUE(q.red == i && q.green == i && q.blue == i) << "grey palette entry " << i;
    }
    PngSpec s = SpecFor({PNG_COLOR_TYPE_PALETTE, 4, 4}, false);
    const Result pal = Decode(EncodePng(s));
    ASSERT_TRUE(pal.ok) << pal.error;
    for (std::size_t i = 0; i < s.palette.size(); ++i) {
        const RgbQuad q = pal.image.pixels.Palette()[i];
        EXPECT_TRUE(q.red == s.palette[i].red && q.green == s.palette[i].green && q.blue == s.palette[i].blue)
            << "palette entry " << i;
    }
    // The stored indices are the file's, not a lookup result.
    EXPECT_EQ(pal.image.pixels.GetPixel(5, pal.image.pixels.Height() - 1), Sample(s, 5, 0, 0));
}

TEST(PngDecoder, TransparencyKeepsOnePaletteEntryOrGoesOntoWhite)
{
    struct Case {
        const char* name;
        int depth;
        std::vector<png_byte> alpha;
        int wantBpp;
        int wantIndex;
    };
    const Case cases[] = {
        {"one clear entry, 8 bits", 8, {255, 255, 0}, 8, 2},
        {"one clear entry, 2 bits", 2, {255, 0}, 4, 1},
        {"one clear entry, 1 bit", 1, {0}, 1, 0},
        {"all entries listed opaque", 4, {255, 255, 255}, 4, -1},
        {"two clear entries", 8, {0, 255, 0}, 24, -1},
        {"one half-clear entry", 8, {255, 128}, 24, -1},
        {"one clear and one half-clear entry", 4, {0, 200}, 24, -1},
    };
    for (const Case& c : cases) {
        PngSpec s = SpecFor({PNG_COLOR_TYPE_PALETTE, c.depth, 0}, false);
        s.paletteAlpha = c.alpha;
        const Result r = Decode(EncodePng(s));
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        EXPECT_EQ(r.image.pixels.Bpp(), c.wantBpp) << c.name;
        EXPECT_EQ(r.image.transIndex, c.wantIndex) << c.name;
        if (c.wantIndex >= 0) {
            const png_color k = s.palette[std::size_t(c.wantIndex)];
            EXPECT_EQ(r.image.transColour, Pack(k.red, k.green, k.blue)) << c.name;
            // The transparent pixels keep their index; nothing is painted white.
            s.paletteAlpha.clear();
        }
        EXPECT_EQ(FirstMismatch(s, r.image), "") << c.name;
    }
}

TEST(PngDecoder, ColourKeyGoesOntoWhite)
{
    for (int depth : {2, 8, 16}) {
        PngSpec grey = SpecFor({PNG_COLOR_TYPE_GRAY, depth, 0}, false);
        grey.colourKey = true;
        grey.key.gray = static_cast<png_uint_16>(Sample(grey, 3, 1, 0));
        const Result r = Decode(EncodePng(grey));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.image.pixels.Bpp(), 24) << "grey depth " << depth;
        EXPECT_EQ(At(r.image, 3, 1), Pack(255, 255, 255)) << "grey depth " << depth;
        EXPECT_EQ(FirstMismatch(grey, r.image), "") << "grey depth " << depth;
    }
    for (int depth : {8, 16}) {
        PngSpec rgb = SpecFor({PNG_COLOR_TYPE_RGB, depth, 0}, true);
        rgb.colourKey = true;
        rgb.key.red = static_cast<png_uint_16>(Sample(rgb, 4, 2, 0));
        rgb.key.green = static_cast<png_uint_16>(Sample(rgb, 4, 2, 1));
        rgb.key.blue = static_cast<png_uint_16>(Sample(rgb, 4, 2, 2));
        const Result r = Decode(EncodePng(rgb));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(At(r.image, 4, 2), Pack(255, 255, 255)) << "rgb depth " << depth;
        EXPECT_EQ(FirstMismatch(rgb, r.image), "") << "rgb depth " << depth;
    }
}

TEST(PngDecoder, AlphaOntoWhiteHasExactValues)
{
    // One pixel per alpha step of a red-ish colour (200, 100, 0), checked against
    // hand-worked values: c * a / 255 + 255 * (255 - a) / 255, rounded.
    struct Case {
        int alpha, r, g, b;
    };
    const Case cases[] = {{255, 200, 100, 0}, {0, 255, 255, 255}, {128, 227, 177, 127}, {1, 255, 254, 254}};
    for (const Case& c : cases) {
        Bytes file;
        {
            // A one-pixel RGBA file written directly, so the pixel is exactly this one.
            png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
            png_infop info = png_create_info_struct(png);
            png_set_write_fn(
                png, &file,
                [](png_structp p, png_bytep data, png_size_t n) {
                    auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
                    o->insert(o->end(), data, data + n);
                },
                nullptr);
            png_set_IHDR(png, info, 1, 1, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                         PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info(png, info);
            png_byte px[4] = {200, 100, 0, static_cast<png_byte>(c.alpha)};
            png_write_row(png, px);
            png_write_end(png, nullptr);
            png_destroy_write_struct(&png, &info);
        }
        const Result r = Decode(file);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(At(r.image, 0, 0), Pack(c.r, c.g, c.b)) << "alpha " << c.alpha;
    }
}

TEST(PngDecoder, ResolutionComesFromPhys)
{
    struct Case {
        png_uint_32 x, y;
        int unit, wantX, wantY;
    };
    const Case cases[] = {
        {11811, 5906, PNG_RESOLUTION_METER, 300, 150},
        {3780, 3780, PNG_RESOLUTION_METER, 96, 96},
        {2, 1, PNG_RESOLUTION_UNKNOWN, 96, 96}, // an aspect ratio only
        {10, 0, PNG_RESOLUTION_METER, 96, 96},  // below one dot per inch
    };
    for (const Case& c : cases) {
        PngSpec s;
        s.phys = true;
        s.physX = c.x;
        s.physY = c.y;
        s.physUnit = c.unit;
        const Result r = Decode(EncodePng(s));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.image.xDpi, c.wantX) << c.x << " per unit " << c.unit;
        EXPECT_EQ(r.image.yDpi, c.wantY) << c.y << " per unit " << c.unit;
    }
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
    const Bytes plain = EncodePng(PngSpec{});
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
        const Result r = Decode(c.file);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.error, c.want) << c.name;
        EXPECT_FALSE(r.image.pixels.IsValid()) << c.name;
    }
}

TEST(PngDecoder, DamagedAncillaryChunkAndMissingEndAreTolerated)
{
    PngSpec s;
    s.phys = true;
    s.physX = s.physY = 11811;
    const Bytes file = EncodePng(s);
    Bytes physCrc = file;
    physCrc[FindChunk(file, "pHYs") + 8] ^= 0x40;
    const Result damaged = Decode(physCrc);
    ASSERT_TRUE(damaged.ok) << damaged.error;
    EXPECT_EQ(damaged.image.xDpi, 96) << "the damaged pHYs chunk is dropped";
    EXPECT_EQ(FirstMismatch(s, damaged.image), "");

    const Bytes noEnd(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(FindChunk(file, "IEND")));
    const Result cut = Decode(noEnd);
    ASSERT_TRUE(cut.ok) << cut.error;
    EXPECT_EQ(FirstMismatch(s, cut.image), "");
}

TEST(PngDecoder, EveryPrefixFailsCleanlyOrGivesTheWholePicture)
{
    for (bool interlaced : {false, true}) {
        const PngSpec s = SpecFor({PNG_COLOR_TYPE_RGB_ALPHA, 8, 24}, interlaced);
        const Bytes file = EncodePng(s);
        for (std::size_t n = 0; n < file.size(); ++n) {
            const Result r = Decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
            if (!r.ok) {
                EXPECT_FALSE(r.error.empty()) << "prefix " << n;
                EXPECT_FALSE(r.image.pixels.IsValid()) << "prefix " << n;
                continue;
            }
            // Only a file missing no more than its end chunk may decode.
            EXPECT_GE(n, FindChunk(file, "IEND")) << "prefix " << n;
            EXPECT_EQ(FirstMismatch(s, r.image), "") << "prefix " << n;
        }
    }
}

TEST(PngDecoder, FileStreamGivesTheSamePixels)
{
    PngSpec s = SpecFor({PNG_COLOR_TYPE_RGB, 16, 24}, false);
    s.width = 301;
    s.height = 97;
    const Bytes file = EncodePng(s);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "sleevit_png_stream_test.png";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    CFileStream in;
    ASSERT_TRUE(in.Open(path.string()));
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(CPngDecoder::Decode(in, image, error)) << error;
    in.Close();
    std::filesystem::remove(path);
    EXPECT_EQ(FirstMismatch(s, image), "");
}

} // namespace
