#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "DataLines.h"
#include "ScratchFolder.h"
#include "skins/SkinFile.h"

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
    ScratchFolder folder;
    for (const std::string& line : lines) {
        const std::vector<std::string> f = SplitFields(line, " | ", 3);
        SkinFileValues have;
        ASSERT_TRUE(ReadSkinFile(folder.Write("skin.ini", Unescaped(f[1])), have)) << f[2];
        EXPECT_EQ(Values(have), f[0]) << f[2];
    }
    SkinFileValues kept;
    kept.mainPosition = {5, 6};
    EXPECT_FALSE(ReadSkinFile(folder.File("gone.ini"), kept)) << "a file that is not there";
    EXPECT_EQ(kept.mainPosition, (SkinPoint{5, 6})) << "a failed read leaves the values alone";
}

} // namespace
