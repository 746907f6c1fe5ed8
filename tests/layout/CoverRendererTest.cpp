#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/CoverRenderer.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr SurfaceColour kWhite = kColourWhite;
constexpr SurfaceColour kBlack = kColourBlack;
constexpr SurfaceColour kRed = RgbColour(255, 0, 0);

// A 24-bit picture whose pixels come from a function of (x, y from the top).
struct Picture : CRasterImage {
    Picture(int width, int height, const std::function<SurfaceColour(int, int)>& colour)
    {
        CRasterSurface surface(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                surface.SetPixel(x, y, colour(x, y));
        EXPECT_TRUE(CreateFromBitmap(surface));
    }
};
struct Red : Picture {
    Red() : Picture(10, 10, [](int, int) { return kRed; }) {}
};

// Row r of the picture has the colour (r % 256, r / 256, 0), so a row can be told from a pixel.
SurfaceColour RowColour(int, int y)
{
    return RgbColour(static_cast<std::uint8_t>(y % 256), static_cast<std::uint8_t>(y / 256), 7);
}
int RowOf(SurfaceColour c)
{
    return int(c & 0xFF) + 256 * int((c >> 8) & 0xFF);
}

DeviceCaps Page(int dpi, int width, int height, int offset = 0)
{
    DeviceCaps c;
    c.logPixelsX = c.logPixelsY = dpi;
    c.physicalWidth = width;
    c.physicalHeight = height;
    c.physicalOffsetX = c.physicalOffsetY = offset;
    c.horzRes = width - 2 * offset;
    c.vertRes = height - 2 * offset;
    return c;
}

CoverFormat One(CoverKind kind, bool label = false, double hole = 0.0, double size = 100.0)
{
    CoverFormat f;
    f.name = TraitsOf(kind).word;
    f.type = TraitsOf(kind).word;
    f.size = {size, size};
    f.hasSize = true;
    f.label = label;
    f.holeSize = hole;
    return f;
}

// The colour each listed pixel must have.
struct Probe {
    int x, y;
    SurfaceColour want;
};
void ExpectPixels(const CRasterSurface& s, std::initializer_list<Probe> probes)
{
    for (const Probe& p : probes)
        EXPECT_EQ(s.GetPixel(p.x, p.y), p.want) << "(" << p.x << ", " << p.y << ")";
}

RenderOptions Plain()
{
    RenderOptions o;
    o.drawCutLines = false;
    o.printBorder = false;
    return o;
}

TEST(ScaledCount, FractionsJustBelowTheirValueTruncateOneLower)
{
    struct Case {
        int total;
        double fraction;
        int want;
    };
    // 0.08 lies above itself, the others just below.
    for (const Case& c : {Case{1000, 0.043, 42},
                          {1200, 0.043, 51},
                          {180, 0.05555555555555555, 9},
                          {180, 0.8888888888888888, 159},
                          {1000, 0.05555555555555555, 55},
                          {1000, 0.8888888888888888, 888},
                          {1000, 0.08, 80}})
        EXPECT_EQ(ScaledCount(c.total, c.fraction), c.want) << c.total << " x " << c.fraction;
}

TEST(RenderCover, EveryKindFillsItsCoverOnPageAndPaperAndAnUnknownWordDrawsAsCustom)
{
    // Large enough for every band of the picture to hold a row.
    const Picture red(100, 100, [](int, int) { return kRed; });
    for (const CoverKindTraits& kind : CoverKinds()) {
        SCOPED_TRACE(kind.word);
        const CoverFormat f = One(kind.kind);
        CRasterSurface page(Page(254, 1200, 1200));
        EXPECT_TRUE(RenderCover(page, {100, 100, 1000, 1000, 0}, red, f, RenderOptions{}));
        for (int at : {105, 600, 1095})
            EXPECT_EQ(page.GetPixel(at, at), kRed) << at;
        EXPECT_EQ(page.GetPixel(1102, 600), kWhite);

        FormatCatalogue c;
        c.Append(f);
        CRasterSurface paper(210, 297);
        RenderScreenCover(paper, {0, 0, 210, 297}, red, PlaceCoverMm(c, {0, Side::Left}, false, false), true);
        EXPECT_EQ(paper.GetPixel(105, 73), kRed);
    }
    // A type word the program does not know is drawn as a custom cover.
    CoverFormat unknown = One(CoverKind::Custom);
    CRasterSurface custom(Page(254, 1200, 1200)), other(Page(254, 1200, 1200));
    const Picture rows(4, 180, RowColour);
    RenderCover(custom, {100, 100, 1000, 1000, 0}, rows, unknown, RenderOptions{});
    unknown.type = "PHOTO_Z";
    RenderCover(other, {100, 100, 1000, 1000, 0}, rows, unknown, RenderOptions{});
    EXPECT_EQ(std::memcmp(custom.Data(), other.Data(), std::size_t(custom.Stride()) * 1200), 0);
}

TEST(RenderCover, ZoomedRowsShowTheMiddleRows)
{
    const Picture image(4, 180, RowColour);
    CRasterSurface page(Page(300, 100, 400));
    // 159 target rows for the 159 source rows 9..167; the outline covers the first row.
    EXPECT_TRUE(RenderCover(page, {20, 30, 10, 159, 0}, image, One(CoverKind::PhotoZoomed), Plain()));
    EXPECT_EQ(page.GetPixel(25, 30), kBlack);
    EXPECT_EQ(RowOf(page.GetPixel(25, 30 + 158)), 167);
    for (int i = 1; i < 159; ++i)
        ASSERT_EQ(RowOf(page.GetPixel(25, 30 + i)), 9 + i) << "target row " << i;
    // The frame just outside and the outline on the first row and column.
    ExpectPixels(page, {{19, 100, kBlack}, {20, 100, kBlack}, {30, 100, kBlack}, {25, 29, kBlack}});
}

TEST(RenderCover, SideBandsSqueezeTheSpineBands)
{
    const Picture image(1000, 2, [](int x, int) { return RowColour(0, x); });
    CRasterSurface page(Page(300, 1300, 20));
    RenderCover(page, {10, 5, 1200, 10, 0}, image, One(CoverKind::PlayStation), Plain());
    // Source bands of 80 columns become bands of 51; the middle 840 fill 1098.
    const auto column = [&](int x) { return RowOf(page.GetPixel(10 + x, 8)); };
    EXPECT_EQ(column(0), 0);
    EXPECT_LT(column(50), 80);
    EXPECT_EQ(column(51), 80);
    EXPECT_LT(column(1148), 920);
    EXPECT_GE(column(1148), 910);
    EXPECT_EQ(column(1149), 920);
    EXPECT_GE(column(1199), 990);
    EXPECT_EQ(page.GetPixel(10 + 1200, 8), kBlack); // the outline just right of the cover
}

TEST(RenderCover, FaceSpineFaceResizesTheSpineBand)
{
    // A sleeve picture of 1000 rows: faces of 473 rows, a spine of 52 (rows 473..524).
    const Picture image(2, 1000, RowColour);
    const CoverFormat slim = One(CoverKind::SlimlineDvd);
    // No spine given: 13 mm at 600 dpi is 307 pixels.
    const int h = 4322;
    CRasterSurface page(Page(600, 40, h + 20));
    RenderCover(page, {10, 10, 20, h, 0}, image, slim, Plain());
    const int face = (h - 307) / 2;
    EXPECT_LT(RowOf(page.GetPixel(15, 10 + face - 1)), 473);
    EXPECT_EQ(RowOf(page.GetPixel(15, 10 + face)), 473);
    EXPECT_LT(RowOf(page.GetPixel(15, 10 + face + 306)), 525);
    EXPECT_EQ(RowOf(page.GetPixel(15, 10 + face + 307)), 525);

    // A cover shorter than the spine: no faces, the spine cut to the cover.
    CRasterSurface small(Page(600, 40, 120));
    RenderCover(small, {10, 10, 20, 100, 0}, image, slim, Plain());
    EXPECT_EQ(RowOf(small.GetPixel(15, 11)), 473);
    EXPECT_EQ(RowOf(small.GetPixel(15, 109)), 524);
    EXPECT_EQ(small.GetPixel(15, 112), kWhite); // nothing below the cover
}

TEST(RenderCover, LabelIsADiscWithAWhiteHole)
{
    const Picture image(200, 200, [](int, int) { return kRed; });
    CRasterSurface page(Page(300, 500, 500));
    RenderCover(page, {50, 50, 400, 400, 80}, image, One(CoverKind::Custom, true, 41), RenderOptions{});
    // The hole, outside the disc, the ring, and no frame or border around a label.
    ExpectPixels(
        page, {{250, 250, kWhite}, {52, 52, kWhite}, {250, 60, kRed}, {250, 200, kRed}, {49, 250, kWhite}});

    // Hole 0: a full disc.
    CRasterSurface full(Page(300, 500, 500));
    RenderCover(full, {50, 50, 400, 400, 0}, image, One(CoverKind::Custom, true, 0), RenderOptions{});
    ExpectPixels(full, {{250, 250, kRed}, {52, 448, kWhite}});
}

TEST(RenderCover, EdgeLinesCrossThePrintableAreaAndRectanglesFollowTheCover)
{
    const Red image;
    CoverFormat f = One(CoverKind::Custom);
    f.lines.Add({kEdgeLeft, 0, 0, 0, true});
    f.lines.Add({kEdgeTop, 0, 0, 0, true});
    f.lines.Add({50.8, 0, 50.8, 100, false}); // a fold 50.8 mm = 600 px across at 300 dpi
    f.rects.Add({2.54, 2.54, 25.4, 25.4, true});
    // Printable area 20 px in from the sheet's edges.
    CRasterSurface page(Page(300, 1400, 1400, 20));
    const CoverPlacement at{100, 500, 1181, 1181, 0};
    RenderCover(page, at, image, f, RenderOptions{});
    const int x = 100 - 20;
    const int y = 500 - 20;
    // LEFT runs along the cover's left edge from the printable area's top to its bottom;
    // TOP the whole printable width.
    ExpectPixels(page, {{x, 0, kBlack}, {x, 1359, kBlack}, {0, y, kBlack}, {1359, y, kBlack}});
    // The dashed fold: 3 on, 3 off.
    int dark = 0;
    for (int i = 0; i < 60; ++i)
        dark += page.GetPixel(x + 600, y + 100 + i) == kBlack ? 1 : 0;
    EXPECT_EQ(dark, 30);
    // The rectangle: 30 px in, 300 px wide, outline lit on both ends.
    ExpectPixels(page, {{x + 30, y + 100, kBlack}, {x + 330, y + 100, kBlack}, {x + 331, y + 100, kRed}});

    // Without cut lines, only the frame and border remain.
    CRasterSurface bare(Page(300, 1400, 1400, 20));
    RenderOptions noLines;
    noLines.drawCutLines = false;
    RenderCover(bare, at, image, f, noLines);
    ExpectPixels(bare, {{x, 0, kWhite}, {x + 600, y + 100, kRed}});

    // On a paper control the same walker spans the paper, lines dashed in grey.
    FormatCatalogue c;
    f.position = {50, 50};
    c.Append(f);
    CRasterSurface paper(210, 297);
    RenderScreenCover(paper, {0, 0, 210, 297}, image, PlaceCoverMm(c, {0, Side::Left}, false, false), true);
    ExpectPixels(paper, {{50, 0, kBlack}, {50, 296, kBlack}});
    int top = 0;
    for (int py = 0; py < 297; ++py)
        top += paper.GetPixel(0, py) == kBlack && paper.GetPixel(209, py) == kBlack ? 1 : 0;
    EXPECT_EQ(top, 1);
    // Drawn before the picture: the fold inside the cover is hidden by it.
    int hidden = 0;
    for (int py = 60; py < 140; ++py)
        hidden += paper.GetPixel(100, py) == kRed ? 1 : 0;
    EXPECT_EQ(hidden, 80);
}

TEST(RenderCover, FrameAlwaysBorderOnRequest)
{
    const Red image;
    const CoverFormat f = One(CoverKind::Custom);
    CRasterSurface plain(Page(300, 100, 100));
    RenderCover(plain, {20, 20, 50, 50, 0}, image, f, Plain());
    // The frame just outside; the picture's first column.
    ExpectPixels(plain, {{19, 40, kBlack}, {70, 40, kBlack}, {20, 40, kRed}});
    CRasterSurface bordered(Page(300, 100, 100));
    RenderOptions border = Plain();
    border.printBorder = true;
    RenderCover(bordered, {20, 20, 50, 50, 0}, image, f, border);
    ExpectPixels(bordered, {{20, 40, kBlack}, {21, 40, kRed}}); // a second outline on the first column
}

TEST(RenderCover, PreviewGuidesAndTheCounter)
{
    const Picture image(10, 10, [](int, int) { return kBlack; });
    RenderOptions preview = Plain();
    preview.preview = true;
    CRasterSurface page(Page(300, 200, 300, 10));
    EXPECT_FALSE(RenderCover(page, {50, 50, 40, 40, 0}, image, One(CoverKind::Custom), preview));
    // The printable-area outline; the middle line (row 150 of the sheet), two pixels wide.
    ExpectPixels(page, {{0, 100, kRed}, {100, 140, kRed}, {100, 139, kRed}, {100, 141, kWhite}});

    CRasterSurface trayPage(Page(300, 200, 200, 10));
    EXPECT_FALSE(
        RenderCover(trayPage, {20, 20, 160, 160, 40}, image, One(CoverKind::CdTray, true, 20), preview));
    EXPECT_EQ(trayPage.GetPixel(0, 100), kWhite); // no printable-area outline
    bool redOnCircle = false;
    for (int x = 0; x < 30; ++x)
        redOnCircle = redOnCircle || trayPage.GetPixel(x, 90) == kRed;
    EXPECT_TRUE(redOnCircle);

    CRasterSurface real(Page(300, 200, 300, 10));
    EXPECT_TRUE(RenderCover(real, {50, 50, 40, 40, 0}, image, One(CoverKind::Custom), Plain()));
}

TEST(ScreenRenderer, PlacesByThePapersOwnSize)
{
    const Red image;
    FormatCatalogue c;
    CoverFormat tray = One(CoverKind::CdTray, false, 0.0, 60.0);
    tray.paperSize = {120.0, 120.0};
    tray.position = {-10.0, -10.0};
    c.Append(tray);
    const PlacementMm cover = PlaceCoverMm(c, {0, Side::Left}, false, false);
    // 240 x 240 pixels for 120 mm: two pixels a millimetre.
    CRasterSurface paper(240, 240);
    RenderScreenCover(paper, {0, 0, 240, 240}, image, cover, true);
    // 10 mm from the right and bottom edges of this 120 mm paper, not of an A4 sheet.
    // The cover ends 20 pixels from the edges, with the outline just outside it.
    ExpectPixels(paper, {{219, 219, kRed}, {220, 220, kBlack}, {221, 221, kWhite}});

    // No picture, or no format: nothing is drawn.
    CRasterSurface blank(240, 240);
    RenderScreenCover(blank, {0, 0, 240, 240}, CRasterImage(), cover, true);
    RenderScreenCover(blank, {0, 0, 240, 240}, image, PlaceCoverMm(c, {1, Side::Left}, false, false), true);
    ExpectPixels(blank, {{200, 200, kWhite}, {100, 100, kWhite}});
}

TEST(ScreenRenderer, CdFrontsAndLabels)
{
    const Red image;
    FormatCatalogue c;
    c.Append(One(CoverKind::CdFront, false, 0.0, 105.0));
    c.Append(One(CoverKind::Custom, true, 40.0, 105.0));
    // 210 x 297 mm at one pixel a millimetre.
    CRasterSurface alone(210, 297), both(210, 297), disc(210, 297);
    RenderScreenCover(alone, {0, 0, 210, 297}, image, PlaceCoverMm(c, {0, Side::Left}, false, false), false);
    EXPECT_EQ(alone.GetPixel(100, 148 - 105 + 5), kRed); // bottom edge on the middle line
    EXPECT_EQ(alone.GetPixel(100, 160), kWhite);
    RenderScreenCover(both, {0, 0, 210, 297}, image, PlaceCoverMm(c, {0, Side::Right}, true, false), false);
    EXPECT_EQ(both.GetPixel(100, 160), kRed); // the right front below the line

    RenderScreenCover(disc, {0, 0, 210, 297}, image, PlaceCoverMm(c, {1, Side::Left}, false, false), false);
    const int cx = 52 + 52, cy = 21 + 52; // (210 - 105) / 2 = 52; (297 - 210) / 4 = 21
    ExpectPixels(disc, {{cx, cy, kWhite}, {cx, cy - 35, kRed}, {53, 22, kWhite}}); // hole, ring, outside
}

} // namespace
