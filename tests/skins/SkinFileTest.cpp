#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ScratchFolder.h"
#include "skins/SkinFile.h"
#include "textfiles/TextEncoding.h"

namespace {

// The values read, as "main x,y left x,y colour" (the colour as 0xBBGGRR hex, "-" for none).
std::string Values(const SkinFileValues& v)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d,%d %d,%d %s", v.mainPosition.x, v.mainPosition.y,
                  v.leftOverlayPosition.x, v.leftOverlayPosition.y, v.backgroundColour ? "" : "-");
    std::string s = buf;
    if (v.backgroundColour) {
        std::snprintf(buf, sizeof buf, "%06x", *v.backgroundColour);
        s += buf;
    }
    return s;
}

TEST(SkinFile, ReadsEntriesWhereverTheyStand)
{
    const struct {
        const char* name;
        std::string text;
        const char* want;
    } cases[] = {
        {"upper-case colour",
         "MainPosX=170\r\nMainPosY=30\r\nLeftPosX=160\r\nLeftPosY=33\r\nBackgroundColor=FF0000\r\n",
         "170,30 160,33 0000ff"},
        {"lower-case colour", "BackgroundColor=ff0000", "0,0 0,0 0000ff"},
        {"mixed case, order of the pairs", "BackgroundColor=0a1B2c", "0,0 0,0 2c1b0a"},
        {"missing positions are 0, no colour", "LeftPosY=7\r\n", "0,0 0,7 -"},
        {"one line, any order, other text around",
         "x[LeftPosX:12]MainPosY=-4;junk MainPosX=+9 BackgroundColor=00ff00zz", "9,-4 12,0 00ff00"},
        {"first occurrence counts", "MainPosX=1\r\nMainPosX=2\r\n", "1,0 0,0 -"},
        {"names are case-sensitive", "mainposx=5\r\nBACKGROUNDCOLOR=FFFFFF\r\n", "0,0 0,0 -"},
        {"a blank before the equals sign gives 0", "MainPosX =5\r\nMainPosY= \t 6\r\n", "0,6 0,0 -"},
        {"any one separator character", "MainPosX:5 MainPosYx6", "5,6 0,0 -"},
        {"reading stops at a non-digit", "LeftPosX=12px LeftPosY=3.9", "0,0 12,3 -"},
        {"out of range is held at the ends", "MainPosX=99999999999 MainPosY=-99999999999",
         "2147483647,-2147483648 0,0 -"},
        {"name at the very end", "LeftPosY", "0,0 0,0 -"},
        {"broken colour pairs", "BackgroundColor=G1F", "0,0 0,0 000f00"},
        {"colour name at the very end", "BackgroundColor=", "0,0 0,0 000000"},
        {"garbage", std::string("\0\xff\x01MainPos\x80X=1", 15), "0,0 0,0 -"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Values(ParseSkinText(c.text)), c.want) << c.name;
}

TEST(SkinFile, ReadsFilesInBothEncodings)
{
    ScratchFolder folder;
    const std::string text = "BackgroundColor=123456\r\nLeftPosY=42"; // no line end after the last
    for (const std::string& bytes : {text, std::string("\xFF\xFE", 2) + Utf8ToUtf16Le(text)}) {
        SkinFileValues have;
        ASSERT_TRUE(ReadSkinFile(folder.Write("skin.ini", bytes), have));
        EXPECT_EQ(Values(have), "0,0 0,42 563412");
    }
    SkinFileValues kept;
    kept.mainPosition = {5, 6};
    EXPECT_FALSE(ReadSkinFile(folder.File("gone.ini"), kept)) << "a file that is not there";
    EXPECT_EQ(kept.mainPosition, (SkinPoint{5, 6})) << "a failed read leaves the values alone";
}

} // namespace
