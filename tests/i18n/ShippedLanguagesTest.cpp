// The translators' quality gate: every shipped language file is read as the program
// reads it and held against the English texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "LanguageTestSupport.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"
#include "textfiles/TextFile.h"

namespace fs = std::filesystem;

namespace {

const fs::path kLanguageFolder = fs::path(SLEEVIT_SOURCE_DIR) / "data" / "languages";

// The "%s" and "%d" of a text in order; "%%" is a literal percent sign.
std::string Placeholders(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (text[i + 1] == '%') {
            ++i;
        } else if (text[i + 1] == 's' || text[i + 1] == 'd') {
            out += text.substr(i, 2);
            ++i;
        }
    }
    return out;
}

// Single "&" marks; "&&" is a literal ampersand.
int Accelerators(const std::string& text)
{
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '&')
            ++i;
        else
            ++count;
    }
    return count;
}

// True when 8-bit bytes hold a UTF-8 sequence of two or more bytes: a file saved as
// UTF-8 that the program would show garbled.
bool LooksLikeUtf8(const std::string& bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        std::size_t follow = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            follow = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            follow = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            follow = 3;
        if (follow == 0 || i + follow >= bytes.size())
            continue;
        bool all = true;
        for (std::size_t k = 1; k <= follow; ++k)
            all = all && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (all)
            return true;
    }
    return false;
}

std::string Shown(std::string text)
{
    for (const auto& [from, to] : {std::pair{"\n", "\\n"}, std::pair{"\t", "\\t"}, std::pair{"\r", "\\r"}})
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 2))
            text.replace(at, 1, to);
    return "\"" + text + "\"";
}

std::vector<fs::path> ShippedLanguageFiles()
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kLanguageFolder, ec))
        if (entry.path().extension() == ".lng")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

const LanguageName* LanguageOfFile(const fs::path& file)
{
    for (const LanguageName& language : kLanguageNames)
        if (file.filename() == language.fileName)
            return &language;
    return nullptr;
}

// Every problem of one file, one line each: "<file>: key <k>: <problem>".
std::vector<std::string> Problems(const fs::path& file)
{
    std::vector<std::string> problems;
    const std::string name = file.filename().string();
    auto problem = [&](const std::string& what) { problems.push_back(name + ": " + what); };
    auto keyProblem = [&](int key, const std::string& what) {
        problems.push_back(name + ": key " + std::to_string(key) + ": " + what);
    };

    const LanguageName* language = LanguageOfFile(file);
    if (language == nullptr) {
        problem("no language has this file name (spelling and case as in the language table)");
        return problems;
    }
    if (language->index == kTranslationLanguage) {
        problem("Translation.lng must not ship: it takes over every start-up");
        return problems;
    }

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
    if (!table.LoadLanguage(language->index)) {
        problem("cannot be loaded (unreadable or larger than the limit)");
        return problems;
    }
    std::string text;
    if (!ReadTextFile(file.string(), text)) {
        problem("cannot be read");
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
        if (Placeholders(translated) != Placeholders(english))
            keyProblem(key, "placeholders " + Shown(Placeholders(translated)) + ", want " +
                                Shown(Placeholders(english)) + " as in the English text");
        const auto tabs = std::count(translated.begin(), translated.end(), '\t');
        const auto englishTabs = std::count(english.begin(), english.end(), '\t');
        if (tabs != englishTabs)
            keyProblem(key, "has " + std::to_string(tabs) + " tab(s), want " + std::to_string(englishTabs) +
                                (englishTabs ? " (\\t before the shortcut)" : ""));
        if (Accelerators(translated) > 1)
            keyProblem(key,
                       "more than one & accelerator in " + Shown(translated) + " (write && for a plain &)");
    }
    return problems;
}

TEST(ShippedLanguages, EveryFileHoldsEveryKeyWithTheEnglishPlaceholdersTabsAndOneAccelerator)
{
    const std::vector<fs::path> files = ShippedLanguageFiles();
    ASSERT_FALSE(files.empty()) << "no language files in " << kLanguageFolder;
    for (const fs::path& file : files) {
        const std::vector<std::string> problems = Problems(file);
        std::ostringstream report;
        for (const std::string& p : problems)
            report << "  " << p << "\n";
        EXPECT_TRUE(problems.empty()) << problems.size() << " problem(s):\n" << report.str();
    }
}

TEST(ShippedLanguages, EveryMenuLanguageShipsAFile)
{
    for (const LanguageName& language : kLanguageNames) {
        if (language.index == kTranslationLanguage)
            continue;
        EXPECT_TRUE(fs::is_regular_file(kLanguageFolder / language.fileName))
            << language.fileName << " missing from " << kLanguageFolder;
    }
}

TEST(ShippedLanguages, EnglishFileAndTemplateAreTheBuiltInTexts)
{
    const struct {
        const char* file;
        LanguageFileKind kind;
    } cases[] = {{"English.lng", LanguageFileKind::Language}, {"Template.txt", LanguageFileKind::Template}};
    for (const auto& c : cases) {
        std::string text;
        ASSERT_TRUE(FormatLanguageFile(AllDefaultTexts(), c.kind, text));
        EXPECT_EQ(ReadBytes(kLanguageFolder / c.file), EncodeLanguageFile(text))
            << c.file << " differs from the built-in English texts; regenerate it with "
            << "sleevit-cli language-template data/languages";
    }
}

TEST(ShippedLanguages, QualityGateNamesFileKeyAndProblem)
{
    // A German file made from the English one, then spoilt in the ways translators slip.
    std::string text;
    ASSERT_TRUE(FormatLanguageFile(AllDefaultTexts(), LanguageFileKind::Language, text));
    auto replace = [&](const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("2007=Print Left\r\n", "");
    replace("4000=Invalid keyword in configuration file : \\n%s", "4000=Falsches Wort %d");
    replace("3005=E&xit", "3005=&Be&enden");
    replace("3001=&New\\tCtrl+N", "3001=&Neu Strg+N");
    replace("3048=Print Left...\\tCtrl+P", "3048=Links drucken...\\tStrg+P\\t!");
    replace("3002=&Print Both...", "3002=Beide && &drucken");
    replace("[CONTROLS]", "[CONTROLS]\r\n; 2008=was Print Both");
    replace("2009=Print Right", "2009=Rechts dr\xC3\xBC"
                                "cken");
    replace("5013=Left:", "5013=");
    ScratchFolder folder;
    const std::vector<std::string> problems = Problems(folder.Write("German.lng", text));

    const char* want[] = {
        "German.lng: 8-bit file holds UTF-8 sequences",
        "German.lng: key 2007: missing",
        "German.lng: key 4000: placeholders \"%d\", want \"%s\"",
        "German.lng: key 3005: more than one & accelerator",
        "German.lng: key 3001: has 0 tab(s), want 1",
        "German.lng: key 3048: has 2 tab(s), want 1",
        "German.lng: key 2008: first found inside another line",
        "German.lng: key 5013: empty text",
    };
    for (const char* w : want) {
        const bool found = std::any_of(problems.begin(), problems.end(),
                                       [&](const std::string& p) { return p.rfind(w, 0) == 0; });
        EXPECT_TRUE(found) << "no problem reported starting with: " << w;
    }
    EXPECT_EQ(problems.size(), std::size(want)) << "a literal && or other keys were reported too";

    EXPECT_EQ(Problems(folder.Write("Klingon.lng", "1000=x\r\n")).front(),
              "Klingon.lng: no language has this file name (spelling and case as in the language table)");
    EXPECT_EQ(Problems(folder.Write("Translation.lng", "1000=x\r\n")).size(), 1u);
}

} // namespace
