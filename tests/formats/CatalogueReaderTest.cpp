#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CollectingMessages.h"
#include "ScratchFolder.h"
#include "formats/FormatCatalogue.h"
#include "textfiles/TextEncoding.h"

namespace {

std::string Num(double a)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", a);
    return buf;
}

std::string Pair(double a, double b)
{
    return Num(a) + "," + Num(b);
}

// Every field of a format as "|key=value|...", numbers as %g, for cases that name the
// fields they care about.
std::string Fields(const FormatCatalogue& c, int i)
{
    const CoverFormat& f = *c.Get(i);
    std::string s =
        "|name=" + f.name + "|size=" + Pair(f.size.width, f.size.height) + "|sized=" + Num(f.hasSize) +
        "|pos=" + Pair(f.position.x, f.position.y) + "|pos2=" + Pair(f.position2.x, f.position2.y) +
        "|paper=" + Pair(f.paperSize.width, f.paperSize.height) + "|type=" + f.type +
        "|remap=" + Num(c.GetRemap(i)) + "|hasremap=" + Num(c.HasRemap(i)) +
        "|spine=" + (f.spine == kNoSpine ? std::string("none") : Num(f.spine)) +
        "|hasspine=" + Num(c.HasSpine(i)) + "|label=" + Num(f.label) + "|auto=" + Num(f.autodetect) +
        "|ratio=" + Pair(f.detectRatio.width, f.detectRatio.height) + "|aspect=" + Num(c.GetAspectRatio(i)) +
        "|hole=" + Num(f.holeSize) + "|lines=" + Num(f.lines.count) + "|rects=" + Num(f.rects.count);
    for (const auto* list : {&f.lines, &f.rects})
        for (int k = 0; k < list->count; ++k) {
            const CutLine& l = list->entries[std::size_t(k)];
            s += std::string(list == &f.lines ? "|line" : "|rect") + Num(k) + "=" + Pair(l.x1, l.y1) + "," +
                 Pair(l.x2, l.y2) + (l.solid ? ",solid" : ",dashed");
        }
    return s + "|";
}

TEST(CatalogueReader, ReadsEveryKeyAsTheProgramAlwaysHas)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> want; // per format: the "|key=value|" parts that must appear
    };
    std::string elevenLines =
        "[A]\r\nLINE = LEFT, SOLID\r\nLINE = (0, 0)(0, 120), DASHED\r\nRECT = (1,2)(3,4), SOLID\r\n";
    for (int i = 0; i < 12; ++i)
        elevenLines += "LINE = (" + std::to_string(i) + ", 0)(0, 0)\r\n";
    const Case cases[] = {
        {"empty", "", {}},
        {"comments only", ";only a comment\r\n\r\n; another\n", {}},
        // No size: detection gets 0 instead of a division by zero.
        {"defaults",
         "[A]\r\n",
         {"|name=A|size=0,0|sized=0|pos=-1,-1|pos2=-1,-1|paper=210,297|type=CUSTOM|remap=-1|spine=none|"
          "hasspine=0|"
          "label=0|auto=0|ratio=0,0|aspect=0|hole=0|lines=0|rects=0|"}},
        {"sizes, positions and inches",
         "[A]\r\nSIZE = (120 , 118.5)\r\nPOSITION = (10.0 , 20.0)\r\nPOSITION2 = MIRROR\r\n"
         "[B]\r\nSIZE INCHES = (4.72 , 4.72)\r\nPOSITION = AUTO\r\nPOSITION2 = AUTO\r\n"
         "[C]\r\nsize = (120, 120)\r\nPOSITION = 10.0\r\nPOSITION2 = (10.0)\r\n"
         "[D]\r\nSIZE = (120, 120) TOP\r\n",
         {"|size=120,118.5|sized=1|pos=10,20|pos2=-2,-2|", "|size=119.888,119.888|pos=-1,-1|pos2=-1,-1|",
          "|size=120,120|pos=10,10|pos2=10,0|", "|size=-9003,-9003|"}},
        // HOLESIZE and PAPERSIZE do not touch the size; any key holding SIZE does.
        {"keyword order",
         "[A]\r\nHOLESIZE = 41\r\nPOSITION2 = (1, 2)\r\nSPINESIZE = 7\r\nPAPERSIZE = 124, 124\r\nMY SIZE KEY "
         "= (5, 6)\r\n",
         {"|size=5,6|pos=-1,-1|pos2=1,2|paper=124,124|spine=7|hasspine=1|hole=41|"}},
        // YES is looked for case-sensitively in the raw line; "=" with no blank behind
        // leaves the type, two blanks store an empty one.
        {"label, detection and type",
         "[lower]\r\nlabel = yes\r\nAUTODETECT = yes\r\ntype = cd_tray\r\n"
         "[upper]\r\nLABEL = YES\r\nAUTODETECT = NO (1 , 2)\r\nTYPE=CD_TRAY\r\n"
         "[mixed]\r\nlabel = YES\r\nTYPE =  DVD\r\n",
         {"|type=CD_TRAY|label=0|auto=1|", "|type=CUSTOM|label=1|auto=0|ratio=1,2|aspect=2|",
          "|type=|label=1|"}},
        {"lines, rectangles and the limit of ten",
         elevenLines,
         {"|lines=10|rects=1|line0=-9001,0,0,0,solid|line1=0,0,0,120,dashed|line9=7,0,0,0,dashed|"
          "rect0=1,2,3,4,solid|"}},
        // Remaps find the first format of that exact name after the whole file was read.
        {"remaps",
         "[A]\r\nREMAP = CD Front\r\n[B]\r\nREMAP = cd front\r\n[CD Front]\r\nREMAP =   CD Front\r\n"
         "[D]\r\nREMAP = Missing\r\n[CD Front]\r\n",
         {"|remap=2|hasremap=1|", "|remap=-1|", "|remap=2|", "|remap=-1|", "|remap=-1|hasremap=0|"}},
        // A blank after the closing bracket stays in the name; LF, CR LF and CR CR LF end lines.
        {"headers and line ends",
         "[CD Front] \n[B]\r\r\nSIZE = (1, 2)\r\n[C]\r\n[]\r\n[",
         {"|name=CD Front]|", "|name=B|size=1,2|", "|name=C|", "|name=|", "|name=|"}},
        {"UTF-16",
         std::string("\xFF\xFE", 2) + Utf8ToUtf16Le("[Обложка CD]\r\nSIZE = (120, 120)\r\n"),
         {"|name=Обложка CD|size=120,120|"}},
        {"8-bit", "[Pochette \xE9t\xE9]\nSIZE = (1, 1)\n", {"|name=Pochette \xC3\xA9t\xC3\xA9|"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCollectingMessages messages;
        FormatCatalogue catalogue;
        catalogue.LoadCatalogueBytes(c.text, messages);
        EXPECT_TRUE(messages.errors.empty()) << messages.errors.front();
        ASSERT_EQ(catalogue.GetCount(), int(c.want.size()));
        for (int i = 0; i < catalogue.GetCount(); ++i) {
            const std::string have = Fields(catalogue, i);
            std::size_t from = 1;
            const std::string& want = c.want[std::size_t(i)];
            while (from < want.size()) {
                const std::size_t to = want.find('|', from);
                const std::string part = "|" + want.substr(from, to - from) + "|";
                EXPECT_NE(have.find(part), std::string::npos)
                    << "format " << i << " lacks " << part << "\nhave " << have;
                from = to + 1;
            }
        }
    }
}

TEST(CatalogueReader, InvalidKeysAreReportedWithTheLineAndSkipped)
{
    CCollectingMessages messages;
    FormatCatalogue c;
    c.LoadCatalogueBytes(
        "SIZE = (1, 1)\r\nCALIBRATEX = 1.5\r\n[A]\r\nFOO = 1\r\nINCHES = 1\r\nno equals here\r\n"
        "SIZE = (2, 3)\r\n[B]\r\nCALIBRATEY = -0.5\r\n",
        messages);
    ASSERT_EQ(messages.errors.size(), 3u);
    EXPECT_EQ(messages.errors[0],
              "Invalid keyword in configuration file : \nSIZE = (1, 1)\nThe line will be ignored...");
    EXPECT_NE(messages.errors[1].find("FOO = 1"), std::string::npos);
    EXPECT_NE(messages.errors[2].find("INCHES = 1"), std::string::npos);
    ASSERT_EQ(c.GetCount(), 2);
    EXPECT_EQ(c.Get(0)->size, (SizeMm{2.0, 3.0})); // reading went on
    EXPECT_EQ(c.GetCalibrateX(), 1.5);
    EXPECT_EQ(c.GetCalibrateY(), -0.5);
}

TEST(CatalogueReader, MissingFileReportsTheFixedTextAndKeepsThePath)
{
    CCollectingMessages messages;
    FormatCatalogue c;
    EXPECT_FALSE(c.LoadCatalogue("/nonexistent/folder/Sleevit.dat", messages));
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0], "No configuration file found. Please Reinstall Sleevit.");
    EXPECT_EQ(c.GetFilePath(), "");
    EXPECT_EQ(c.GetCount(), 0);
    // A folder is not a configuration file either.
    ScratchFolder folder;
    EXPECT_FALSE(c.LoadCatalogue(folder.Path(), messages));
}

} // namespace
