#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "CollectingMessages.h"
#include "formats/FormatCatalogue.h"

namespace fs = std::filesystem;

namespace {

const std::string kSeparator = ";" + std::string(77, '-');

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF at " << pos;
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

CoverFormat CdFront()
{
    CoverFormat f;
    f.name = "CD Front";
    f.position2 = {-2.0, -2.0};
    f.size = {120.0, 120.0};
    f.hasSize = true;
    f.autodetect = true;
    f.type = "CD_FRONT";
    f.lines.Add({0.0, 0.0, 0.0, 120.0, false});
    return f;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempFolder {
public:
    TempFolder()
    {
        path_ = fs::temp_directory_path() / ("sleevit-test-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST(CatalogueWriter, WritesTheNormalisedBlockExactly)
{
    FormatCatalogue c;
    c.Append(CdFront());
    const std::vector<std::string> want = {
        kSeparator,
        "[CD Front]",
        "SIZE       = (120.0 , 120.0)",
        "POSITION   = AUTO",
        "POSITION2  = (-2.0 , -2.0)",
        "AUTODETECT = YES",
        "TYPE\t   = CD_FRONT",
        "LINE       = (0.0, 0.0)(0.0, 120.0), DASHED",
    };
    EXPECT_EQ(Lines(c.CatalogueText()), want);
    EXPECT_EQ(FormatCatalogue().CatalogueText(), "");
}

TEST(CatalogueWriter, OptionalLinesInTheirPlaces)
{
    FormatCatalogue c;
    CoverFormat tray;
    tray.name = "Tray";
    tray.type = "CD_TRAY";
    tray.paperSize = {124.0, 124.0};
    tray.size = {119.96, 119.96};
    tray.hasSize = true;
    tray.position = {2.0, 3.0};
    tray.position2 = {-1.0, 5.0}; // x automatic: written as AUTO
    tray.spine = 7.0;
    tray.label = true;
    tray.holeSize = 41.04;
    tray.remap = 0;
    tray.lines.Add({-9002.0, 0.0, 0.0, 0.0, true});
    tray.lines.Add({-9005.0, -9006.0, 1.0, 2.0, false});
    tray.rects.Add({1.0, 2.0, 3.0, 4.0, true});
    c.Append(tray);
    const std::vector<std::string> want = {
        kSeparator,
        "[Tray]",
        "PAPER      = 124.0, 124.0",
        "SIZE       = (120.0 , 120.0)",
        "POSITION   = (2.0 , 3.0)",
        "POSITION2  = AUTO",
        "SPINE      = 7.0",
        "LABEL      = YES",
        "HOLESIZE   = 41.0",
        "AUTODETECT = NO",
        "REMAP      = Tray",
        "TYPE\t   = CD_TRAY",
        "LINE       = RIGHT, SOLID",
        "LINE       = (-9005.0, -9006.0)(1.0, 2.0), DASHED",
        "RECT       = (1.0, 2.0)(3.0, 4.0), SOLID",
    };
    EXPECT_EQ(Lines(c.CatalogueText()), want);
}

TEST(CatalogueWriter, AddedFormatGetsASpineLineAndNoPaper)
{
    FormatCatalogue c;
    c.AddFormat("New Format");
    const std::string text = c.CatalogueText();
    EXPECT_NE(text.find("SPINE      = 0.0\r\n"), std::string::npos);
    EXPECT_EQ(text.find("PAPER"), std::string::npos);
    EXPECT_NE(text.find("SIZE       = (100.0 , 100.0)\r\n"), std::string::npos);
}

// Reads a hand-written file, writes it, reads it again: the catalogue is the same apart
// from the documented normalisations (rounding, inches, AUTO with a y, type cut).
TEST(CatalogueWriter, RoundTripKeepsTheCatalogue)
{
    const std::string original =
        "; hand written\r\n"
        "CALIBRATEX = 1.25\r\n"
        "[CD Front]\r\nsize = (120, 120)\r\nPOSITION = auto\r\nPOSITION2 = MIRROR\r\nAUTODETECT = YES\r\n"
        "TYPE = CD_FRONT\r\nLINE = (0, 0)(0, 120), DASHED\r\nLINE = LEFT, SOLID\r\n"
        "[Inlay]\r\nSIZE INCHES = (5.94, 4.65)\r\nPOSITION = (10.04, 20)\r\nSPINE = 6.5\r\n"
        "AUTODETECT = YES (151, 118)\r\nREMAP = CD Front\r\nTYPE = custom thing\r\nRECT = (0,0)(6.5,118)\r\n"
        "[Label]\r\nLABEL = YES\r\nHOLESIZE = 41\r\nTYPE = CD_TRAY\r\nPAPER = 124, 124\r\nCALIBRATEY = "
        "-0.75\r\n"
        "[PlayStation]\r\nTYPE = PLAYSTATION\r\nPOSITION2 = (-1, 12)\r\n";
    CCollectingMessages messages;
    FormatCatalogue first;
    first.LoadCatalogueBytes(original, messages);
    ASSERT_TRUE(messages.errors.empty());

    FormatCatalogue second;
    second.LoadCatalogueBytes(first.CatalogueText(), messages);
    ASSERT_TRUE(messages.errors.empty());
    ASSERT_EQ(second.GetCount(), first.GetCount());

    // The documented changes, applied to the first reading.
    CoverFormat inlay = *first.Get(1);
    inlay.size = {150.9, 118.1}; // inches written as millimetres with one decimal
    inlay.position = {10.0, 20.0};
    inlay.type = "CUSTOM"; // the blank cut the type
    CoverFormat playstation = *first.Get(3);
    playstation.position2 = {-1.0, -1.0}; // x automatic: AUTO

    EXPECT_EQ(*second.Get(0), *first.Get(0));
    EXPECT_EQ(*second.Get(1), inlay);
    EXPECT_EQ(*second.Get(2), *first.Get(2));
    EXPECT_EQ(*second.Get(3), playstation);
    EXPECT_FALSE(second.HasSize(3)); // still borrows its size
    EXPECT_EQ(second.GetRemap(1), 0);
    // Kept although the plain form has no line for them.
    EXPECT_EQ(second.GetCalibrateX(), 1.25);
    EXPECT_EQ(second.GetCalibrateY(), -0.75);
    EXPECT_EQ(second.GetDetectRatio(1), (SizeMm{151.0, 118.0}));

    // A second round changes nothing at all.
    EXPECT_EQ(second.CatalogueText(), first.CatalogueText());
}

TEST(CatalogueWriter, EightBitUnlessANameNeedsMore)
{
    TempFolder folder;
    FormatCatalogue c;
    c.Append(CdFront());
    c.SetName(0, "Pochette \xC3\xA9t\xC3\xA9");
    const fs::path path = folder.path() / "Sleevit.dat";
    ASSERT_TRUE(c.SaveCatalogueAs(path.string()));
    const std::string latin = ReadBytes(path);
    EXPECT_NE(latin.find("[Pochette \xE9t\xE9]\r\n"), std::string::npos);

    c.SetName(0, "Обложка");
    ASSERT_TRUE(c.SaveCatalogueAs(path.string()));
    const std::string wide = ReadBytes(path);
    ASSERT_GE(wide.size(), 2u);
    EXPECT_EQ(wide.substr(0, 2), std::string("\xFF\xFE", 2));
    CCollectingMessages messages;
    FormatCatalogue back;
    ASSERT_TRUE(back.LoadCatalogue(path.string(), messages));
    EXPECT_EQ(back.GetName(0), "Обложка");
    EXPECT_EQ(*back.Get(0), *c.Get(0));
}

TEST(CatalogueWriter, AFailedSaveLeavesTheOldFileAndNoLitter)
{
    TempFolder folder;
    FormatCatalogue c;
    c.Append(CdFront());
    EXPECT_FALSE(c.SaveCatalogue()); // no file was ever read: no path
    EXPECT_FALSE(c.SaveCatalogueAs((folder.path() / "missing" / "Sleevit.dat").string()));

    // The rename cannot replace a folder: the write fails after the data was written.
    const fs::path blocker = folder.path() / "Sleevit.dat";
    fs::create_directories(blocker / "inside");
    EXPECT_FALSE(c.SaveCatalogueAs(blocker.string()));
    EXPECT_TRUE(fs::is_directory(blocker / "inside"));
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "a temporary file was left behind";

    // A successful save replaces the contents and keeps the file's permissions.
    const fs::path file = folder.path() / "other.dat";
    {
        std::ofstream(file) << "old";
    }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(c.SaveCatalogueAs(file.string()));
    EXPECT_EQ(ReadBytes(file), c.CatalogueText());
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
