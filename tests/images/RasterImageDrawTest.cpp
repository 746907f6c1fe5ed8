// Drawing pictures on a surface: whole, stretched, in parts, tiled, with a transparent
// colour, and building a picture from an off-screen surface.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "images/BmpBuilder.h"
#include "images/RasterImage.h"
#include "layout/PdfPictures.h"
#include "surfaces/PixelBlock.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr SurfaceColour kGrey = RgbColour(90, 90, 90);

// A picture of w x h at bpp loaded through the BMP decoder; pixel(x, yFromTop) gives its
// palette index, or for 24 bits its colour. patch changes the file's bytes first.
void Load(CRasterImage& image, int bpp, int w, int h, const std::function<std::uint32_t(int, int)>& pixel,
          const std::function<void(testbmp::Bytes&)>& patch = {})
{
    testbmp::Bytes bmp = testbmp::Make(w, h, bpp, [&](int x, int y) {
        const std::uint32_t v = pixel(x, y); // 0x00BBGGRR for 24 bits; the file wants 0xRRGGBB
        return bpp == 24 ? (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF) : v;
    });
    if (patch)
        patch(bmp);
    ASSERT_TRUE(image.LoadMemory(bmp.data(), bmp.size(), kImageBmp)) << image.GetLastError();
    ASSERT_EQ(image.GetWidth(), w);
    ASSERT_EQ(image.GetHeight(), h);
    ASSERT_EQ(image.GetBpp(), bpp);
}

// Colour of picture pixel (x, y from the top).
SurfaceColour ColourAt(const CRasterImage& image, int x, int yFromTop)
{
    return image.Pixels().GetColour(x, image.GetHeight() - 1 - yFromTop);
}

std::uint32_t Varied(int x, int y)
{
    return std::uint32_t(x * 7 + y * 13 + ((x * y) % 5));
}

// Checks every pixel of s: inside dst (and inside clip) the picture's part src drawn
// nearest-neighbour (destination pixel i takes source pixel floor(i * source /
// destination)), elsewhere and where the picture's pixel has the palette index key
// what outside gives.
void ExpectDrawn(const CRasterSurface& s, const CRasterImage& image, SurfaceRect dst, SurfaceRect src,
                 const std::function<SurfaceColour(int, int)>& outside, const std::string& what,
                 SurfaceRect clip = {-1000, -1000, 1000, 1000}, int key = -1)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            const bool in = x >= std::max(dst.left, clip.left) && x < std::min(dst.right, clip.right) &&
                            y >= std::max(dst.top, clip.top) && y < std::min(dst.bottom, clip.bottom);
            const int sx = in ? src.left + (x - dst.left) * src.Width() / dst.Width() : 0;
            const int sy = in ? src.top + (y - dst.top) * src.Height() / dst.Height() : 0;
            const bool shown =
                in && (key < 0 || image.GetPixelIndex(sx, image.GetHeight() - 1 - sy) != unsigned(key));
            const SurfaceColour want = shown ? ColourAt(image, sx, sy) : outside(x, y);
            ASSERT_EQ(s.GetPixel(x, y), want) << what << " at (" << x << "," << y << ")";
        }
}

SurfaceColour Grey(int, int)
{
    return kGrey;
}

TEST(RasterImageDraw, RefusesWhatCannotBeDrawnAndDrawsNothing)
{
    CRasterImage empty;
    CRasterImage image;
    Load(image, 24, 4, 3, Varied);
    CRasterSurface s(8, 8, kGrey);
    // Every way of drawing, with a picture and a surface.
    const auto calls = [](const CRasterImage& i, CRasterSurface* t) {
        return std::array{i.Draw(t, 0, 0), i.DrawStretched(t, 0, 0, 4, 4),
                          i.DrawPart(t, 0, 0, 4, 4, 0, 0, 2, 2), i.Tile(t, {0, 0, 8, 8})};
    };
    for (const auto& [what, results] :
         {std::pair{"no pixels", calls(empty, &s)}, {"no surface", calls(image, nullptr)}})
        for (std::size_t k = 0; k < results.size(); ++k)
            EXPECT_FALSE(results[k]) << what << ", way " << k << ": have success, want failure";
    for (const auto& [w, h] : {std::pair{0, 5}, {5, 0}}) {
        EXPECT_FALSE(image.Draw(&s, 0, 0, w, h)) << w << " x " << h;
        EXPECT_FALSE(image.DrawStretched(&s, 0, 0, w, h)) << w << " x " << h;
    }
    image.Enable(false);
    EXPECT_FALSE(image.Draw(&s, 0, 0) || image.DrawStretched(&s, 0, 0, 4, 4) || image.Tile(&s, {0, 0, 8, 8}))
        << "a disabled picture is not drawn";
    ExpectDrawn(s, image, {}, {}, Grey, "nothing drawn");
}

TEST(RasterImageDraw, NegativeExtentsMeanThePicturesOwnSize)
{
    CRasterImage image;
    Load(image, 24, 5, 4, Varied);
    using Call = bool (*)(const CRasterImage&, CRasterSurface&);
    const Call calls[] = {
        [](const CRasterImage& i, CRasterSurface& s) { return i.Draw(&s, 2, 1, -1, -7); },
        [](const CRasterImage& i, CRasterSurface& s) { return i.DrawStretched(&s, 2, 1, -3, -1); },
        [](const CRasterImage& i, CRasterSurface& s) { return i.DrawPart(&s, 2, 1, -1, -1, 0, 0, 5, 4); },
    };
    for (const Call call : calls) {
        CRasterSurface s(9, 7, kGrey);
        ASSERT_TRUE(call(image, s));
        ExpectDrawn(s, image, {2, 1, 7, 5}, {0, 0, 5, 4}, Grey, "at its own size");
    }
}

TEST(RasterImageDraw, EveryDepthDrawsItsOwnColoursAtAnyScale)
{
    for (int bpp : {1, 4, 8, 24}) {
        CRasterImage image;
        Load(image, bpp, 13, 9, [bpp](int x, int y) {
            return bpp == 24 ? RgbColour(std::uint8_t(x * 19), std::uint8_t(y * 27), 77) : Varied(x, y);
        });
        // Draw takes the same way to the surface; it is checked with clipping below.
        for (const auto& [w, h] : {std::pair{13, 9}, {26, 27}, {5, 4}, {40, 3}}) {
            CRasterSurface s(w, h);
            ASSERT_TRUE(image.DrawStretched(&s, 0, 0, w, h));
            ExpectDrawn(s, image, {0, 0, w, h}, {0, 0, 13, 9}, Grey,
                        std::to_string(bpp) + " bpp at " + std::to_string(w) + "x" + std::to_string(h));
        }
    }
}

TEST(RasterImageDraw, DrawPartTakesItsSourceRectangleFromTheTop)
{
    // 180 rows, each with its own colour: green = row counted from the top.
    CRasterImage image;
    Load(image, 24, 6, 180, [](int x, int y) { return RgbColour(std::uint8_t(x), std::uint8_t(y), 5); });
    for (const int cy : {160, 320}) {
        CRasterSurface s(6, cy);
        ASSERT_TRUE(image.DrawPart(&s, 0, 0, 6, cy, 0, 10, 6, 160));
        ExpectDrawn(s, image, {0, 0, 6, cy}, {0, 10, 6, 170}, Grey,
                    "rows 10 to 169 over " + std::to_string(cy));
    }
    // Columns likewise: source columns 2..4 spread over 6 columns.
    CRasterSurface c(6, 1);
    ASSERT_TRUE(image.DrawPart(&c, 0, 0, 6, 1, 2, 0, 3, 1));
    ExpectDrawn(c, image, {0, 0, 6, 1}, {2, 0, 5, 1}, Grey, "columns 2 to 4 over 6");
    // A zero-sized band is no error, it just shows nothing.
    EXPECT_TRUE(image.DrawPart(&c, 0, 0, 0, 1, 0, 0, 6, 180));
}

// A destination that differs from pixel to pixel, so that a shown-through pixel is known.
SurfaceColour Backdrop(int x, int y)
{
    return RgbColour(std::uint8_t(x * 9), std::uint8_t(y * 11), 201);
}

TEST(RasterImageDraw, TransparentColourLetsTheDestinationShowThrough)
{
    // Palette index 5 is the transparent one; index 9 has the same colour but is opaque,
    // so only the pixels of index 5 show the destination, on screen and in print.
    // Pixel (0, 0) counted from the bottom carries the transparent index.
    CRasterImage image;
    Load(
        image, 8, 10, 7,
        [](int x, int y) {
            return std::uint32_t(x == 0 && y == 6 ? 5 : (x + y) % 3 == 0 ? 5 : (x * y) % 12);
        },
        [](testbmp::Bytes& bmp) { std::copy_n(bmp.begin() + 54 + 4 * 5, 4, bmp.begin() + 54 + 4 * 9); });
    ASSERT_EQ(image.GetPixelIndex(0, 0), 5u);
    image.SetTransIndex(int(image.GetPixelIndex(0, 0)));
    const SurfaceColour key = image.GetTransColour();
    ASSERT_TRUE(image.GetPixelIndex(9, 5) == 9u && ColourAt(image, 9, 1) == key)
        << "an opaque pixel of the key colour";

    for (const auto& [what, w, h, stretched] : {std::tuple{"DrawStretched own size", 10, 7, true},
                                                {"DrawStretched enlarged", 23, 15, true},
                                                {"DrawStretched shrunk", 6, 4, true},
                                                {"Draw enlarged", 23, 15, false}}) {
        CRasterSurface s(25, 17);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 25; ++x)
                s.SetPixel(x, y, Backdrop(x, y));
        ASSERT_TRUE(stretched ? image.DrawStretched(&s, 1, 1, w, h) : image.Draw(&s, 1, 1, w, h));
        ExpectDrawn(s, image, {1, 1, 1 + w, 1 + h}, {0, 0, 10, 7}, Backdrop, what, {-1000, -1000, 1000, 1000},
                    5);
    }
    // In print the picture is keyed the same way: only index 5 has no alpha.
    CPdfPictures pictures;
    const CPdfPictures::Source print = pictures.Get(image.Pixels(), &image, key, 5);
    ASSERT_NE(print.surface, nullptr);
    const unsigned char* data = cairo_image_surface_get_data(print.surface);
    const int stride = cairo_image_surface_get_stride(print.surface);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x) {
            std::uint32_t argb = 0;
            std::memcpy(&argb, data + y * stride + 4 * x, 4);
            EXPECT_EQ(argb >> 24 == 0, image.GetPixelIndex(x, 6 - y) == 5)
                << "print pixel (" << x << "," << y << ")";
        }
    cairo_surface_destroy(print.surface);

    // Nothing visible: success without drawing.
    CRasterSurface s(8, 8, kGrey);
    EXPECT_TRUE(image.DrawStretched(&s, 20, 20, 10, 10));
    const SurfaceRect clip{0, 0, 2, 2};
    s.SetClipRect(&clip);
    EXPECT_TRUE(image.DrawStretched(&s, 3, 3, 5, 5));
    EXPECT_EQ(s.GetPixel(4, 4), kGrey);
}

TEST(RasterImageDraw, DrawKeepsToItsClipRectangleAndRestoresTheSurfaces)
{
    CRasterImage image;
    Load(image, 24, 4, 4,
         [](int x, int y) { return RgbColour(std::uint8_t(40 * x), std::uint8_t(50 * y), 9); });
    CRasterSurface s(10, 10, kGrey);
    const SurfaceRect own{0, 0, 7, 10};
    s.SetClipRect(&own);
    const SurfaceRect clip{3, 2, 9, 6};
    ASSERT_TRUE(image.Draw(&s, 1, 1, 8, 8, &clip));
    // Drawn only where the surface's clip and the given one overlap: (3,2)-(7,6).
    ExpectDrawn(s, image, {1, 1, 9, 9}, {0, 0, 4, 4}, Grey, "clipped", {3, 2, 7, 6});
    ASSERT_TRUE(s.GetClipRect().has_value());
    EXPECT_EQ(*s.GetClipRect(), own) << "the surface's own clip rectangle is back";

    CRasterSurface t(6, 6, kGrey);
    ASSERT_TRUE(image.Draw(&t, -2, 3, 4, 4, &clip));
    EXPECT_FALSE(t.GetClipRect().has_value()) << "a surface without a clip rectangle gets none";
    EXPECT_EQ(t.GetPixel(1, 3), kGrey) << "outside the given clip rectangle";
}

TEST(RasterImageDraw, TileRepeatsThePictureAndCutsTheLastColumnAndRow)
{
    CRasterImage image;
    Load(image, 24, 3, 2,
         [](int x, int y) { return RgbColour(std::uint8_t(60 * x + 1), std::uint8_t(90 * y + 1), 3); });
    struct Case {
        SurfaceRect rect;
        std::optional<SurfaceRect> clip;
    };
    const Case cases[] = {
        {{1, 1, 9, 6}, std::nullopt},                // 8 x 5: two and a bit tiles across, two and a half down
        {{1, 1, 9, 6}, SurfaceRect{4, 2, 7, 5}},     // only the clip box is drawn, tiles stay aligned
        {{-1000001, -1000000, 12, 9}, std::nullopt}, // starts far away; tiles still count from there
        {{5, 5, 5, 9}, std::nullopt},                // empty
    };
    for (const Case& k : cases) {
        CRasterSurface s(12, 9, kGrey);
        if (k.clip)
            s.SetClipRect(&*k.clip);
        ASSERT_TRUE(image.Tile(&s, k.rect));
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x) {
                bool in = x >= k.rect.left && x < k.rect.right && y >= k.rect.top && y < k.rect.bottom;
                if (k.clip)
                    in = in && x >= k.clip->left && x < k.clip->right && y >= k.clip->top &&
                         y < k.clip->bottom;
                const int px = int((std::int64_t{x} - k.rect.left) % 3);
                const int py = int((std::int64_t{y} - k.rect.top) % 2);
                ASSERT_EQ(s.GetPixel(x, y), in ? ColourAt(image, px, py) : kGrey)
                    << "rect (" << k.rect.left << "," << k.rect.top << "," << k.rect.right << ","
                    << k.rect.bottom << ") pixel (" << x << "," << y << ")";
            }
    }
}

TEST(RasterImageDraw, CreateFromBitmapCopiesAnOffScreenSurface)
{
    CRasterSurface mask(7, 5, kColourWhite);
    mask.SelectBrush(SurfaceBrush::Solid(kColourBlack));
    mask.Ellipse(0, 0, 7, 5);
    mask.SetPixel(3, 2, RgbColour(1, 2, 3));

    CRasterImage image;
    Load(image, 8, 2, 2, Varied);
    image.SetTransIndex(1);
    ASSERT_TRUE(image.CreateFromBitmap(mask));
    EXPECT_EQ(image.GetWidth(), 7);
    EXPECT_EQ(image.GetHeight(), 5);
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetTransIndex(), -1) << "the new picture has no transparent colour";
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(ColourAt(image, x, y), mask.GetPixel(x, y)) << "(" << x << "," << y << ")";

    // Drawn back at its own size it gives the surface again.
    CRasterSurface back(7, 5, kGrey);
    ASSERT_TRUE(image.DrawStretched(&back, 0, 0, 7, 5));
    ExpectDrawn(back, image, {0, 0, 7, 5}, {0, 0, 7, 5}, Grey, "drawn back");

    CRasterSurface none(0, 0);
    EXPECT_FALSE(image.CreateFromBitmap(none));
    EXPECT_EQ(image.GetLastError(), "GetDIBits failed");
    EXPECT_FALSE(image.IsValid()) << "the previous picture is gone";
}

TEST(RasterImageDraw, AnOpaqueEntryOfTheTransparentColourStaysOpaque)
{
    // Entry 0 is transparent black, entry 1 opaque black, entry 2 white: a row of one each.
    for (const char* file :
         {"gif/trans_black_beside_opaque_black.gif", "png/trans_black_beside_opaque_black.png"}) {
        SCOPED_TRACE(file);
        CRasterImage image;
        ASSERT_TRUE(image.Load(std::string(SLEEVIT_SOURCE_DIR "/fuzz/corpus/") + file, kImageAny))
            << image.GetLastError();
        ASSERT_EQ(image.GetTransIndex(), 0);
        const SurfaceColour green = RgbColour(0, 200, 0);
        CRasterSurface s(3, 1, green);
        ASSERT_TRUE(image.DrawStretched(&s, 0, 0, 3, 1));
        EXPECT_EQ(s.GetPixel(0, 0), green);
        EXPECT_EQ(s.GetPixel(1, 0), kColourBlack);
        EXPECT_EQ(s.GetPixel(2, 0), kColourWhite);
    }
}

} // namespace
