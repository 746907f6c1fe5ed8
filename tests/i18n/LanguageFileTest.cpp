#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "DataLines.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageFile.h"
#include "textfiles/TextEncoding.h"
#include "textfiles/TextFile.h"

namespace {

// "Print" in Cyrillic and CJK characters: two and three bytes each in UTF-8, beyond 8 bits.
const std::string kPrintText = "\xD0\x9F\xD0\xB5\xD1\x87\xD0\xB0\xD1\x82\xD1\x8C \xE5\x8D\xB0\xE5\x88\xB7";

// The text the file gives a key, read as the program reads a file's bytes.
std::string EntryOf(const std::string& fileBytes, int key)
{
    const LanguageEntries entries = ParseLanguageText(DecodeTextBytes(fileBytes));
    return entries.texts.at(static_cast<std::size_t>(LanguageKeyIndex(key)));
}

TEST(LanguageFile, EntriesAreFoundAnywhereFirstOccurrenceWinningAndUnescaped)
{
    const std::vector<std::string> lines = ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/i18n/data/entries.txt");
    ASSERT_GE(lines.size(), 25u);
    for (const std::string& line : lines) {
        const std::vector<std::string> f = SplitFields(
            Replaced(line, {{"~", "\r\n"}, {"<CR>", "\r"}, {"<LF>", "\n"}, {"<TAB>", "\t"}}), " | ", 4);
        EXPECT_EQ(EntryOf(f[1], std::stoi(f[0])), f[2]) << f[3];
    }
}

TEST(LanguageFile, EncodingsAsThe8BitAndUtf16ReadersSeeThem)
{
    // 8-bit: each byte is the character of the same code.
    EXPECT_EQ(EntryOf("2007=Imprimer \xE0 gauche\r\n", 2007), "Imprimer \xC3\xA0 gauche");

    // UTF-16 little-endian after FF FE, beyond the 8-bit range.
    const std::string utf16 =
        std::string("\xFF\xFE", 2) + Utf8ToUtf16Le("; comment\r\n2007=" + kPrintText + "\r\n");
    EXPECT_EQ(EntryOf(utf16, 2007), kPrintText);

    // A file saved as UTF-8 is read as 8-bit text: the text arrives garbled.
    EXPECT_EQ(EntryOf("2007=Links dr\xC3\xBC"
                      "cken\r\n",
                      2007),
              "Links dr\xC3\x83\xC2\xBC"
              "cken");

    // UTF-16 without the mark, or big-endian, interleaves zero bytes with the digits:
    // no key is found at all.
    const std::string le = Utf8ToUtf16Le("2007=x\r\n");
    std::string be = le;
    for (std::size_t i = 0; i + 1 < be.size(); i += 2)
        std::swap(be[i], be[i + 1]);
    for (const std::string& bytes : {le, std::string("\xFE\xFF", 2) + be})
        EXPECT_FALSE(ParseLanguageText(DecodeTextBytes(bytes)).present[std::size_t(LanguageKeyIndex(2007))]);
}

TEST(LanguageFile, WriterReadsBackWhatItWritesAndRefusesTextsThatWouldReadBackOtherwise)
{
    // A key and its text in place of the English one (none: the built-in texts alone),
    // and whether the file is written.
    const std::tuple<int, std::string, bool> cases[] = {
        {0, "", true},
        {2007, kPrintText, true},
        {4000, "C:\\temp", false},      // backslash before t
        {2007, "Print ", false},        // trailing space
        {4000, "line\n", false},        // trailing line feed
        {1000, "see 2004=here", false}, // another key's pattern
    };
    for (const auto& [key, changed, written] : cases)
        for (const LanguageFileKind kind : {LanguageFileKind::Language, LanguageFileKind::Template}) {
            SCOPED_TRACE(std::to_string(key) + "=" + changed);
            std::vector<std::string> texts = AllDefaultTexts();
            if (key != 0)
                texts[static_cast<std::size_t>(LanguageKeyIndex(key))] = changed;
            std::string text = "stale";
            EXPECT_EQ(FormatLanguageFile(texts, kind, text), written);
            if (!written) {
                EXPECT_TRUE(text.empty());
                continue;
            }
            // English stays in 8 bits; characters beyond them make the file UTF-16.
            const std::string bytes = EncodeLanguageFile(text);
            EXPECT_EQ(key == 0 ? bytes : bytes.substr(0, 2), key == 0 ? text : std::string("\xFF\xFE", 2));
            const LanguageEntries back = ParseLanguageText(DecodeTextBytes(bytes));
            EXPECT_EQ(back.texts, texts);
            EXPECT_EQ(back.present, std::vector<bool>(std::size_t(kLanguageKeyCount), true))
                << "keys not written";
            // Every line ends in CR LF, and nothing but line ends uses CR or LF.
            EXPECT_EQ(DecodeTextBytes(bytes), text);
        }
    std::string out;
    EXPECT_FALSE(FormatLanguageFile(std::vector<std::string>(3), LanguageFileKind::Language, out))
        << "too few texts";
}

TEST(LanguageFile, OnlyKeysWithAnEntryArePresentAndGuideLinesHoldNone)
{
    // A "dddd=" in a guide line would give that key the rest of the line.
    std::vector<std::string> files = {"1000=only\r\n"};
    for (int id = 32000; id <= 32005; ++id) {
        ASSERT_NE(LanguageFileFragment(id), nullptr) << "fragment " << id;
        files.push_back(LanguageFileFragment(id));
    }
    EXPECT_EQ(LanguageFileFragment(31999), nullptr);
    EXPECT_EQ(LanguageFileFragment(32006), nullptr);
    for (const std::string& file : files) {
        const LanguageEntries entries = ParseLanguageText(file);
        std::string keys;
        for (int i = 0; i < kLanguageKeyCount; ++i)
            keys += (entries.present.at(std::size_t(i)) ? " " + std::to_string(LanguageKeyAt(i)) : "") +
                    (entries.texts.at(std::size_t(i)).empty() ? "" : "=text");
        EXPECT_EQ(keys, file == files[0] ? " 1000=text" : "") << file;
    }
}

} // namespace
