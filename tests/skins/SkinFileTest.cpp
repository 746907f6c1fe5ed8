#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

#include "skins/SkinFile.h"

namespace {

TEST(SkinFile, ReadsEntriesWhereverTheyStand)
{
    struct Case {
        const char* name;
        std::string text;
        SkinPoint main;
        SkinPoint left;
        std::optional<SurfaceColour> colour;
    };
    const Case cases[] = {
        {"upper-case colour",
         "MainPosX=170\r\nMainPosY=30\r\nLeftPosX=160\r\nLeftPosY=33\r\nBackgroundColor=FF0000\r\n",
         {170, 30},
         {160, 33},
         RgbColour(255, 0, 0)},
        {"lower-case colour", "BackgroundColor=ff0000", {}, {}, RgbColour(255, 0, 0)},
        {"mixed case, order of the pairs", "BackgroundColor=0a1B2c", {}, {}, RgbColour(0x0A, 0x1B, 0x2C)},
        {"missing positions are 0, no colour", "LeftPosY=7\r\n", {0, 0}, {0, 7}, std::nullopt},
        {"one line, any order, other text around",
         "x[LeftPosX:12]MainPosY=-4;junk MainPosX=+9 BackgroundColor=00ff00zz",
         {9, -4},
         {12, 0},
         RgbColour(0, 255, 0)},
        {"first occurrence counts", "MainPosX=1\r\nMainPosX=2\r\n", {1, 0}, {}, std::nullopt},
        {"names are case-sensitive", "mainposx=5\r\nBACKGROUNDCOLOR=FFFFFF\r\n", {}, {}, std::nullopt},
        {"a blank before the equals sign gives 0",
         "MainPosX =5\r\nMainPosY= \t 6\r\n",
         {0, 6},
         {},
         std::nullopt},
        {"any one separator character", "MainPosX:5 MainPosYx6", {5, 6}, {}, std::nullopt},
        {"reading stops at a non-digit", "LeftPosX=12px LeftPosY=3.9", {}, {12, 3}, std::nullopt},
        {"out of range is held at the ends",
         "MainPosX=99999999999 MainPosY=-99999999999",
         {INT_MAX, INT_MIN},
         {},
         std::nullopt},
        {"name at the very end", "LeftPosY", {}, {}, std::nullopt},
        {"broken colour pairs", "BackgroundColor=G1F", {}, {}, RgbColour(0, 0x0F, 0)},
        {"colour name at the very end", "BackgroundColor=", {}, {}, RgbColour(0, 0, 0)},
        {"garbage", std::string("\0\xff\x01MainPos\x80X=1", 15), {}, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        const SkinFileValues have = ParseSkinText(c.text);
        EXPECT_EQ(have.mainPosition, c.main)
            << c.name << ": have main " << have.mainPosition.x << "," << have.mainPosition.y;
        EXPECT_EQ(have.leftOverlayPosition, c.left)
            << c.name << ": have left " << have.leftOverlayPosition.x << "," << have.leftOverlayPosition.y;
        EXPECT_EQ(have.backgroundColour, c.colour) << c.name;
    }
}

TEST(SkinFile, ReadsFilesInBothEncodings)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("sleevit-skin-" + std::to_string(::getpid()) + ".ini");
    struct Case {
        const char* name;
        std::string bytes;
    };
    // The last entry has no line end after it.
    const std::string text = "BackgroundColor=123456\r\nLeftPosY=42";
    std::string utf16 = "\xFF\xFE";
    for (const char ch : text)
        utf16 += std::string{ch, '\0'};
    const Case cases[] = {{"8-bit", text}, {"UTF-16", utf16}};
    for (const Case& c : cases) {
        {
            std::ofstream(path, std::ios::binary) << c.bytes;
        }
        SkinFileValues have;
        ASSERT_TRUE(ReadSkinFile(path.string(), have)) << c.name;
        EXPECT_EQ(have.leftOverlayPosition.y, 42) << c.name;
        EXPECT_EQ(have.backgroundColour, RgbColour(0x12, 0x34, 0x56)) << c.name;
    }
    std::filesystem::remove(path);

    SkinFileValues kept;
    kept.mainPosition = {5, 6};
    EXPECT_FALSE(ReadSkinFile(path.string(), kept)) << "a file that is not there";
    EXPECT_EQ(kept.mainPosition, (SkinPoint{5, 6})) << "a failed read leaves the values alone";
}

} // namespace
