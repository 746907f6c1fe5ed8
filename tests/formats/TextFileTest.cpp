#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ScratchFolder.h"
#include "textfiles/TextEncoding.h"
#include "textfiles/TextFile.h"

namespace {

TEST(TextFile, EveryLineEndsInCrLf)
{
    struct Case {
        std::string bytes;
        std::string want;
    };
    const Case cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\r\r\nb", "a\r\nb\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"x\xE9y\n", "x\xC3\xA9y\r\n"}, // 8-bit: each byte is its own character
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeTextBytes(c.bytes), c.want) << "input '" << c.bytes << "'";
}

TEST(TextFile, Utf16WithByteOrderMark)
{
    // "Ä\r\n😀" in UTF-16LE: a surrogate pair, and an unpaired surrogate that becomes U+FFFD.
    const std::string bytes("\xFF\xFE\xC4\x00\r\x00\n\x00\x3D\xD8\x00\xDE\n\x00\x00\xD8", 16);
    EXPECT_EQ(DecodeTextBytes(bytes), "\xC3\x84\r\n\xF0\x9F\x98\x80\r\n\xEF\xBF\xBD\r\n");
    // A UTF-8 file has no mark and is read byte by byte.
    EXPECT_EQ(DecodeTextBytes("\xC3\xA9"), "\xC3\x83\xC2\xA9\r\n");
}

TEST(TextFile, EncodingsRoundTrip)
{
    const std::string text = "Größe 😀 Обложка";
    EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le(text)), text);
    std::string latin;
    EXPECT_FALSE(Utf8ToLatin1(text, latin));
    ASSERT_TRUE(Utf8ToLatin1("Gr\xC3\xB6\xC3\x9F"
                             "e",
                             latin));
    EXPECT_EQ(latin, "Gr\xF6\xDF"
                     "e");
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

} // namespace

TEST(ValidUtf8, ReplacesEveryByteThatIsNoCharacter)
{
    struct Case {
        const char* have;
        const char* want;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},                                           // already UTF-8
        {"caf\xe9.jpg", "caf\xef\xbf\xbd.jpg"},                                   // Latin-1
        {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},                                 // overlong "/"
        {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},                 // a surrogate
        {"\xf0\x9f\x92\xbf", "\xf0\x9f\x92\xbf"},                                 // four bytes
        {"\xf4\x90\x80\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"}, // past U+10FFFF
        {"end\xe2\x82", "end\xef\xbf\xbd\xef\xbf\xbd"},                           // cut short
    };
    for (const Case& c : cases)
        EXPECT_EQ(ValidUtf8(c.have), c.want) << "have: " << c.have;
}
