#include <gtest/gtest.h>

#include "CollectingMessages.h"

#include <string>

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

CoverFormat Format(const char* name, CoverKind kind, double w, double h, PointMm position = {-1, -1},
                   PointMm position2 = {-1, -1})
{
    CoverFormat f;
    f.name = name;
    f.type = TraitsOf(kind).word;
    f.size = {w, h};
    f.hasSize = w > 0;
    f.position = position;
    f.position2 = position2;
    return f;
}

// The formats the placement table refers to by position.
FormatCatalogue Formats()
{
    FormatCatalogue c;
    c.Append(Format("CD Front", CoverKind::CdFront, 120, 120));
    c.Append(Format("Second", CoverKind::Custom, 120, 240, {5, 5}));
    c.Append(Format("Inlay", CoverKind::Custom, 151, 118));
    c.Append(Format("DVD", CoverKind::Dvd, 183, 273));
    c.Append(Format("Borrowing", CoverKind::PlayStation, 0, 0));
    c.Append(Format("Own size", CoverKind::PlayStation, 151, 118));
    c.Append(Format("Manual", CoverKind::Custom, 120, 120, {10, 20}, {-10, -20}));
    c.Append(Format("Mirror", CoverKind::Custom, 120, 120, {-1, -1}, {kMirrorPosition, kMirrorPosition}));
    c.Append(Format("Edge", CoverKind::Custom, 100, 100, {0, 0}));
    c.Append(Format("Wide", CoverKind::Custom, 215, 50));
    c.Append(Format("Unknown word", CoverKind::Custom, 120, 120));
    c.SetType(10, "cd_front"); // not a kind the program knows: placed as a custom cover
    return c;
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
    const CoverPlacement p = ComputePlacement(caps, c, c.Get(index), side, single, check, job);
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

TEST(Placement, CoversOnADevicesSheet)
{
    const DeviceCaps a4 = A4At300();
    const DeviceCaps letter = LetterAt600();
    struct Case {
        const DeviceCaps* caps;
        int format;
        Side side;
        bool single;
        bool check; // pulled into the printable area
        CoverPlacement want;
        bool noticed;
    };
    constexpr Side L = Side::Left;
    constexpr Side R = Side::Right;
    // 120 mm at 300 dpi is 1417 pixels; the middle line of A4 is row 1754.
    const Case cases[] = {
        // CD fronts stand above the middle line; the right one below it when sharing.
        {&a4, 0, L, false, true, {531, 337, 1417, 1417, 0}, false},
        {&a4, 0, L, true, true, {531, 337, 1417, 1417, 0}, false},
        {&a4, 0, R, false, true, {531, 337, 1417, 1417, 0}, false},
        {&a4, 0, R, true, true, {531, 1754, 1417, 1417, 0}, false},
        // Others are centred in their half, the right side in the lower half either way...
        {&a4, 2, L, false, true, {348, 180, 1783, 1393, 0}, false},
        {&a4, 2, R, false, true, {348, 1934, 1783, 1393, 0}, false},
        {&a4, 2, R, true, true, {348, 1934, 1783, 1393, 0}, false},
        {&letter, 2, L, false, true, {767, 256, 3566, 2787, 0}, false},
        // ...or on the sheet when taller than half the printable height.
        {&a4, 3, R, true, true, {159, 142, 2161, 3224, 0}, false},
        // A kind that borrows takes the second format's size but stays automatic itself;
        // with a size of its own it keeps it.
        {&a4, 4, L, false, true, {531, 337, 1417, 2834, 0}, false},
        {&a4, 5, L, false, true, {348, 180, 1783, 1393, 0}, false},
        // Manual: millimetres from the corner, negative from the far edges (10 mm = 118 px).
        {&a4, 6, L, false, true, {118, 236, 1417, 1417, 0}, false},
        {&a4, 6, R, false, true, {944, 1854, 1417, 1417, 0}, false},
        // The mirror marker lies 2 mm inside the far edges, in the unprintable margin...
        {&a4, 7, R, false, false, {1039, 2067, 1417, 1417, 0}, false},
        // ...unless the cover is pulled into the printable area, with the notice.
        {&a4, 7, R, false, true, {1028, 2056, 1417, 1417, 0}, true},
        {&a4, 8, L, false, true, {35, 35, 1181, 1181, 0}, true},
        {&a4, 8, L, false, false, {0, 0, 1181, 1181, 0}, false},
        // Wider than the printable area: overhangs both margins equally.
        {&a4, 9, L, false, true, {-29, 582, 2539, 590, 0}, true},
        // An unknown type word places like a custom cover, not by a near miss.
        {&a4, 10, L, true, true, {531, 168, 1417, 1417, 0}, false},
        // No such format: nothing.
        {&a4, 11, L, false, true, {}, false},
    };
    const FormatCatalogue c = Formats();
    for (const Case& k : cases) {
        const Placed p = Place(*k.caps, c, k.format, k.side, k.single, k.check);
        EXPECT_EQ(p.placement, k.want)
            << "format " << k.format << " side " << int(k.side) << " single " << k.single << ": have "
            << p.placement.x << "," << p.placement.y << " " << p.placement.width << "x" << p.placement.height;
        EXPECT_EQ(p.noticed, k.noticed) << "format " << k.format;
    }
    // A borrowing kind alone in its catalogue has nothing to borrow.
    FormatCatalogue alone;
    alone.Append(Format("Borrowing", CoverKind::PlayStation, 0, 0));
    EXPECT_EQ(Place(a4, alone, 0, L, false, false).placement.width, 0);
}

TEST(Placement, OverlapOnOneSheet)
{
    const FormatCatalogue c = Formats();
    for (const DeviceCaps& caps : {A4At300(), LetterAt600()}) {
        const CoverPlacement front = Place(caps, c, 0, Side::Right, true).placement;
        EXPECT_TRUE(CoversOverlap(Place(caps, c, 3, Side::Left, true).placement, front));
        EXPECT_FALSE(CoversOverlap(Place(caps, c, 0, Side::Left, true).placement, front))
            << "two fronts meet at the middle line without sharing a row";
    }
    EXPECT_FALSE(CoversOverlap(CoverPlacement{0, 0, 10, 10, 0}, CoverPlacement{10, 0, 10, 10, 0}));
    EXPECT_TRUE(CoversOverlap(CoverPlacement{0, 0, 10, 10, 0}, CoverPlacement{9, 9, 10, 10, 0}));
    EXPECT_FALSE(CoversOverlap(CoverPlacement{}, CoverPlacement{0, 0, 10, 10, 0}));
}

TEST(Placement, CalibrationMovesManualCoordinatesOnly)
{
    FormatCatalogue c = Formats();
    c.SetCalibrateX(1.5);
    c.SetCalibrateY(-0.5);
    const DeviceCaps a4 = A4At300();
    EXPECT_EQ(Place(a4, c, 6, Side::Left, false).placement.x, 135); // trunc(11.5 / 25.4 * 300)
    EXPECT_EQ(Place(a4, c, 6, Side::Left, false).placement.y, 230); // trunc(19.5 / 25.4 * 300)
    EXPECT_EQ(Place(a4, c, 2, Side::Left, false).placement.x, 348);
}

TEST(Placement, TheOutsideNoticeOncePerJobAndCorrectionPerAxis)
{
    const FormatCatalogue c = Formats();
    const DeviceCaps a4 = A4At300();
    CCollectingMessages notices;
    PlacementJob job{&notices, false};
    ComputePlacement(a4, c, c.Get(8), Side::Left, false, true, job);
    ComputePlacement(a4, c, c.Get(9), Side::Right, false, true, job);
    EXPECT_EQ(notices.notices.size(), 1u);
    EXPECT_NE(notices.notices[0].find("printable area"), std::string::npos);
    PlacementJob next{&notices, false};
    ComputePlacement(a4, c, c.Get(8), Side::Left, false, true, next);
    EXPECT_EQ(notices.notices.size(), 2u);

    CoverPlacement inside{100, 100, 50, 50, 0};
    EXPECT_FALSE(CorrectToPrintableArea(inside, PageMetrics::FromCaps(a4)));
    CoverPlacement low{100, 3500, 50, 50, 0};
    EXPECT_TRUE(CorrectToPrintableArea(low, PageMetrics::FromCaps(a4)));
    EXPECT_EQ(low.y, 35 + 3438 - 50);
}

TEST(Placement, HugeNumbersDoNotOverflow)
{
    FormatCatalogue c;
    c.Append(Format("Huge", CoverKind::Custom, 1e300, -1e300, {1e300, -1e300}));
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
    struct Contents {
        int page;
        PrintSelection selection;
        bool single, hasRight;
        bool left, right;
    };
    const Contents contents[] = {
        {1, PrintSelection::Left, true, true, true, true},   // both on one sheet
        {1, PrintSelection::Both, false, true, true, false}, // both, one per sheet
        {2, PrintSelection::Both, false, true, false, true}, //
        {2, PrintSelection::Right, true, true, false, true}, // the right alone, single page on
        {1, PrintSelection::Left, true, false, true, false}, // a side without a picture
    };
    for (const Contents& k : contents) {
        const PageContents p = ContentsOfPage(k.page, k.selection, k.single, true, k.hasRight);
        EXPECT_EQ(p.left, k.left) << "page " << k.page << " selection " << int(k.selection);
        EXPECT_EQ(p.right, k.right) << "page " << k.page << " selection " << int(k.selection);
    }
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
        {"[PS]\r\nTYPE = PLAYSTATION\r\n", 0, false}, // nothing to borrow from
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
    CoverFormat tray = Format("Disc", CoverKind::CdTray, 118, 118);
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
        const CoverPlacement p = PlaceOnDiscPage(page, c, c.Get(k.format), k.side);
        EXPECT_NEAR(mm(p.width), 118, 0.1) << k.format;
        EXPECT_NEAR(mm(p.x) + mm(p.width) / 2 - mm(1417) / 2, k.dxMm, 0.1) << k.format;
        EXPECT_NEAR(mm(p.y) + mm(p.height) / 2 - mm(1417) / 2, k.dyMm, 0.1) << k.format;
        EXPECT_NEAR(mm(p.holeSize), 22, 0.1);
    }
    // A printer's calibration moves it by as much.
    CoverPlacement p = PlaceOnDiscPage(page, c, c.Get(0), Side::Left);
    const CoverPlacement before = p;
    OffsetPlacement(p, page, 2.0, -1.5);
    EXPECT_EQ(p.x - before.x, 24); // 2 mm at 300 dpi, rounded
    EXPECT_EQ(p.y - before.y, -18);
}
