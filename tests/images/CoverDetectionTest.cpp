#include <gtest/gtest.h>

#include "CollectingMessages.h"
#include "ScratchFolder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "formats/FormatCatalogue.h"
#include "images/BmpBuilder.h"
#include "images/CoverDetection.h"
#include "images/RasterImage.h"

namespace fs = std::filesystem;

namespace {

// Loads a grey 24-bit bitmap of the given size.
void LoadBlank(CRasterImage& image, int width, int height)
{
    const testbmp::Bytes bytes = testbmp::Make(width, height, 24, [](int, int) { return 0x808080u; });
    ASSERT_TRUE(image.LoadMemory(bytes.data(), bytes.size(), kImageBmp)) << image.GetLastError();
}

CoverFormat Detecting(const char* name, const char* type, double w, double h, bool autodetect = true)
{
    CoverFormat f;
    f.name = name;
    f.type = type;
    f.size = {w, h};
    f.hasSize = true;
    f.autodetect = autodetect;
    return f;
}

// Front 1.0, front + inside 2.0, back inlay 0.78, DVD 1.49.
FormatCatalogue Catalogue()
{
    FormatCatalogue c;
    c.Append(Detecting("CD Front", "CD_FRONT", 120, 120));
    c.Append(Detecting("Front + Inside", "CUSTOM", 120, 240));
    c.Append(Detecting("Back Inlay", "CUSTOM", 151, 118));
    c.Append(Detecting("DVD", "DVD", 183, 273));
    return c;
}

TEST(ImageTypeFromPath, ExtensionsInAnyCase)
{
    struct Case {
        const char* path;
        int want;
    };
    const Case cases[] = {
        {"/covers/front.jpg", kImageJpeg},
        {"/covers/COVER.JPG", kImageJpeg},
        {"a.jpeg", kImageJpeg},
        {"a.GiF", kImageGif},
        {"a.bmp", kImageBmp},
        {"a.png", kImagePng},
        {"cover.tif", kUnsupportedImageType},
        {"cover", kUnsupportedImageType},
        {"/a.folder/cover", kUnsupportedImageType},
        {"cover.", kUnsupportedImageType},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageTypeFromPath(c.path), c.want) << c.path;
}

TEST(DetectFormat, ClosestProportionsWinAndTiesKeepTheEarlierFormat)
{
    FormatCatalogue c = Catalogue();
    c.Append(Detecting("Another square", "CUSTOM", 50, 50));
    CCollectingMessages answers;
    CRasterImage image;
    LoadBlank(image, 100, 100);
    EXPECT_EQ(DetectFormat(image, c, true, answers), 0);
    LoadBlank(image, 151, 120);
    EXPECT_EQ(DetectFormat(image, c, true, answers), 2);
    LoadBlank(image, 183, 270);
    EXPECT_EQ(DetectFormat(image, c, true, answers), 3);
    EXPECT_EQ(image.GetWidth(), 183); // upright pictures are not turned
    // Formats that do not take part are never chosen.
    c.SetAutodetect(0, false);
    LoadBlank(image, 100, 100);
    EXPECT_EQ(DetectFormat(image, c, true, answers), 4);
    EXPECT_TRUE(answers.notices.empty() && answers.questions.empty());
}

TEST(DetectFormat, SidewaysFrontPlusInsideIsTurnedClockwise)
{
    const FormatCatalogue c = Catalogue();
    CCollectingMessages answers;
    CRasterImage image;
    LoadBlank(image, 24, 12); // 2400 x 1200 in miniature
    EXPECT_EQ(DetectFormat(image, c, true, answers), 1);
    EXPECT_EQ(image.GetWidth(), 12);
    EXPECT_EQ(image.GetHeight(), 24);
    EXPECT_EQ(image.QuarterTurns(), 1);
    EXPECT_TRUE(answers.notices.empty());

    // With automatic rotation off the user is told first; the picture is turned anyway.
    LoadBlank(image, 24, 12);
    EXPECT_EQ(DetectFormat(image, c, false, answers), 1);
    ASSERT_EQ(answers.notices.size(), 1u);
    EXPECT_NE(answers.notices[0].find("front + inside"), std::string::npos);
    EXPECT_EQ(image.GetWidth(), 12);

    // The second format's remap target is the answer.
    FormatCatalogue remapped = Catalogue();
    remapped.SetRemap(1, 2);
    LoadBlank(image, 24, 12);
    EXPECT_EQ(DetectFormat(image, remapped, true, answers), 2);
}

TEST(DetectFormat, SidewaysDvdAsksUnlessRotatingAutomatically)
{
    const FormatCatalogue c = Catalogue();
    CCollectingMessages answers;
    CRasterImage image;
    // 1800 x 1200: ratio 0.667, closest detecting format the back inlay (0.78).
    LoadBlank(image, 180, 120);
    answers.answer = false;
    EXPECT_EQ(DetectFormat(image, c, false, answers), 2);
    ASSERT_EQ(answers.questions.size(), 1u);
    EXPECT_NE(answers.questions[0].find("DVD"), std::string::npos);
    EXPECT_EQ(image.GetWidth(), 180); // No: nothing turned

    answers.answer = true;
    EXPECT_EQ(DetectFormat(image, c, false, answers), 3);
    EXPECT_EQ(image.GetWidth(), 120);
    EXPECT_EQ(image.QuarterTurns(), 3); // a quarter turn anticlockwise

    LoadBlank(image, 180, 120);
    EXPECT_EQ(DetectFormat(image, c, true, answers), 3);
    EXPECT_EQ(answers.questions.size(), 2u); // not asked again

    // A DVD format that does not take part in detection turns nothing.
    FormatCatalogue noDvd = Catalogue();
    noDvd.SetAutodetect(3, false);
    LoadBlank(image, 180, 120);
    EXPECT_EQ(DetectFormat(image, noDvd, true, answers), 2);
    EXPECT_EQ(image.GetWidth(), 180);

    // A detecting format within 0.0033 of the picture keeps it: a landscape photo.
    FormatCatalogue photo = Catalogue();
    photo.Append(Detecting("Photo", "PHOTO", 150, 100));
    EXPECT_EQ(DetectFormat(image, photo, true, answers), 4);
    EXPECT_EQ(image.GetWidth(), 180);
}

TEST(DetectFormat, SmallCataloguesGiveValidPositions)
{
    CCollectingMessages answers;
    CRasterImage image;
    LoadBlank(image, 24, 12);
    EXPECT_EQ(DetectFormat(image, FormatCatalogue(), true, answers), -1);
    FormatCatalogue one;
    one.Append(Detecting("Only", "CUSTOM", 100, 100));
    EXPECT_EQ(DetectFormat(image, one, true, answers), 0);
}

TEST(Companion, CandidatesFollowTheKeywordPairs)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(CompanionCandidates("/cd/Album front.jpg"), V{"/cd/Album back.jpg"});
    // "front" comes before "front + inside".
    EXPECT_EQ(CompanionCandidates("/cd/x front + inside.jpg"),
              (V{"/cd/x back + inside.jpg", "/cd/x back.jpg"}));
    // Any letter case matches; the back keyword is written in lower case.
    EXPECT_EQ(CompanionCandidates("/cd/Album FRONT.jpg"), V{"/cd/Album back.jpg"});
    EXPECT_EQ(CompanionCandidates("/cd/Album-F.jpg"), V{"/cd/Album-b.jpg"});
    // Every occurrence of the spelling is replaced, folders included.
    EXPECT_EQ(CompanionCandidates("/front/Album front.jpg"), V{"/back/Album back.jpg"});
    // A keyword only in a folder name is not found; no folder at all, nothing.
    EXPECT_EQ(CompanionCandidates("/front/Album.jpg"), V{});
    EXPECT_EQ(CompanionCandidates("Album front.jpg"), V{});
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

TEST(Companion, FoldersAndFileNames)
{
    EXPECT_EQ(FolderOfPath("/home/u/cd/front.jpg"), "/home/u/cd");
    EXPECT_EQ(FolderOfPath("/front.jpg"), "/");
    EXPECT_EQ(FolderOfPath("front.jpg"), "");
    EXPECT_EQ(FileNameOfPath("/home/u/cd/front.jpg"), "front.jpg");
    EXPECT_EQ(FileNameOfPath("front.jpg"), "front.jpg");
}

} // namespace
