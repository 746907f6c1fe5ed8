#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "CaseText.h"
#include "DataLines.h"
#include "formats/ConfigValues.h"
#include "formats/PrinterCalibration.h"

TEST(ConfigValues, NumbersFieldsAndOffsetPairsOfTheDataFile)
{
    int cases = 0;
    for (const std::string& line :
         ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/formats/data/config-values.txt")) {
        std::istringstream in(line);
        std::string verb, unit;
        int k = 0;
        in >> verb;
        if (verb == "offset") {
            const std::string x = CaseText(in);
            const std::string y = x == "none" ? x : CaseText(in);
            const auto pair = ParseOffsetPair(CaseText(in));
            EXPECT_EQ(pair.has_value(), x != "none") << line;
            if (pair && x != "none") {
                EXPECT_TRUE(pair->first == std::stod(x) && pair->second == std::stod(y)) << line;
            }
            ++cases;
            continue;
        }
        in >> k;
        if (verb == "number")
            in >> unit;
        const std::string want = CaseText(in);
        const std::string value = CaseText(in);
        if (verb == "number") {
            double have = -1.0;
            const bool found = GetNumber(value, k, have, unit == "inches");
            EXPECT_EQ(found, want != "none") << line;
            if (found && want != "none") {
                EXPECT_NEAR(have, std::stod(want), 1e-9) << line;
            }
        } else {
            std::string field = "none";
            EXPECT_EQ(GetField(value, k, field), want != "none") << line;
            EXPECT_EQ(field, want) << line;
        }
        ++cases;
    }
    EXPECT_EQ(cases, 43);
}
