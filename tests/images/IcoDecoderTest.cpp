#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BmpBuilder.h"
#include "images/IcoDecoder.h"

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
    r.ok = CIcoDecoder::Decode(in, r.image, r.error);
    return r;
}

std::vector<std::uint32_t> Colours(const PixelBlock& p)
{
    std::vector<std::uint32_t> out;
    for (std::int32_t y = p.Height() - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < p.Width(); ++x) {
            const std::uint32_t c = p.GetColour(x, y);
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

// A 2 x 2 four-bit icon bitmap: bottom row red, green; top row blue, black. mask holds
// the AND mask's two rows, bottom first (bit 7 is the left pixel).
Bytes FourBitEntry(std::uint8_t maskBottom, std::uint8_t maskTop, bool withMask = true)
{
    BmpLayout s;
    s.width = 2;
    s.height = 4; // colour and mask rows together
    s.bpp = 4;
    s.palette = kFour;
    s.fileHeader = false;
    s.pixels = Rows({Row({0x12}), Row({0x30})});
    if (withMask)
        Append(s.pixels, Rows({Row({maskBottom}), Row({maskTop})}));
    return Make(s);
}

// A 32-bit entry of size n x n, every pixel (r, g, b, a); mask all clear.
Bytes TrueColourEntry(int n, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    BmpLayout s;
    s.width = n;
    s.height = 2 * n;
    s.bpp = 32;
    s.fileHeader = false;
    for (int i = 0; i < n * n; ++i)
        s.pixels.insert(s.pixels.end(), {b, g, r, a});
    const std::size_t maskRow = (static_cast<std::size_t>(n) + 31) / 32 * 4;
    s.pixels.resize(s.pixels.size() + maskRow * static_cast<std::size_t>(n), 0);
    return Make(s);
}

TEST(IcoDecoder, MaskedPixelsBecomeWhite)
{
    // Mask: top-right and bottom-left pixels see-through.
    const Result r = DecodeBytes(MakeIcon({{2, 2, 4, FourBitEntry(0x80, 0x40)}}));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Bpp(), 24);
    const std::vector<std::uint32_t> want = {0x0000FF, 0xFFFFFF, 0xFFFFFF, 0x00FF00};
    EXPECT_EQ(Colours(r.image.pixels), want) << "have " << Describe(Colours(r.image.pixels));
}

TEST(IcoDecoder, UnmaskedIconKeepsItsPalette)
{
    for (const bool withMask : {true, false}) {
        SCOPED_TRACE(withMask ? "clear mask" : "mask missing");
        const Result r = DecodeBytes(MakeIcon({{2, 2, 4, FourBitEntry(0, 0, withMask)}}));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.image.pixels.Bpp(), 4);
        const std::vector<std::uint32_t> want = {0x0000FF, 0x000000, 0xFF0000, 0x00FF00};
        EXPECT_EQ(Colours(r.image.pixels), want) << "have " << Describe(Colours(r.image.pixels));
    }
}

TEST(IcoDecoder, AlphaIsBlendedOverWhite)
{
    struct Case {
        std::uint8_t alpha;
        std::uint32_t want;
    };
    // An alpha channel that is zero everywhere is an old icon's spare byte, not alpha.
    for (const Case c : {Case{255, 0x204080}, Case{0, 0x204080}, Case{128, 0x8F9FBF}}) {
        SCOPED_TRACE("alpha " + std::to_string(c.alpha));
        const Result r = DecodeBytes(MakeIcon({{1, 1, 32, TrueColourEntry(1, 0x20, 0x40, 0x80, c.alpha)}}));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(Colours(r.image.pixels), std::vector<std::uint32_t>{c.want})
            << "have " << Describe(Colours(r.image.pixels)) << " want " << Hex(c.want);
    }
}

TEST(IcoDecoder, PicksTheLargestThenTheDeepestEntry)
{
    const Bytes small32 = TrueColourEntry(2, 10, 10, 10, 255);
    const Bytes large4 = TrueColourEntry(3, 20, 20, 20, 255);
    Bytes large4bit;
    {
        BmpLayout s;
        s.width = 3;
        s.height = 6;
        s.bpp = 4;
        s.palette = {{30, 30, 30}};
        s.fileHeader = false;
        s.pixels = Rows({Row({0, 0}), Row({0, 0}), Row({0, 0}), Row({0}), Row({0}), Row({0})});
        large4bit = Make(s);
    }
    const Result r = DecodeBytes(MakeIcon({{2, 2, 32, small32}, {3, 3, 4, large4bit}, {3, 3, 32, large4}}));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 3);
    EXPECT_EQ(r.image.pixels.GetColour(0, 0), 0x141414u) << "want the 32-bit 3 x 3 entry";

    // A cursor's directory has a hot spot where the depth would be: the data decides.
    const Result cur = DecodeBytes(MakeIcon({{3, 3, 0, large4bit}, {3, 3, 0, large4}}, 2));
    ASSERT_TRUE(cur.ok) << cur.error;
    EXPECT_EQ(cur.image.pixels.GetColour(0, 0), 0x141414u) << "want the 32-bit entry of the cursor";
}

TEST(IcoDecoder, FallsBackWhenTheBestEntryIsBroken)
{
    // The large entry's header claims 65535 x 65535 pixels.
    Bytes bomb = TrueColourEntry(4, 1, 1, 1, 255);
    bomb[4] = bomb[5] = 0xFF;
    bomb[8] = bomb[9] = 0xFF;
    const Result r = DecodeBytes(MakeIcon({{4, 4, 32, bomb}, {2, 2, 4, FourBitEntry(0, 0)}}));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 2);

    const Result alone = DecodeBytes(MakeIcon({{4, 4, 32, bomb}}));
    EXPECT_FALSE(alone.ok);
    EXPECT_EQ(alone.error, "Image too large");
}

TEST(IcoDecoder, ReadsPngEntries)
{
    const Result r = DecodeBytes(
        MakeIcon({{1, 1, 32, TrueColourEntry(1, 9, 9, 9, 255)}, {4, 4, 24, MakeSolidPng(4, 200, 100, 50)}}));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 4);
    EXPECT_EQ(r.image.pixels.GetColour(3, 3), 0x3264C8u) << "want the PNG's colour";
}

TEST(IcoDecoder, RejectsBadDirectories)
{
    struct Case {
        const char* name;
        Bytes file;
        const char* error;
    };
    Bytes farOffset = MakeIcon({{2, 2, 4, FourBitEntry(0, 0)}});
    farOffset[18 + 3] = 0x7F; // the only entry starts far past the end
    Bytes manyEntries = {0, 0, 1, 0, 0xFF, 0xFF, 1, 2, 3};
    const std::vector<Case> cases = {
        {"empty", {}, "Not an ICO"},
        {"bitmap file", {'B', 'M', 0, 0, 0, 0, 0, 0}, "Not an ICO"},
        {"type 3", {0, 0, 3, 0, 1, 0}, "Not an ICO"},
        {"no entries", {0, 0, 1, 0, 0, 0}, "Not an ICO"},
        {"directory cut short", manyEntries, "Truncated ICO"},
        {"entry past the end", farOffset, "Truncated ICO"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = DecodeBytes(c.file);
        EXPECT_FALSE(r.ok) << "have success, want \"" << c.error << "\"";
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(IcoDecoder, EveryPrefixFailsCleanlyOrDecodes)
{
    const std::vector<Bytes> files = {
        MakeIcon({{2, 2, 4, FourBitEntry(0x80, 0x40)}}),
        MakeIcon({{2, 2, 32, TrueColourEntry(2, 1, 2, 3, 100)}}),
        MakeIcon({{4, 4, 24, MakeSolidPng(4, 1, 2, 3)}}),
    };
    for (const Bytes& full : files) {
        for (std::size_t len = 0; len < full.size(); ++len) {
            const Result r =
                DecodeBytes(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
            if (!r.ok) {
                EXPECT_FALSE(r.error.empty()) << "prefix of " << len << " bytes";
                continue;
            }
            EXPECT_TRUE(r.image.pixels.IsValid()) << "prefix of " << len << " bytes";
        }
    }
}

} // namespace
