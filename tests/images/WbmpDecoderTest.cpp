#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "images/WbmpDecoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Result {
    bool ok = false;
    std::string error;
    DecodedImage image;
};

Result DecodeBytes(const Bytes& file)
{
    Result r;
    CMemoryStream in(file.data(), file.size());
    r.ok = CWbmpDecoder::Decode(in, r.image, r.error);
    return r;
}

// The picture as rows of '#' (black) and '.' (white), top row first.
std::string Art(const PixelBlock& p)
{
    std::string s;
    for (std::int32_t y = p.Height() - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < p.Width(); ++x) {
            const std::uint32_t c = p.GetColour(x, y);
            s += c == 0 ? '#' : c == 0xFFFFFF ? '.' : '?';
        }
        s += '\n';
    }
    return s;
}

TEST(WbmpDecoder, DecodesRowsFromTheTopWithOneAsWhite)
{
    const Bytes file = {0x00, 0x00, 0x05, 0x03, 0b00100000, 0b11111000, 0b00100111};
    const Result r = DecodeBytes(file);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Bpp(), 1);
    EXPECT_EQ(Art(r.image.pixels), "##.##\n.....\n##.##\n");
}

TEST(WbmpDecoder, ReadsMultiByteSidesAndIgnoresTrailingBytes)
{
    // Width 0x81 0x02 = 130, height 2; rows of 17 bytes; three bytes more at the end.
    Bytes file = {0x00, 0x00, 0x81, 0x02, 0x02};
    for (int i = 0; i < 34; ++i)
        file.push_back(i < 17 ? 0xFF : 0x00);
    file.insert(file.end(), {1, 2, 3});
    const Result r = DecodeBytes(file);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 130);
    EXPECT_EQ(r.image.pixels.Height(), 2);
    EXPECT_EQ(r.image.pixels.GetColour(129, 1), 0xFFFFFFu) << "top row, last pixel";
    EXPECT_EQ(r.image.pixels.GetColour(0, 0), 0u) << "bottom row, first pixel";
}

TEST(WbmpDecoder, RejectsBadHeaders)
{
    struct Case {
        const char* name;
        Bytes file;
        const char* error;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "Not a WBMP"},
        {"type 1", {0x01, 0x00, 0x01, 0x01, 0x00}, "Not a WBMP"},
        {"multi-byte type that is not 0", {0x81, 0x00, 0x00, 0x01, 0x01, 0x00}, "Not a WBMP"},
        {"extension headers", {0x00, 0x80, 0x00, 0x01, 0x01, 0x00}, "Not a WBMP"},
        {"zero width", {0x00, 0x00, 0x00, 0x01, 0x00}, "Not a WBMP"},
        {"zero height", {0x00, 0x00, 0x01, 0x00, 0x00}, "Not a WBMP"},
        {"width of six bytes", {0x00, 0x00, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01, 0x01, 0x00}, "Not a WBMP"},
        {"width 2^35 - 1", {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x00}, "Image too large"},
        {"height 32769", {0x00, 0x00, 0x01, 0x82, 0x80, 0x01, 0x00}, "Image too large"},
        {"large, no rows", {0x00, 0x00, 0x81, 0x80, 0x00, 0x81, 0x80, 0x00}, "Truncated WBMP"},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "Not a WBMP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = DecodeBytes(c.file);
        EXPECT_FALSE(r.ok) << "have success, want \"" << c.error << "\"";
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(WbmpDecoder, EveryPrefixFails)
{
    const Bytes file = {0x00, 0x00, 0x0A, 0x03, 0xFF, 0xC0, 0x12, 0x40, 0x00, 0x00};
    ASSERT_TRUE(DecodeBytes(file).ok);
    for (std::size_t len = 0; len < file.size(); ++len) {
        const Result r = DecodeBytes(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(len)));
        EXPECT_FALSE(r.ok) << "prefix of " << len << " bytes decoded";
        EXPECT_FALSE(r.error.empty()) << "prefix of " << len << " bytes";
    }
}

} // namespace
