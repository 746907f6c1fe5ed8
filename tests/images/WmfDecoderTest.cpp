#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "MetafileBuilder.h"
#include "images/DecoderKit.h"
#include "images/DibReader.h"
#include "images/WmfDecoder.h"

using namespace testmf;

namespace {

kit::Decoded Decode(const Bytes& file)
{
    return kit::Decode(kImageWmf, file);
}

constexpr std::uint32_t kBlack = Rgb(0, 0, 0);
constexpr std::uint32_t kRed = Rgb(255, 0, 0);
constexpr std::uint32_t kGreen = Rgb(0, 255, 0);
constexpr std::uint32_t kBlue = Rgb(0, 0, 255);
constexpr std::uint32_t kYellow = Rgb(255, 255, 0);

// Pen styles and brush styles as the files write them.
constexpr int kNullPen = 5;

// The picture cases (shapes, mapping, objects, embedded pictures, malformed and
// hostile records) are files in tests/images/cases/wmf.

TEST(WmfDecoder, HatchedBrushShowsBackground)
{
    // Horizontal hatch lines every 8 rows in black on the background colour.
    Wmf w;
    w.Rec(0x0201, {int(kYellow & 0xFFFF), int(kYellow >> 16)}); // background colour
    w.Brush(2, kBlack, 0).Select(0).Pen(kNullPen, 0, 0).Select(1).Rectangle(0, 0, 33, 33);
    const kit::Decoded r = Decode(w.Placeable(0, 0, 40, 40, 96));
    ASSERT_TRUE(r.ok) << r.error;
    int black = 0, yellow = 0;
    for (int y = 0; y < 32; ++y) {
        black += r.At(10, y) == kBlack;
        yellow += r.At(10, y) == kYellow;
    }
    EXPECT_EQ(black, 4) << "hatch rows in a column of 32";
    EXPECT_EQ(yellow, 28) << "background rows in a column of 32";
}

TEST(WmfDecoder, ManyHugeShapesCostBoundedTime)
{
    // 20000 hatched rectangles over a 4096 x 4096 picture would be 3 * 10^11 pixel
    // writes; the work budget stops drawing long before.
    Wmf w;
    w.Brush(2, kBlack, 5).Select(0);
    for (int i = 0; i < 20000; ++i)
        w.Rectangle(0, 0, 4096, 4096);
    // Without the budget this would run for hours; the test's time limit catches that.
    const kit::Decoded r = Decode(w.Placeable(0, 0, 4096, 4096, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 4096);
}

TEST(WmfDecoder, ManyRunLengthPicturesCostBoundedTime)
{
    // Each picture is 1024 x 1024 pixels from a few bytes of run-length data; reading
    // 20000 of them would be 2 * 10^10 pixels, but reading is charged to the budget.
    Bytes rle = DibHeader(40, 1024, 1024, 8, 1);
    Append(rle, Bytes{0, 1}); // end of picture
    Wmf w;
    for (int i = 0; i < 20000; ++i)
        w.StretchDib(0, 0, 8, 8, 0, 0, 1024, 1024, rle);
    const kit::Decoded r = Decode(w.Placeable(0, 0, 8, 8, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 8);
}

// ---- embedded pictures --------------------------------------------------------------

TEST(DibReader, ReadsEveryDepthAndCoding)
{
    struct Case {
        const char* name;
        Bytes dib;
        // Colours (0x00BBGGRR) of the pixels of the top row, left to right.
        std::vector<std::uint32_t> wantTop;
    };
    std::vector<Case> cases;
    {
        Bytes b = DibHeader(40, 3, 1, 1, 0, 2);
        Put32(b, 0x000000);
        Put32(b, 0x0000FF); // bytes FF 00 00 00: blue, green, red, unused
        Append(b, Bytes{0xA0, 0, 0, 0});
        cases.push_back({"1 bit", b, {kBlue, kBlack, kBlue}});
    }
    {
        Bytes b = DibHeader(40, 2, 1, 4, 0, 3);
        for (const std::uint32_t c : {0u, 0x00FF00u, 0xFF0000u})
            Put32(b, c);
        Append(b, Bytes{0x21, 0, 0, 0});
        cases.push_back({"4 bits", b, {Rgb(255, 0, 0), Rgb(0, 255, 0)}});
    }
    {
        // Run-length 8 bits, 4 x 2: the bottom row a run of 4 of index 1 (blue), end of
        // row, then the top row one pixel of index 2 (green) and 3 literal pixels
        // (1, 2, 1) padded to a whole word, end of picture.
        Bytes b = DibHeader(40, 4, 2, 8, 1, 3);
        for (const std::uint32_t c : {0u, 0x0000FFu, 0x00FF00u})
            Put32(b, c);
        Append(b, Bytes{4, 1, 0, 0, 1, 2, 0, 3, 1, 2, 1, 0, 0, 1});
        cases.push_back({"run-length 8 bits", b, {kGreen, kBlue, kGreen, kBlue}});
    }
    {
        // 16 bits 5-5-5: pure red and pure blue.
        Bytes b = DibHeader(40, 2, 1, 16, 0);
        Put16(b, 0x7C00);
        Put16(b, 0x001F);
        cases.push_back({"16 bits", b, {kRed, kBlue}});
    }
    {
        // 32 bits with masks: red in the low byte.
        Bytes b = DibHeader(40, 1, 1, 32, 3);
        Put32(b, 0x000000FF);
        Put32(b, 0x0000FF00);
        Put32(b, 0x00FF0000);
        Put32(b, 0x000000FF);
        cases.push_back({"32 bits with masks", b, {kRed}});
    }
    {
        // Top-down rows: the first stored row is the top one.
        Bytes b = DibHeader(40, 1, -2, 24, 0);
        Append(b, Bytes{0, 0, 255, 0, 255, 0, 0, 0});
        cases.push_back({"top-down", b, {kRed}});
    }
    for (const Case& c : cases) {
        PixelBlock p;
        ASSERT_TRUE(CDibReader::ReadPacked(c.dib.data(), c.dib.size(), 0, p)) << c.name;
        for (std::size_t x = 0; x < c.wantTop.size(); ++x) {
            const std::uint32_t have = p.GetColour(static_cast<std::int32_t>(x), p.Height() - 1);
            EXPECT_EQ(have, c.wantTop[x]) << c.name << " pixel " << x << ": have " << std::hex << have;
        }
    }
}

TEST(DibReader, RefusesWhatItCannotTrust)
{
    struct Case {
        const char* name;
        Bytes dib;
    };
    Bytes rowsMissing = DibHeader(40, 4, 4, 24, 0);
    Append(rowsMissing, Bytes(47, 0)); // one byte short of 4 rows of 12
    Bytes tooManyColours = DibHeader(40, 1, 1, 1, 0, 3);
    Append(tooManyColours, Bytes(16, 0));
    Bytes oddDepth = DibHeader(40, 1, 1, 7, 0);
    Append(oddDepth, Bytes(4, 0));
    Bytes zeroWidth = DibHeader(40, 0, 1, 24, 0);
    Bytes hugeSide = DibHeader(40, 40000, 1, 1, 0);
    Append(hugeSide, Bytes(5004, 0));
    Bytes topDownRle = DibHeader(40, 1, -1, 8, 1);
    Append(topDownRle, Bytes(1024 + 4, 0));
    Bytes jpeg = DibHeader(40, 1, 1, 24, 4);
    Append(jpeg, Bytes(4, 0));
    const Case cases[] = {
        {"empty", {}},
        {"rows missing", rowsMissing},
        {"more colours than the depth has", tooManyColours},
        {"unknown depth", oddDepth},
        {"zero width", zeroWidth},
        {"side above the limit", hugeSide},
        {"top-down run-length", topDownRle},
        {"compressed picture", jpeg},
    };
    for (const Case& c : cases) {
        PixelBlock p;
        EXPECT_FALSE(CDibReader::ReadPacked(c.dib.data(), c.dib.size(), 0, p)) << c.name;
        EXPECT_FALSE(p.IsValid()) << c.name;
    }
}

} // namespace
