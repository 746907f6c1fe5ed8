// The Targa decoder against hand-built files: every image type and depth, both origins,
// colour maps with an offset, alpha over white, and headers that are not Targa at all.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "images/ByteStream.h"
#include "images/TgaDecoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Header {
    std::uint8_t idLength = 0;
    std::uint8_t mapType = 0;
    std::uint8_t imageType = 2;
    unsigned mapFirst = 0;
    unsigned mapLength = 0;
    std::uint8_t mapBits = 0;
    unsigned width = 1;
    unsigned height = 1;
    std::uint8_t depth = 24;
    std::uint8_t descriptor = 0;
};

void Put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

Bytes Tga(const Header& h, const Bytes& rest)
{
    Bytes b = {h.idLength, h.mapType, h.imageType};
    Put16(b, h.mapFirst);
    Put16(b, h.mapLength);
    b.push_back(h.mapBits);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, h.width);
    Put16(b, h.height);
    b.push_back(h.depth);
    b.push_back(h.descriptor);
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

bool DecodeBytes(const Bytes& file, DecodedImage& out, std::string& error)
{
    CMemoryStream in(file.data(), file.size());
    return CTgaDecoder::Decode(in, out, error);
}

// Colours (0x00BBGGRR) of the decoded picture, rows top to bottom.
std::vector<std::uint32_t> Colours(const PixelBlock& p)
{
    std::vector<std::uint32_t> v;
    for (int y = p.Height() - 1; y >= 0; --y)
        for (int x = 0; x < p.Width(); ++x)
            v.push_back(p.GetColour(x, y));
    return v;
}

struct PictureCase {
    const char* name;
    Header header;
    Bytes rest; // image id, colour map and pixel data
    int wantBpp;
    std::vector<std::uint32_t> want; // 0x00BBGGRR, rows top to bottom
};

// Two by two pictures in every variant. The file's pixels, in stored order, are the
// colours A B C D; with the bottom-left origin C D is the top row.
constexpr std::uint32_t kA = 0x0000FF, kB = 0x00FF00, kC = 0xFF0000, kD = 0x808080;

std::vector<PictureCase> PictureCases()
{
    const Bytes bgr24 = {0, 0, 255, 0, 255, 0, 255, 0, 0, 128, 128, 128};
    std::vector<PictureCase> cases;
    Header h;
    h.width = 2;
    h.height = 2;
    h.descriptor = 0x20;
    cases.push_back({"24-bit, top-left", h, bgr24, 24, {kA, kB, kC, kD}});
    h.descriptor = 0x00;
    cases.push_back({"24-bit, bottom-left", h, bgr24, 24, {kC, kD, kA, kB}});
    h.descriptor = 0x30;
    cases.push_back({"24-bit, top-right", h, bgr24, 24, {kB, kA, kD, kC}});
    h.descriptor = 0x10;
    cases.push_back({"24-bit, bottom-right", h, bgr24, 24, {kD, kC, kB, kA}});

    h.descriptor = 0x20;
    h.imageType = 10;
    // A run of two A's crossing nothing, then a raw packet of C and D (a run may also
    // cross rows: here the raw packet starts the second row).
    cases.push_back(
        {"24-bit RLE", h, {0x81, 0, 0, 255, 0x01, 255, 0, 0, 128, 128, 128}, 24, {kA, kA, kC, kD}});
    cases.push_back(
        {"24-bit RLE, run across rows", h, {0x00, 0, 0, 255, 0x82, 0, 255, 0}, 24, {kA, kB, kB, kB}});

    h.imageType = 2;
    h.depth = 16;
    // 5-5-5 values: red 31 -> 0x7C00, green 31 -> 0x03E0, blue 31 -> 0x001F, grey 16.
    const Bytes rgb16 = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42};
    cases.push_back({"16-bit", h, rgb16, 24, {kA, kB, kC, 0x848484}});
    h.depth = 15;
    cases.push_back({"15-bit", h, rgb16, 24, {kA, kB, kC, 0x848484}});
    h.depth = 16;
    h.descriptor = 0x21; // one attribute bit: set = opaque, clear = transparent
    cases.push_back({"16-bit with alpha bit",
                     h,
                     {0x00, 0xFC, 0xE0, 0x03, 0x1F, 0x80, 0x10, 0xC2},
                     24,
                     {kA, 0xFFFFFF, kC, 0x848484}});
    cases.push_back({"16-bit, alpha bit clear everywhere: opaque", h, rgb16, 24, {kA, kB, kC, 0x848484}});

    h.depth = 32;
    h.descriptor = 0x28;
    cases.push_back({"32-bit alpha over white",
                     h,
                     {0, 0, 255, 255, 0, 255, 0, 0, 255, 0, 0, 128, 0, 0, 0, 51},
                     24,
                     {kA, 0xFFFFFF, 0xFF7F7F, 0xCCCCCC}});
    cases.push_back({"32-bit, alpha zero everywhere: opaque",
                     h,
                     {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 128, 128, 128, 0},
                     24,
                     {kA, kB, kC, kD}});
    h.descriptor = 0x24; // 4 alpha bits; the high bits are attributes
    cases.push_back({"32-bit with 4 alpha bits",
                     h,
                     {0, 0, 255, 0xFF, 0, 255, 0, 0xF0, 255, 0, 0, 0x0F, 0, 0, 0, 0x05},
                     24,
                     {kA, 0xFFFFFF, kC, 0xAAAAAA}});

    Header g;
    g.width = 2;
    g.height = 2;
    g.descriptor = 0x20;
    g.imageType = 3;
    g.depth = 8;
    cases.push_back({"grey", g, {0, 100, 200, 255}, 8, {0, 0x646464, 0xC8C8C8, 0xFFFFFF}});
    g.imageType = 11;
    cases.push_back({"grey RLE", g, {0x83, 77}, 8, {0x4D4D4D, 0x4D4D4D, 0x4D4D4D, 0x4D4D4D}});
    g.imageType = 3;
    g.depth = 16;
    g.descriptor = 0x28;
    cases.push_back(
        {"grey with alpha", g, {0, 255, 0, 0, 100, 128, 9, 255}, 8, {0, 0xFFFFFF, 0xB1B1B1, 0x090909}});

    Header m;
    m.width = 2;
    m.height = 2;
    m.descriptor = 0x20;
    m.imageType = 1;
    m.mapType = 1;
    m.depth = 8;
    m.mapBits = 24;
    m.mapLength = 3;
    const Bytes map24 = {0, 0, 255, 0, 255, 0, 255, 0, 0};
    Bytes rest = map24;
    rest.insert(rest.end(), {0, 1, 2, 1});
    cases.push_back({"colour-mapped", m, rest, 8, {kA, kB, kC, kB}});
    m.mapFirst = 5; // map entry 0 is pixel value 5; values below show black
    rest = map24;
    rest.insert(rest.end(), {5, 6, 7, 0});
    cases.push_back({"colour map with first entry 5", m, rest, 8, {kA, kB, kC, 0}});
    m.mapFirst = 0;
    m.idLength = 3;
    rest = {'i', 'd', '!'};
    rest.insert(rest.end(), map24.begin(), map24.end());
    rest.insert(rest.end(), {2, 2, 0, 0});
    cases.push_back({"image id skipped", m, rest, 8, {kC, kC, kA, kA}});
    m.idLength = 0;
    m.imageType = 9;
    rest = map24;
    rest.insert(rest.end(), {0x80, 1, 0x83, 2}); // a run of one, then of four where three fit
    cases.push_back({"colour-mapped RLE, last packet cut", m, rest, 8, {kB, kC, kC, kC}});
    m.imageType = 1;
    m.mapBits = 16;
    m.mapLength = 2;
    cases.push_back({"16-bit map", m, {0x00, 0x7C, 0x1F, 0x00, 1, 0, 0, 1}, 8, {kC, kA, kA, kC}});
    m.mapBits = 32;
    cases.push_back({"32-bit map with alpha",
                     m,
                     {0, 0, 255, 255, 0, 0, 0, 0, 0, 1, 1, 0},
                     8,
                     {kA, 0xFFFFFF, 0xFFFFFF, kA}});
    return cases;
}

TEST(TgaDecoder, DecodesPictureVariants)
{
    for (const PictureCase& c : PictureCases()) {
        SCOPED_TRACE(c.name);
        DecodedImage out;
        std::string error;
        ASSERT_TRUE(DecodeBytes(Tga(c.header, c.rest), out, error)) << error;
        EXPECT_EQ(out.pixels.Width(), static_cast<int>(c.header.width));
        EXPECT_EQ(out.pixels.Height(), static_cast<int>(c.header.height));
        EXPECT_EQ(out.pixels.Bpp(), c.wantBpp);
        EXPECT_EQ(Colours(out.pixels), c.want) << "have/want colours differ";
        EXPECT_EQ(out.transIndex, -1);
    }
}

TEST(TgaDecoder, TurnsAwayImplausibleHeaders)
{
    Header ok;
    ok.width = 1;
    ok.height = 1;
    const Bytes pixel = {1, 2, 3};
    struct Case {
        const char* name;
        Header header;
        const char* wantError;
    };
    std::vector<Case> cases;
    auto with = [&](const char* name, const char* wantError, auto change) {
        Header h = ok;
        change(h);
        cases.push_back({name, h, wantError});
    };
    const char* kNot = "Not a TGA";
    const char* kDepth = "Unsupported TGA pixel depth";
    const char* kMap = "Bad TGA colour map";
    with("no image data type", kNot, [](Header& h) { h.imageType = 0; });
    with("unknown type", kNot, [](Header& h) { h.imageType = 4; });
    with("compressed type 32", kNot, [](Header& h) { h.imageType = 32; });
    with("map type 2", kNot, [](Header& h) { h.mapType = 2; });
    with("zero width", "TGA picture of no size", [](Header& h) { h.width = 0; });
    with("zero height", "TGA picture of no size", [](Header& h) { h.height = 0; });
    with("8-bit true colour", kDepth, [](Header& h) { h.depth = 8; });
    with("true colour depth 20", kDepth, [](Header& h) { h.depth = 20; });
    with("interleaved rows", "Interleaved TGA rows are not supported",
         [](Header& h) { h.descriptor = 0x40; });
    with("12 alpha bits", "Bad TGA alpha bits", [](Header& h) { h.descriptor = 0x0C; });
    with("map fields without a map", kMap, [](Header& h) { h.mapLength = 4; });
    with("map entry size without a map", kMap, [](Header& h) { h.mapBits = 8; });
    with("colour-mapped without a map", "Colour-mapped TGA without a colour map", [](Header& h) {
        h.imageType = 1;
        h.depth = 8;
    });
    with("map of 8-bit entries", kMap, [](Header& h) {
        h.mapType = 1;
        h.mapLength = 1;
        h.mapBits = 8;
    });
    with("map of no entries", kMap, [](Header& h) {
        h.mapType = 1;
        h.mapBits = 24;
    });
    with("colour-mapped, 16-bit pixels", kDepth, [](Header& h) {
        h.imageType = 1;
        h.mapType = 1;
        h.mapLength = 1;
        h.mapBits = 24;
        h.depth = 16;
    });
    with("grey, 24-bit", kDepth, [](Header& h) { h.imageType = 3; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage out;
        std::string error;
        EXPECT_FALSE(DecodeBytes(Tga(c.header, Bytes(64, 7)), out, error));
        EXPECT_EQ(error, c.wantError);
    }
    DecodedImage out;
    std::string error;
    EXPECT_TRUE(DecodeBytes(Tga(ok, pixel), out, error)) << "the unchanged header must decode: " << error;
}

TEST(TgaDecoder, TurnsAwayOtherFormats)
{
    // The starts of files of the other formats the trial order may hand over.
    auto padded = [](Bytes b) {
        b.resize(400, 0x11);
        return b;
    };
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"bitmap", padded({'B', 'M', 0x36, 0x04, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0, 0, 0, 4, 0})},
        {"jpeg", padded({0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1})},
        {"png", padded({0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 4})},
        {"icon", padded({0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0x68, 4, 0, 0, 22, 0})},
        {"cursor", padded({0, 0, 2, 0, 1, 0, 32, 32, 2, 0, 4, 0, 8, 0, 0x68, 4, 0, 0, 22, 0})},
        {"gif", padded({'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0})},
        {"pcx", padded({10, 5, 1, 8, 0, 0, 0, 0, 31, 0, 31, 0, 44, 1, 44, 1})},
        {"pcx version 0", padded({10, 0, 1, 1, 0, 0, 0, 0, 15, 0, 15, 0, 72, 0, 72, 0})},
        {"wireless bitmap", padded({0, 0, 16, 16, 0xFF, 0, 0xFF, 0})},
        {"placeable metafile", padded({0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xE8, 3, 0xE8, 3})},
        {"metafile", padded({1, 0, 9, 0, 0, 3, 0x20, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0})},
        {"enhanced metafile", padded({1, 0, 0, 0, 0x6C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0})},
        {"text", padded({'H', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd', '\n'})},
        {"nothing", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage out;
        std::string error;
        EXPECT_FALSE(DecodeBytes(c.file, out, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(TgaDecoder, BoundsSizesByLimitsAndData)
{
    struct Case {
        const char* name;
        unsigned width, height;
        std::uint8_t imageType;
        std::size_t dataBytes;
        const char* wantError;
    };
    const Case cases[] = {
        {"65535 square, no data", 65535, 65535, 2, 16, "Truncated TGA"},
        {"65535 square RLE, little data", 65535, 65535, 10, 4096, "Truncated TGA"},
        {"side above the limit with its data", 40000, 1, 2, 40000 * 3, "Image too large"},
        {"uncompressed one byte short", 30, 20, 2, 30 * 20 * 3 - 1, "Truncated TGA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Header h;
        h.width = c.width;
        h.height = c.height;
        h.imageType = c.imageType;
        DecodedImage out;
        std::string error;
        EXPECT_FALSE(DecodeBytes(Tga(h, Bytes(c.dataBytes, 0)), out, error));
        EXPECT_EQ(error, c.wantError);
    }
}

TEST(TgaDecoder, EveryPrefixFailsCleanly)
{
    Header h;
    h.width = 5;
    h.height = 3;
    h.imageType = 9;
    h.mapType = 1;
    h.mapLength = 4;
    h.mapBits = 24;
    h.depth = 8;
    h.idLength = 2;
    const Bytes rest = {'a', 'b', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x84, 3, 0x02, 0, 1, 2, 0x86, 1};
    const Bytes file = Tga(h, rest);
    DecodedImage full;
    std::string error;
    ASSERT_TRUE(DecodeBytes(file, full, error)) << error;
    for (std::size_t n = 0; n < file.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        DecodedImage out;
        EXPECT_FALSE(DecodeBytes(prefix, out, error));
        EXPECT_TRUE(error.find("Truncated TGA") == 0) << error;
    }
}

TEST(TgaDecoder, ReadsFromTheStreamsCurrentPosition)
{
    Header h;
    h.width = 1;
    h.height = 1;
    Bytes file = {'x', 'y'};
    const Bytes tga = Tga(h, {10, 20, 30});
    file.insert(file.end(), tga.begin(), tga.end());
    CMemoryStream in(file.data(), file.size());
    ASSERT_TRUE(in.Seek(2));
    DecodedImage out;
    std::string error;
    ASSERT_TRUE(CTgaDecoder::Decode(in, out, error)) << error;
    EXPECT_EQ(out.pixels.GetColour(0, 0), 0x0A141Eu);
}

} // namespace
