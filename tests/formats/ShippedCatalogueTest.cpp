#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CollectingMessages.h"
#include "ScratchFolder.h"
#include "formats/FormatCatalogue.h"

namespace {

const std::string kShipped = std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat";

class ShippedCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catalogue.LoadCatalogue(kShipped, messages));
        ASSERT_TRUE(messages.errors.empty()) << messages.errors.front();
    }
    CCollectingMessages messages;
    FormatCatalogue catalogue;
};

TEST_F(ShippedCatalogue, IsWrittenInTheNormalisedForm)
{
    EXPECT_EQ(catalogue.CatalogueText(), ReadBytes(kShipped));
}

TEST_F(ShippedCatalogue, TheFirstTwoFormatsAreWhereDetectionExpectsThem)
{
    ASSERT_GE(catalogue.GetCount(), 2);
    EXPECT_EQ(catalogue.GetType(0), "CD_FRONT");
    EXPECT_EQ(catalogue.Get(0)->size, (SizeMm{120.0, 120.0}));
    // A sideways front + inside picture is turned upright and given the second format.
    EXPECT_EQ(catalogue.Get(1)->size, (SizeMm{120.0, 240.0}));
    EXPECT_DOUBLE_EQ(catalogue.GetAspectRatio(1), 2.0);
}

TEST_F(ShippedCatalogue, EveryKindOfCoverIsThere)
{
    for (const char* type :
         {"CD_FRONT", "DVD", "SLIMLINE_DVD", "PHOTO", "PHOTO_ZOOMED", "PLAYSTATION", "CD_TRAY"})
        EXPECT_NE(catalogue.FindByType(type), -1) << "no format of type " << type;
    int labels = 0;
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        const CoverFormat& f = *catalogue.Get(i);
        EXPECT_TRUE(f.hasSize) << f.name;
        if (f.label) {
            ++labels;
            EXPECT_GT(f.holeSize, 0.0) << f.name;
            EXPECT_LT(f.holeSize, f.size.width / 2) << f.name;
        }
        if (f.type == "SLIMLINE_DVD") {
            EXPECT_TRUE(catalogue.HasSpine(i)) << f.name;
        }
        if (f.type == "CD_TRAY") {
            EXPECT_TRUE(f.label) << f.name;
            EXPECT_GE(f.paperSize.width, f.size.width) << f.name;
            EXPECT_LT(f.paperSize.width, 150.0) << f.name;
        }
    }
    EXPECT_GE(labels, 3); // CD/DVD label, mini-CD label, disc in the tray
    EXPECT_GE(catalogue.GetCount(), 16);
    // Other code finds the 120 mm tray format by its name; an 80 mm disc has one too.
    const int tray = catalogue.FindByType("CD_TRAY");
    ASSERT_NE(tray, -1);
    EXPECT_EQ(catalogue.GetName(tray), "Disc in CD Tray");
    bool smallTray = false;
    for (int i = 0; i < catalogue.GetCount(); ++i)
        smallTray |= catalogue.GetType(i) == "CD_TRAY" && catalogue.Get(i)->size.width <= 80.0;
    EXPECT_TRUE(smallTray) << "no tray format for 80 mm discs";
}

// Detection picks the closest proportions, so two detecting formats must not be close.
TEST_F(ShippedCatalogue, DetectingFormatsHaveDistinctProportions)
{
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        if (!catalogue.GetAutodetect(i))
            continue;
        // A picture twice as wide as high is taken for a sideways front + inside cover.
        EXPECT_GT(std::fabs(catalogue.GetAspectRatio(i) - 0.5), 0.1) << catalogue.GetName(i);
        for (int j = i + 1; j < catalogue.GetCount(); ++j) {
            if (!catalogue.GetAutodetect(j))
                continue;
            EXPECT_GT(std::fabs(catalogue.GetAspectRatio(i) - catalogue.GetAspectRatio(j)), 0.1)
                << catalogue.GetName(i) << " and " << catalogue.GetName(j);
        }
    }
}

} // namespace
