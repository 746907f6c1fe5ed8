#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "CaseText.h"
#include "CollectingMessages.h"
#include "DataLines.h"
#include "ScratchFolder.h"
#include "formats/FormatCatalogue.h"

namespace {

const std::string kData = SLEEVIT_SOURCE_DIR "/tests/formats/data/";

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

// Every field of a format as "|key=value|...", numbers as %g.
std::string Fields(const FormatCatalogue& c, int i)
{
    const CoverFormat& f = *c.Get(i);
    const auto placed = [&](bool second, bool calibrated) {
        const FormatCatalogue::Placement p = c.GetPlacement(i, second, calibrated);
        return Pair(p.x, p.y) + "," + Pair(p.width, p.height) + "," + Num(p.holeSize);
    };
    std::string s =
        "|name=" + f.name + "|size=" + Pair(f.size.width, f.size.height) + "|sized=" + Num(f.hasSize) +
        "|pos=" + Pair(f.position.x, f.position.y) + "|pos2=" + Pair(f.position2.x, f.position2.y) +
        "|paper=" + Pair(f.paperSize.width, f.paperSize.height) + "|type=" + f.type +
        "|remap=" + Num(c.GetRemap(i)) + "|hasremap=" + Num(c.HasRemap(i)) +
        "|spine=" + (f.spine == kNoSpine ? std::string("none") : Num(f.spine)) +
        "|hasspine=" + Num(c.HasSpine(i)) + "|label=" + Num(f.label) + "|auto=" + Num(f.autodetect) +
        "|ratio=" + Pair(f.detectRatio.width, f.detectRatio.height) + "|aspect=" + Num(c.GetAspectRatio(i)) +
        "|hole=" + Num(f.holeSize) + "|lines=" + Num(f.lines.count) + "|rects=" + Num(f.rects.count) +
        "|cal=" + Pair(c.GetCalibrateX(), c.GetCalibrateY()) + "|placed=" + placed(false, true) +
        "|placed2=" + placed(true, true) + "|raw2=" + placed(true, false);
    for (const auto* list : {&f.lines, &f.rects})
        for (int k = 0; k < list->count; ++k) {
            const CutLine& l = list->entries[std::size_t(k)];
            s += std::string(list == &f.lines ? "|line" : "|rect") + Num(k) + "=" + Pair(l.x1, l.y1) + "," +
                 Pair(l.x2, l.y2) + (l.solid ? ",solid" : ",dashed");
        }
    return s + "|";
}

struct ReadCase {
    std::string name;
    std::string bytes;
    std::vector<std::string> want; // per format: the "|key=value|" parts that must appear
    std::vector<std::string> errors;
};

TEST(CatalogueReader, ReadsEveryKeyAsTheProgramAlwaysHas)
{
    std::vector<ReadCase> cases;
    for (const std::string& line : ReadDataLines(kData + "catalogue-fields.txt")) {
        std::istringstream in(line);
        const std::string verb = CaseText(in);
        if (verb == "read" || verb == "file") {
            const std::string name = CaseText(in);
            const std::string bytes = CaseText(in);
            cases.push_back({name, verb == "read" ? bytes : ReadBytes(kData + bytes), {}, {}});
        } else {
            ASSERT_TRUE((verb == "format" || verb == "error") && !cases.empty()) << line;
            (verb == "format" ? cases.back().want : cases.back().errors).push_back(CaseText(in));
        }
    }
    ASSERT_EQ(cases.size(), 15u);
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        CCollectingMessages messages;
        FormatCatalogue catalogue;
        catalogue.LoadCatalogueBytes(c.bytes, messages);
        EXPECT_EQ(messages.errors, c.errors);
        ASSERT_EQ(catalogue.GetCount(), int(c.want.size()));
        for (int i = 0; i < catalogue.GetCount(); ++i) {
            const std::string have = Fields(catalogue, i);
            const std::string& want = c.want[std::size_t(i)];
            for (std::size_t from = 1, to = 0; from < want.size(); from = to + 1) {
                to = want.find('|', from);
                const std::string part = "|" + want.substr(from, to - from) + "|";
                EXPECT_NE(have.find(part), std::string::npos)
                    << "format " << i << " lacks " << part << "\nhave " << have;
            }
        }
    }
}

TEST(CatalogueReader, AMissingFileIsNamed)
{
    CCollectingMessages missing;
    FormatCatalogue none;
    EXPECT_FALSE(none.LoadCatalogue("/nonexistent/folder/Sleevit.dat", missing));
    ASSERT_EQ(missing.errors.size(), 1u);
    EXPECT_EQ(missing.errors[0], "No configuration file found. Please Reinstall Sleevit.");
    EXPECT_EQ(none.GetFilePath(), "");
    EXPECT_EQ(none.GetCount(), 0);
    ScratchFolder folder; // a folder is not a configuration file either
    EXPECT_FALSE(none.LoadCatalogue(folder.Path(), missing));
}

} // namespace
