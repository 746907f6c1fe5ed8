// Recognising a printer's disc tray by its names, reading a printer's strings files, and the
// error a missing print server gives. The tests with a real server are in tests/e2e.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <cups/cups.h>

#include "DataLines.h"
#include "formats/CaseText.h"

#include "layout/CupsPrinters.h"
#include "layout/CupsTarget.h"

TEST(CupsPrinters, RecognisesTheDiscTrayAndTheDiscPageAndReadsStringsFiles)
{
    int cases = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/layout/data/disc-trays.txt")) {
        std::istringstream in(line);
        std::string verb, as, want, text;
        in >> verb;
        if (verb == "strings") {
            const std::string file = CaseText(in);
            std::vector<std::pair<std::string, std::string>> pairs;
            for (std::string key = CaseText(in); !key.empty(); key = CaseText(in))
                pairs.emplace_back(key, CaseText(in));
            EXPECT_EQ(ParseCupsStrings(file), pairs) << line;
        } else if (verb == "page") {
            double disc = 0, side = 0;
            int chosen = 0;
            std::vector<double> sides;
            in >> disc >> chosen;
            while (in >> side)
                sides.push_back(side);
            EXPECT_EQ(ChooseDiscPage(sides, disc), chosen) << line;
        } else {
            ASSERT_TRUE(verb == "tray" || verb == "media") << line;
            if (verb == "tray")
                in >> as;
            in >> want >> std::ws;
            std::getline(in, text);
            const bool have = verb == "tray" ? NamesCdTray(text, as == "keyword") : IsDiscMediaType(text);
            EXPECT_EQ(have, want == "yes") << line;
        }
        ++cases;
    }
    EXPECT_GE(cases, 42);
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
