#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "CaseText.h"
#include "DataLines.h"
#include "ScratchFolder.h"
#include "textfiles/TextEncoding.h"
#include "textfiles/TextFile.h"

TEST(TextFile, BytesOfTheDataFileGiveTheirText)
{
    int cases = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/formats/data/text-bytes.txt")) {
        std::istringstream in(line);
        const std::string verb = CaseText(in);
        const std::string bytes = CaseText(in);
        const std::string want = CaseText(in);
        std::string latin = "refused";
        if (verb == "latin1" && !Utf8ToLatin1(bytes, latin))
            latin = "refused";
        EXPECT_EQ(verb == "decode"  ? DecodeTextBytes(bytes)
                  : verb == "valid" ? ValidUtf8(bytes)
                  : verb == "utf16" ? Utf16LeToUtf8(Utf8ToUtf16Le(bytes))
                                    : latin,
                  want)
            << line;
        ++cases;
    }
    EXPECT_EQ(cases, 20);
}

TEST(TextFile, ReadsFilesAndRefusesWhatIsNoFile)
{
    ScratchFolder folder;
    const std::string path = folder.Write("text", "one\ntwo");
    std::string text = "stale";
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(text, "one\r\ntwo\r\n");
    std::remove(path.c_str());
    EXPECT_FALSE(ReadTextFile(path, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(ReadTextFile(folder.Path(), text));
}
