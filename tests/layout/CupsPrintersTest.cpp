// Recognising a printer's disc tray by its names, reading a printer's texts, and the
// error a missing print server gives. The tests with a real server are in tests/e2e.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <cups/cups.h>

#include "layout/CupsPrinters.h"
#include "layout/CupsTarget.h"

TEST(CupsPrinters, RecognisesTheDiscTrayByWholeWords)
{
    struct Case {
        const char* text;
        bool keyword;
        bool want;
    };
    // The spellings of real drivers, and the large capacity drawer ("LCD") that a bare
    // "cd" substring would take for a tray.
    const Case cases[] = {
        {"cd", true, true},
        {"cddvdtray", true, true},
        {"disc", true, true},
        {"CD-R Tray", false, true},
        {"Print to CD", false, true},
        {"CD or DVD Tray", false, true},
        {"CD/DVD/BluRay Disc Tray", false, true},
        {"Blu-ray tray", false, true},
        {"lcd", true, false},
        {"LCD", false, false},
        {"Large Capacity (LCD)", false, false},
        {"tray-1", true, false},
        {"Cassette", false, false},
        {"discount", false, false},
        {"cdtray", true, true},
        {"cdtray", false, false},
        {"", true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NamesCdTray(c.text, c.keyword), c.want)
            << "\"" << c.text << "\" as a " << (c.keyword ? "keyword" : "name");
    for (const char* type : {"disc-compat", "disc-others", "cd", "cddvdmedia", "cddvd-high", "CDDVD_HIGH"})
        EXPECT_TRUE(IsDiscMediaType(type)) << type;
    for (const char* type : {"stationery", "photographic-glossy", "lcd", "cardstock", ""})
        EXPECT_FALSE(IsDiscMediaType(type)) << type;
}

TEST(CupsPrinters, ChoosesTheDiscPageThatHoldsTheDisc)
{
    struct Case {
        std::vector<double> sides;
        double disc;
        int want;
    };
    const Case cases[] = {
        {{64.91, 116.06, 119.94, 127.0}, 118, 2}, // gutenprint: CDCustom
        {{83.96, 127.0}, 118, 1},                 // HP: CDDVD120
        {{83.96, 127.0}, 80, 0},                  // HP: CDDVD80
        {{64.91, 116.06}, 118, 1},                // none holds it: the largest
        {{116.06}, 116.5, 0},                     // half a millimetre short still holds it
        {{210.0, 30.0}, 118, -1},                 // no disc page at all
        {{}, 118, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseDiscPage(c.sides, c.disc), c.want)
            << c.disc << " mm on " << c.sides.size() << " pages";
}

TEST(CupsPrinters, ReadsAPrintersStringsFile)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* name;
        std::string text;
        Pairs want;
    };
    const Case cases[] = {
        {"plain", "\"media-source.disc\" = \"CD-R Tray\";\n\"media-source.auto\" = \"Automatic\";\n",
         Pairs{{"media-source.disc", "CD-R Tray"}, {"media-source.auto", "Automatic"}}},
        {"comments and escapes", "/* made by the server */\n\"a.b\" = \"say \\\"hi\\\"\\n\";\n",
         Pairs{{"a.b", "say \"hi\"\n"}}},
        {"junk lines are skipped", "junk\n\"k\" = \"v\";\n= \"x\";\n", Pairs{{"k", "v"}}},
        {"cut in a value", "\"k\" = \"unfinished", Pairs{}},
        {"cut in a key", "\"k", Pairs{}},
        {"cut in a comment", "/* no end", Pairs{}},
        {"empty", "", Pairs{}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCupsStrings(c.text), c.want) << c.name;
}

TEST(CupsPrinters, AMissingServerIsReportedAsSuch)
{
    const char* old = std::getenv("CUPS_SERVER");
    const std::string saved = old != nullptr ? old : "";
    const std::string gone = "/nonexistent-sleevit/cups.sock";
    setenv("CUPS_SERVER", gone.c_str(), 1);
    cupsSetServer(nullptr);
    CCupsPrinters printers;
    std::vector<CupsPrinter> list;
    const bool listed = printers.List(list);
    const std::string listError = printers.LastError();
    CCupsTarget target("any");
    const bool started = target.StartDocument("job");
    const DeviceCaps caps = target.GetDeviceCaps();
    if (old != nullptr)
        setenv("CUPS_SERVER", saved.c_str(), 1);
    else
        unsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);

    EXPECT_FALSE(listed);
    EXPECT_EQ(listError, "Cannot reach the print server " + gone);
    EXPECT_FALSE(started);
    EXPECT_EQ(target.LastError(), "Cannot reach the print server " + gone);
    EXPECT_EQ(caps.horzRes, 0) << "no printer, no printable area";
}
