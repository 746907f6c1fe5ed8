#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "skins/Skin.h"
#include "skins/SkinFolders.h"

namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

TEST(SkinFolders, ListsOnlyVisibleFoldersInAFixedOrder)
{
    ScratchFolder none;
    EXPECT_EQ(ListSkinFolders(none.File("skins")), Names{}) << "no skins folder at all";
    std::filesystem::create_directories(none.File("skins"));
    EXPECT_EQ(ListSkinFolders(none.File("skins")), Names{}) << "an empty skins folder";

    // Letter case is ignored first, then the bytes decide ("Blue" before "blue").
    ScratchFolder some;
    for (const char* name : {"gamma", "blue", "Beta", "alpha", "Blue", "_x", "\xC3\x84"})
        std::filesystem::create_directories(fs::path(some.File("skins")) / name);
    some.Write("skins/gamma/skin.ini", "MainPosX=1");
    {
        std::ofstream(fs::path(some.File("skins")) / "readme.txt") << "not a skin";
    }
    std::filesystem::create_directories(fs::path(some.File("skins")) / ".hidden");
    std::filesystem::create_directory_symlink(fs::path(some.File("skins")) / "alpha",
                                              fs::path(some.File("skins")) / "delta");
    EXPECT_EQ(ListSkinFolders(some.File("skins")),
              (Names{"_x", "alpha", "Beta", "Blue", "blue", "delta", "gamma", "\xC3\x84"}));
}

TEST(SkinFolders, TwelveFoldersAreListedButOnlyElevenHaveCommands)
{
    ScratchFolder folder;
    for (int i = 12; i >= 1; --i)
        std::filesystem::create_directories(std::filesystem::path(folder.File("skins")) /
                                            ("skin" + std::string(i < 10 ? "0" : "") + std::to_string(i)));
    CSkinManager skins(folder.Path(), [] { return 0u; });
    skins.ListFolders();
    const std::vector<SkinMenuEntry> entries = skins.FolderMenuEntries();
    ASSERT_EQ(entries.size(), 12u);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const std::string want = "skin" + std::string(k + 1 < 10 ? "0" : "") + std::to_string(k + 1);
        EXPECT_EQ(entries[k].name, want) << "entry " << k;
        EXPECT_EQ(entries[k].commandId, kCmdFirstSkinFolder + static_cast<int>(k)) << "entry " << k;
        EXPECT_EQ(skins.CommandState(entries[k].commandId).has_value(), k < 11)
            << "entry " << k << ": only 12345..12355 have a command";
    }
}

} // namespace
