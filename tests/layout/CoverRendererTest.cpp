#include <gtest/gtest.h>

#include "CollectingMessages.h"
#include "DataLines.h"
#include "DrawScript.h"

#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/CoverRenderer.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr SurfaceColour kRed = RgbColour(255, 0, 0);

// A 24-bit picture whose pixels come from a function of (x, y from the top).
struct Picture : CRasterImage {
    Picture(int width, int height, const std::function<SurfaceColour(int, int)>& colour)
    {
        CRasterSurface surface(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                surface.SetPixel(x, y, colour(x, y));
        EXPECT_TRUE(width == 0 || CreateFromBitmap(surface));
    }
};

// Row r of the picture has the colour (r % 256, r / 256, 7), so a row can be told from a pixel.
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

bool Compare(int have, const std::string& op)
{
    const int n = std::stoi(op.substr(op[1] == '=' ? 2 : 1));
    return op[0] == '=' ? have == n : op[0] == '<' ? have < n : op[1] == '=' ? have >= n : have > n;
}

// Runs the cases of cover-pictures.txt (the file says how they are written).
TEST(RenderCover, CoversGiveTheirPixels)
{
    FormatCatalogue catalogue;
    std::unique_ptr<Picture> picture;
    std::unique_ptr<CRasterSurface> page;
    std::string cover;
    int cases = 0;
    for (const std::string& line :
         ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/layout/data/cover-pictures.txt")) {
        SCOPED_TRACE(cover + ": " + line);
        std::istringstream in(line);
        std::string verb, word, op;
        int x = 0, y = 0, dx = 0, dy = 0, n = 0, format = 0;
        char colour = 0;
        in >> verb;
        if (verb == "scaled") {
            unsigned count = 0;
            double fraction = 0;
            in >> count >> fraction >> n;
            EXPECT_EQ(ScaledCount(count, fraction), n);
        } else if (verb == "cover") {
            in >> cover;
            ++cases;
        } else if (verb == "catalogue") {
            std::string text;
            in >> std::ws;
            for (char ch; in.get(ch);)
                text += ch == '|' ? std::string("\r\n") : std::string(1, ch);
            CCollectingMessages messages;
            catalogue = FormatCatalogue();
            catalogue.LoadCatalogueBytes(text + "\r\n", messages);
        } else if (verb == "picture") {
            in >> word >> x >> y;
            const SurfaceColour flat = word == "red" ? kRed : kColourBlack;
            picture = std::make_unique<Picture>(x, y, [&](int px, int py) {
                return word == "rows" ? RowColour(0, py) : word == "columns" ? RowColour(0, px) : flat;
            });
        } else if (verb == "print") {
            int dpi = 0, offset = 0;
            CoverPlacement at;
            in >> format >> dpi >> x >> y >> offset >> at.x >> at.y >> at.width >> at.height >> at.holeSize;
            RenderOptions options{false, false, false};
            bool counted = true;
            while (in >> word) {
                options.drawCutLines = options.drawCutLines || word == "lines";
                options.printBorder = options.printBorder || word == "border";
                options.preview = options.preview || word == "preview";
                counted = counted && word != "uncounted";
            }
            page = std::make_unique<CRasterSurface>(Page(dpi, x, y, offset));
            ASSERT_NE(catalogue.Get(format), nullptr);
            EXPECT_EQ(RenderCover(*page, at, *picture, *catalogue.Get(format), options), counted);
        } else if (verb == "screen") {
            std::string side, single;
            in >> format >> side >> single >> x >> y >> word;
            page = std::make_unique<CRasterSurface>(x, y);
            const PlacementMm mm = PlaceCoverMm(
                catalogue, {format, side == "left" ? Side::Left : Side::Right}, single == "single", false);
            RenderScreenCover(*page, {0, 0, x, y}, *picture, mm, word == "lines");
        } else if (verb == "want") {
            while (in >> x >> y >> colour)
                EXPECT_EQ(page->GetPixel(x, y), ColourOfChar(colour)) << "(" << x << ", " << y << ")";
        } else if (verb == "row") {
            in >> x >> y >> op;
            EXPECT_TRUE(Compare(RowOf(page->GetPixel(x, y)), op)) << "have " << RowOf(page->GetPixel(x, y));
        } else if (verb == "ramp") {
            int first = 0, i = 0;
            in >> x >> y >> dx >> dy >> n >> first;
            while (i < n && RowOf(page->GetPixel(x + i * dx, y + i * dy)) == first + i)
                ++i;
            EXPECT_EQ(i, n) << "the first step showing another row";
        } else {
            ASSERT_EQ(verb, "count");
            in >> x >> y >> dx >> dy >> n >> colour >> op;
            int have = 0;
            for (int i = 0; i < n; ++i)
                have += page->GetPixel(x + i * dx, y + i * dy) == ColourOfChar(colour) ? 1 : 0;
            EXPECT_TRUE(Compare(have, op)) << "have " << have;
        }
    }
    EXPECT_GE(cases, 9);
}

} // namespace
