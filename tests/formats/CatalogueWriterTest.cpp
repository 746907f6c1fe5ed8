#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "CollectingMessages.h"
#include "ScratchFolder.h"
#include "formats/FormatCatalogue.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = SLEEVIT_SOURCE_DIR "/tests/formats/data/";

FormatCatalogue Read(const std::string& bytes)
{
    CCollectingMessages messages;
    FormatCatalogue c;
    c.LoadCatalogueBytes(bytes, messages);
    EXPECT_TRUE(messages.errors.empty()) << messages.errors.front();
    return c;
}

// A hand-written file is written in the one normalised form, which reads back as the same
// catalogue apart from the documented normalisations and is then written unchanged.
TEST(CatalogueWriter, WritesTheNormalisedFormAndRoundTripsInEightBitsOrUtf16)
{
    const FormatCatalogue first = Read(ReadBytes(kData + "catalogue-written-by-hand.dat"));
    const std::string normalised = ReadBytes(kData + "catalogue-normalised.dat");
    ASSERT_FALSE(normalised.empty());
    EXPECT_EQ(first.CatalogueText(), normalised);
    EXPECT_EQ(FormatCatalogue().CatalogueText(), "");

    const FormatCatalogue second = Read(normalised);
    // The formats it reads back are those of catalogue-fields.txt.
    EXPECT_EQ(second.CatalogueText(), normalised);

    // Saved in eight bits unless a name needs more.
    ScratchFolder folder;
    FormatCatalogue c = second;
    c.SetName(0, "Pochette \xC3\xA9t\xC3\xA9");
    const std::string path = folder.File("Sleevit.dat");
    ASSERT_TRUE(c.SaveCatalogueAs(path));
    EXPECT_NE(ReadBytes(path).find("[Pochette \xE9t\xE9]\r\n"), std::string::npos);

    c.SetName(0, "Обложка");
    ASSERT_TRUE(c.SaveCatalogueAs(path));
    EXPECT_EQ(ReadBytes(path).substr(0, 2), std::string("\xFF\xFE", 2));
    CCollectingMessages messages;
    FormatCatalogue back;
    ASSERT_TRUE(back.LoadCatalogue(path, messages));
    EXPECT_EQ(back.GetName(0), "Обложка");
    EXPECT_EQ(*back.Get(0), *c.Get(0));
}

TEST(CatalogueWriter, AFailedSaveLeavesTheOldFileAndNoLitter)
{
    ScratchFolder folder;
    FormatCatalogue c;
    c.AddFormat("A");
    EXPECT_FALSE(c.SaveCatalogue()); // no file was ever read: no path
    EXPECT_FALSE(c.SaveCatalogueAs(folder.File("missing/Sleevit.dat")));

    // The rename cannot replace a folder: the write fails after the data was written.
    const fs::path blocker = folder.File("Sleevit.dat");
    fs::create_directories(blocker / "inside");
    EXPECT_FALSE(c.SaveCatalogueAs(blocker.string()));
    EXPECT_TRUE(fs::is_directory(blocker / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
        << "a temporary file was left behind";

    // A successful save replaces the contents and keeps the file's permissions.
    const std::string file = folder.Write("other.dat", "old");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(file, perms);
    ASSERT_TRUE(c.SaveCatalogueAs(file));
    EXPECT_EQ(ReadBytes(file), c.CatalogueText());
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, perms);
}

} // namespace
