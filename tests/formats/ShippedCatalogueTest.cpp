#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CollectingMessages.h"
#include "ScratchFolder.h"
#include "formats/FormatCatalogue.h"

namespace {

TEST(ShippedCatalogue, IsNormalisedAndHoldsEveryKindWhereDetectionExpectsIt)
{
    const std::string shipped = SLEEVIT_SOURCE_DIR "/data/Sleevit.dat";
    CCollectingMessages messages;
    FormatCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCatalogue(shipped, messages));
    ASSERT_TRUE(messages.errors.empty()) << messages.errors.front();
    EXPECT_EQ(catalogue.CatalogueText(), ReadBytes(shipped));
    ASSERT_GE(catalogue.GetCount(), 16);
    EXPECT_EQ(catalogue.GetType(0), "CD_FRONT");
    EXPECT_EQ(catalogue.Get(0)->size, (SizeMm{120.0, 120.0}));
    // A sideways front + inside picture is turned upright and given the second format.
    EXPECT_EQ(catalogue.Get(1)->size, (SizeMm{120.0, 240.0}));
    EXPECT_DOUBLE_EQ(catalogue.GetAspectRatio(1), 2.0);
    for (const char* type :
         {"CD_FRONT", "DVD", "SLIMLINE_DVD", "PHOTO", "PHOTO_ZOOMED", "PLAYSTATION", "CD_TRAY"})
        EXPECT_NE(catalogue.FindByType(type), -1) << "no format of type " << type;
    // Other code finds the 120 mm tray format by its name; an 80 mm disc has one too.
    EXPECT_EQ(catalogue.GetName(catalogue.FindByType("CD_TRAY")), "Disc in CD Tray");
    int labels = 0;
    bool smallTray = false;
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        const CoverFormat& f = *catalogue.Get(i);
        EXPECT_TRUE(f.hasSize) << f.name;
        labels += f.label ? 1 : 0;
        EXPECT_TRUE(!f.label || (f.holeSize > 0 && f.holeSize < f.size.width / 2)) << f.name;
        EXPECT_TRUE(f.type != "SLIMLINE_DVD" || catalogue.HasSpine(i)) << f.name;
        if (f.type == "CD_TRAY") {
            EXPECT_TRUE(f.label) << f.name;
            EXPECT_TRUE(f.paperSize.width >= f.size.width && f.paperSize.width < 150.0) << f.name;
            smallTray = smallTray || f.size.width <= 80.0;
        }
        // Detection picks the closest proportions, so two detecting formats must not be
        // close; a picture twice as wide as high is taken for a sideways front + inside.
        if (!catalogue.GetAutodetect(i))
            continue;
        EXPECT_GT(std::fabs(catalogue.GetAspectRatio(i) - 0.5), 0.1) << f.name;
        for (int j = i + 1; j < catalogue.GetCount(); ++j)
            EXPECT_TRUE(!catalogue.GetAutodetect(j) ||
                        std::fabs(catalogue.GetAspectRatio(i) - catalogue.GetAspectRatio(j)) > 0.1)
                << f.name << " and " << catalogue.GetName(j);
    }
    EXPECT_GE(labels, 3); // CD/DVD label, mini-CD label, disc in the tray
    EXPECT_TRUE(smallTray) << "no tray format for 80 mm discs";
}

} // namespace
