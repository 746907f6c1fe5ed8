#include <gtest/gtest.h>

#include "CollectingMessages.h"

#include <string>
#include <vector>

#include "formats/FormatCatalogue.h"
#include "layout/Placement.h"

namespace {

// A4 at 300 dpi with 3 mm margins, as current inkjets have.
DeviceCaps A4At300()
{
    DeviceCaps c;
    c.logPixelsX = c.logPixelsY = 300;
    c.physicalWidth = 2480;
    c.physicalHeight = 3508;
    c.physicalOffsetX = c.physicalOffsetY = 35;
    c.horzRes = 2480 - 70;
    c.vertRes = 3508 - 70;
    return c;
}

// US Letter at 600 dpi with an older inkjet's margins: 6.3 mm at the sides, 3.2 mm on
// top, 12.7 mm at the bottom.
DeviceCaps LetterAt600()
{
    DeviceCaps c;
    c.logPixelsX = c.logPixelsY = 600;
    c.physicalWidth = 5100;
    c.physicalHeight = 6600;
    c.physicalOffsetX = 148;
    c.physicalOffsetY = 75;
    c.horzRes = 5100 - 2 * 148;
    c.vertRes = 6600 - 75 - 300;
    return c;
}

CoverFormat Format(const char* name, const char* type, double w, double h)
{
    CoverFormat f;
    f.name = name;
    f.type = type;
    f.size = {w, h};
    f.hasSize = true;
    return f;
}

struct Placed {
    CoverPlacement placement;
    bool noticed;
};

Placed Place(const DeviceCaps& caps, const FormatCatalogue& c, int index, Side side, bool single,
             bool check = true)
{
    CCollectingMessages notices;
    PlacementJob job{&notices, false};
    const CoverPlacement p = ComputePlacement(caps, c, index, side, single, check, job);
    return {p, !notices.notices.empty()};
}

TEST(Placement, PageMetricsFromTheDevice)
{
    const PageMetrics m = PageMetrics::FromCaps(LetterAt600());
    EXPECT_EQ(m.rightMargin, 148);
    EXPECT_EQ(m.bottomMargin, 300);
    EXPECT_EQ(m.halfHeight, 3300);
    EXPECT_EQ(m.printableWidth, 4804);
}

TEST(Placement, AutomaticCdFrontsMeetAtTheMiddleLine)
{
    FormatCatalogue c;
    c.Append(Format("CD Front", "CD_FRONT", 120, 120));
    const DeviceCaps a4 = A4At300();
    // 120 mm at 300 dpi is 1417 pixels; the middle line is row 1754.
    const CoverPlacement want{531, 1754 - 1417, 1417, 1417, 0};
    EXPECT_EQ(Place(a4, c, 0, Side::Left, false).placement, want);
    EXPECT_EQ(Place(a4, c, 0, Side::Left, true).placement, want);
    // Alone on its page the right front stands above the line too; sharing, below it.
    EXPECT_EQ(Place(a4, c, 0, Side::Right, false).placement, want);
    EXPECT_EQ(Place(a4, c, 0, Side::Right, true).placement.y, 1754);
}

TEST(Placement, AutomaticOtherTypesUseTheHalvesOrTheMiddle)
{
    FormatCatalogue c;
    c.Append(Format("Inlay", "CUSTOM", 151, 118));
    c.Append(Format("DVD", "DVD", 183, 273));
    const DeviceCaps a4 = A4At300();
    const CoverPlacement left = Place(a4, c, 0, Side::Left, false).placement;
    EXPECT_EQ(left, (CoverPlacement{(2480 - 1783) / 2, (1754 - 1393) / 2, 1783, 1393, 0}));
    // The right cover sits in the lower half, whether alone or sharing the sheet.
    EXPECT_EQ(Place(a4, c, 0, Side::Right, false).placement.y, 1754 + (1754 - 1393) / 2);
    EXPECT_EQ(Place(a4, c, 0, Side::Right, true).placement.y, 1754 + (1754 - 1393) / 2);
    // Taller than half the printable height: centred on the sheet for both sides.
    const CoverPlacement tall = Place(a4, c, 1, Side::Right, true).placement;
    EXPECT_EQ(tall.height, 3224);
    EXPECT_EQ(tall.y, (3508 - 3224) / 2);

    const DeviceCaps letter = LetterAt600();
    const CoverPlacement l600 = Place(letter, c, 0, Side::Left, false).placement;
    EXPECT_EQ(l600.width, 3566);  // 151 mm at 600 dpi
    EXPECT_EQ(l600.height, 2787); // 118 mm
    EXPECT_EQ(l600.x, (5100 - 3566) / 2);
    EXPECT_EQ(l600.y, (3300 - 2787) / 2);
}

TEST(Placement, ADvdSleeveAndACdFrontOverlapOnOneSheetTwoFrontsDoNot)
{
    FormatCatalogue c;
    c.Append(Format("CD Front", "CD_FRONT", 120, 120));
    c.Append(Format("DVD", "DVD", 183, 273));
    for (const DeviceCaps& caps : {A4At300(), LetterAt600()}) {
        const CoverPlacement front = Place(caps, c, 0, Side::Right, true).placement;
        EXPECT_TRUE(CoversOverlap(Place(caps, c, 1, Side::Left, true).placement, front));
        EXPECT_FALSE(CoversOverlap(Place(caps, c, 0, Side::Left, true).placement, front))
            << "two fronts meet at the middle line without sharing a row";
    }
    EXPECT_FALSE(CoversOverlap(CoverPlacement{0, 0, 10, 10, 0}, CoverPlacement{10, 0, 10, 10, 0}));
    EXPECT_TRUE(CoversOverlap(CoverPlacement{0, 0, 10, 10, 0}, CoverPlacement{9, 9, 10, 10, 0}));
    EXPECT_FALSE(CoversOverlap(CoverPlacement{}, CoverPlacement{0, 0, 10, 10, 0}));
}

TEST(Placement, ManualCoordinatesWithCalibrationAndFromTheFarEdge)
{
    FormatCatalogue c;
    CoverFormat f = Format("Manual", "CUSTOM", 120, 120);
    f.position = {10.0, 20.0};
    f.position2 = {-10.0, -20.0};
    c.Append(f);
    CoverFormat mirror = Format("Mirror", "CUSTOM", 120, 120);
    mirror.position2 = {kMirrorPosition, kMirrorPosition};
    c.Append(mirror);
    const DeviceCaps a4 = A4At300();

    EXPECT_EQ(Place(a4, c, 0, Side::Left, false).placement.x, 118); // trunc(10 / 25.4 * 300)
    EXPECT_EQ(Place(a4, c, 0, Side::Left, false).placement.y, 236);
    const CoverPlacement right = Place(a4, c, 0, Side::Right, false).placement;
    // Right edge 10 mm (118 px) from the sheet's right edge, bottom 20 mm from its bottom.
    EXPECT_NEAR(right.x + right.width, 2480 - 118, 1);
    EXPECT_NEAR(right.y + right.height, 3508 - 236, 1);
    // 2 mm inside the sheet's edges, which lies in the unprintable margin: unless the
    // cover is pulled into the printable area.
    const CoverPlacement mirrored = Place(a4, c, 1, Side::Right, false, false).placement;
    EXPECT_NEAR(mirrored.x + mirrored.width, 2480 - 23, 1);
    EXPECT_NEAR(mirrored.y + mirrored.height, 3508 - 23, 1);
    const CoverPlacement pulledIn = Place(a4, c, 1, Side::Right, false).placement;
    EXPECT_EQ(pulledIn.x + pulledIn.width, 2480 - 35);

    c.SetCalibrateX(1.5);
    c.SetCalibrateY(-0.5);
    EXPECT_EQ(Place(a4, c, 0, Side::Left, false).placement.x, 135); // trunc(11.5 / 25.4 * 300)
    EXPECT_EQ(Place(a4, c, 0, Side::Left, false).placement.y, 230); // trunc(19.5 / 25.4 * 300)
    // Automatic coordinates get no calibration.
    c.Append(Format("Auto", "CUSTOM", 120, 120));
    EXPECT_EQ(Place(a4, c, 2, Side::Left, false).placement.x, (2480 - 1417) / 2);
}

TEST(Placement, CorrectionIntoThePrintableAreaAndItsNoticeOncePerJob)
{
    FormatCatalogue c;
    CoverFormat edge = Format("Edge", "CUSTOM", 100, 100);
    edge.position = {0.0, 0.0};
    c.Append(edge);
    c.Append(Format("Wide", "CUSTOM", 215, 50));
    const DeviceCaps a4 = A4At300();

    const Placed corrected = Place(a4, c, 0, Side::Left, false);
    EXPECT_EQ(corrected.placement.x, 35);
    EXPECT_EQ(corrected.placement.y, 35);
    EXPECT_TRUE(corrected.noticed);
    EXPECT_EQ(Place(a4, c, 0, Side::Left, false, false).placement.x, 0);

    // Wider than the printable area: overhangs both margins equally.
    const CoverPlacement wide = Place(a4, c, 1, Side::Left, false).placement;
    EXPECT_EQ(wide.width, 2539);
    EXPECT_EQ(wide.x, 35 - (2539 - 2410) / 2);

    CCollectingMessages notices;
    PlacementJob job{&notices, false};
    ComputePlacement(a4, c, 0, Side::Left, false, true, job);
    ComputePlacement(a4, c, 1, Side::Right, false, true, job);
    EXPECT_EQ(notices.notices.size(), 1u);
    EXPECT_NE(notices.notices[0].find("printable area"), std::string::npos);
    PlacementJob next{&notices, false};
    ComputePlacement(a4, c, 0, Side::Left, false, true, next);
    EXPECT_EQ(notices.notices.size(), 2u);

    // Inside the area already: nothing moves.
    CoverPlacement inside{100, 100, 50, 50, 0};
    EXPECT_FALSE(CorrectToPrintableArea(inside, PageMetrics::FromCaps(a4)));
    CoverPlacement low{100, 3500, 50, 50, 0};
    EXPECT_TRUE(CorrectToPrintableArea(low, PageMetrics::FromCaps(a4)));
    EXPECT_EQ(low.y, 35 + 3438 - 50);
}

TEST(Placement, PlaystationBorrowsOnlyWithoutASizeOfItsOwn)
{
    FormatCatalogue c;
    c.Append(Format("Front", "CD_FRONT", 120, 120));
    CoverFormat second = Format("Second", "CUSTOM", 120, 240);
    second.position = {5.0, 5.0};
    c.Append(second);
    CoverFormat borrowing;
    borrowing.name = "PS";
    borrowing.type = "PLAYSTATION";
    c.Append(borrowing);
    c.Append(Format("PS own", "PLAYSTATION", 151, 118));
    const DeviceCaps a4 = A4At300();

    // Borrows the second format's size, but stays automatic as it is itself.
    const CoverPlacement borrowed = Place(a4, c, 2, Side::Left, false).placement;
    EXPECT_EQ(borrowed.width, 1417);
    EXPECT_EQ(borrowed.height, 2834);
    EXPECT_EQ(borrowed.x, (2480 - 1417) / 2);
    const CoverPlacement own = Place(a4, c, 3, Side::Left, false).placement;
    EXPECT_EQ(own.width, 1783);

    FormatCatalogue alone;
    alone.Append(Format("PS own", "PLAYSTATION", 151, 118));
    EXPECT_EQ(Place(a4, alone, 0, Side::Left, false).placement.width, 1783);
    EXPECT_EQ(Place(a4, alone, 5, Side::Left, false).placement, CoverPlacement{});
}

TEST(Placement, HugeNumbersDoNotOverflow)
{
    FormatCatalogue c;
    CoverFormat f = Format("Huge", "CUSTOM", 1e300, -1e300);
    f.position = {1e300, -1e300};
    c.Append(f);
    const CoverPlacement p = Place(A4At300(), c, 0, Side::Left, false, false).placement;
    EXPECT_GT(p.width, 0);
    EXPECT_LT(p.height, 0);
}

TEST(PagePlan, RangesAndContents)
{
    struct Case {
        PrintSelection selection;
        bool single;
        bool preview;
        int first, last;
    };
    const Case cases[] = {
        {PrintSelection::Left, false, false, 1, 1},  {PrintSelection::Left, true, false, 1, 1},
        {PrintSelection::Right, false, false, 2, 2}, {PrintSelection::Right, true, false, 2, 2},
        {PrintSelection::Both, false, false, 1, 2},  {PrintSelection::Both, true, false, 1, 1},
        {PrintSelection::Both, false, true, 1, 2},   {PrintSelection::Right, false, true, 1, 2},
    };
    for (const Case& c : cases) {
        const PageRange r = MakePageRange(c.selection, c.single, c.preview);
        EXPECT_EQ(r.first, c.first) << "selection " << int(c.selection) << " single " << c.single;
        EXPECT_EQ(r.last, c.last) << "selection " << int(c.selection) << " single " << c.single;
    }
    // Both on one sheet.
    PageContents p = ContentsOfPage(1, PrintSelection::Left, true, true, true);
    EXPECT_TRUE(p.left && p.right);
    // Both, one per sheet.
    p = ContentsOfPage(1, PrintSelection::Both, false, true, true);
    EXPECT_TRUE(p.left && !p.right);
    p = ContentsOfPage(2, PrintSelection::Both, false, true, true);
    EXPECT_TRUE(!p.left && p.right);
    // The right cover alone with single page on.
    p = ContentsOfPage(2, PrintSelection::Right, true, true, true);
    EXPECT_TRUE(!p.left && p.right);
    // A side without a picture is not drawn at all.
    p = ContentsOfPage(1, PrintSelection::Left, true, true, false);
    EXPECT_TRUE(p.left && !p.right);
}

} // namespace

TEST(WhyFormatCannotPrint, NamesFormatsThatCannotMakeACover)
{
    struct Case {
        const char* catalogue;
        int index;
        bool printable;
    };
    const Case cases[] = {
        {"[CD]\r\nSIZE = (120 , 120)\r\n", 0, true},
        {"[CD]\r\nSIZE = (120 , 120)\r\nPOSITION = (-10 , 20)\r\n", 0, true}, // from the far edge
        {"[CD]\r\nSIZE = (120 , 120)\r\n", 1, false},                         // no such format
        {"[CD]\r\nSIZE = (0.5 , 120)\r\n", 0, false},
        {"[CD]\r\nSIZE = (120 , 6000)\r\n", 0, false},
        {"[CD]\r\nSIZE = (120 , 120)\r\nPOSITION = (9000 , 0)\r\n", 0, false},
        {"[CD]\r\nSIZE = (120 , 120)\r\nHOLESIZE = 9000\r\n", 0, false},
        {"[PS]\r\nTYPE = PLAYSTATION\r\n[CD]\r\nSIZE = (120 , 120)\r\n", 0, true}, // borrows
        {"[PS]\r\nTYPE = PLAYSTATION\r\n[CD]\r\nSIZE = (0 , 0)\r\n", 0, false},
        {"", 0, false},
    };
    for (const Case& c : cases) {
        CCollectingMessages messages;
        FormatCatalogue catalogue;
        catalogue.LoadCatalogueBytes(c.catalogue, messages);
        const std::string why = WhyFormatCannotPrint(catalogue, c.index, &messages);
        EXPECT_EQ(why.empty(), c.printable) << c.catalogue << " have: " << why;
        if (!c.printable && catalogue.GetCount() > c.index) {
            EXPECT_NE(why.find(catalogue.GetName(c.index)), std::string::npos) << why;
        }
    }
}

TEST(Placement, ADiscOnTheDriversDiscPageIsCentredAtTrueSize)
{
    // A 340 x 340 point disc page (119.94 mm) at 300 dpi with an off-centre printable area.
    DeviceCaps page;
    page.logPixelsX = page.logPixelsY = 300;
    page.physicalWidth = page.physicalHeight = 1417;
    page.physicalOffsetX = 40;
    page.physicalOffsetY = 10;
    page.horzRes = page.vertRes = 1300;
    FormatCatalogue c;
    CoverFormat tray = Format("Disc", "CD_TRAY", 118, 118);
    tray.paperSize = {127, 127};
    tray.holeSize = 22;
    c.Append(tray);
    // 2 mm right of (3 mm with the catalogue's calibration) and 3 mm above centred on its
    // own 127 mm paper, where 4.5 mm from the edges centres it; the right side measured
    // from the far edges: 3 mm right and 3 mm up again.
    CoverFormat manual = tray;
    manual.position = {6.5, 1.5};
    manual.position2 = {-2.5, -7.5};
    c.Append(manual);
    c.SetCalibrateX(1.0); // applies to the manual position only

    const auto mm = [](int px) { return px * 25.4 / 300; };
    struct Case {
        int format;
        Side side;
        double dxMm, dyMm; // the disc's centre off the page's centre
    };
    const Case cases[] = {
        {0, Side::Left, 0, 0},
        {1, Side::Left, 3.0, -3.0},
        {1, Side::Right, 3.0, -3.0},
    };
    for (const Case& k : cases) {
        const CoverPlacement p = PlaceOnDiscPage(page, c, k.format, k.side);
        EXPECT_NEAR(mm(p.width), 118, 0.1) << k.format;
        EXPECT_NEAR(mm(p.x) + mm(p.width) / 2 - mm(1417) / 2, k.dxMm, 0.1) << k.format;
        EXPECT_NEAR(mm(p.y) + mm(p.height) / 2 - mm(1417) / 2, k.dyMm, 0.1) << k.format;
        EXPECT_NEAR(mm(p.holeSize), 22, 0.1);
    }
    // A printer's calibration moves it by as much.
    CoverPlacement p = PlaceOnDiscPage(page, c, 0, Side::Left);
    const CoverPlacement before = p;
    OffsetPlacement(p, page, 2.0, -1.5);
    EXPECT_EQ(p.x - before.x, 24); // 2 mm at 300 dpi, rounded
    EXPECT_EQ(p.y - before.y, -18);
}
