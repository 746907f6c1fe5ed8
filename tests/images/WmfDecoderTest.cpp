#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "MetafileBuilder.h"
#include "images/DibReader.h"
#include "images/WmfDecoder.h"

using namespace testmf;

namespace {

struct Result {
    bool ok = false;
    std::string error;
    DecodedImage image;

    // Colour (0x00BBGGRR) of a pixel counted from the top-left corner.
    std::uint32_t At(int x, int y) const { return image.pixels.GetColour(x, image.pixels.Height() - 1 - y); }
};

Result Decode(const Bytes& file)
{
    Result r;
    CMemoryStream in(file.data(), file.size());
    r.ok = CWmfDecoder::Decode(in, r.image, r.error);
    return r;
}

constexpr std::uint32_t kWhite = Rgb(255, 255, 255);
constexpr std::uint32_t kBlack = Rgb(0, 0, 0);
constexpr std::uint32_t kRed = Rgb(255, 0, 0);
constexpr std::uint32_t kGreen = Rgb(0, 255, 0);
constexpr std::uint32_t kBlue = Rgb(0, 0, 255);
constexpr std::uint32_t kYellow = Rgb(255, 255, 0);

struct PixelWant {
    int x, y;
    std::uint32_t colour;
};

void ExpectPixels(const Result& r, const std::vector<PixelWant>& wants)
{
    ASSERT_TRUE(r.ok) << r.error;
    for (const PixelWant& w : wants) {
        EXPECT_EQ(r.At(w.x, w.y), w.colour) << "pixel (" << w.x << ", " << w.y << "): have " << std::hex
                                            << r.At(w.x, w.y) << ", want " << w.colour;
    }
}

// Pen styles and brush styles as the files write them.
constexpr int kSolid = 0;
constexpr int kNullPen = 5;
constexpr int kNullBrush = 1;
constexpr std::uint32_t kStockNullPen = 0x80000008;
constexpr std::uint32_t kStockBlackBrush = 0x80000004;

// ---- the 16-bit format -------------------------------------------------------------

TEST(WmfDecoder, PlaceableSizeComesFromBoundingBoxAt96Dpi)
{
    struct Case {
        const char* name;
        int l, t, r, b, unitsPerInch;
        int wantW, wantH;
    };
    const Case cases[] = {
        {"pixels", 0, 0, 100, 50, 96, 100, 50},
        {"twips", 0, 0, 2880, 1440, 1440, 192, 96},
        {"offset box", -500, 1000, 500, 1500, 1000, 96, 48},
        {"reversed box", 100, 50, 0, 0, 96, 100, 50},
        {"huge, scaled to the longest side", 0, 0, 32000, 16000, 1, 4096, 2048},
        {"thin line kept one pixel", 0, 0, 1000, 1, 96, 1000, 1},
    };
    for (const Case& c : cases) {
        const Result r = Decode(Wmf().Placeable(c.l, c.t, c.r, c.b, c.unitsPerInch));
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        EXPECT_EQ(r.image.pixels.Width(), c.wantW) << c.name;
        EXPECT_EQ(r.image.pixels.Height(), c.wantH) << c.name;
        EXPECT_EQ(r.image.pixels.Bpp(), 24) << c.name;
        EXPECT_EQ(r.image.xDpi, 96) << c.name;
        EXPECT_EQ(r.At(0, 0), kWhite) << c.name << ": an empty picture is white";
    }
}

TEST(WmfDecoder, FilledRectangleHasOutlineAndInside)
{
    Wmf w;
    w.Brush(kSolid, kRed).Select(0).Pen(kSolid, 0, kBlue).Select(1).Rectangle(10, 10, 30, 20);
    ExpectPixels(Decode(w.Placeable(0, 0, 100, 50, 96)), {
                                                             {10, 10, kBlue},
                                                             {29, 19, kBlue},
                                                             {10, 15, kBlue},
                                                             {20, 19, kBlue},
                                                             {11, 11, kRed},
                                                             {28, 18, kRed},
                                                             {30, 10, kWhite},
                                                             {20, 20, kWhite},
                                                             {9, 10, kWhite},
                                                         });
}

TEST(WmfDecoder, LineLeavesItsEndPixel)
{
    Wmf w;
    w.MoveTo(5, 5).LineTo(20, 5).MoveTo(5, 10).LineTo(15, 20);
    ExpectPixels(Decode(w.Placeable(0, 0, 40, 30, 96)), {
                                                            {5, 5, kBlack},
                                                            {19, 5, kBlack},
                                                            {20, 5, kWhite},
                                                            {4, 5, kWhite},
                                                            {5, 10, kBlack},
                                                            {10, 15, kBlack},
                                                            {14, 19, kBlack},
                                                            {15, 20, kWhite},
                                                        });
}

TEST(WmfDecoder, EllipseTouchesItsRectangle)
{
    Wmf w;
    w.Brush(kSolid, kGreen).Select(0).Ellipse(0, 0, 40, 40);
    ExpectPixels(Decode(w.Placeable(0, 0, 50, 50, 96)), {
                                                            {20, 20, kGreen},
                                                            {20, 0, kBlack},
                                                            {0, 20, kBlack},
                                                            {39, 20, kBlack},
                                                            {20, 39, kBlack},
                                                            {2, 2, kWhite},
                                                            {37, 37, kWhite},
                                                            {40, 20, kWhite},
                                                        });
}

TEST(WmfDecoder, NullPenShapesLoseTheOutlinePixels)
{
    Wmf w;
    w.Brush(kSolid, kRed).Select(0).Pen(kNullPen, 0, 0).Select(1).Rectangle(0, 0, 10, 10);
    ExpectPixels(Decode(w.Placeable(0, 0, 20, 20, 96)), {
                                                            {0, 0, kRed},
                                                            {8, 8, kRed},
                                                            {9, 8, kWhite},
                                                            {8, 9, kWhite},
                                                        });
}

TEST(WmfDecoder, WindowIsStretchedOverThePicture)
{
    // The window (100, 100)-(300, 200) fills the 100 x 50 picture: half a pixel a unit.
    Wmf w;
    w.WindowOrg(100, 100).WindowExt(200, 100);
    w.Brush(kSolid, kBlue).Select(0).Pen(kNullPen, 0, 0).Select(1).Rectangle(200, 150, 302, 202);
    ExpectPixels(Decode(w.Placeable(0, 0, 100, 50, 96)), {
                                                             {50, 25, kBlue},
                                                             {99, 49, kBlue},
                                                             {49, 25, kWhite},
                                                             {50, 24, kWhite},
                                                         });
}

TEST(WmfDecoder, FlippedWindowTurnsThePictureUpsideDown)
{
    Wmf w;
    w.WindowOrg(0, 100).WindowExt(100, -100);
    w.Brush(kSolid, kRed).Select(0).Pen(kNullPen, 0, 0).Select(1).Rectangle(0, 0, 101, 21);
    // Logical y 0..20 is the bottom fifth of the picture.
    ExpectPixels(Decode(w.Placeable(0, 0, 100, 100, 96)),
                 {{50, 90, kRed}, {50, 10, kWhite}, {50, 70, kWhite}});
}

TEST(WmfDecoder, PolygonFillRules)
{
    // An outer and an inner square turning the same way: the alternate rule leaves a
    // hole, the winding rule does not.
    auto file = [](int mode) {
        Wmf w;
        w.Rec(0x0106, {mode}).Brush(kSolid, kBlack).Select(0).Pen(kNullPen, 0, 0).Select(1);
        Bytes p;
        Put16(p, 2);
        Put16(p, 4);
        Put16(p, 4);
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{
                 {0, 0}, {40, 0}, {40, 40}, {0, 40}, {10, 10}, {30, 10}, {30, 30}, {10, 30}}) {
            Put16(p, static_cast<std::uint32_t>(x));
            Put16(p, static_cast<std::uint32_t>(y));
        }
        w.Raw(0x0538, p);
        return w.Placeable(0, 0, 50, 50, 96);
    };
    ExpectPixels(Decode(file(1)), {{5, 5, kBlack}, {20, 20, kWhite}, {39, 39, kBlack}, {40, 20, kWhite}});
    ExpectPixels(Decode(file(2)), {{5, 5, kBlack}, {20, 20, kBlack}});
}

TEST(WmfDecoder, PolygonAndPolyline)
{
    Wmf w;
    w.Brush(kSolid, kGreen).Select(0).Pen(kSolid, 0, kRed).Select(1);
    w.Points(0x0324, {{0, 0}, {20, 0}, {0, 20}});   // a right triangle
    w.Points(0x0325, {{30, 5}, {45, 5}, {45, 20}}); // an open corner
    ExpectPixels(Decode(w.Placeable(0, 0, 50, 30, 96)), {
                                                            {0, 0, kRed},
                                                            {5, 5, kGreen},
                                                            {15, 15, kWhite},
                                                            {30, 5, kRed},
                                                            {45, 10, kRed},
                                                            {45, 20, kWhite},
                                                            {40, 10, kWhite},
                                                        });
}

TEST(WmfDecoder, WidePenCoversItsWidth)
{
    // A pen 6 units wide at one pixel a unit: rows 2..7 around the line at y = 5.
    Wmf w;
    w.Pen(kSolid, 6, kBlue).Select(0).MoveTo(10, 5).LineTo(40, 5);
    ExpectPixels(Decode(w.Placeable(0, 0, 50, 20, 96)), {
                                                            {20, 5, kBlue},
                                                            {20, 3, kBlue},
                                                            {20, 7, kBlue},
                                                            {20, 0, kWhite},
                                                            {20, 10, kWhite},
                                                        });
}

TEST(WmfDecoder, EmbeddedPictureIsStretched)
{
    const Bytes dib = Dib24({{kRed, kGreen}, {kBlue, kYellow}});
    Wmf w;
    w.StretchDib(10, 10, 20, 20, 0, 0, 2, 2, dib);
    // The source rectangle of a bottom-up picture starts at its bottom-left corner:
    // (1, 0, 1, 1) is the bottom-right pixel.
    w.StretchDib(40, 0, 10, 10, 1, 0, 1, 1, dib);
    ExpectPixels(Decode(w.Placeable(0, 0, 60, 40, 96)), {
                                                            {10, 10, kRed},
                                                            {19, 19, kRed},
                                                            {20, 10, kGreen},
                                                            {29, 19, kGreen},
                                                            {10, 20, kBlue},
                                                            {29, 29, kYellow},
                                                            {30, 30, kWhite},
                                                            {9, 9, kWhite},
                                                            {40, 0, kYellow},
                                                            {49, 9, kYellow},
                                                            {50, 5, kWhite},
                                                        });
}

TEST(WmfDecoder, MirroredDestinationMirrorsThePicture)
{
    const Bytes dib = Dib24({{kRed, kGreen}});
    Wmf w;
    w.StretchDib(20, 0, -20, 10, 0, 0, 2, 1, dib);
    ExpectPixels(Decode(w.Placeable(0, 0, 30, 10, 96)), {{2, 5, kGreen}, {17, 5, kRed}, {25, 5, kWhite}});
}

TEST(WmfDecoder, SavedStateComesBack)
{
    Wmf w;
    w.Brush(kSolid, kRed).Brush(kSolid, kBlue).Pen(kNullPen, 0, 0).Select(2).Select(0);
    w.Rec(0x001E, {}).Select(1).Rec(0x0127, {-1}).Rectangle(0, 0, 10, 10);
    // Restoring more levels than were saved changes nothing.
    w.Rec(0x0127, {-20}).Rectangle(10, 0, 20, 10);
    ExpectPixels(Decode(w.Placeable(0, 0, 20, 10, 96)), {{5, 5, kRed}, {15, 5, kRed}});
}

TEST(WmfDecoder, ObjectsTakeTheLowestFreeSlot)
{
    Wmf w;
    w.Pen(kNullPen, 0, 0).Brush(kSolid, kRed).Brush(kSolid, kGreen); // slots 0, 1, 2
    w.Delete(1).Brush(kSolid, kBlue);                                // takes slot 1
    w.Select(0).Select(1).Rectangle(0, 0, 10, 10).Select(2).Rectangle(10, 0, 20, 10);
    ExpectPixels(Decode(w.Placeable(0, 0, 20, 10, 96)), {{5, 5, kBlue}, {15, 5, kGreen}});
}

TEST(WmfDecoder, FullObjectTableDropsNewObjects)
{
    Wmf w;
    w.Brush(kSolid, kRed).Brush(kSolid, kGreen); // the second has no slot
    w.Select(1).Rectangle(0, 0, 10, 10).Select(0).Rectangle(10, 0, 20, 10);
    ExpectPixels(Decode(w.Placeable(0, 0, 20, 10, 96, 1)), {{5, 5, kWhite}, {15, 5, kRed}});
}

TEST(WmfDecoder, HatchedBrushShowsBackground)
{
    // Horizontal hatch lines every 8 rows in black on the background colour.
    Wmf w;
    w.Rec(0x0201, {int(kYellow & 0xFFFF), int(kYellow >> 16)}); // background colour
    w.Brush(2, kBlack, 0).Select(0).Pen(kNullPen, 0, 0).Select(1).Rectangle(0, 0, 33, 33);
    const Result r = Decode(w.Placeable(0, 0, 40, 40, 96));
    ASSERT_TRUE(r.ok) << r.error;
    int black = 0, yellow = 0;
    for (int y = 0; y < 32; ++y) {
        black += r.At(10, y) == kBlack;
        yellow += r.At(10, y) == kYellow;
    }
    EXPECT_EQ(black, 4) << "hatch rows in a column of 32";
    EXPECT_EQ(yellow, 28) << "background rows in a column of 32";
}

TEST(WmfDecoder, OpaqueTextBoxPaintsItsBackground)
{
    Bytes p;
    for (const int v : {5, 5, 0, 2, 10, 10, 20, 20}) // y, x, length, opaque, box
        Put16(p, static_cast<std::uint32_t>(v));
    Wmf w;
    w.Rec(0x0201, {int(kGreen & 0xFFFF), int(kGreen >> 16)}).Raw(0x0A32, p);
    ExpectPixels(Decode(w.Placeable(0, 0, 30, 30, 96)),
                 {{10, 10, kGreen}, {19, 19, kGreen}, {25, 25, kWhite}});
}

TEST(WmfDecoder, PlainFileTakesItsSizeFromTheWindow)
{
    Wmf w;
    w.Rec(0x0103, {8})
        .WindowOrg(-10, -10)
        .WindowExt(64, 32)
        .Brush(kSolid, kRed)
        .Select(0)
        .Rectangle(-10, -10, 0, 0);
    const Result r = Decode(w.Plain());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 64);
    EXPECT_EQ(r.image.pixels.Height(), 32);
    EXPECT_EQ(r.At(5, 5), kRed);
    EXPECT_EQ(r.At(20, 5), kWhite);

    Wmf unsized;
    unsized.Rectangle(0, 0, 10, 10);
    const Result bad = Decode(unsized.Plain());
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, "corrupted WMF");
}

TEST(WmfDecoder, DecodesFromTheStreamsPosition)
{
    Bytes file = {'j', 'u', 'n', 'k'};
    Wmf w;
    w.Brush(kSolid, kRed).Select(0).Rectangle(0, 0, 10, 10);
    Append(file, w.Placeable(0, 0, 10, 10, 96));
    CMemoryStream in(file.data(), file.size());
    ASSERT_TRUE(in.Seek(4));
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(CWmfDecoder::Decode(in, image, error)) << error;
    EXPECT_EQ(image.pixels.GetColour(5, 5), kRed);
}

TEST(WmfDecoder, MalformedFilesFailWithTheirText)
{
    struct Case {
        const char* name;
        Bytes file;
        const char* want;
    };
    const Wmf empty;
    Wmf zeroSize;
    zeroSize.Head(0, 0x041B);
    Wmf pastEnd;
    pastEnd.Head(1000, 0x041B);
    Wmf shortHead;
    shortHead.Head(2, 0x041B);
    Bytes noEnd = empty.Plain(16, false);
    Bytes badVersion = Wmf().WindowExt(10, 10).Plain();
    badVersion[4] = 0x07;
    const Case cases[] = {
        {"empty file", {}, "Not a WMF"},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'}, "Not a WMF"},
        {"bitmap signature", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "Not a WMF"},
        {"unknown version", badVersion, "Not a WMF"},
        {"record of size 0", zeroSize.Placeable(0, 0, 10, 10, 96), "corrupted WMF"},
        {"record past the end", pastEnd.Placeable(0, 0, 10, 10, 96), "corrupted WMF"},
        {"record shorter than its head", shortHead.Placeable(0, 0, 10, 10, 96), "corrupted WMF"},
        {"no end record", noEnd, "corrupted WMF"},
        {"zero units per inch", empty.Placeable(0, 0, 10, 10, 0), "corrupted WMF"},
        {"empty bounding box", empty.Placeable(5, 5, 5, 20, 96), "corrupted WMF"},
        {"placeable key only", {0xD7, 0xCD, 0xC6, 0x9A}, "corrupted WMF"},
    };
    for (const Case& c : cases) {
        const Result r = Decode(c.file);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.error, c.want) << c.name;
    }
}

TEST(WmfDecoder, HostileRecordsAreSkippedNotTrusted)
{
    // Each file is sound in its structure but lies inside a record; it decodes, and
    // the honest rectangle drawn after the lie is there.
    struct Case {
        const char* name;
        Wmf records;
    };
    std::vector<Case> cases;
    cases.push_back({"polygon claiming 65535 points", Wmf().Rec(0x0324, {0xFFFF, 0, 0, 10, 10})});
    cases.push_back({"polypolygon claiming 65535 polygons", Wmf().Rec(0x0538, {0xFFFF, 3, 3})});
    cases.push_back({"polypolygon counts beyond the points", Wmf().Rec(0x0538, {2, 0xFFFF, 0xFFFF, 1, 1})});
    cases.push_back({"select of a slot never created", Wmf().Select(0xFFFE)});
    cases.push_back({"delete of a slot never created", Wmf().Delete(40000)});
    cases.push_back({"restore far beyond the saves", Wmf().Rec(0x0127, {-32768}).Rec(0x0127, {32767})});
    cases.push_back({"rectangle missing its parameters", Wmf().Rec(0x041B, {1})});
    cases.push_back({"zero window extent", Wmf().WindowExt(0, 0)});
    cases.push_back({"scale by zero", Wmf().Rec(0x0410, {0, 1, 0, 1})});
    Bytes hugeDib;
    Put32(hugeDib, 40);
    Put32(hugeDib, 30000);
    Put32(hugeDib, 30000);
    Put16(hugeDib, 1);
    Put16(hugeDib, 24);
    for (int i = 0; i < 6; ++i)
        Put32(hugeDib, 0);
    cases.push_back(
        {"picture far larger than its data", Wmf().StretchDib(0, 0, 10, 10, 0, 0, 30000, 30000, hugeDib)});
    Bytes rle = hugeDib;
    rle[14] = 8; // 8 bits
    rle[16] = 1; // run-length
    Append(rle, Bytes{0, 1});
    cases.push_back(
        {"run-length picture far larger than its data", Wmf().StretchDib(0, 0, 10, 10, 0, 0, 5, 5, rle)});
    Bytes badHeader = hugeDib;
    badHeader[0] = 200;
    cases.push_back(
        {"picture header longer than its record", Wmf().StretchDib(0, 0, 10, 10, 0, 0, 1, 1, badHeader)});

    for (Case& c : cases) {
        c.records.Brush(kSolid, kRed).Pen(kNullPen, 0, 0);
        c.records.Rec(0x012D, {0}).Rec(0x012D, {1});
        c.records.Rectangle(20, 20, 31, 31);
        const Result r = Decode(c.records.Placeable(0, 0, 40, 40, 96, 0xFFFF));
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        // The object slots may have been used by the hostile record's objects; the
        // rectangle is then filled with another brush, but it is always drawn.
        EXPECT_NE(r.At(25, 25), kWhite) << c.name;
        EXPECT_EQ(r.At(35, 35), kWhite) << c.name;
    }
}

TEST(WmfDecoder, ExtremeCoordinatesStayInsideThePicture)
{
    // One unit a pixel's 1/64: every coordinate lands far outside the picture.
    Wmf w;
    w.Rec(0x0103, {8}).WindowOrg(0, 0).WindowExt(1, 1);
    w.Brush(kSolid, kGreen).Select(0).Pen(kSolid, 300, kBlue).Select(1);
    w.Rectangle(-32768, -32768, 32767, 32767).Ellipse(-32768, -32768, 32767, 32767);
    w.Points(0x0324, {{-32768, -32768}, {32767, -32768}, {0, 32767}});
    w.MoveTo(-32768, 0).LineTo(32767, 100);
    const Result r = Decode(w.Placeable(0, 0, 64, 64, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 64);
    EXPECT_NE(r.At(32, 32), kWhite);
}

TEST(WmfDecoder, EveryPrefixFailsCleanly)
{
    Wmf w;
    w.WindowOrg(0, 0).WindowExt(40, 40).Brush(kSolid, kRed).Select(0).Pen(kSolid, 2, kBlue).Select(1);
    w.Rectangle(1, 1, 20, 20).Ellipse(5, 5, 30, 30).MoveTo(0, 0).LineTo(39, 39);
    w.Points(0x0324, {{0, 0}, {10, 0}, {0, 10}});
    w.StretchDib(0, 0, 8, 8, 0, 0, 2, 2, Dib24({{kRed, kGreen}, {kBlue, kYellow}}));
    for (const Bytes& file : {w.Placeable(0, 0, 40, 40, 96), w.Plain()}) {
        ASSERT_TRUE(Decode(file).ok);
        for (std::size_t n = 0; n < file.size(); ++n) {
            const Result r = Decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
            EXPECT_FALSE(r.ok) << "prefix of " << n << " bytes";
            EXPECT_TRUE(r.error == "Not a WMF" || r.error == "corrupted WMF")
                << "prefix of " << n << " bytes: have \"" << r.error << "\"";
        }
    }
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
    const Result r = Decode(w.Placeable(0, 0, 4096, 4096, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 4096);
}

TEST(WmfDecoder, ManyRunLengthPicturesCostBoundedTime)
{
    // Each picture is 1024 x 1024 pixels from a few bytes of run-length data; reading
    // 20000 of them would be 2 * 10^10 pixels, but reading is charged to the budget.
    Bytes rle;
    Put32(rle, 40);
    Put32(rle, 1024);
    Put32(rle, 1024);
    Put16(rle, 1);
    Put16(rle, 8);
    Put32(rle, 1);
    for (int i = 0; i < 5; ++i)
        Put32(rle, 0);
    Append(rle, Bytes{0, 1}); // end of picture
    Wmf w;
    for (int i = 0; i < 20000; ++i)
        w.StretchDib(0, 0, 8, 8, 0, 0, 1024, 1024, rle);
    const Result r = Decode(w.Placeable(0, 0, 8, 8, 96));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.image.pixels.Width(), 8);
}

// ---- the enhanced format -----------------------------------------------------------

TEST(EmfDecoder, SizeComesFromBoundsOrFrame)
{
    struct Case {
        const char* name;
        Bytes file;
        int wantW, wantH;
    };
    const Emf e;
    const Case cases[] = {
        {"inclusive bounds", e.File(0, 0, 99, 49), 100, 50},
        {"offset bounds", e.File(-20, 30, 19, 39), 40, 10},
        {"huge bounds scaled down", e.File(0, 0, 8191, 4095), 4096, 2048},
        // 96 dpi reference device: 2540 hundredths of a millimetre are 96 pixels.
        {"empty bounds, frame used", e.File(0, 0, -1, -1, 16, true, {0, 0, 2540, 1270}), 96, 48},
    };
    for (const Case& c : cases) {
        const Result r = Decode(c.file);
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        EXPECT_EQ(r.image.pixels.Width(), c.wantW) << c.name;
        EXPECT_EQ(r.image.pixels.Height(), c.wantH) << c.name;
    }
}

TEST(EmfDecoder, FilledRectangleLineAndEllipse)
{
    Emf e;
    e.Brush(1, kSolid, kRed).Select(1).Select(kStockNullPen).Rectangle(10, 10, 30, 20);
    e.Select(0x80000007).MoveTo(5, 30).LineTo(40, 30);
    e.Select(kStockBlackBrush).Ellipse(50, 0, 90, 40);
    ExpectPixels(Decode(e.File(0, 0, 99, 49)), {
                                                   {10, 10, kRed},
                                                   {28, 18, kRed},
                                                   {29, 18, kWhite},
                                                   {5, 30, kBlack},
                                                   {39, 30, kBlack},
                                                   {40, 30, kWhite},
                                                   {70, 20, kBlack},
                                                   {51, 1, kWhite},
                                               });
}

TEST(EmfDecoder, BoundsOriginIsThePicturesCorner)
{
    Emf e;
    e.Brush(1, kSolid, kBlue).Select(1).Select(kStockNullPen).Rectangle(100, 200, 111, 211);
    ExpectPixels(Decode(e.File(100, 200, 139, 239)), {{0, 0, kBlue}, {9, 9, kBlue}, {10, 10, kWhite}});
}

TEST(EmfDecoder, MappingModesAndWorldTransform)
{
    struct Case {
        const char* name;
        Emf records;
        std::vector<PixelWant> wants;
    };
    std::vector<Case> cases;
    {
        Emf e;
        e.Rec32(17, {8}).Rec32(9, {200, 100}).Rec32(11, {100, 50}); // half a pixel a unit
        e.Rectangle(100, 40, 202, 102);
        cases.push_back(
            {"anisotropic", e, {{50, 20, kBlue}, {99, 49, kBlue}, {49, 20, kWhite}, {50, 19, kWhite}}});
    }
    {
        Emf e;
        e.Rec32(17, {7}).Rec32(9, {100, 100}).Rec32(11, {100, 50}); // the smaller scale, 0.5
        e.Rectangle(0, 0, 100, 100);
        cases.push_back({"isotropic", e, {{10, 10, kBlue}, {48, 48, kBlue}, {60, 10, kWhite}}});
    }
    {
        Emf e;
        e.Transform(35, 2, 0, 0, 2, 10, 5).Rectangle(0, 0, 10, 10);
        cases.push_back(
            {"world scale and move", e, {{10, 5, kBlue}, {28, 23, kBlue}, {9, 5, kWhite}, {30, 25, kWhite}}});
    }
    {
        Emf e;
        e.Transform(35, 1, 0, 0, 1, 20, 0).Transform(36, 2, 0, 0, 2, 0, 0, 2).Rectangle(0, 0, 10, 10);
        // Multiplied on the left: scaled first, then moved.
        cases.push_back({"modified on the left", e, {{20, 0, kBlue}, {38, 18, kBlue}, {19, 0, kWhite}}});
    }
    {
        Emf e;
        e.Transform(35, 1, 0, 0, 1, 20, 0).Transform(36, 2, 0, 0, 2, 0, 0, 3).Rectangle(0, 0, 10, 10);
        // Multiplied on the right: moved first, then scaled.
        cases.push_back({"modified on the right", e, {{40, 0, kBlue}, {58, 18, kBlue}, {39, 0, kWhite}}});
    }
    {
        Emf e;
        e.Rec32(17, {6});            // twips: 1440 a inch, y upwards
        e.Rec32(12, {0, 49});        // the origin at the bottom-left pixel
        e.Rectangle(0, 0, 300, 300); // 300 twips are 20 pixels
        cases.push_back({"twips", e, {{0, 40, kBlue}, {18, 31, kBlue}, {25, 40, kWhite}, {5, 20, kWhite}}});
    }
    {
        Emf e;
        e.Rec(33, {}).Transform(35, 3, 0, 0, 3, 0, 0).Rec32(34, {-1}).Rectangle(0, 0, 10, 10);
        cases.push_back({"restore undoes the transform", e, {{5, 5, kBlue}, {15, 15, kWhite}}});
    }
    for (Case& c : cases) {
        Emf e;
        e.Brush(1, kSolid, kBlue).Select(1).Select(kStockNullPen);
        Bytes file = e.File(0, 0, 99, 49, 16, false);
        // Append the case's records and the end record after the common ones.
        const Bytes rest = c.records.File(0, 0, 99, 49);
        file.insert(file.end(), rest.begin() + 88, rest.end());
        SCOPED_TRACE(c.name);
        ExpectPixels(Decode(file), c.wants);
    }
}

TEST(EmfDecoder, PolygonsPolylinesAndCurves)
{
    Emf e;
    e.Brush(1, kSolid, kGreen).Select(1).Pen(2, kSolid, 0, kRed).Select(2);
    e.Points16(86, {{0, 0}, {20, 0}, {0, 20}});               // polygon
    e.Points16(87, {{30, 5}, {45, 5}, {45, 20}});             // polyline
    e.Points16(85, {{50, 40}, {60, 40}, {70, 40}, {90, 40}}); // a straight curve
    ExpectPixels(Decode(e.File(0, 0, 99, 49)), {
                                                   {0, 0, kRed},
                                                   {5, 5, kGreen},
                                                   {15, 15, kWhite},
                                                   {30, 5, kRed},
                                                   {45, 10, kRed},
                                                   {55, 40, kRed},
                                                   {80, 40, kRed},
                                                   {80, 41, kWhite},
                                               });
}

TEST(EmfDecoder, PathIsFilled)
{
    Emf e;
    e.Select(kStockBlackBrush).Rec(59, {});
    e.MoveTo(10, 10).LineTo(40, 10).LineTo(40, 40).LineTo(10, 40).Rec(61, {});
    e.Rec(60, {}).Rec32(62, {0, 0, 0, 0});
    ExpectPixels(Decode(e.File(0, 0, 49, 49)),
                 {{25, 25, kBlack}, {10, 10, kBlack}, {5, 5, kWhite}, {45, 45, kWhite}});
}

TEST(EmfDecoder, ClipRectangleLimitsDrawing)
{
    Emf e;
    e.Select(kStockBlackBrush).Select(kStockNullPen);
    e.Rec(33, {}).Rec32(30, {0, 0, 20, 20}).Rectangle(0, 0, 50, 50).Rec32(34, {-1});
    e.Rectangle(30, 30, 50, 50);
    ExpectPixels(Decode(e.File(0, 0, 49, 49)),
                 {{10, 10, kBlack}, {25, 10, kWhite}, {10, 25, kWhite}, {40, 40, kBlack}});
}

TEST(EmfDecoder, EmbeddedPictureIsStretched)
{
    Emf e;
    e.StretchDiBits(10, 10, 20, 20, 0, 0, 2, 2, Dib24({{kRed, kGreen}, {kBlue, kYellow}}));
    ExpectPixels(Decode(e.File(0, 0, 39, 39)), {
                                                   {10, 10, kRed},
                                                   {20, 10, kGreen},
                                                   {10, 20, kBlue},
                                                   {29, 29, kYellow},
                                                   {30, 30, kWhite},
                                               });
}

TEST(EmfDecoder, MalformedFilesFailWithTheirText)
{
    struct Case {
        const char* name;
        Bytes file;
        const char* want;
    };
    Emf zero;
    zero.Head(43, 0);
    Emf past;
    past.Head(43, 4000);
    Emf tiny;
    tiny.Head(43, 4);
    Bytes headerTooLong = Emf().File(0, 0, 9, 9);
    headerTooLong[4] = 0xF0;
    headerTooLong[5] = 0x0F;
    const Case cases[] = {
        {"record of size 0", zero.File(0, 0, 9, 9), "corrupted EMF"},
        {"record past the end", past.File(0, 0, 9, 9), "corrupted EMF"},
        {"record shorter than its head", tiny.File(0, 0, 9, 9), "corrupted EMF"},
        {"no end record", Emf().File(0, 0, 9, 9, 16, false), "corrupted EMF"},
        {"header longer than the file", headerTooLong, "corrupted EMF"},
        {"neither bounds nor frame", Emf().File(0, 0, 0, 0), "corrupted EMF"},
    };
    for (const Case& c : cases) {
        const Result r = Decode(c.file);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.error, c.want) << c.name;
    }
}

TEST(EmfDecoder, HostileRecordsAreSkippedNotTrusted)
{
    struct Case {
        const char* name;
        Emf records;
    };
    std::vector<Case> cases;
    cases.push_back({"polygon claiming 2^31 points", Emf().Rec32(86, {0, 0, 0, 0, 0x7FFFFFFF, 0})});
    cases.push_back({"polypolygon claiming 2^30 polygons", Emf().Rec32(91, {0, 0, 0, 0, 0x40000000, 3, 3})});
    cases.push_back({"polypolygon counts wrapping 32 bits",
                     Emf().Rec32(91, {0, 0, 0, 0, 2, 2, int(0xFFFFFFFF), 3, 0, 0, 0, 0})});
    cases.push_back({"pen in a slot beyond the table", Emf().Pen(int(0xFFFFFFF0), kSolid, 5, kBlue)});
    cases.push_back({"select of an unknown stock object", Emf().Select(0x80000063)});
    cases.push_back(
        {"picture offsets beyond the record",
         Emf().Rec32(81, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, int(0xFFFFFFF0), 40, 20, 4, 0, 0xCC0020, 5, 5})});
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    cases.push_back({"world transform of infinities", Emf().Transform(35, inf, 0, 0, inf, 0, 0)});
    cases.push_back({"world transform of non-numbers", Emf().Transform(36, 1, nan, 0, 1, 0, 0, 4)});
    cases.push_back({"restore beyond every save", Emf().Rec32(34, {int(0x80000000)})});
    Emf manySaves;
    for (int i = 0; i < 3000; ++i)
        manySaves.Rec(33, {});
    manySaves.Rec32(34, {-2500});
    cases.push_back({"saves beyond the stack's bound", manySaves});
    for (Case& c : cases) {
        c.records.Select(0x80000004).Select(kStockNullPen).Rectangle(20, 20, 31, 31);
        const Result r = Decode(c.records.File(0, 0, 39, 39));
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error;
        EXPECT_EQ(r.At(25, 25), kBlack) << c.name;
        EXPECT_EQ(r.At(35, 35), kWhite) << c.name;
    }
}

TEST(EmfDecoder, EveryPrefixFailsCleanly)
{
    Emf e;
    e.Brush(1, kSolid, kRed).Select(1).Pen(2, kSolid, 3, kBlue).Select(2).Rectangle(1, 1, 20, 20);
    e.Ellipse(5, 5, 30, 30).MoveTo(0, 0).LineTo(39, 39).Points16(86, {{0, 0}, {10, 0}, {0, 10}});
    e.StretchDiBits(0, 0, 8, 8, 0, 0, 2, 2, Dib24({{kRed, kGreen}, {kBlue, kYellow}}));
    const Bytes file = e.File(0, 0, 39, 39);
    ASSERT_TRUE(Decode(file).ok);
    for (std::size_t n = 0; n < file.size(); ++n) {
        const Result r = Decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
        EXPECT_FALSE(r.ok) << "prefix of " << n << " bytes";
        EXPECT_TRUE(r.error == "Not a WMF" || r.error == "corrupted EMF")
            << "prefix of " << n << " bytes: have \"" << r.error << "\"";
    }
}

// ---- embedded pictures --------------------------------------------------------------

Bytes InfoHeader(std::int32_t width, std::int32_t height, int bpp, std::uint32_t compression,
                 std::uint32_t coloursUsed = 0)
{
    Bytes b;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bpp));
    Put32(b, compression);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, coloursUsed);
    Put32(b, 0);
    return b;
}

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
        Bytes b = InfoHeader(3, 1, 1, 0, 2);
        Put32(b, 0x000000);
        Put32(b, 0x0000FF); // bytes FF 00 00 00: blue, green, red, unused
        Append(b, Bytes{0xA0, 0, 0, 0});
        cases.push_back({"1 bit", b, {kBlue, kBlack, kBlue}});
    }
    {
        Bytes b = InfoHeader(2, 1, 4, 0, 3);
        for (const std::uint32_t c : {0u, 0x00FF00u, 0xFF0000u})
            Put32(b, c);
        Append(b, Bytes{0x21, 0, 0, 0});
        cases.push_back({"4 bits", b, {Rgb(255, 0, 0), Rgb(0, 255, 0)}});
    }
    {
        // Run-length 8 bits, 4 x 2: the bottom row a run of 4 of index 1 (blue), end of
        // row, then the top row one pixel of index 2 (green) and 3 literal pixels
        // (1, 2, 1) padded to a whole word, end of picture.
        Bytes b = InfoHeader(4, 2, 8, 1, 3);
        for (const std::uint32_t c : {0u, 0x0000FFu, 0x00FF00u})
            Put32(b, c);
        Append(b, Bytes{4, 1, 0, 0, 1, 2, 0, 3, 1, 2, 1, 0, 0, 1});
        cases.push_back({"run-length 8 bits", b, {kGreen, kBlue, kGreen, kBlue}});
    }
    {
        // 16 bits 5-5-5: pure red and pure blue.
        Bytes b = InfoHeader(2, 1, 16, 0);
        Put16(b, 0x7C00);
        Put16(b, 0x001F);
        cases.push_back({"16 bits", b, {kRed, kBlue}});
    }
    {
        // 32 bits with masks: red in the low byte.
        Bytes b = InfoHeader(1, 1, 32, 3);
        Put32(b, 0x000000FF);
        Put32(b, 0x0000FF00);
        Put32(b, 0x00FF0000);
        Put32(b, 0x000000FF);
        cases.push_back({"32 bits with masks", b, {kRed}});
    }
    {
        // Top-down rows: the first stored row is the top one.
        Bytes b = InfoHeader(1, -2, 24, 0);
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
    Bytes rowsMissing = InfoHeader(4, 4, 24, 0);
    Append(rowsMissing, Bytes(47, 0)); // one byte short of 4 rows of 12
    Bytes tooManyColours = InfoHeader(1, 1, 1, 0, 3);
    Append(tooManyColours, Bytes(16, 0));
    Bytes oddDepth = InfoHeader(1, 1, 7, 0);
    Append(oddDepth, Bytes(4, 0));
    Bytes zeroWidth = InfoHeader(0, 1, 24, 0);
    Bytes hugeSide = InfoHeader(40000, 1, 1, 0);
    Append(hugeSide, Bytes(5004, 0));
    Bytes topDownRle = InfoHeader(1, -1, 8, 1);
    Append(topDownRle, Bytes(1024 + 4, 0));
    Bytes jpeg = InfoHeader(1, 1, 24, 4);
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

// ---- the shared corpus --------------------------------------------------------------

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(WmfDecoder, CorpusFilesDecodeToTheirHeaderSize)
{
    const std::filesystem::path root = std::filesystem::path(SLEEVIT_SHARED_DIR) / "corpus" / "wmf";
    if (!std::filesystem::exists(root))
        GTEST_SKIP() << "no shared corpus";
    // Sizes from the manifest's header figures: placeable files at 96 dpi (units * 96 /
    // units per inch, rounded), enhanced files their inclusive bounds, the longer side
    // brought down to 4096.
    struct Case {
        const char* file;
        int wantW, wantH;
    };
    const Case valid[] = {
        {"libwmf-examples/2doorvan.wmf", 318, 116},  // 1905 x 692 at 575
        {"libwmf-examples/anim0002.wmf", 395, 364},  // 2491 x 2299 at 606
        {"libwmf-examples/ant.wmf", 211, 137},       // 3277 x 2130 at 1489
        {"libwmf-examples/cell.wmf", 1055, 817},     // 9947 x 7706 at 905
        {"libwmf-examples/fjftest.wmf", 794, 1123},  // 8268 x 11693 at 1000
        {"libwmf-examples/formula2.wmf", 175, 61},   // at 96
        {"libwmf-examples/formula3.wmf", 656, 58},   // at 96
        {"libwmf-examples/fulltest.wmf", 1056, 816}, // 11 x 8.5 inches
        {"libwmf-examples/sample.wmf", 302, 271},    // 3151 x 2828 at 1000
        {"derived/sample2.bad-checksum.wmf", 300, 129},
        {"libwmf-examples/p0000001.wmf", 4096, 1529}, // window 4800 x 1792
        {"libemf2svg/test-009.emf", 54, 53},
        {"libemf2svg/test-023.emf", 231, 136},
        {"libemf2svg/test-037.emf", 564, 423},
        {"libemf2svg/test-104.emf", 54, 62},
        {"libemf2svg/test-124.emf", 159, 112},
        {"libemf2svg/test-177.emf", 653, 653},
        {"libemf2svg/test-185.emf", 4096, 2304},      // 8002 x 4502
        {"libuemf/test_libuemf_ref.emf", 4096, 2896}, // 14031 x 9921
        {"libuemf/test_libuemf_p_ref.emf", 4096, 2896},
        {"libuemf/test_mm_twips_ref.emf", 4096, 2896},
        {"pillow/drawing.emf", 1626, 1626},
    };
    for (const Case& c : valid) {
        const Result r = Decode(ReadFile(root / c.file));
        ASSERT_TRUE(r.ok) << c.file << ": " << r.error;
        EXPECT_EQ(r.image.pixels.Width(), c.wantW) << c.file;
        EXPECT_EQ(r.image.pixels.Height(), c.wantH) << c.file;
    }
    const char* truncated[] = {"derived/drawing.truncated.emf", "derived/sample2.truncated.wmf"};
    for (const char* file : truncated) {
        const Result r = Decode(ReadFile(root / file));
        EXPECT_FALSE(r.ok) << file;
        EXPECT_FALSE(r.error.empty()) << file;
    }
    // Damaged inside: each either fails with a text or decodes to its header's size.
    for (const auto& entry : std::filesystem::directory_iterator(root / "libemf2svg" / "corrupted")) {
        const Result r = Decode(ReadFile(entry.path()));
        if (r.ok)
            EXPECT_GE(r.image.pixels.Width(), 1) << entry.path();
        else
            EXPECT_EQ(r.error, "corrupted EMF") << entry.path();
    }
}

} // namespace
