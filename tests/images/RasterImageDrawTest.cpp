// Drawing pictures on a surface: whole, stretched, in parts, tiled, turned, with a
// transparent colour (each line of data/draw-cases.txt one call, checked pixel by pixel),
// and building a picture from an off-screen surface.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "DataLines.h"
#include "images/BmpBuilder.h"
#include "images/RasterImage.h"
#include "layout/PdfPictures.h"
#include "surfaces/RasterSurface.h"

namespace {

// What a surface holds before drawing: a colour of its own at every pixel, so that a
// pixel shown through or left alone is known.
SurfaceColour Backdrop(int x, int y)
{
    return RgbColour(std::uint8_t(x * 9), std::uint8_t(y * 11), 201);
}

SurfaceRect ReadRect(const std::string& text)
{
    SurfaceRect r;
    EXPECT_EQ(std::sscanf(text.c_str(), "%d,%d,%d,%d", &r.left, &r.top, &r.right, &r.bottom), 4) << text;
    return r;
}

bool Inside(const SurfaceRect& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The picture of a line's first field, as the top of draw-cases.txt describes it.
struct Picture {
    CRasterImage image;
    int bpp = 0; // of a pattern picture; 0 for a file or none
    int w = 0;   // the pattern's size as made
    int h = 0;
    int quarterTurns = 0; // clockwise, net
    int key = -1;
    int twin = -1;

    // The palette index and colour the picture must have at (x, row from the top): a
    // pattern picture's from where the turns brought the pixel, a file's as loaded.
    std::pair<std::uint32_t, SurfaceColour> At(int x, int top) const
    {
        if (bpp == 0)
            return {image.GetPixelIndex(x, image.GetHeight() - 1 - top),
                    image.Pixels().GetColour(x, image.GetHeight() - 1 - top)};
        const int q = quarterTurns;
        const int ox = q == 0 ? x : q == 1 ? top : q == 2 ? w - 1 - x : w - 1 - top;
        const int otop = q == 0 ? top : q == 1 ? h - 1 - x : q == 2 ? h - 1 - top : x;
        const std::uint32_t v = testbmp::Pattern(bpp, ox, otop);
        return {v, testbmp::ColourOf(bpp, int(v) == twin ? std::uint32_t(key) : v)};
    }
};

TEST(RasterImageDraw, CasesOfDataFile)
{
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/images/data/draw-cases.txt");
    ASSERT_GE(lines.size(), 40u);
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::vector<std::string> f = SplitFields(line, " | ", 4);
        Picture p;
        std::istringstream words(f[0]);
        std::string kind, word;
        std::vector<float> turns;
        words >> kind;
        if (kind != "none" && kind.rfind("file:", 0) != 0) {
            char by = 0;
            p.bpp = std::stoi(kind);
            words >> p.w >> by >> p.h;
        }
        while (words >> word) {
            std::istringstream list(word.rfind("turn=", 0) == 0 ? Replaced(word.substr(5), {{",", " "}})
                                                                : "");
            for (float t = 0; list >> t;)
                turns.push_back(t);
            ASSERT_TRUE(std::sscanf(word.c_str(), "key=%d", &p.key) == 1 ||
                        std::sscanf(word.c_str(), "twin=%d", &p.twin) == 1 || word == "off" ||
                        !list.str().empty())
                << "unknown option " << word;
        }
        if (p.bpp > 0) {
            testbmp::Bytes bmp = testbmp::MakePattern(p.w, p.h, p.bpp);
            if (p.twin >= 0) // palette entry twin gets the transparent entry's colour
                std::copy_n(bmp.begin() + 54 + 4 * p.key, 4, bmp.begin() + 54 + 4 * p.twin);
            ASSERT_TRUE(p.image.LoadMemory(bmp.data(), bmp.size(), kImageBmp)) << p.image.GetLastError();
            p.image.SetTransIndex(p.key);
        } else if (kind != "none") {
            ASSERT_TRUE(p.image.Load(SLEEVIT_SOURCE_DIR "/fuzz/corpus/" + kind.substr(5), kImageAny));
            ASSERT_EQ(p.image.GetTransIndex(), p.key);
        }
        float degrees = 0;
        for (const float t : turns) {
            ASSERT_TRUE(p.image.Rotate(t));
            degrees += t;
        }
        p.quarterTurns = (int(degrees) / 90 % 4 + 4) % 4;
        EXPECT_EQ(p.image.QuarterTurns(), p.quarterTurns);
        if (p.bpp > 0) {
            EXPECT_EQ(p.image.GetBpp(), p.bpp);
        }
        p.image.Enable(f[0].find(" off") == std::string::npos);

        // The surface: "none" or its size and clip rectangle.
        std::unique_ptr<CRasterSurface> s;
        std::optional<SurfaceRect> own;
        int sw = 0, sh = 0;
        if (std::sscanf(f[1].c_str(), "%dx%d", &sw, &sh) == 2) {
            s = std::make_unique<CRasterSurface>(sw, sh);
            for (int y = 0; y < sh; ++y)
                for (int x = 0; x < sw; ++x)
                    s->SetPixel(x, y, Backdrop(x, y));
            if (f[1].find("clip=") != std::string::npos)
                own = ReadRect(f[1].substr(f[1].find("clip=") + 5));
            s->SetClipRect(own ? &*own : nullptr);
        }

        // The call.
        std::string verb = f[2].substr(0, f[2].find(' '));
        int a[8] = {};
        std::sscanf(f[2].c_str() + verb.size(), "%d %d %d %d %d %d %d %d", &a[0], &a[1], &a[2], &a[3], &a[4],
                    &a[5], &a[6], &a[7]);
        const std::size_t clipAt = f[2].find("clip=");
        const SurfaceRect callClip =
            clipAt == std::string::npos ? SurfaceRect{} : ReadRect(f[2].substr(clipAt + 5));
        bool ok = false;
        if (verb == "draw")
            ok = p.image.Draw(s.get(), a[0], a[1], a[2], a[3],
                              clipAt == std::string::npos ? nullptr : &callClip);
        else if (verb == "stretch")
            ok = p.image.DrawStretched(s.get(), a[0], a[1], a[2], a[3]);
        else if (verb == "part")
            ok = p.image.DrawPart(s.get(), a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
        else if (verb == "tile")
            ok = p.image.Tile(s.get(), {a[0], a[1], a[2], a[3]});
        if (verb == "print") {
            // In print the picture is keyed by its index too: only the key's pixels have no alpha.
            CPdfPictures pictures;
            const CPdfPictures::Source print =
                pictures.Get(p.image.Pixels(), &p.image, p.image.GetTransColour(), p.key);
            ok = print.surface != nullptr;
            const unsigned char* data = ok ? cairo_image_surface_get_data(print.surface) : nullptr;
            for (int y = 0; ok && y < p.image.GetHeight(); ++y)
                for (int x = 0; x < p.image.GetWidth(); ++x) {
                    std::uint32_t argb = 0;
                    std::memcpy(&argb, data + y * cairo_image_surface_get_stride(print.surface) + 4 * x, 4);
                    EXPECT_EQ(argb >> 24 == 0, p.At(x, y).first == std::uint32_t(p.key)) << x << "," << y;
                }
            cairo_surface_destroy(print.surface);
        }

        // The result: "no", or "yes" and what shows: the picture's part src over dst
        // ("<dst> from <src>") or tiles over a rectangle ("tiles <dst>"), within "in <clip>".
        std::istringstream result(f[3]);
        std::string answer;
        result >> answer;
        EXPECT_EQ(ok ? "yes" : "no", answer);
        SurfaceRect dst, src, clip{-(1 << 30), -(1 << 30), 1 << 30, 1 << 30};
        bool tiles = false;
        while (result >> word) {
            tiles = tiles || word == "tiles";
            SurfaceRect& to = word == "from" ? src : word == "in" ? clip : dst;
            if (word == "from" || word == "in")
                result >> word;
            if (word != "tiles")
                to = ReadRect(word);
        }
        if (!s)
            continue;
        EXPECT_EQ(s->GetClipRect(), own) << "the surface's own clip rectangle is back";
        bool same = true; // the first wrong pixel of a line is told, the other lines still run
        for (int y = 0; same && y < sh; ++y)
            for (int x = 0; same && x < sw; ++x) {
                SurfaceColour want = Backdrop(x, y);
                if (Inside(dst, x, y) && Inside(clip, x, y)) {
                    const int sx = tiles ? int((std::int64_t{x} - dst.left) % p.image.GetWidth())
                                         : src.left + (x - dst.left) * src.Width() / dst.Width();
                    const int sy = tiles ? int((std::int64_t{y} - dst.top) % p.image.GetHeight())
                                         : src.top + (y - dst.top) * src.Height() / dst.Height();
                    const auto [index, colour] = p.At(sx, sy);
                    want = p.key >= 0 && index == std::uint32_t(p.key) ? want : colour;
                }
                same = s->GetPixel(x, y) == want;
                EXPECT_TRUE(same) << "pixel (" << x << "," << y << "): have " << std::hex << s->GetPixel(x, y)
                                  << ", want " << want;
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
    const testbmp::Bytes bmp = testbmp::MakePattern(2, 2, 8);
    ASSERT_TRUE(image.LoadMemory(bmp.data(), bmp.size(), kImageBmp));
    image.SetTransIndex(1);
    ASSERT_TRUE(image.CreateFromBitmap(mask));
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetTransIndex(), -1) << "the new picture has no transparent colour";
    ASSERT_EQ(image.GetWidth(), 7);
    ASSERT_EQ(image.GetHeight(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(image.Pixels().GetColour(x, 4 - y), mask.GetPixel(x, y)) << "(" << x << "," << y << ")";

    CRasterSurface none(0, 0);
    EXPECT_FALSE(image.CreateFromBitmap(none));
    EXPECT_EQ(image.GetLastError(), "GetDIBits failed");
    EXPECT_FALSE(image.IsValid()) << "the previous picture is gone";
}

} // namespace
