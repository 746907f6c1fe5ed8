#include <gtest/gtest.h>

#include <string>

#include "CollectingMessages.h"
#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/CoverRenderer.h"
#include "layout/Placement.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr int kDpi = 100;
constexpr SurfaceColour kPicture = RgbColour(30, 160, 90);

int Px(double mm)
{
    return MmToPixels(mm, kDpi);
}

// Every format of the shipped catalogue, on either side, lies on its own sheet without
// being pulled in or shrunk, and its cover carries the picture.
TEST(ShippedFormats, EveryFormatMakesACoverOnItsSheet)
{
    CCollectingMessages messages;
    FormatCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCatalogue(std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat", messages));
    CRasterSurface source(8, 8, kPicture);
    CRasterImage picture;
    ASSERT_TRUE(picture.CreateFromBitmap(source));

    for (int i = 0; i < catalogue.GetCount(); ++i) {
        const CoverFormat& f = *catalogue.Get(i);
        const PaperSizeMm paper = PaperOfFormat(catalogue, i);
        const int w = Px(paper.width);
        const int h = Px(paper.height);
        const DeviceCaps caps{kDpi, kDpi, w, h, w, h, 0, 0};
        for (const Side side : {Side::Left, Side::Right}) {
            SCOPED_TRACE(f.name + (side == Side::Left ? " left" : " right"));
            CCollectingMessages notices;
            PlacementJob job{&notices, false};
            const CoverPlacement at =
                ComputePlacement(caps, catalogue, catalogue.Get(i), side, false, true, job);
            EXPECT_TRUE(notices.notices.empty()) << "the cover does not fit its sheet";
            EXPECT_NEAR(at.width, Px(f.size.width), 1);
            EXPECT_NEAR(at.height, Px(f.size.height), 1);
            EXPECT_GE(at.x, 0);
            EXPECT_GE(at.y, 0);
            EXPECT_LE(at.x + at.width, caps.physicalWidth);
            EXPECT_LE(at.y + at.height, caps.physicalHeight);

            CRasterSurface page(caps);
            EXPECT_TRUE(RenderCover(page, at, picture, f, RenderOptions{}));
            // A point off the centre lines (fold lines) and, on a label, between hole and rim.
            const int x =
                at.x + at.width / 2 + (f.label ? Px((f.holeSize + f.size.width) / 4) : at.width / 7);
            const int y = at.y + at.height / 2 + (f.label ? 0 : at.height / 7);
            EXPECT_EQ(page.GetPixel(x, y), kPicture) << "at " << x << ", " << y;
        }
    }
}

} // namespace
