#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScratchFolder.h"
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

} // namespace
