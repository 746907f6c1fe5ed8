// The dialogs' value rules (the format editor's value texts, steps and defaults, the
// file dialog's preview placement, the batch dialog's count line), one case a line of
// data/dialog-values.txt.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/FormatEditValues.h"
#include "dialogs/Preview.h"
#include "formats/FormatCatalogue.h"
#include "gui/PrintTestSupport.h"

namespace {

using Words = std::vector<std::string>;

std::string Num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v + 0.0); // + 0.0: no "-0"
    return text;
}
// A unit, a double and an int from a word.
const auto Unit = [](const std::string& w) {
    return w == "in" ? LengthUnit::Inches : LengthUnit::Millimetres;
};
const auto D = [](const std::string& w) { return std::stod(w); };
const auto I = [](const std::string& w) { return std::stoi(w); };

// Each function of the table: its arguments in, its results out as words.
const std::map<std::string, std::function<Words(const Words&)>> kFunctions = {
    {"FormatValue", [](const Words& a) { return Words{FormatValue(D(a[0]), Unit(a[1]))}; }},
    {"ParseValue", [](const Words& a) { return Words{Num(ParseValue(a[0], Unit(a[1])))}; }},
    {"StepValue",
     [](const Words& a) {
         bool clamped = false;
         const double v = StepValue(D(a[0]), I(a[1]), Unit(a[2]), clamped);
         return Words{Num(v), clamped ? "clamped" : "free"};
     }},
    {"Positions",
     [](const Words& a) {
         const SizeMm size{D(a[0]), D(a[1])};
         const PointMm l = DefaultLeftPosition(size), r = DefaultRightPosition(size);
         return Words{Num(l.x), Num(l.y), Num(r.x), Num(r.y)};
     }},
    {"FreeName",
     [](const Words& a) {
         FormatCatalogue catalogue;
         for (const std::string& name : a)
             catalogue.Append(MakeFormat(name));
         return Words{FreeNewFormatName(catalogue)};
     }},
    {"FitPreview",
     [](const Words& a) {
         const std::optional<PreviewRect> r = FitPreview(I(a[0]), I(a[1]), I(a[2]), I(a[3]));
         if (!r)
             return Words{"none"};
         return Words{std::to_string(r->x), std::to_string(r->y), std::to_string(r->width),
                      std::to_string(r->height)};
     }},
    {"PreviewType",
     [](const Words& a) {
         const std::map<int, std::string> names = {{kImageAny, "any"},
                                                   {kImageBmp, "bmp"},
                                                   {kImageGif, "gif"},
                                                   {kImageJpeg, "jpeg"},
                                                   {kImagePng, "png"}};
         const int type = PreviewTypeOf(a[0]);
         return Words{names.count(type) ? names.at(type) : std::to_string(type)};
     }},
    {"CountLine", [](const Words& a) { return Words{FormatCountLine(a[0], I(a[1]))}; }},
};

TEST(DialogValues, EveryLineOfTheTable)
{
    std::ifstream in(SLEEVIT_SOURCE_DIR "/tests/gui/data/dialog-values.txt");
    ASSERT_TRUE(in.is_open());
    std::map<std::string, int> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string name;
        words >> name;
        Words args, want;
        Words* into = &args;
        for (std::string word; words >> std::quoted(word);) {
            if (word == "=" && into == &args)
                into = &want;
            else
                into->push_back(word);
        }
        const auto function = kFunctions.find(name);
        if (function == kFunctions.end()) {
            ADD_FAILURE() << "no function called " << name;
            continue;
        }
        EXPECT_EQ(function->second(args), want) << line.substr(0, 120);
        ++cases[name];
    }
    EXPECT_EQ(cases.size(), kFunctions.size()) << "a function without cases";
}

} // namespace
