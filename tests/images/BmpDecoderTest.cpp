#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BmpBuilder.h"
#include "images/BmpDecoder.h"

using namespace testbmp;

namespace {

struct Result {
    bool ok = false;
    std::string error;
    DecodedImage image;
};

Result DecodeBytes(const Bytes& file)
{
    Result r;
    CMemoryStream in(file.data(), file.size());
    r.ok = CBmpDecoder::Decode(in, r.image, r.error);
    return r;
}

// The picture's colours as 0xRRGGBB, top row first.
std::vector<std::uint32_t> Colours(const PixelBlock& p)
{
    std::vector<std::uint32_t> out;
    for (std::int32_t y = p.Height() - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < p.Width(); ++x) {
            const std::uint32_t c = p.GetColour(x, y); // 0x00BBGGRR
            out.push_back(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
        }
    }
    return out;
}

std::string Describe(const std::vector<std::uint32_t>& v)
{
    std::string s;
    for (const std::uint32_t c : v)
        s += Hex(c) + " ";
    return s;
}

const std::vector<Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

struct VariantCase {
    const char* name;
    BmpLayout layout;
    int bpp;                         // of the decoded picture
    std::vector<std::uint32_t> want; // top row first
};

std::vector<VariantCase> Variants()
{
    std::vector<VariantCase> v;
    {
        BmpLayout s;
        s.width = 5;
        s.height = 2;
        s.bpp = 1;
        s.palette = {{0, 0, 0}, {255, 255, 255}};
        s.pixels = Rows({Row({0b10100000}), Row({0b01011000})}); // bottom row first
        v.push_back({"1 bit", s, 1, {0, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0xFFFFFF, 0, 0}});
    }
    {
        BmpLayout s;
        s.width = 3;
        s.height = 1;
        s.bpp = 2;
        s.palette = kFour;
        s.pixels = Row({0b01101100});
        v.push_back({"2 bits become 4", s, 4, {0xFF0000, 0x00FF00, 0x0000FF}});
    }
    {
        BmpLayout s;
        s.width = 3;
        s.height = 2;
        s.bpp = 4;
        s.palette = kFour;
        s.pixels = Rows({Row({0x12, 0x30}), Row({0x01, 0x20})});
        v.push_back({"4 bits", s, 4, {0, 0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0x0000FF}});
    }
    {
        BmpLayout s;
        s.width = 2;
        s.height = 2;
        s.bpp = 8;
        s.headerSize = 12;
        s.palette = {{10, 20, 30}, {200, 100, 50}};
        s.pixels = Rows({Row({0, 1}), Row({1, 0})});
        v.push_back({"core header, 3-byte palette", s, 8, {0xC86432, 0x0A141E, 0x0A141E, 0xC86432}});
    }
    {
        BmpLayout s;
        s.width = 3;
        s.height = 1;
        s.bpp = 8;
        s.palette = {{1, 2, 3}, {4, 5, 6}};
        s.pixels = Row({1, 7, 255});
        v.push_back({"indices past a short palette are black", s, 8, {0x040506, 0, 0}});
    }
    {
        BmpLayout s;
        s.width = 3;
        s.height = 1;
        s.bpp = 16;
        s.pixels = Row({0x00, 0x7C, 0xE0, 0x03, 0xFF, 0x7F});
        v.push_back({"16 bits 5-5-5 by default", s, 24, {0xFF0000, 0x00FF00, 0xFFFFFF}});
    }
    {
        BmpLayout s;
        s.width = 3;
        s.height = 1;
        s.bpp = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.pixels = Row({0x00, 0xF8, 0x20, 0x00, 0x1F, 0x00});
        v.push_back({"16 bits 5-6-5 bit fields", s, 24, {0xFF0000, 0x000400, 0x0000FF}});
    }
    {
        BmpLayout s;
        s.width = 2;
        s.height = -2;
        s.bpp = 24;
        s.pixels = Rows({Row({0, 0, 255, 0, 255, 0}), Row({255, 0, 0, 1, 2, 3})});
        v.push_back({"24 bits top-down", s, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0x030201}});
    }
    {
        BmpLayout s;
        s.width = 2;
        s.height = 1;
        s.bpp = 32;
        s.pixels = {0x10, 0x20, 0x30, 0x99, 0x40, 0x50, 0x60, 0x00};
        v.push_back({"32 bits, spare byte ignored", s, 24, {0x302010, 0x605040}});
    }
    {
        BmpLayout s;
        s.width = 2;
        s.height = 1;
        s.bpp = 32;
        s.compression = 3;
        s.headerSize = 108;
        s.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0};
        s.pixels = {0x00, 0x10, 0x20, 0x30, 0x00, 0x40, 0x50, 0x60};
        v.push_back({"V4 header, channels in the high bytes", s, 24, {0x302010, 0x605040}});
    }
    {
        BmpLayout s;
        s.width = 1;
        s.height = 1;
        s.bpp = 32;
        s.compression = 6;
        s.masks = {0x000003FF, 0x000FFC00, 0x3FF00000, 0xC0000000};
        s.pixels = {0xFF, 0x03, 0x00, 0x00};
        v.push_back({"alpha bit fields after a 40-byte header", s, 24, {0xFF0000}});
    }
    {
        BmpLayout s;
        s.width = 3;
        s.height = 1;
        s.bpp = 32;
        s.compression = 3;
        s.headerSize = 124;
        s.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
        s.pixels = {0x10, 0x20, 0x30, 0x00, 0x40, 0x50, 0x60, 0xFF, 0x00, 0x00, 0x00, 0x80};
        v.push_back({"alpha blended over white", s, 24, {0xFFFFFF, 0x605040, 0x7F7F7F}});
    }
    for (const std::uint32_t size : {52u, 56u, 124u}) {
        BmpLayout s;
        s.width = 1;
        s.height = 1;
        s.bpp = 16;
        s.compression = 3;
        s.headerSize = size;
        s.masks = {0x0F00, 0x00F0, 0x000F};
        if (size > 52)
            s.masks.push_back(0xF000);
        s.pixels = Row({0x0F, 0x08});
        // The alpha channel of V3 and V5 is zero here: a spare byte, not transparency.
        v.push_back({size == 52 ? "V2 header" : size == 56 ? "V3 header" : "V5 header", s, 24, {0x8800FF}});
    }
    {
        BmpLayout s;
        s.width = 2;
        s.height = 1;
        s.bpp = 8;
        s.headerSize = 64;
        s.palette = kFour;
        s.pixels = Row({3, 1});
        v.push_back({"OS/2 v2 header", s, 8, {0x0000FF, 0xFF0000}});
    }
    {
        // Row 0: run of 2 x index 1, delta (1, 0), run of 1; row 1: absolute 3 pixels;
        // row 2: run of 9 into a width of 4 (clipped), end of bitmap.
        BmpLayout s;
        s.width = 4;
        s.height = 3;
        s.bpp = 8;
        s.compression = 1;
        s.palette = kFour;
        s.pixels = {2, 1, 0, 2, 1, 0, 1, 3, 0, 0, 0, 3, 3, 2, 1, 0, 0, 0, 9, 2, 0, 1};
        v.push_back({"RLE8 runs, delta, absolute, clipping",
                     s,
                     8,
                     {0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF, 0x00FF00, 0xFF0000, 0, 0xFF0000,
                      0xFF0000, 0, 0x0000FF}});
    }
    {
        BmpLayout s;
        s.width = 5;
        s.height = 2;
        s.bpp = 4;
        s.compression = 2;
        s.palette = kFour;
        // Row 0: run of 5 alternating 1,2; end of line; row 1: absolute 3 (3,2,1), padded.
        s.pixels = {5, 0x12, 0, 0, 0, 3, 0x32, 0x10, 0, 1};
        v.push_back({"RLE4 runs and absolute",
                     s,
                     4,
                     {0x0000FF, 0x00FF00, 0xFF0000, 0, 0, 0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000}});
    }
    {
        BmpLayout s;
        s.width = 5;
        s.height = 1;
        s.bpp = 24;
        s.compression = 4;
        s.headerSize = 64;
        s.pixels = {2, 0x30, 0x20, 0x10, 0, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 1};
        v.push_back({"OS/2 RLE24", s, 24, {0x102030, 0x102030, 0x030201, 0x060504, 0x090807}});
    }
    return v;
}

TEST(BmpDecoder, DecodesEveryVariant)
{
    for (const VariantCase& c : Variants()) {
        SCOPED_TRACE(c.name);
        const Result r = DecodeBytes(Make(c.layout));
        ASSERT_TRUE(r.ok) << "have error \"" << r.error << "\", want success";
        const PixelBlock& p = r.image.pixels;
        const std::int32_t wantHeight = c.layout.height < 0 ? -c.layout.height : c.layout.height;
        EXPECT_EQ(p.Width(), c.layout.width);
        EXPECT_EQ(p.Height(), wantHeight);
        EXPECT_EQ(p.Bpp(), c.bpp);
        EXPECT_EQ(Colours(p), c.want) << "have " << Describe(Colours(p)) << "\nwant " << Describe(c.want);
    }
}

TEST(BmpDecoder, ReadsResolutionAndSkipsBytesBeforeTheRows)
{
    BmpLayout s;
    s.width = 1;
    s.height = 1;
    s.ppm = 2835; // 72 dots per inch
    s.pixels = Row({1, 2, 3});
    s.offset = 14 + 40 + 20; // twenty unused bytes before the rows
    const Result r = DecodeBytes(Make(s));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.xDpi, 72);
    EXPECT_EQ(r.image.yDpi, 72);
    EXPECT_EQ(Colours(r.image.pixels), std::vector<std::uint32_t>{0x030201});

    s.ppm = 0;
    const Result none = DecodeBytes(Make(s));
    ASSERT_TRUE(none.ok) << none.error;
    EXPECT_EQ(none.image.xDpi, 96) << "a missing resolution counts as 96";
}

TEST(BmpDecoder, OffsetCountsFromWhereTheFileStarts)
{
    BmpLayout s;
    s.width = 1;
    s.height = 1;
    s.pixels = Row({9, 8, 7});
    Bytes data = {0xEE, 0xEE, 0xEE}; // something before the file in the same stream
    Append(data, Make(s));
    CMemoryStream in(data.data(), data.size());
    ASSERT_TRUE(in.Seek(3));
    DecodedImage out;
    std::string error;
    ASSERT_TRUE(CBmpDecoder::Decode(in, out, error)) << error;
    EXPECT_EQ(Colours(out.pixels), std::vector<std::uint32_t>{0x070809});
}

struct BadCase {
    const char* name;
    Bytes file;
    const char* error;
};

BmpLayout Plain(std::int32_t w, std::int32_t h, int bpp)
{
    BmpLayout s;
    s.width = w;
    s.height = h;
    s.bpp = bpp;
    s.pixels = Row({0, 0, 0});
    return s;
}

std::vector<BadCase> BadFiles()
{
    std::vector<BadCase> v;
    const std::string text = "Hello, this is a text file, not a picture.\n";
    v.push_back({"text", Bytes(text.begin(), text.end()), "Not a BMP"});
    v.push_back({"empty", Bytes{}, "Not a BMP"});
    v.push_back({"signature only", Bytes{'B', 'M'}, "Not a BMP"});
    {
        BmpLayout s = Plain(1, 1, 24);
        s.headerSize = 66;
        v.push_back({"header size 66", Make(s), "Bad BMP header"});
    }
    v.push_back({"zero width", Make(Plain(0, 1, 24)), "Bad BMP header"});
    v.push_back({"negative width", Make(Plain(-5, 1, 24)), "Bad BMP header"});
    v.push_back({"zero height", Make(Plain(1, 0, 24)), "Bad BMP header"});
    v.push_back({"width above 32768", Make(Plain(40000, 1, 24)), "Image too large"});
    v.push_back({"height of -2^31", Make(Plain(1, INT32_MIN, 24)), "Image too large"});
    v.push_back({"block above 1 GiB", Make(Plain(32768, 32768, 24)), "Image too large"});
    v.push_back({"huge but within limits, no data", Make(Plain(20000, 20000, 8)), "Truncated BMP"});
    v.push_back({"64 bits", Make(Plain(1, 1, 64)), "Unsupported BMP"});
    v.push_back({"3 bits", Make(Plain(1, 1, 3)), "Unsupported BMP"});
    {
        BmpLayout s = Plain(1, 1, 24);
        s.compression = 4; // JPEG payload
        v.push_back({"JPEG payload", Make(s), "Unsupported BMP"});
    }
    {
        BmpLayout s = Plain(1, 1, 24);
        s.compression = 1;
        v.push_back({"RLE8 at 24 bits", Make(s), "Unsupported BMP"});
    }
    {
        BmpLayout s = Plain(2, -2, 8);
        s.compression = 1;
        s.pixels = {0, 1};
        v.push_back({"top-down RLE", Make(s), "Bad BMP header"});
    }
    {
        Bytes f = Make(Plain(1, 1, 24));
        f[11] = 0x10; // rows at 4096 + 54, far past the end
        v.push_back({"rows start past the end", f, "Truncated BMP"});
    }
    {
        Bytes f = Make(Plain(1, 1, 24));
        f[10] = 20; // rows would start inside the info header
        v.push_back({"rows inside the header", f, "Bad BMP header"});
    }
    {
        BmpLayout s = Plain(4, 4, 24);
        s.pixels = Rows({Row({1, 2, 3}), Row({4, 5, 6})});
        v.push_back({"half the rows", Make(s), "Truncated BMP"});
    }
    {
        BmpLayout s = Plain(2, 2, 8);
        s.compression = 1;
        s.pixels = {};
        v.push_back({"RLE without data", Make(s), "Truncated BMP"});
    }
    return v;
}

TEST(BmpDecoder, RejectsBadFilesWithTheirText)
{
    for (const BadCase& c : BadFiles()) {
        SCOPED_TRACE(c.name);
        const Result r = DecodeBytes(c.file);
        EXPECT_FALSE(r.ok) << "have success, want \"" << c.error << "\"";
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(BmpDecoder, RunsThatOverrunTheBitmapAreClipped)
{
    struct Case {
        const char* name;
        Bytes rle;
        std::vector<std::uint32_t> want;
    };
    const std::vector<Case> cases = {
        {"run of 255 in a row of 3", {255, 1, 0, 1}, {0, 0, 0, 0xFF0000, 0xFF0000, 0xFF0000}},
        {"absolute run of 200 with 4 bytes of data",
         {0, 200, 2, 2, 2, 2},
         {0, 0, 0, 0x00FF00, 0x00FF00, 0x00FF00}},
        {"delta far past the right edge, then a run",
         {0, 2, 250, 0, 2, 3, 0, 0, 1, 1},
         {0xFF0000, 0, 0, 0, 0, 0}},
        {"delta past the top", {1, 3, 0, 2, 0, 200, 1, 1}, {0, 0, 0, 0x0000FF, 0, 0}},
        {"end of line past the top", {0, 0, 0, 0, 0, 0, 0, 0, 1, 1}, {0, 0, 0, 0, 0, 0}},
        {"data stops inside a delta", {1, 2, 0, 2, 5}, {0, 0, 0, 0x00FF00, 0, 0}},
        {"odd last byte", {1, 1, 0, 0, 3}, {0, 0, 0, 0xFF0000, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpLayout s;
        s.width = 3;
        s.height = 2;
        s.bpp = 8;
        s.compression = 1;
        s.palette = kFour;
        s.pixels = c.rle;
        const Result r = DecodeBytes(Make(s));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(Colours(r.image.pixels), c.want)
            << "have " << Describe(Colours(r.image.pixels)) << "\nwant " << Describe(c.want);
    }
}

TEST(BmpDecoder, Rle4RunsStopAtTheRowEnd)
{
    BmpLayout s;
    s.width = 3;
    s.height = 2;
    s.bpp = 4;
    s.compression = 2;
    s.palette = kFour;
    s.pixels = {255, 0x12, 0, 255, 0x33, 0x33, 0, 0, 2, 0x30}; // absolute run claims 255 pixels
    const Result r = DecodeBytes(Make(s));
    ASSERT_TRUE(r.ok) << r.error;
    const std::vector<std::uint32_t> want = {0, 0, 0, 0xFF0000, 0x00FF00, 0xFF0000};
    EXPECT_EQ(Colours(r.image.pixels), want) << "have " << Describe(Colours(r.image.pixels));
}

// Every prefix of a good file either fails with a text or decodes to the full size;
// an uncompressed file only decodes when at most the last row's padding is missing.
TEST(BmpDecoder, EveryPrefixFailsCleanlyOrDecodesPartially)
{
    std::vector<BmpLayout> specs;
    for (const VariantCase& c : Variants())
        specs.push_back(c.layout);
    for (const BmpLayout& s : specs) {
        const Bytes full = Make(s);
        const std::int32_t h = s.height < 0 ? -s.height : s.height;
        const std::size_t rowBytes =
            (static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.bpp) + 7) / 8;
        const std::size_t padding = (4 - rowBytes % 4) % 4;
        const bool rle = s.pixels.size() > 0 && (s.compression == 1 || s.compression == 2 ||
                                                 (s.compression == 4 && s.headerSize == 64));
        for (std::size_t len = 0; len < full.size(); ++len) {
            SCOPED_TRACE("prefix of " + std::to_string(len) + " of " + std::to_string(full.size()) +
                         " bytes, " + std::to_string(s.bpp) + " bits");
            const Result r =
                DecodeBytes(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
            if (!r.ok) {
                EXPECT_FALSE(r.error.empty());
                continue;
            }
            EXPECT_EQ(r.image.pixels.Width(), s.width);
            EXPECT_EQ(r.image.pixels.Height(), h);
            if (!rle) {
                EXPECT_GE(len, full.size() - padding) << "an uncompressed file missing pixel bytes decoded";
            }
        }
    }
}

} // namespace
