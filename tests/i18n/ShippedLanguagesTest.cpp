// The translators' quality gate: every shipped language file is read as the program
// reads it and held against the English texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "DataLines.h"
#include "ScratchFolder.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"
#include "textfiles/TextFile.h"

namespace fs = std::filesystem;

namespace {

const fs::path kLanguageFolder = fs::path(SLEEVIT_SOURCE_DIR) / "data" / "languages";

// The marks of a text that pattern finds, in order, leaving out doubled ones ("%%", "&&"),
// which stand for the character itself.
std::string Marks(const std::string& text, const char* pattern)
{
    std::string marks;
    const std::regex mark(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), mark), end; it != end; ++it)
        if (it->str() != "%%" && it->str() != "&&")
            marks += it->str();
    return marks;
}

// True when 8-bit bytes hold a UTF-8 sequence of two or more bytes: a file saved as
// UTF-8 that the program would show garbled.
bool LooksLikeUtf8(const std::string& bytes)
{
    static const std::regex sequence(
        "[\xC2-\xDF][\x80-\xBF]|[\xE0-\xEF][\x80-\xBF]{2}|[\xF0-\xF4][\x80-\xBF]{3}");
    return std::regex_search(bytes, sequence);
}

std::string Shown(const std::string& text)
{
    return "\"" + Replaced(text, {{"\n", "\\n"}, {"\t", "\\t"}, {"\r", "\\r"}}) + "\"";
}

// Every problem of one file, one line each: "<file>: key <k>: <problem>".
std::vector<std::string> Problems(const fs::path& file)
{
    std::vector<std::string> problems;
    const std::string name = file.filename().string();
    auto problem = [&](const std::string& what) { problems.push_back(name + ": " + what); };
    auto keyProblem = [&](int key, const std::string& what) {
        problem("key " + std::to_string(key) + ": " + what);
    };

    const auto language = std::find_if(std::begin(kLanguageNames), std::end(kLanguageNames),
                                       [&](const LanguageName& l) { return name == l.fileName; });
    if (language == std::end(kLanguageNames))
        problem("no language has this file name (spelling and case as in the language table)");
    else if (language->index == kTranslationLanguage)
        problem("Translation.lng must not ship: it takes over every start-up");
    if (!problems.empty())
        return problems;

    const std::string bytes = ReadBytes(file);
    const bool utf16 = bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0;
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0)
        problem("saved as UTF-16 big-endian; save as UTF-16 little-endian (FF FE) or 8-bit");
    if (!utf16 && bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        problem("saved as UTF-8 with a byte-order mark; save as UTF-16 little-endian (FF FE) or 8-bit");
    else if (!utf16 && LooksLikeUtf8(bytes))
        problem("8-bit file holds UTF-8 sequences (it would show garbled); save as UTF-16 little-endian");

    LanguageTable table;
    table.ScanLanguageFiles(file.parent_path().string());
    std::string text;
    if (!table.LoadLanguage(language->index) || !ReadTextFile(file.string(), text)) {
        problem("cannot be loaded (unreadable or larger than the limit)");
        return problems;
    }
    const LanguageEntries entries = ParseLanguageText(text);

    for (int i = 0; i < kLanguageKeyCount; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        const int key = LanguageKeyAt(i);
        const std::string english = DefaultText(key);
        const std::string& translated = table.StoredText(language->index, key);
        if (translated != entries.texts[at])
            keyProblem(key, "the table holds another text than the file");
        if (!entries.present[at]) {
            keyProblem(key, "missing");
            continue;
        }
        // The first "dddd=" must begin a line, or a comment or another text supplies it.
        char pattern[8];
        std::snprintf(pattern, sizeof pattern, "%04d=", key);
        const std::size_t first = text.find(pattern);
        if (first != 0 && (first < 2 || text.compare(first - 2, 2, "\r\n") != 0))
            keyProblem(key,
                       "first found inside another line (a comment or another entry's text), not its own");
        if (translated.empty()) {
            if (!english.empty())
                keyProblem(key, "empty text; the English " + Shown(english) + " would show");
            continue;
        }
        for (const auto& [marks, what] :
             {std::pair{"%[%sd]", "placeholders"}, {"\t", "tabs (\\t before a shortcut)"}})
            if (Marks(translated, marks) != Marks(english, marks))
                keyProblem(key, std::string(what) + " " + Shown(Marks(translated, marks)) + ", want " +
                                    Shown(Marks(english, marks)) + " as in the English text");
        if (Marks(translated, "&&?").size() > 1)
            keyProblem(key,
                       "more than one & accelerator in " + Shown(translated) + " (write && for a plain &)");
    }
    return problems;
}

TEST(ShippedLanguages, EveryFileHoldsEveryKeyWithTheEnglishPlaceholdersTabsAndOneAccelerator)
{
    for (const auto& entry : fs::directory_iterator(kLanguageFolder)) {
        if (entry.path().extension() != ".lng")
            continue;
        std::string report;
        for (const std::string& p : Problems(entry.path()))
            report += "  " + p + "\n";
        EXPECT_EQ(report, "") << entry.path();
    }
    // Every language of the menu ships a file.
    for (const LanguageName& language : kLanguageNames)
        EXPECT_EQ(fs::is_regular_file(kLanguageFolder / language.fileName),
                  language.index != kTranslationLanguage)
            << language.fileName << " in " << kLanguageFolder;
}

TEST(ShippedLanguages, EnglishFileAndTemplateAreTheBuiltInTexts)
{
    for (const auto& [file, kind] : {std::pair{"English.lng", LanguageFileKind::Language},
                                     std::pair{"Template.txt", LanguageFileKind::Template}}) {
        std::string text;
        ASSERT_TRUE(FormatLanguageFile(AllDefaultTexts(), kind, text));
        EXPECT_EQ(ReadBytes(kLanguageFolder / file), EncodeLanguageFile(text))
            << file << " differs from the built-in English texts; regenerate it with "
            << "sleevit-cli language-template data/languages";
    }
}

TEST(ShippedLanguages, QualityGateNamesFileKeyAndProblem)
{
    std::string text;
    ASSERT_TRUE(FormatLanguageFile(AllDefaultTexts(), LanguageFileKind::Language, text));
    std::vector<std::string> want;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/i18n/data/spoilt-german.txt")) {
        const std::vector<std::string> f = SplitFields(Replaced(line, {{"~", "\r\n"}}), " | ", 3);
        const std::size_t at = text.find(f[1]);
        if (f[0] == "replace" && at != std::string::npos)
            text.replace(at, f[1].size(), f[2]);
        else if (f[0] == "problem")
            want.push_back(f[1]);
        else
            ADD_FAILURE() << "cannot apply " << line;
    }
    ScratchFolder folder;
    std::vector<std::string> problems = Problems(folder.Write("German.lng", text));
    for (std::size_t k = 0; k < problems.size() && k < want.size(); ++k)
        problems[k].resize(want[k].size());
    EXPECT_EQ(problems, want);
    ASSERT_EQ(want.size(), 8u);

    EXPECT_EQ(Problems(folder.Write("Klingon.lng", "1000=x\r\n")).front(),
              "Klingon.lng: no language has this file name (spelling and case as in the language table)");
    EXPECT_EQ(Problems(folder.Write("Translation.lng", "1000=x\r\n")).size(), 1u);
}

} // namespace
