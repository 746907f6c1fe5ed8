#include <gtest/gtest.h>

#include "CollectingMessages.h"
#include "DataLines.h"
#include "DrawScript.h"

#include <memory>
#include <sstream>
#include <string>

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/CoverRenderer.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr SurfaceColour kRed = RgbColour(255, 0, 0);

// Row r of a picture of rows has the colour (r % 256, r / 256, 7), so a row can be told
// from a pixel.
SurfaceColour RowColour(int y)
{
    return RgbColour(static_cast<std::uint8_t>(y % 256), static_cast<std::uint8_t>(y / 256), 7);
}
int RowOf(SurfaceColour c)
{
    return int(c & 0xFF) + 256 * int((c >> 8) & 0xFF);
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
    std::unique_ptr<CRasterImage> picture;
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
            std::getline(in >> std::ws, text);
            CCollectingMessages messages;
            catalogue = FormatCatalogue();
            catalogue.LoadCatalogueBytes(Replaced(text, {{"|", "\r\n"}}) + "\r\n", messages);
        } else if (verb == "picture") {
            in >> word >> x >> y;
            CRasterSurface surface(x, y);
            for (int py = 0; py < y; ++py)
                for (int px = 0; px < x; ++px)
                    surface.SetPixel(px, py,
                                     word == "rows"      ? RowColour(py)
                                     : word == "columns" ? RowColour(px)
                                     : word == "red"     ? kRed
                                                         : kColourBlack);
            picture = std::make_unique<CRasterImage>();
            EXPECT_TRUE(x == 0 || picture->CreateFromBitmap(surface));
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
            page = std::make_unique<CRasterSurface>(
                DeviceCaps{dpi, dpi, x - 2 * offset, y - 2 * offset, x, y, offset, offset});
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
