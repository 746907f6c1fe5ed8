#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "DataLines.h"
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
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/skins/data/skin-texts.txt");
    ASSERT_GE(lines.size(), 15u);
    for (const std::string& line : lines) {
        const std::vector<std::string> f = SplitFields(line, " | ", 3);
        EXPECT_EQ(Values(ParseSkinText(Unescaped(f[1]))), f[0]) << f[2];
    }
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
