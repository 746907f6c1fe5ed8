// The paper control: which covers it draws where, the CD tray's sheet, the empty
// states, and what a drop of files tells its owner.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/Paper.h"
#include "formats/FormatCatalogue.h"
#include "gui/GuiApp.h"
#include "gui/PrintTestSupport.h"
#include "images/RasterImage.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr SurfaceColour kWhite = 0xFFFFFF;
constexpr SurfaceColour kTray = 0x3C3C3C;

// TestFormats() plus a tray format: a 60 x 120 mm sheet with a 50 mm disc.
FormatCatalogue Catalogue()
{
    FormatCatalogue catalogue = TestFormats();
    CoverFormat tray;
    tray.name = "Tray";
    tray.type = "CD_TRAY";
    catalogue.Append(tray);
    const int t = catalogue.GetCount() - 1;
    catalogue.SetPaperWidth(t, 60.0);
    catalogue.SetPaperHeight(t, 120.0);
    catalogue.SetPlacement(t, false, FormatCatalogue::Placement{5.0, 35.0, 50.0, 50.0});
    catalogue.SetHoleSize(t, 10.0);
    return catalogue;
}

int Count(const CRasterSurface& s, SurfaceColour colour)
{
    int n = 0;
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            n += s.GetPixel(x, y) == colour;
        }
    }
    return n;
}

class Paper : public GuiTest {
protected:
    FormatCatalogue catalogue = Catalogue();
};

} // namespace

TEST_F(Paper, SinglePageShowsBothCoversOnTheLeftAndABlankRightSheet)
{
    CRasterImage red, blue;
    ASSERT_TRUE(FillImage(red, 40, 40, kRed));
    ASSERT_TRUE(FillImage(blue, 40, 40, kBlue));
    CPaper left(catalogue), right(catalogue);
    right.SetIsLeft(0);
    for (CPaper* paper : {&left, &right}) {
        paper->SetSinglePage(1);
    }
    left.SetImage(&red);
    left.SetFormat({0, Side::Left});
    left.SetOtherImage(&blue);
    left.SetOtherFormat({0, Side::Right});
    right.SetImage(&blue);
    right.SetFormat({0, Side::Right});

    CRasterSurface l(210, 297), r(210, 297);
    left.DrawInto(l);
    right.DrawInto(r);
    EXPECT_GT(Count(l, kRed), 1000);
    EXPECT_GT(Count(l, kBlue), 1000) << "the left paper shows the right cover too";
    EXPECT_EQ(Count(r, kWhite), 210 * 297) << "the right paper stays a blank sheet";

    // Off single page each paper shows its own cover only.
    left.SetSinglePage(0);
    right.SetSinglePage(0);
    left.DrawInto(l);
    right.DrawInto(r);
    EXPECT_EQ(Count(l, kBlue), 0);
    EXPECT_GT(Count(r, kBlue), 1000);

    // A format code that names no format leaves the cover out.
    left.SetFormat({57, Side::Left});
    left.DrawInto(l);
    EXPECT_EQ(Count(l, kRed), 0);
}

TEST_F(Paper, TraySheetKeepsItsProportionsAndSitsAtTheInnerEdge)
{
    const int tray = catalogue.GetCount() - 1;
    for (int isLeft : {1, 0}) {
        CPaper paper(catalogue);
        paper.SetIsLeft(isLeft);
        paper.SetCdTray(1);
        paper.SetPaperSize(60.0, 120.0);
        paper.SetFormat({tray, isLeft ? Side::Left : Side::Right});
        CRasterSurface s(210, 297);
        paper.DrawInto(s);
        // 60 x 297 / 120 = 148.5 pixels of sheet at one pixel per millimetre of A4.
        const int edge = isLeft ? 61 : 148;
        const int inside = isLeft ? edge + 1 : edge - 2;
        const int outside = isLeft ? edge - 1 : edge;
        EXPECT_EQ(s.GetPixel(outside, 5), kTray) << "left=" << isLeft;
        EXPECT_EQ(s.GetPixel(inside, 5), kWhite) << "left=" << isLeft;
        // The empty tray shows the pale disc with its hole.
        const int sheetLeft = isLeft ? 61 : 0;
        const int discX = sheetLeft + static_cast<int>(30.0 * 148.5 / 60.0 / 2.0);
        EXPECT_EQ(s.GetPixel(discX, static_cast<int>(60.0 * 297.0 / 120.0)), SurfaceColour{0xCFDBFF});
    }
}

TEST_F(Paper, EmptyPaperShowsTheBackgroundPictureCentred)
{
    CRasterImage background;
    ASSERT_TRUE(FillImage(background, 50, 30, kBlue));
    CPaper paper(catalogue);
    paper.SetFormat({0, Side::Left});
    CRasterSurface s(210, 297);
    paper.DrawInto(s);
    EXPECT_EQ(Count(s, kWhite), 210 * 297) << "no picture, no background: a white sheet";
    paper.SetBackground(&background);
    paper.DrawInto(s);
    EXPECT_EQ(Count(s, kBlue), 50 * 30);
    EXPECT_EQ(s.GetPixel(80, 133), kBlue); // (210 - 50) / 2, (297 - 30) / 2
    EXPECT_EQ(s.GetPixel(79, 133), kWhite);
}

TEST_F(Paper, DropsLoadOneFileOrMakeABatchInBatchMode)
{
    CPaper paper(catalogue);
    paper.SetIsLeft(0);
    bool batchMode = false;
    paper.SetBatchModeSource([&] { return batchMode; });
    QSignalSpy loads(&paper, &CPaper::loadDropped);
    QSignalSpy batch(&paper, &CPaper::batchDropped);
    const QStringList three{"/a/1.jpg", "/a/2.jpg", "/a/3.jpg"};

    paper.HandleDrop({});
    EXPECT_EQ(loads.count() + batch.count(), 0);
    paper.HandleDrop(three);
    ASSERT_EQ(loads.count(), 1);
    EXPECT_EQ(loads[0][0].toString(), "/a/1.jpg");
    EXPECT_EQ(loads[0][1].toInt(), 1) << "the right paper loads into the right side";
    EXPECT_EQ(batch.count(), 0);

    batchMode = true;
    paper.HandleDrop(three);
    ASSERT_EQ(batch.count(), 3);
    EXPECT_EQ(batch[0][1].toInt(), 0);
    EXPECT_EQ(batch[1][1].toInt(), 1);
    EXPECT_EQ(batch[2][1].toInt(), 2);
    EXPECT_EQ(batch[2][0].toString(), "/a/3.jpg");
    paper.HandleDrop({"/a/only.jpg"});
    EXPECT_EQ(loads.count(), 2) << "one file is a plain load even in batch mode";
}
