// Recognising a printer's disc tray by its names, reading a printer's texts, and the
// error a missing print server gives. The tests with a real server are in tests/e2e.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <cups/cups.h>

#include "DataLines.h"

#include "layout/CupsPrinters.h"
#include "layout/CupsTarget.h"

TEST(CupsPrinters, RecognisesTheDiscTrayAndTheDiscPage)
{
    int cases = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/layout/data/disc-trays.txt")) {
        std::istringstream in(line);
        std::string verb, as, want, text;
        in >> verb;
        if (verb == "page") {
            double disc = 0, side = 0;
            int chosen = 0;
            std::vector<double> sides;
            in >> disc >> chosen;
            while (in >> side)
                sides.push_back(side);
            EXPECT_EQ(ChooseDiscPage(sides, disc), chosen) << line;
            ++cases;
            continue;
        }
        ASSERT_TRUE(verb == "tray" || verb == "media") << line;
        if (verb == "tray")
            in >> as;
        in >> want >> std::ws;
        std::getline(in, text);
        const bool have = verb == "tray" ? NamesCdTray(text, as == "keyword") : IsDiscMediaType(text);
        EXPECT_EQ(have, want == "yes") << line;
        ++cases;
    }
    EXPECT_GE(cases, 35);
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
