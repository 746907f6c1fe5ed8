#include <gtest/gtest.h>

#include "formats/ConfigValues.h"

namespace {

struct NumberCase {
    const char* value;
    int k;
    bool inches;
    bool found;
    double want;
};

TEST(GetNumber, ReadsTheKthNumberAndKeywordSentinels)
{
    const NumberCase cases[] = {
        {"= (120 , 118.5)", 1, false, true, 120.0},
        {"= (120 , 118.5)", 2, false, true, 118.5},
        {"= (4.72 , 4.72)", 2, true, true, 4.72 * 25.4},
        // A last number that runs to the end of the value repeats.
        {"= 120", 1, false, true, 120.0},
        {"= 120", 2, false, true, 120.0},
        {"= 10.0", 2, false, true, 10.0},
        // A closing bracket ends the number, so there is no second one.
        {"= (10.0)", 2, false, false, 0.0},
        {"= (0, 0)(0, 120), DASHED", 4, false, true, 120.0},
        {"= (0, 0)(0, 120), DASHED", 3, false, true, 0.0},
        {"= -2.5E1 ,", 1, false, true, -25.0},
        {"= +3", 1, false, true, 3.0},
        // A word anywhere behind the number wins, and is never scaled.
        {"= (120, 120) TOP", 1, false, true, -9003.0},
        {"= (120, 120) TOP", 2, true, true, -9003.0},
        {"= LEFT", 1, false, true, -9001.0},
        {"= RIGHT", 1, false, true, -9002.0},
        {"= BOTTOM", 1, false, true, -9004.0},
        {"= MIN", 1, false, true, -9005.0},
        {"= MAX", 1, false, true, -9006.0},
        {"= NOTHING HERE", 1, false, false, 0.0},
        {"=", 1, false, false, 0.0},
        // Only decimal notation: no hexadecimal, infinities or NaN slip in.
        {"= 0X10", 1, false, true, 0.0},
        {"= -INF", 1, false, true, 0.0},
        {"= 1E999", 1, false, true, 0.0},
        {"= .", 1, false, true, 0.0},
    };
    for (const NumberCase& c : cases) {
        double have = -1.0;
        const bool found = GetNumber(c.value, c.k, have, c.inches);
        EXPECT_EQ(found, c.found) << "value '" << c.value << "' k=" << c.k;
        if (c.found) {
            EXPECT_DOUBLE_EQ(have, c.want) << "value '" << c.value << "' k=" << c.k;
        }
    }
}

TEST(GetField, TakesTheFieldBehindTheDelimiter)
{
    struct Case {
        const char* value;
        int k;
        bool found;
        const char* want;
    };
    const Case cases[] = {
        {"= CD_TRAY", 1, true, "CD_TRAY"},
        {"= CD_TRAY", -1, true, "CD_TRAY"},
        {"=CD_TRAY", 1, false, "unchanged"},
        {"=  CD_TRAY", 1, true, ""},
        {"= A,B", 2, true, "B"},
        {"= (X)", 1, true, ""},
        {"= [NAME] REST", 2, true, "NAME"},
        {"NO EQUALS", 1, false, "unchanged"},
        {"=   spaced text ", -1, true, "spaced text "},
    };
    for (const Case& c : cases) {
        std::string field = "unchanged";
        EXPECT_EQ(GetField(c.value, c.k, field), c.found) << "value '" << c.value << "'";
        EXPECT_EQ(field, c.want) << "value '" << c.value << "' k=" << c.k;
    }
}

} // namespace
