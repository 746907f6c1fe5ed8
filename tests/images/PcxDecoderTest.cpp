// The PCX decoder against hand-built files: every supported combination of bits and
// planes, both palettes, runs across lines, and headers and data that cannot be read.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "images/ByteStream.h"
#include "images/PcxDecoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Header {
    std::uint8_t manufacturer = 10;
    std::uint8_t version = 5;
    std::uint8_t encoding = 1;
    std::uint8_t bits = 8;
    unsigned xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    unsigned xDpi = 0, yDpi = 0;
    Bytes palette16; // up to 48 bytes: red, green, blue triples
    std::uint8_t planes = 1;
    unsigned bytesPerLine = 2;
};

void Put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

Bytes HeaderBytes(const Header& h)
{
    Bytes b = {h.manufacturer, h.version, h.encoding, h.bits};
    Put16(b, h.xMin);
    Put16(b, h.yMin);
    Put16(b, h.xMax);
    Put16(b, h.yMax);
    Put16(b, h.xDpi);
    Put16(b, h.yDpi);
    Bytes pal = h.palette16;
    pal.resize(48, 0);
    b.insert(b.end(), pal.begin(), pal.end());
    b.push_back(0);
    b.push_back(h.planes);
    Put16(b, h.bytesPerLine);
    Put16(b, 1);
    b.resize(128, 0);
    return b;
}

// Run-length encodes bytes as PCX does: runs of up to 63, a byte with both top bits
// set always as a run.
Bytes Rle(const Bytes& data)
{
    Bytes out;
    for (std::size_t i = 0; i < data.size();) {
        std::size_t n = 1;
        while (i + n < data.size() && data[i + n] == data[i] && n < 63)
            ++n;
        if (n > 1 || data[i] >= 0xC0)
            out.push_back(static_cast<std::uint8_t>(0xC0 | n));
        out.push_back(data[i]);
        i += n;
    }
    return out;
}

Bytes Pcx(const Header& h, const Bytes& lines, const Bytes& trailer = {})
{
    Bytes b = HeaderBytes(h);
    const Bytes data = Rle(lines);
    b.insert(b.end(), data.begin(), data.end());
    b.insert(b.end(), trailer.begin(), trailer.end());
    return b;
}

Header Sized(unsigned width, unsigned height, std::uint8_t bits, std::uint8_t planes, unsigned bytesPerLine)
{
    Header h;
    h.xMax = width - 1;
    h.yMax = height - 1;
    h.bits = bits;
    h.planes = planes;
    h.bytesPerLine = bytesPerLine;
    return h;
}

bool DecodeBytes(const Bytes& file, DecodedImage& out, std::string& error)
{
    CMemoryStream in(file.data(), file.size());
    return CPcxDecoder::Decode(in, out, error);
}

std::vector<std::uint32_t> Colours(const PixelBlock& p)
{
    std::vector<std::uint32_t> v;
    for (int y = p.Height() - 1; y >= 0; --y)
        for (int x = 0; x < p.Width(); ++x)
            v.push_back(p.GetColour(x, y));
    return v;
}

// Sixteen colours: entry i is (16 i, 255 - 16 i, 7 i).
Bytes Palette16()
{
    Bytes p;
    for (int i = 0; i < 16; ++i) {
        p.push_back(static_cast<std::uint8_t>(16 * i));
        p.push_back(static_cast<std::uint8_t>(255 - 16 * i));
        p.push_back(static_cast<std::uint8_t>(7 * i));
    }
    return p;
}

std::uint32_t Entry16(int i)
{
    return (std::uint32_t(7 * i) << 16) | (std::uint32_t(255 - 16 * i) << 8) | std::uint32_t(16 * i);
}

Bytes Trailer256()
{
    Bytes t = {0x0C};
    for (int i = 0; i < 256; ++i) {
        t.push_back(static_cast<std::uint8_t>(i));
        t.push_back(static_cast<std::uint8_t>(i / 2));
        t.push_back(static_cast<std::uint8_t>(255 - i));
    }
    return t;
}

std::uint32_t Entry256(int i)
{
    return (std::uint32_t(255 - i) << 16) | (std::uint32_t(i / 2) << 8) | std::uint32_t(i);
}

struct PictureCase {
    const char* name;
    Header header;
    Bytes lines; // every plane's line of every row, before encoding
    Bytes trailer;
    int wantBpp;
    std::vector<std::uint32_t> want; // 0x00BBGGRR, rows top to bottom
};

std::vector<PictureCase> PictureCases()
{
    std::vector<PictureCase> cases;
    constexpr std::uint32_t kWhite = 0xFFFFFF;
    {
        Header h = Sized(10, 2, 1, 1, 2);
        const Bytes lines = {0xA5, 0x80, 0x0F, 0x40};
        std::vector<std::uint32_t> want;
        for (int i = 0; i < 20; ++i) {
            const std::uint8_t byte = lines[std::size_t(i / 10 * 2 + (i % 10) / 8)];
            want.push_back(((byte >> (7 - (i % 10) % 8)) & 1) ? kWhite : 0);
        }
        cases.push_back({"1 bit, no palette: black and white", h, lines, {}, 1, want});
        h.palette16 = Palette16();
        for (auto& c : want)
            c = c ? Entry16(1) : Entry16(0);
        cases.push_back({"1 bit, header palette", h, lines, {}, 1, want});
    }
    {
        Header h = Sized(5, 1, 2, 1, 2);
        h.palette16 = Palette16();
        cases.push_back(
            {"2 bits", h, {0x1B, 0x80}, {}, 4, {Entry16(0), Entry16(1), Entry16(2), Entry16(3), Entry16(2)}});
    }
    {
        Header h = Sized(3, 2, 4, 1, 2);
        h.palette16 = Palette16();
        cases.push_back({"4 bits",
                         h,
                         {0x1F, 0xA0, 0x23, 0x40},
                         {},
                         4,
                         {Entry16(1), Entry16(15), Entry16(10), Entry16(2), Entry16(3), Entry16(4)}});
    }
    {
        Header h = Sized(4, 2, 8, 1, 4);
        cases.push_back({"8 bits with trailer palette",
                         h,
                         {0, 1, 200, 255, 7, 7, 7, 0xC3},
                         Trailer256(),
                         8,
                         {Entry256(0), Entry256(1), Entry256(200), Entry256(255), Entry256(7), Entry256(7),
                          Entry256(7), Entry256(0xC3)}});
        cases.push_back({"8 bits without palette: grey",
                         h,
                         {0, 1, 200, 255, 7, 7, 7, 0xC3},
                         {},
                         8,
                         {0, 0x010101, 0xC8C8C8, kWhite, 0x070707, 0x070707, 0x070707, 0xC3C3C3}});
    }
    {
        Header h = Sized(9, 1, 1, 4, 2);
        h.palette16 = Palette16();
        // Plane p holds bit p of each index; pixel x has index x (and 15 at x = 8).
        const Bytes lines = {0x55, 0x80, 0x33, 0x80, 0x0F, 0x80, 0x00, 0x80};
        std::vector<std::uint32_t> want;
        for (int x = 0; x < 8; ++x)
            want.push_back(Entry16(x));
        want.push_back(Entry16(15));
        cases.push_back({"1 bit in 4 planes", h, lines, {}, 4, want});
        h.planes = 3;
        const Bytes three(lines.begin(), lines.begin() + 6);
        want.back() = Entry16(7);
        cases.push_back({"1 bit in 3 planes", h, three, {}, 4, want});
    }
    {
        Header h = Sized(3, 2, 8, 3, 4);
        // Per row: the red line, the green line, the blue line, each padded to 4 bytes.
        const Bytes lines = {255, 0, 10, 9, 0, 255, 20, 9, 0, 0, 30, 9, //
                             1,   2, 3,  0, 4, 5,   6,  0, 7, 8, 9,  0};
        const std::vector<std::uint32_t> want = {0x0000FF, 0x00FF00, 0x1E140A, 0x070401, 0x080502, 0x090603};
        cases.push_back({"8 bits in 3 planes", h, lines, {}, 24, want});
        h.planes = 4;
        Bytes four;
        for (int row = 0; row < 2; ++row) {
            four.insert(four.end(), lines.begin() + row * 12, lines.begin() + row * 12 + 12);
            four.insert(four.end(), {128, 128, 128, 128}); // alpha plane, not shown
        }
        cases.push_back({"8 bits in 4 planes", h, four, {}, 24, want});
    }
    {
        Header h = Sized(3, 1, 8, 1, 3); // an odd line length
        h.xMin = 10;
        h.yMin = 20;
        h.xMax = 12;
        h.yMax = 20;
        cases.push_back(
            {"window not at the origin, odd line", h, {5, 6, 7}, {}, 8, {0x050505, 0x060606, 0x070707}});
    }
    return cases;
}

TEST(PcxDecoder, DecodesPictureVariants)
{
    for (const PictureCase& c : PictureCases()) {
        SCOPED_TRACE(c.name);
        DecodedImage out;
        std::string error;
        ASSERT_TRUE(DecodeBytes(Pcx(c.header, c.lines, c.trailer), out, error)) << error;
        EXPECT_EQ(out.pixels.Width(), static_cast<int>(c.header.xMax - c.header.xMin + 1));
        EXPECT_EQ(out.pixels.Height(), static_cast<int>(c.header.yMax - c.header.yMin + 1));
        EXPECT_EQ(out.pixels.Bpp(), c.wantBpp);
        EXPECT_EQ(Colours(out.pixels), c.want) << "have/want colours differ";
    }
}

TEST(PcxDecoder, RunsCarryOverIntoTheNextLineAndStopAtTheEnd)
{
    Header h = Sized(4, 3, 8, 1, 4);
    Bytes file = HeaderBytes(h);
    // A run of 6 fills row 0 and half of row 1; literals finish row 1; a run of 63
    // fills row 2 and reaches far past the picture, which must not matter.
    const Bytes data = {0xC6, 9, 1, 2, 0xFF, 4};
    file.insert(file.end(), data.begin(), data.end());
    DecodedImage out;
    std::string error;
    ASSERT_TRUE(DecodeBytes(file, out, error)) << error;
    const std::vector<std::uint32_t> want = {0x090909, 0x090909, 0x090909, 0x090909, 0x090909, 0x090909,
                                             0x010101, 0x020202, 0x040404, 0x040404, 0x040404, 0x040404};
    EXPECT_EQ(Colours(out.pixels), want);
}

TEST(PcxDecoder, RejectsWhatItCannotReadWithFixedTexts)
{
    struct Case {
        const char* name;
        Header header;
        const char* wantError;
    };
    std::vector<Case> cases;
    auto with = [&](const char* name, const char* wantError, auto change) {
        Header h = Sized(8, 2, 8, 1, 8);
        change(h);
        cases.push_back({name, h, wantError});
    };
    const char* kCant = "Can't read PCX image";
    const char* kDepth = "Unsupported PCX bit depth";
    const char* kSize = "Bad PCX picture size";
    const char* kShortLine = "PCX lines too short for the picture's width";
    with("manufacturer", kCant, [](Header& h) { h.manufacturer = 11; });
    with("encoding 0", kCant, [](Header& h) { h.encoding = 0; });
    with("encoding 2", kCant, [](Header& h) { h.encoding = 2; });
    with("version 1", "Unknown PCX version", [](Header& h) { h.version = 1; });
    with("version 6", "Unknown PCX version", [](Header& h) { h.version = 6; });
    with("3 bits", kDepth, [](Header& h) { h.bits = 3; });
    with("16 bits", kDepth, [](Header& h) { h.bits = 16; });
    with("no planes", kDepth, [](Header& h) { h.planes = 0; });
    with("x window reversed", kSize, [](Header& h) {
        h.xMin = 5;
        h.xMax = 4;
    });
    with("y window reversed", kSize, [](Header& h) {
        h.yMin = 9;
        h.yMax = 1;
    });
    with("line shorter than a row", kShortLine, [](Header& h) { h.bytesPerLine = 7; });
    with("1-bit line too short", kShortLine, [](Header& h) {
        h.bits = 1;
        h.xMax = 16;
        h.bytesPerLine = 2;
    });
    with("5 planes", "Can't handle more than 4 planes", [](Header& h) {
        h.bits = 1;
        h.planes = 5;
    });
    with("4 bits in 2 planes", "Can't handle packed pixels with more than 1 plane.", [](Header& h) {
        h.bits = 4;
        h.planes = 2;
    });
    with("8 bits in 2 planes", "Can't handle packed pixels with more than 1 plane.",
         [](Header& h) { h.planes = 2; });
    with("2 bits in 4 planes", "Can't handle packed pixels with more than 1 plane.", [](Header& h) {
        h.bits = 2;
        h.planes = 4;
    });
    with("65535 square with almost no data", "Truncated PCX", [](Header& h) {
        h.xMax = 65534;
        h.yMax = 65534;
        h.bytesPerLine = 65535;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage out;
        std::string error;
        EXPECT_FALSE(DecodeBytes(Pcx(c.header, Bytes(16, 3)), out, error));
        EXPECT_EQ(error, c.wantError);
    }
}

TEST(PcxDecoder, SideAboveTheLimitIsTooLarge)
{
    // 40000 pixels wide in one bit: the data (runs of 63 zero bytes) is all there.
    Header h = Sized(40000, 1, 1, 1, 5000);
    DecodedImage out;
    std::string error;
    EXPECT_FALSE(DecodeBytes(Pcx(h, Bytes(5000, 0)), out, error));
    EXPECT_EQ(error, "Image too large");
}

TEST(PcxDecoder, TruncatedDataKeepsTheRowsThatArrived)
{
    Header h = Sized(8, 6, 8, 1, 8);
    Bytes lines;
    for (int i = 0; i < 48; ++i)
        lines.push_back(static_cast<std::uint8_t>(i * 3)); // below 0xC0, no two alike: no runs
    const Bytes file = Pcx(h, lines);
    for (std::size_t n = 0; n < file.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        DecodedImage out;
        std::string error;
        const bool ok = DecodeBytes(prefix, out, error);
        const std::size_t rowsThere = n < 128 ? 0 : (n - 128) / 8;
        if (rowsThere == 0) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(error, n < 128 ? "Can't read PCX image" : "Truncated PCX");
            continue;
        }
        ASSERT_TRUE(ok) << error;
        EXPECT_EQ(out.partial.empty(), rowsThere >= 6) << out.partial;
        const std::vector<std::uint32_t> have = Colours(out.pixels);
        ASSERT_EQ(have.size(), 48u);
        for (std::size_t i = 0; i < 48; ++i) {
            const std::uint32_t v = i < rowsThere * 8 ? lines[i] : 0;
            ASSERT_EQ(have[i], v * 0x010101u) << "pixel " << i;
        }
    }
}

TEST(PcxDecoder, TakesTheResolutionUnlessItIsTheScreenSize)
{
    struct Case {
        const char* name;
        unsigned xDpi, yDpi;
        int wantX, wantY;
    };
    const Case cases[] = {
        {"given", 300, 150, 300, 150},
        {"unset", 0, 0, 96, 96},
        {"screen size", 4, 2, 96, 96},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Header h = Sized(4, 2, 8, 1, 4);
        h.xDpi = c.xDpi;
        h.yDpi = c.yDpi;
        DecodedImage out;
        std::string error;
        ASSERT_TRUE(DecodeBytes(Pcx(h, Bytes(8, 1)), out, error)) << error;
        EXPECT_EQ(out.xDpi, c.wantX);
        EXPECT_EQ(out.yDpi, c.wantY);
    }
}

} // namespace
