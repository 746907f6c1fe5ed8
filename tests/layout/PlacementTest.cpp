#include <gtest/gtest.h>

#include "CollectingMessages.h"
#include "DataLines.h"

#include <sstream>
#include <string>

#include "formats/FormatCatalogue.h"
#include "layout/Placement.h"

namespace {

const std::string kData = SLEEVIT_SOURCE_DIR "/tests/layout/data/";

// A4 at 300 dpi with 3 mm margins, as current inkjets have; US Letter at 600 dpi with an
// older inkjet's margins: 6.3 mm at the sides, 3.2 mm on top, 12.7 mm at the bottom.
const DeviceCaps kA4At300{300, 300, 2480 - 70, 3508 - 70, 2480, 3508, 35, 35};
const DeviceCaps kLetterAt600{600, 600, 5100 - 2 * 148, 6600 - 75 - 300, 5100, 6600, 148, 75};
// A driver's disc page: 340 points square at 300 dpi, the printable area off-centre.
const DeviceCaps kDiscPage{300, 300, 1300, 1300, 1417, 1417, 40, 10};

// The formats placements.txt refers to by position.
FormatCatalogue Formats()
{
    CCollectingMessages messages;
    FormatCatalogue c;
    EXPECT_TRUE(c.LoadCatalogue(kData + "placement-formats.dat", messages));
    EXPECT_EQ(c.GetCount(), 13);
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

PrintSelection SelectionOf(const std::string& word)
{
    return word == "left"    ? PrintSelection::Left
           : word == "right" ? PrintSelection::Right
                             : PrintSelection::Both;
}

// The cases of placements.txt: covers on a sheet, the pages of a job and what each draws,
// and which formats can make a cover.
TEST(Placement, CasesOfTheDataFile)
{
    FormatCatalogue c = Formats();
    int cases = 0;
    for (const std::string& line : ReadDataLines(kData + "placements.txt")) {
        SCOPED_TRACE(line);
        std::istringstream in(line);
        std::string verb, a, b, d, e;
        in >> verb;
        if (verb == "place") {
            int format = 0;
            CoverPlacement want;
            std::string notice;
            in >> a >> format >> b >> d >> e >> want.x >> want.y >> want.width >> want.height >> notice;
            const Placed p = Place(a == "a4" ? kA4At300 : kLetterAt600, c, format,
                                   b == "left" ? Side::Left : Side::Right, d == "single", e == "pulled");
            EXPECT_EQ(p.placement, want) << "have " << p.placement.x << "," << p.placement.y << " "
                                         << p.placement.width << "x" << p.placement.height;
            EXPECT_EQ(p.noticed, notice == "notice");
        } else if (verb == "overlap") {
            int first = 0, second = 0;
            in >> a >> first >> b >> second >> d >> e;
            const DeviceCaps& caps = a == "a4" ? kA4At300 : kLetterAt600;
            const CoverPlacement one =
                Place(caps, c, first, b == "left" ? Side::Left : Side::Right, true).placement;
            const CoverPlacement two =
                Place(caps, c, second, d == "left" ? Side::Left : Side::Right, true).placement;
            EXPECT_EQ(CoversOverlap(one, two), e == "yes");
        } else if (verb == "disc") {
            int format = 0;
            double dx = 0, dy = 0;
            CoverPlacement want;
            in >> format >> a >> dx >> dy >> b >> want.x >> want.y >> want.width >> want.height >>
                want.holeSize;
            CoverPlacement p =
                PlaceOnDiscPage(kDiscPage, c, c.Get(format), a == "left" ? Side::Left : Side::Right);
            OffsetPlacement(p, kDiscPage, dx, dy);
            EXPECT_EQ(p, want) << "have " << p.x << " " << p.y << " " << p.width << " " << p.height << " "
                               << p.holeSize;
        } else if (verb == "calibrate") {
            double x = 0, y = 0;
            in >> x >> y;
            c.SetCalibrateX(x);
            c.SetCalibrateY(y);
        } else if (verb == "range") {
            PageRange want;
            in >> a >> b >> d >> want.first >> want.last;
            const PageRange r = MakePageRange(SelectionOf(a), b == "single", d == "preview");
            EXPECT_TRUE(r.first == want.first && r.last == want.last) << "have " << r.first << "-" << r.last;
        } else if (verb == "contents") {
            int page = 0;
            std::string left, right;
            in >> page >> a >> b >> d >> left >> right;
            const PageContents p = ContentsOfPage(page, SelectionOf(a), b == "single", true, d == "yes");
            EXPECT_EQ(p.left, left == "yes");
            EXPECT_EQ(p.right, right == "yes");
        } else {
            ASSERT_EQ(verb, "why");
            int index = 0;
            in >> a >> index >> std::ws;
            std::string text;
            std::getline(in, text);
            CCollectingMessages messages;
            c = FormatCatalogue();
            c.LoadCatalogueBytes(Replaced(text, {{"|", "\r\n"}}) + "\r\n", messages);
            const std::string why = WhyFormatCannotPrint(c, index, &messages);
            EXPECT_EQ(why.empty(), a == "yes") << "have: " << why;
            if (a == "no" && c.GetCount() > index) {
                EXPECT_NE(why.find(c.GetName(index)), std::string::npos) << why;
            }
        }
        ++cases;
    }
    EXPECT_GE(cases, 49);
}

TEST(Placement, CorrectionPerAxisAndOverlap)
{
    const PageMetrics a4 = PageMetrics::FromCaps(kA4At300);
    CoverPlacement inside{100, 100, 50, 50, 0};
    EXPECT_FALSE(CorrectToPrintableArea(inside, a4));
    CoverPlacement low{100, 3500, 50, 50, 0};
    EXPECT_TRUE(CorrectToPrintableArea(low, a4));
    EXPECT_EQ(low.y, 35 + 3438 - 50);
    EXPECT_FALSE(CoversOverlap(CoverPlacement{0, 0, 10, 10, 0}, CoverPlacement{10, 0, 10, 10, 0}));
    EXPECT_TRUE(CoversOverlap(CoverPlacement{0, 0, 10, 10, 0}, CoverPlacement{9, 9, 10, 10, 0}));
    EXPECT_FALSE(CoversOverlap(CoverPlacement{}, CoverPlacement{0, 0, 10, 10, 0}));
    const PageMetrics m = PageMetrics::FromCaps(kLetterAt600);
    EXPECT_EQ(m.rightMargin, 148);
    EXPECT_EQ(m.bottomMargin, 300);
    EXPECT_EQ(m.halfHeight, 3300);
    EXPECT_EQ(m.printableWidth, 4804);
}

} // namespace
