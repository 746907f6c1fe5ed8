#include <gtest/gtest.h>

#include <functional>
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
void MakePicture(CRasterImage& image, int width, int height,
                 const std::function<SurfaceColour(int, int)>& colour)
{
    CRasterSurface surface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.SetPixel(x, y, colour(x, y));
    ASSERT_TRUE(image.CreateFromBitmap(surface));
}

// Row r of the picture has the colour (r % 256, r / 256, 0), so a row can be told from a pixel.
SurfaceColour RowColour(int, int y)
{
    return RgbColour(static_cast<std::uint8_t>(y % 256), static_cast<std::uint8_t>(y / 256), 7);
}
int RowOf(SurfaceColour c)
{
    return int(c & 0xFF) + 256 * int((c >> 8) & 0xFF);
}
SurfaceColour ColumnColour(int x, int)
{
    return RowColour(0, x);
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

FormatCatalogue One(const char* type, bool label = false, double hole = 0.0)
{
    FormatCatalogue c;
    CoverFormat f;
    f.name = type;
    f.type = type;
    f.size = {100, 100};
    f.hasSize = true;
    f.label = label;
    f.holeSize = hole;
    c.Append(f);
    return c;
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
    EXPECT_EQ(ScaledCount(1000, 0.043), 42);
    EXPECT_EQ(ScaledCount(180, 0.05555555555555555), 9);
    EXPECT_EQ(ScaledCount(180, 0.8888888888888888), 159);
    EXPECT_EQ(ScaledCount(1000, 0.05555555555555555), 55);
    EXPECT_EQ(ScaledCount(1000, 0.8888888888888888), 888);
    EXPECT_EQ(ScaledCount(1000, 0.08), 80); // 0.08 lies above itself
    EXPECT_EQ(ScaledCount(1200, 0.043), 51);
}

TEST(RenderCover, PhotoZoomedShowsTheMiddleRows)
{
    CRasterImage image;
    MakePicture(image, 4, 180, RowColour);
    const FormatCatalogue c = One("PHOTO_ZOOMED");
    CRasterSurface page(Page(300, 100, 400));
    // 159 target rows for the 159 source rows 9..167; the outline covers the first row.
    EXPECT_TRUE(RenderCover(page, {20, 30, 10, 159, 0}, image, c, 0, Plain()));
    EXPECT_EQ(page.GetPixel(25, 30), kBlack);
    EXPECT_EQ(RowOf(page.GetPixel(25, 30 + 158)), 167);
    for (int i = 1; i < 159; ++i)
        ASSERT_EQ(RowOf(page.GetPixel(25, 30 + i)), 9 + i) << "target row " << i;
    // The frame just outside and the outline on the first row and column.
    EXPECT_EQ(page.GetPixel(19, 100), kBlack);
    EXPECT_EQ(page.GetPixel(20, 100), kBlack);
    EXPECT_EQ(page.GetPixel(30, 100), kBlack);
    EXPECT_EQ(page.GetPixel(25, 29), kBlack);
}

TEST(RenderCover, PlaystationSqueezesTheSpineBands)
{
    CRasterImage image;
    MakePicture(image, 1000, 2, ColumnColour);
    const FormatCatalogue c = One("PLAYSTATION");
    CRasterSurface page(Page(300, 1300, 20));
    RenderCover(page, {10, 5, 1200, 10, 0}, image, c, 0, Plain());
    // Source bands of 80 columns become bands of 51; the middle 840 fill 1098.
    EXPECT_EQ(RowOf(page.GetPixel(10 + 0, 8)), 0);
    EXPECT_LT(RowOf(page.GetPixel(10 + 50, 8)), 80);
    EXPECT_EQ(RowOf(page.GetPixel(10 + 51, 8)), 80);
    EXPECT_LT(RowOf(page.GetPixel(10 + 1148, 8)), 920);
    EXPECT_GE(RowOf(page.GetPixel(10 + 1148, 8)), 910);
    EXPECT_EQ(RowOf(page.GetPixel(10 + 1149, 8)), 920);
    EXPECT_GE(RowOf(page.GetPixel(10 + 1199, 8)), 990);
    EXPECT_EQ(page.GetPixel(10 + 1200, 8), kBlack); // the outline just right of the cover
}

TEST(RenderCover, SlimDvdResizesTheSpineBand)
{
    // A sleeve picture of 1000 rows: faces of 473 rows, a spine of 52 (rows 473..524).
    CRasterImage image;
    MakePicture(image, 2, 1000, RowColour);
    const FormatCatalogue c = One("SLIMLINE_DVD");
    // No spine given: 13 mm at 600 dpi is 307 pixels.
    const int h = 4322;
    CRasterSurface page(Page(600, 40, h + 20));
    RenderCover(page, {10, 10, 20, h, 0}, image, c, 0, Plain());
    const int face = (h - 307) / 2;
    EXPECT_LT(RowOf(page.GetPixel(15, 10 + face - 1)), 473);
    EXPECT_EQ(RowOf(page.GetPixel(15, 10 + face)), 473);
    EXPECT_LT(RowOf(page.GetPixel(15, 10 + face + 306)), 525);
    EXPECT_EQ(RowOf(page.GetPixel(15, 10 + face + 307)), 525);

    // A cover shorter than the spine: no faces, the spine cut to the cover.
    CRasterSurface small(Page(600, 40, 120));
    RenderCover(small, {10, 10, 20, 100, 0}, image, c, 0, Plain());
    EXPECT_EQ(RowOf(small.GetPixel(15, 11)), 473);
    EXPECT_EQ(RowOf(small.GetPixel(15, 109)), 524);
    EXPECT_EQ(small.GetPixel(15, 112), kWhite); // nothing below the cover
}

TEST(RenderCover, LabelIsADiscWithAWhiteHole)
{
    CRasterImage image;
    MakePicture(image, 200, 200, [](int, int) { return kRed; });
    const FormatCatalogue c = One("CUSTOM", true, 41);
    CRasterSurface page(Page(300, 500, 500));
    RenderCover(page, {50, 50, 400, 400, 80}, image, c, 0, RenderOptions{});
    EXPECT_EQ(page.GetPixel(250, 250), kWhite); // the hole
    EXPECT_EQ(page.GetPixel(52, 52), kWhite);   // outside the disc
    EXPECT_EQ(page.GetPixel(250, 60), kRed);    // on the ring
    EXPECT_EQ(page.GetPixel(250, 200), kRed);
    EXPECT_EQ(page.GetPixel(49, 250), kWhite); // no frame or border around a label

    // Hole 0: a full disc.
    const FormatCatalogue full = One("CUSTOM", true, 0);
    CRasterSurface page2(Page(300, 500, 500));
    RenderCover(page2, {50, 50, 400, 400, 0}, image, full, 0, RenderOptions{});
    EXPECT_EQ(page2.GetPixel(250, 250), kRed);
    EXPECT_EQ(page2.GetPixel(52, 448), kWhite);
}

TEST(RenderCover, EdgeLinesCrossThePrintableAreaAndRectanglesFollowTheCover)
{
    CRasterImage image;
    MakePicture(image, 10, 10, [](int, int) { return kRed; });
    FormatCatalogue c = One("CUSTOM");
    c.AddLine(0, {kEdgeLeft, 0, 0, 0, true});
    c.AddLine(0, {kEdgeTop, 0, 0, 0, true});
    c.AddLine(0, {50.8, 0, 50.8, 100, false}); // a fold 50.8 mm = 600 px across at 300 dpi
    c.AddRect(0, {2.54, 2.54, 25.4, 25.4, true});
    // Printable area 20 px in from the sheet's edges.
    CRasterSurface page(Page(300, 1400, 1400, 20));
    const CoverPlacement at{100, 500, 1181, 1181, 0};
    RenderCover(page, at, image, c, 0, RenderOptions{});
    const int x = 100 - 20;
    const int y = 500 - 20;
    // LEFT runs along the cover's left edge from the printable area's top to its bottom.
    EXPECT_EQ(page.GetPixel(x, 0), kBlack);
    EXPECT_EQ(page.GetPixel(x, 1359), kBlack);
    // TOP runs the whole printable width.
    EXPECT_EQ(page.GetPixel(0, y), kBlack);
    EXPECT_EQ(page.GetPixel(1359, y), kBlack);
    // The dashed fold: 3 on, 3 off.
    int dark = 0;
    for (int i = 0; i < 60; ++i)
        dark += page.GetPixel(x + 600, y + 100 + i) == kBlack ? 1 : 0;
    EXPECT_EQ(dark, 30);
    // The rectangle: 30 px in, 300 px wide, outline lit on both ends.
    EXPECT_EQ(page.GetPixel(x + 30, y + 100), kBlack);
    EXPECT_EQ(page.GetPixel(x + 330, y + 100), kBlack);
    EXPECT_EQ(page.GetPixel(x + 331, y + 100), kRed);

    // Without cut lines, only the frame and border remain.
    CRasterSurface bare(Page(300, 1400, 1400, 20));
    RenderOptions noLines;
    noLines.drawCutLines = false;
    RenderCover(bare, at, image, c, 0, noLines);
    EXPECT_EQ(bare.GetPixel(x, 0), kWhite);
    EXPECT_EQ(bare.GetPixel(x + 600, y + 100), kRed);
}

TEST(RenderCover, FrameAlwaysBorderOnRequest)
{
    CRasterImage image;
    MakePicture(image, 10, 10, [](int, int) { return kRed; });
    const FormatCatalogue c = One("CUSTOM");
    CRasterSurface plain(Page(300, 100, 100));
    RenderCover(plain, {20, 20, 50, 50, 0}, image, c, 0, Plain());
    EXPECT_EQ(plain.GetPixel(19, 40), kBlack); // frame just outside
    EXPECT_EQ(plain.GetPixel(70, 40), kBlack);
    EXPECT_EQ(plain.GetPixel(20, 40), kRed); // the picture's first column
    CRasterSurface bordered(Page(300, 100, 100));
    RenderOptions border = Plain();
    border.printBorder = true;
    RenderCover(bordered, {20, 20, 50, 50, 0}, image, c, 0, border);
    EXPECT_EQ(bordered.GetPixel(20, 40), kBlack); // a second outline on the first column
    EXPECT_EQ(bordered.GetPixel(21, 40), kRed);
}

TEST(RenderCover, PreviewGuidesAndTheCounter)
{
    CRasterImage image;
    MakePicture(image, 10, 10, [](int, int) { return kBlack; });
    const FormatCatalogue c = One("CUSTOM");
    RenderOptions preview = Plain();
    preview.preview = true;
    CRasterSurface page(Page(300, 200, 300, 10));
    EXPECT_FALSE(RenderCover(page, {50, 50, 40, 40, 0}, image, c, 0, preview));
    EXPECT_EQ(page.GetPixel(0, 100), kRed);   // printable-area outline
    EXPECT_EQ(page.GetPixel(100, 140), kRed); // middle line: row 150 of the sheet
    EXPECT_EQ(page.GetPixel(100, 139), kRed); // two pixels wide
    EXPECT_EQ(page.GetPixel(100, 141), kWhite);

    const FormatCatalogue tray = One("CD_TRAY", true, 20);
    CRasterSurface trayPage(Page(300, 200, 200, 10));
    EXPECT_FALSE(RenderCover(trayPage, {20, 20, 160, 160, 40}, image, tray, 0, preview));
    EXPECT_EQ(trayPage.GetPixel(0, 100), kWhite); // no printable-area outline
    bool redOnCircle = false;
    for (int x = 0; x < 30; ++x)
        redOnCircle = redOnCircle || trayPage.GetPixel(x, 90) == kRed;
    EXPECT_TRUE(redOnCircle);

    CRasterSurface real(Page(300, 200, 300, 10));
    EXPECT_TRUE(RenderCover(real, {50, 50, 40, 40, 0}, image, c, 0, Plain()));
    EXPECT_FALSE(RenderCover(real, {50, 50, 40, 40, 0}, image, c, 3, Plain())); // no such format
}

TEST(ScreenRenderer, PlacesByThePapersOwnSize)
{
    CRasterImage image;
    MakePicture(image, 10, 10, [](int, int) { return kRed; });
    FormatCatalogue c;
    CoverFormat tray;
    tray.name = "Tray";
    tray.type = "CD_TRAY";
    tray.paperSize = {120.0, 120.0};
    tray.size = {60.0, 60.0};
    tray.hasSize = true;
    tray.position = {-10.0, -10.0};
    c.Append(tray);
    // 240 x 240 pixels for 120 mm: two pixels a millimetre.
    CRasterSurface paper(240, 240);
    RenderScreenCover(paper, {0, 0, 240, 240}, image, c, 0, false, true);
    // 10 mm from the right and bottom edges of this 120 mm paper, not of an A4 sheet.
    EXPECT_EQ(paper.GetPixel(219, 219), kRed);   // the cover ends 20 pixels from the edges
    EXPECT_EQ(paper.GetPixel(220, 220), kBlack); // with the outline just outside it
    EXPECT_EQ(paper.GetPixel(221, 221), kWhite);

    // No picture: nothing is drawn.
    CRasterImage empty;
    CRasterSurface blank(240, 240);
    RenderScreenCover(blank, {0, 0, 240, 240}, empty, c, 0, false, true);
    EXPECT_EQ(blank.GetPixel(200, 200), kWhite);
}

TEST(ScreenRenderer, CdFrontsAndLabels)
{
    CRasterImage image;
    MakePicture(image, 10, 10, [](int, int) { return kRed; });
    FormatCatalogue c;
    CoverFormat front;
    front.name = "Front";
    front.type = "CD_FRONT";
    front.size = {105.0, 105.0};
    front.hasSize = true;
    c.Append(front);
    CoverFormat label = front;
    label.type = "CUSTOM";
    label.label = true;
    label.holeSize = 40.0;
    c.Append(label);
    // 210 x 297 mm at one pixel a millimetre.
    CRasterSurface paper(210, 297);
    RenderScreenCover(paper, {0, 0, 210, 297}, image, c, 0, false, false);
    EXPECT_EQ(paper.GetPixel(100, 148 - 105 + 5), kRed); // bottom edge on the middle line
    EXPECT_EQ(paper.GetPixel(100, 160), kWhite);
    CRasterSurface both(210, 297);
    RenderScreenCover(both, {0, 0, 210, 297}, image, c, 0 + kRightSideCode, true, false);
    EXPECT_EQ(both.GetPixel(100, 160), kRed); // the right front below the line

    CRasterSurface disc(210, 297);
    RenderScreenCover(disc, {0, 0, 210, 297}, image, c, 1, false, false);
    const int cx = 52 + 52, cy = 21 + 52;        // (210 - 105) / 2 = 52; (297 - 210) / 4 = 21
    EXPECT_EQ(disc.GetPixel(cx, cy), kWhite);    // the hole
    EXPECT_EQ(disc.GetPixel(cx, cy - 35), kRed); // the ring
    EXPECT_EQ(disc.GetPixel(53, 22), kWhite);    // outside the disc
}

} // namespace
