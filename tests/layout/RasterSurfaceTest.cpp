// Pixel rules of the in-memory drawing surface, checked pixel by pixel on small surfaces:
// the drawings of data/surface-pictures.txt, and properties over many sizes.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "DrawScript.h"
#include "surfaces/PixelBlock.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr SurfaceColour kRed = RgbColour(255, 0, 0);
constexpr SurfaceColour kBlue = RgbColour(0, 0, 255);

TEST(RasterSurface, StoresTopDownRgb32AndKeepsItsMeasurementsToolsAndClipBox)
{
    CRasterSurface s(3, 2, kColourWhite);
    ASSERT_TRUE(s.IsValid());
    EXPECT_EQ(s.Stride(), 12);
    s.SetPixel(1, 1, RgbColour(0x12, 0x34, 0x56));
    // Bytes in memory: blue, green, red, 0xFF (a 32-bit 0xFFRRGGBB on a little-endian machine).
    const std::uint8_t* p = s.Data() + 1 * s.Stride() + 1 * 4;
    EXPECT_EQ(std::vector<int>(p, p + 4), (std::vector<int>{0x56, 0x34, 0x12, 0xFF}));
    EXPECT_EQ(s.Row(1)[1], 0xFF123456u);
    EXPECT_EQ(s.GetPixel(1, 1), 0x563412u);
    EXPECT_EQ(s.GetPixel(0, 0), kColourWhite);
    EXPECT_EQ(s.GetPixel(3, 0), 0xFFFFFFFFu) << "outside the surface";
    EXPECT_EQ(s.GetPixel(-1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(s.GetDeviceCaps().logPixelsY, 96);
    EXPECT_EQ(s.GetDeviceCaps().horzRes, 3);
    EXPECT_EQ(s.GetDeviceCaps().vertRes, 2);

    DeviceCaps caps{600, 300, 40, 30, 50, 36, 5, 3};
    CRasterSurface page(caps);
    ASSERT_TRUE(page.IsValid());
    EXPECT_EQ(page.Bounds(), (SurfaceRect{0, 0, 40, 30}));
    EXPECT_EQ(page.GetDeviceCaps().logPixelsX, 600);
    EXPECT_EQ(page.GetDeviceCaps().physicalOffsetY, 3);
    caps.logPixelsX = 1200;
    EXPECT_TRUE(page.SetDeviceCaps(caps));
    EXPECT_EQ(page.GetDeviceCaps().logPixelsX, 1200);
    caps.horzRes = 41;
    EXPECT_FALSE(page.SetDeviceCaps(caps)) << "horzRes must stay the pixel width";
    EXPECT_EQ(page.GetDeviceCaps().horzRes, 40);

    const SurfacePen old = page.SelectPen(SurfacePen::Dotted(kBlue));
    EXPECT_EQ(old, SurfacePen::Solid(kColourBlack));
    EXPECT_EQ(page.SelectPen(old), SurfacePen::Dotted(kBlue));
    EXPECT_EQ(page.SelectBrush(SurfaceBrush::Hollow()), SurfaceBrush::Solid(kColourWhite));

    const SurfaceRect r{-4, 2, 7, 40};
    page.SetClipRect(&r);
    EXPECT_EQ(page.GetClipBox(), (SurfaceRect{0, 2, 7, 30}));
    EXPECT_TRUE(page.RectVisible({6, 29, 8, 38}));
    EXPECT_FALSE(page.RectVisible({7, 0, 9, 6}));
    EXPECT_FALSE(page.RectVisible({0, 0, 10, 2}));
    const SurfaceRect away{50, 50, 60, 60};
    page.SetClipRect(&away);
    EXPECT_TRUE(page.GetClipBox().IsEmpty());
    page.SetClipRect(nullptr);
    EXPECT_EQ(page.GetClipBox(), (SurfaceRect{0, 0, 40, 30}));

    EXPECT_FALSE(CRasterSurface(0, 5).IsValid()) << "sizes outside the limits give an empty surface";
}

// Every drawing also through each clip rectangle (but a copy of the surface onto itself,
// whose source the clip changes): inside the clip the same pixels, outside none.
TEST(RasterSurface, DrawingsGiveTheirPicturesAndKeepToTheClipRectangle)
{
    const auto cases = ReadPictureCases(SLEEVIT_SOURCE_DIR "/tests/layout/data/surface-pictures.txt");
    ASSERT_GE(cases.size(), 20u);
    const SurfaceRect clips[] = {{3, 4, 8, 9}, {0, 0, 12, 1}, {11, 0, 20, 20}, {-5, -5, 2, 3}, {6, 6, 6, 9}};
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterSurface s(c.width, c.height, c.background);
        const PixelBlock source = PixelsOf(c.source, c.bpp);
        std::string error;
        ASSERT_TRUE(RunDrawScript(s, c.script, error, &source)) << error;
        const std::vector<std::string> have = Picture(s);
        EXPECT_EQ(have, c.want) << "have:" << Join(have) << "\nwant:" << Join(c.want);
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                ASSERT_EQ(s.Row(y)[x] >> 24, 0xFFu) << "stored pixels stay opaque (" << x << ", " << y << ")";
        for (const SurfaceRect& clip : clips) {
            if (c.script.find("copy") != std::string::npos)
                break;
            CRasterSurface cut(c.width, c.height, c.background);
            cut.SetClipRect(&clip);
            ASSERT_TRUE(RunDrawScript(cut, c.script, error, &source)) << error;
            for (int y = 0; y < s.Height(); ++y)
                for (int x = 0; x < s.Width(); ++x) {
                    const bool in = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                    ASSERT_EQ(cut.GetPixel(x, y), in ? s.GetPixel(x, y) : c.background)
                        << "clip (" << clip.left << "," << clip.top << "," << clip.right << "," << clip.bottom
                        << ") pixel (" << x << "," << y << ")";
                }
        }
    }
}

TEST(RasterSurface, EllipseIsInscribedSymmetricConvexAndOutlinedWhereItMeetsTheOutside)
{
    for (int w = 1; w <= 16; ++w) {
        for (int h = 1; h <= 16; ++h) {
            // A black pen and a red brush, on a surface with a margin of one pixel.
            CRasterSurface s(w + 2, h + 2);
            s.SelectBrush(SurfaceBrush::Solid(kRed));
            s.Ellipse(1, 1, 1 + w, 1 + h);
            const auto pic = Picture(s);
            const std::string where = std::to_string(w) + " x " + std::to_string(h) + Join(pic);
            // The margin stays white; inside, mirror images across both axes, the outline
            // exactly where the shape meets the outside and the brush elsewhere.
            for (int y = 0; y < h + 2; ++y)
                for (int x = 0; x < w + 2; ++x) {
                    const char c = pic[y][x];
                    const bool margin = x == 0 || y == 0 || x == w + 1 || y == h + 1;
                    ASSERT_TRUE(margin ? c == '.' : c == pic[y][w + 1 - x] && c == pic[h + 1 - y][x])
                        << "pixel (" << x << "," << y << ") " << where;
                    const bool edge = margin || pic[y - 1][x] == '.' || pic[y + 1][x] == '.' ||
                                      pic[y][x - 1] == '.' || pic[y][x + 1] == '.';
                    if (c != '.' && w >= 3 && h >= 3) {
                        ASSERT_EQ(c, edge ? '#' : 'r') << "pixel (" << x << "," << y << ") " << where;
                    }
                }
            // Each row one unbroken run, no narrower than the rows above it up to the middle
            // one, which spans the whole width; so the shape touches every side.
            int prevWidth = 0;
            for (int y = 1; y <= (h + 1) / 2; ++y) {
                const auto first = pic[y].find_first_not_of('.');
                const auto last = pic[y].find_last_not_of('.');
                ASSERT_NE(first, std::string::npos) << "empty row " << y << " " << where;
                EXPECT_EQ(pic[y].substr(first, last - first + 1).find('.'), std::string::npos)
                    << "broken row " << y << " " << where;
                const int width = int(last - first + 1);
                EXPECT_GE(width, prevWidth) << "row " << y << " narrower than the one above " << where;
                prevWidth = width;
            }
            EXPECT_EQ(prevWidth, w) << "does not touch the sides " << where;
        }
    }
}

} // namespace
