#include <gtest/gtest.h>

#include "CollectingMessages.h"
#include "DataLines.h"
#include "ScratchFolder.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "formats/FormatCatalogue.h"
#include "images/BmpBuilder.h"
#include "images/CoverDetection.h"
#include "images/DecoderTable.h"
#include "images/RasterImage.h"

namespace fs = std::filesystem;

namespace {

CoverFormat Detecting(const char* type, double w, double h)
{
    CoverFormat f;
    f.name = type;
    f.type = type;
    f.size = {w, h};
    f.hasSize = true;
    f.autodetect = true;
    return f;
}

// The catalogue a line of cover-detection.txt names (see the top of that file).
FormatCatalogue Catalogue(const std::string& text)
{
    FormatCatalogue c;
    std::istringstream parts(
        Replaced(text, {{"std", "+CD_FRONT:120x120,+CUSTOM:120x240,+CUSTOM:151x118,+DVD:183x273"}}));
    std::string part;
    while (std::getline(parts, part, ',')) {
        double w = 0, h = 0;
        int i = 0, j = 0;
        char type[16] = {};
        if (std::sscanf(part.c_str(), "+%15[A-Z_]:%lfx%lf", type, &w, &h) == 3) {
            c.Append(Detecting(type, w, h));
        } else if (std::sscanf(part.c_str(), "remap%d=%d", &i, &j) == 2) {
            c.SetRemap(i, j);
        } else if (std::sscanf(part.c_str(), "off%d", &i) == 1) {
            c.SetAutodetect(i, false);
        } else {
            EXPECT_EQ(part, "none") << "unknown catalogue part";
        }
    }
    return c;
}

TEST(DetectFormat, EveryLineOfTheTableFile)
{
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/images/data/cover-detection.txt");
    ASSERT_FALSE(lines.empty()) << "no cases in tests/images/data/cover-detection.txt";
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        std::string turning, answer, catalogue, colon, size, kind, text;
        int w = 0, h = 0, position = 0, turns = 0;
        char x = 0;
        fields >> w >> x >> h >> turning >> answer >> catalogue >> colon >> position >> size >> turns >> kind;
        std::getline(fields >> std::ws, text);
        ASSERT_TRUE(colon == ":" && !kind.empty()) << "malformed line: " << line;
        CCollectingMessages messages;
        messages.answer = answer == "yes";
        CRasterImage image;
        const testbmp::Bytes grey = testbmp::Make(w, h, 24, [](int, int) { return 0x808080u; });
        ASSERT_TRUE(image.LoadMemory(grey.data(), grey.size(), kImageBmp)) << image.GetLastError();
        EXPECT_EQ(DetectFormat(image, Catalogue(catalogue), turning == "auto", messages), position) << line;
        EXPECT_EQ(std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()), size) << line;
        EXPECT_EQ(image.QuarterTurns(), turns) << line;
        const std::vector<std::string>& said = kind == "notice" ? messages.notices : messages.questions;
        ASSERT_EQ(messages.notices.size() + messages.questions.size(), kind == "-" ? 0u : 1u) << line;
        if (kind != "-") {
            ASSERT_EQ(said.size(), 1u) << line << ": want a " << kind;
            EXPECT_NE(said[0].find(text), std::string::npos) << line << ": have " << said[0];
        }
    }
}

TEST(PathHelpers, EveryLineOfTheTableFile)
{
    const std::vector<std::string> lines = ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/images/data/paths.txt");
    ASSERT_FALSE(lines.empty()) << "no cases in tests/images/data/paths.txt";
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        std::string helper, path, want, have;
        std::getline(std::getline(fields, helper, '\t'), path, '\t');
        std::getline(fields, want);
        if (helper == "type")
            have = ImageTypeFromPath(path) == kUnsupportedImageType ? "none"
                                                                    : DecoderName(ImageTypeFromPath(path));
        else if (helper == "folder")
            have = FolderOfPath(path);
        else if (helper == "file")
            have = FileNameOfPath(path);
        for (const std::string& candidate :
             helper == "companion" ? CompanionCandidates(path) : std::vector<std::string>{})
            have += (have.empty() ? "" : " | ") + candidate;
        EXPECT_EQ(have, want) << line;
    }
}

TEST(Companion, TheFirstExistingRegularFileIsFoundAndNoneIsOpened)
{
    ScratchFolder folder;
    const std::string front = folder.Write("x Front + Inside.jpg", "x");
    EXPECT_EQ(FindCompanion(front), "");
    // Opening a FIFO for reading waits for a writer for ever; a folder is no picture.
    ASSERT_EQ(::mkfifo(folder.File("x back.jpg").c_str(), 0644), 0);
    EXPECT_EQ(FindCompanion(front), "");
    fs::remove(folder.File("x back.jpg"));
    fs::create_directory(folder.File("x back.jpg"));
    EXPECT_EQ(FindCompanion(front), "");
    fs::remove(folder.File("x back.jpg"));
    EXPECT_EQ(FindCompanion(front), folder.Write("x back.jpg", "x"));
    EXPECT_EQ(FindCompanion(front), folder.Write("x back + Inside.jpg", "x"));
}

} // namespace
