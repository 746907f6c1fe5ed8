#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "RunProgram.h"
#include "ScratchFolder.h"
#include "layout/PdfTestSupport.h"

namespace {

const std::string kCli = SLEEVIT_CLI;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// The bounding box of the pixels close to a colour (0x00BBGGRR) on a page.
Box Find(const PagePicture& page, SurfaceColour colour)
{
    Box b;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x)
            if (ColourDistance(page.At(x, y), colour) <= 40) {
                b.left = std::min(b.left, x), b.top = std::min(b.top, y);
                b.right = std::max(b.right, x), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

const std::string kData = SLEEVIT_SOURCE_DIR "/tests/cli/data/";

TEST(PrintCommand, TwoCoversToPdfLandWherePlacementPutsThem)
{
    if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftoppm is not installed";
    ScratchFolder folder;
    const std::string pdf = folder.File("out.pdf");
    // The front picture is red, its companion "Album back.png" blue.
    const ProgramResult r =
        RunProgram(kCli + " print --catalogue '" + kData + "front-and-back.dat' --left '" + kData +
                   "Album front.png' --to '" + pdf + "' --dpi 300");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Album back.png"), std::string::npos) << "the back cover was not found: " << r.err;
    const std::vector<PagePicture> pages = RasterisePdf(pdf, 300);
    ASSERT_EQ(pages.size(), 2u);
    // A4 at 300 dpi: 2480 x 3507 pixels, middle line at row 1753. The front: 1417 pixels
    // square, centred across, its bottom edge on the middle line.
    const Box red = Find(pages[0], 0x0000FF);
    EXPECT_NEAR(red.left, 531, 1);
    EXPECT_NEAR(red.top, 1753 - 1417, 1);
    EXPECT_NEAR(red.right, 531 + 1417 - 1, 1);
    EXPECT_NEAR(red.bottom, 1753 - 1, 1);
    // The back inlay: 1783 x 1393 pixels centred in the lower half.
    const Box blue = Find(pages[1], 0xFF0000);
    EXPECT_NEAR(blue.left, (2480 - 1783) / 2, 1);
    EXPECT_NEAR(blue.top, 1753 + (1753 - 1393) / 2, 1);
    EXPECT_NEAR(blue.right - blue.left + 1, 1783, 2);
    // The dashed fold 6.5 mm (76 pixels) in from the cover's left edge crosses the
    // picture; the border covers the cover's first column, so blue starts one later.
    int dark = 0;
    const int foldX = blue.left - 1 + 76;
    for (int y = blue.top + 10; y < blue.top + 70; ++y)
        dark += (pages[1].At(foldX, y) & 0x808080) == 0 ? 1 : 0;
    EXPECT_GE(dark, 20);
    EXPECT_LE(dark, 40);
}

} // namespace
