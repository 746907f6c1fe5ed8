#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ScratchFolder.h"
#include "app/ProgramFolder.h"

namespace fs = std::filesystem;

namespace {

class Folders : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root / "bin");
        fs::create_directories(root / "share");
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    ScratchFolder scratch;
    fs::path root = scratch.Path();
};

TEST_F(Folders, TheExecutablesFolderWinsWhenItHoldsTheCatalogue)
{
    const std::string exe = (root / "bin" / "sleevit").string();
    const std::string installed = (root / "share").string();
    EXPECT_EQ(ProgramFolderFor(exe, installed), installed);
    // Installed in another prefix: the data beside the program's bin folder.
    fs::create_directories(root / "share" / "sleevit");
    std::ofstream(root / "share" / "sleevit" / "Sleevit.dat") << "";
    EXPECT_EQ(ProgramFolderFor(exe, "/nonexistent"), (root / "share" / "sleevit").string());
    std::ofstream(root / "bin" / "Sleevit.dat") << "";
    EXPECT_EQ(ProgramFolderFor(exe, installed), (root / "bin").string());
    EXPECT_EQ(ProgramFolderFor("", installed), installed);
}

TEST_F(Folders, TheUsersOwnCopyIsPreferredOnceItExists)
{
    EXPECT_EQ(UserCataloguePath(), (root / "data" / "sleevit" / "Sleevit.dat").string());
    EXPECT_NE(CatalogueReadPath(), UserCataloguePath());
    fs::create_directories(root / "data" / "sleevit");
    std::ofstream(UserCataloguePath()) << "";
    EXPECT_EQ(CatalogueReadPath(), UserCataloguePath());
}

TEST_F(Folders, AWritableCatalogueIsWrittenInPlace)
{
    const std::string path = (root / "share" / "Sleevit.dat").string();
    std::ofstream(path) << "";
    EXPECT_EQ(CatalogueWritePath(path), path);
    // Nothing was read: the user's copy, with its folder made.
    EXPECT_EQ(CatalogueWritePath(""), UserCataloguePath());
    EXPECT_TRUE(fs::is_directory(root / "data" / "sleevit"));
}

} // namespace
