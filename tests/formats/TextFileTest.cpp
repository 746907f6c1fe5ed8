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
        EXPECT_EQ(verb == "decode" ? DecodeTextBytes(bytes) : ValidUtf8(bytes), want) << line;
        ++cases;
    }
    EXPECT_EQ(cases, 17);
}

TEST(TextFile, EncodingsRoundTrip)
{
    const std::string text = "Größe 😀 Обложка";
    EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le(text)), text);
    std::string latin;
    EXPECT_FALSE(Utf8ToLatin1(text, latin));
    ASSERT_TRUE(Utf8ToLatin1("Gr\xC3\xB6\xC3\x9F", latin));
    EXPECT_EQ(latin, "Gr\xF6\xDF");
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
