#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "CollectingMessages.h"
#include "LanguageTestSupport.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"
#include "i18n/MenuCommands.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDutch = 1;
constexpr int kFrench = 5;
constexpr int kGerman = 6;

// A table with the built-in English defaults, scanning the scratch folder.
struct TableInFolder {
    ScratchFolder folder;
    LanguageTable table;

    TableInFolder() { table.UseBuiltInDefaults(); }
    void Scan() { table.ScanLanguageFiles(folder.Path()); }
};

TEST(LanguageTable, NewTableIsEnglishAndKeysOutsideTheCatalogueAreMissing)
{
    LanguageTable table;
    EXPECT_EQ(table.CurrentLanguage(), kEnglishLanguage);
    for (int i = -1; i <= kLanguageCount; ++i)
        EXPECT_EQ(table.IsAvailable(i), i == kEnglishLanguage) << "language " << i;
    EXPECT_EQ(table.Text(2007, false), "") << "nothing captured yet";
    table.UseBuiltInDefaults();
    for (const int key : {9999, 0, -1, 2003, 2010, 3053, 7032, 12007}) {
        table.SetDefault(key, "ignored");
        EXPECT_EQ(table.Text(key, false), "???") << "key " << key;
        EXPECT_EQ(table.Text(key, true), "???") << "key " << key;
    }
    FakeWindow window;
    window.controls[1005] = "as is";
    table.TranslateWindow(window, 1005, 9999, false);
    EXPECT_EQ(window.controls[1005], "as is");
    EXPECT_EQ(window.writes, 0);
}

TEST(LanguageTable, LabelCleanUp)
{
    const std::pair<std::string, std::string> cases[] = {
        {"&About Sleevit...", "About Sleevit"},
        {"Name:", "Name"},
        {"Ratio:::", "Ratio"},
        {"Wait......", "Wait..."},
        {"Dots...:", "Dots..."},
        {"R&&D", "RD"},
        {"...", ""},
        {"&&&", ""},
        {"Tab\tCtrl+N", "Tab\tCtrl+N"},
    };
    LanguageTable table;
    for (const auto& [text, want] : cases) {
        EXPECT_EQ(LabelText(text), want) << "have " << text;
        table.SetDefault(5013, text);
        EXPECT_EQ(table.Text(5013, true), want) << "have " << text;
        EXPECT_EQ(table.Text(5013, false), text) << "without forLabel the text stays";
    }
}

TEST(LanguageTable, MissingTextsFallBackToEnglishAndWindowsKeepTheirs)
{
    TableInFolder t;
    t.folder.Write("German.lng", "2007=Links drucken\r\n2008=Beide drucken\r\n3000=&Datei\r\n"
                                 "4000=Falsch:\\n%s\r\n5013=&Links:\r\n");
    t.folder.Write("Dutch.lng", "2008=Beide afdrukken\r\n");
    t.folder.Write("French.lng", "5008=Options du programme\r\n5009=Corriger&\r\n");
    t.Scan();

    FakeWindow view;
    view.controls = {{1005, "Print Left"}, {1006, "Print Both"}, {1039, "Left:"}};
    // In English the control's own text becomes the default and stays.
    t.table.ClearDefaults();
    t.table.TranslateWindow(view, 1005, 2007, false);
    EXPECT_EQ(view.controls[1005], "Print Left");
    EXPECT_EQ(t.table.Text(2007, false), "Print Left") << "default captured from the control";

    t.table.SelectLanguage(kGerman);
    ASSERT_EQ(t.table.CurrentLanguage(), kGerman);
    t.table.TranslateWindow(view, 1005, 2007, false);
    t.table.TranslateWindow(view, 1006, 2008, false);
    t.table.TranslateWindow(view, 1039, 5013, true);
    EXPECT_EQ(view.controls[1005], "Links drucken");
    EXPECT_EQ(view.controls[1006], "Beide drucken");
    EXPECT_EQ(view.controls[1039], "Links") << "label clean-up";
    EXPECT_EQ(t.table.StoredText(kEnglishLanguage, 2008), "Print Both")
        << "the default is captured before the control changes";
    EXPECT_EQ(t.table.Text(3000, true), "Datei");
    t.table.UseBuiltInDefaults();
    EXPECT_EQ(t.table.Text(3029, true), "About Sleevit") << "missing key falls back, cleaned";
    EXPECT_EQ(t.table.StoredText(kGerman, 3029), "") << "the language's own text stays empty";

    // The core's messages follow the table once it is their text source.
    CCollectingMessages messages;
    EXPECT_EQ(messages.Text(4000), DefaultText(4000)) << "English without a source";
    messages.SetTextSource(&t.table);
    EXPECT_EQ(messages.Text(4000), "Falsch:\n%s");
    EXPECT_EQ(messages.Text(4004), DefaultText(4004));
    EXPECT_EQ(messages.Text(9999), "???");
    messages.SetTextSource(nullptr);
    EXPECT_EQ(messages.Text(4000), DefaultText(4000));

    // Dutch lacks 2007: the button stays German, while Text falls back to English.
    t.table.SelectLanguage(kDutch);
    t.table.TranslateWindow(view, 1005, 2007, false);
    t.table.TranslateWindow(view, 1006, 2008, false);
    EXPECT_EQ(view.controls[1005], "Links drucken");
    EXPECT_EQ(view.controls[1006], "Beide afdrukken");
    EXPECT_EQ(t.table.Text(2007, false), "Print Left");

    // A dialog: the pairs in order, then the caption.
    t.table.SelectLanguage(kFrench);
    FakeWindow dialog;
    dialog.controls = {{1006, "template 1006"}, {1007, "template 1007"}};
    const ControlKey pairs[] = {{1006, 5009}, {1007, 5010}};
    t.table.TranslateDialog(dialog, pairs, 5008);
    EXPECT_EQ(dialog.controls[1006], "Corriger&") << "pairs get no label clean-up";
    EXPECT_EQ(dialog.controls[1007], "template 1007");
    EXPECT_EQ(dialog.caption, "Options du programme");
}

TEST(LanguageTable, EnglishFileWithOnlyTheCaptionReplacesEveryDefault)
{
    TableInFolder t;
    t.folder.Write("English.lng", "1000=Covers for everyone\r\n");
    t.Scan();
    t.table.SelectLanguage(kEnglishLanguage);
    EXPECT_EQ(t.table.Text(1000, false), "Covers for everyone");
    for (const int key : {2007, 3000, 4000, 7031})
        EXPECT_EQ(t.table.Text(key, false), "") << "key " << key;

    FakeWindow view;
    view.controls[1005] = "Print Left";
    t.table.TranslateWindow(view, 1005, 2007, false);
    EXPECT_EQ(view.controls[1005], "Print Left") << "the template text stays";
    EXPECT_EQ(t.table.Text(2007, false), "Print Left") << "and becomes the default";
}

TEST(LanguageTable, SelectingReadsTheFileAgainAndKeepsTextsWhenItCannot)
{
    TableInFolder t;
    const fs::path file = t.folder.Write("Dutch.lng", "2007=eerste\r\n");
    t.Scan();
    t.table.SelectLanguage(kDutch);
    EXPECT_EQ(t.table.Text(2007, false), "eerste");

    t.folder.Write("Dutch.lng", "2007=tweede\r\n");
    t.table.SelectLanguage(kGerman); // not available: nothing changes
    EXPECT_EQ(t.table.CurrentLanguage(), kDutch);
    EXPECT_EQ(t.table.Text(2007, false), "eerste");
    t.table.SelectLanguage(kDutch);
    EXPECT_EQ(t.table.Text(2007, false), "tweede") << "an edited file counts when selected anew";

    // A file over the size limit is refused as unreadable.
    std::string big = "2007=klein\r\n";
    big.resize(300 * 1024, 'x');
    t.folder.Write("Dutch.lng", big);
    EXPECT_FALSE(t.table.LoadLanguage(kDutch));
    EXPECT_FALSE(t.table.LoadLanguageBytes(kDutch, big));
    EXPECT_EQ(t.table.Text(2007, false), "tweede");

    fs::remove(file);
    EXPECT_FALSE(t.table.LoadLanguage(kDutch));
    t.table.SelectLanguage(kDutch);
    EXPECT_EQ(t.table.CurrentLanguage(), kDutch);
    EXPECT_EQ(t.table.Text(2007, false), "tweede") << "a vanished file leaves the texts";

    for (const int index : {-1, kLanguageCount}) {
        t.table.SelectLanguage(index);
        EXPECT_EQ(t.table.CurrentLanguage(), kDutch) << "index " << index;
        EXPECT_FALSE(t.table.LoadLanguage(index)) << "index " << index;
        EXPECT_EQ(t.table.LanguageFilePath(index), "") << "index " << index;
    }
}

TEST(LanguageTableScan, ReadableUnlockedRegularFilesAreAvailableAndNoneIsMade)
{
    TableInFolder t;
    t.Scan();
    EXPECT_TRUE(fs::is_empty(t.folder.Path())) << "the scan left files behind";
    LanguageTable missingFolder;
    missingFolder.ScanLanguageFiles(t.folder.File("absent"));
    EXPECT_FALSE(fs::exists(t.folder.File("absent")));

    t.folder.Write("dUTCH.LNG", "2007=klein\r\n");
    t.folder.Write("Dutch.lng.bak", "2007=backup\r\n");
    t.folder.Write("translation.lng", "2007=vertaald\r\n");
    const fs::path readOnly = t.folder.Write("German.lng", "2007=x\r\n");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(t.folder.File("French.lng"));
    ASSERT_EQ(::mkfifo(t.folder.File("Spanish.lng").c_str(), 0644), 0);
    const fs::path locked = t.folder.Write("Italian.lng", "2007=x\r\n");
    const int holder = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    t.Scan();
    ::close(holder);

    // Names match without regard to case; a read-only copy (an installed one) is offered;
    // a locked one, a folder and a FIFO are not.
    const std::set<int> want = {kEnglishLanguage, kDutch, kGerman, kTranslationLanguage};
    for (int i = 0; i < kLanguageCount; ++i)
        EXPECT_EQ(t.table.IsAvailable(i), want.count(i) == 1)
            << kLanguageNames[static_cast<std::size_t>(i)].fileName;
    EXPECT_FALSE(t.table.LoadLanguage(2)) << "loading never waits on the FIFO";
    t.table.SelectLanguage(kDutch);
    EXPECT_EQ(t.table.Text(2007, false), "klein");
    t.table.SelectLanguage(kTranslationLanguage);
    EXPECT_EQ(t.table.Text(2007, false), "vertaald");

    // The exact spelling wins over other spellings of the name.
    t.folder.Write("Dutch.lng", "2007=exact\r\n");
    EXPECT_EQ(fs::path(t.table.LanguageFilePath(kDutch)).filename(), "Dutch.lng");
    t.table.SelectLanguage(kDutch);
    EXPECT_EQ(t.table.Text(2007, false), "exact");
}

TEST(LanguageCatalogue, KeysAndLanguageNamesAgree)
{
    // Keys rise through the catalogue, each found at its own position with a default text.
    for (int i = 0; i < kLanguageKeyCount; ++i) {
        const int key = LanguageKeyAt(i);
        EXPECT_GT(key, i == 0 ? 0 : LanguageKeyAt(i - 1)) << "position " << i;
        EXPECT_EQ(LanguageKeyIndex(key), i) << "key " << key;
        EXPECT_NE(DefaultText(key), nullptr) << "key " << key;
    }
    EXPECT_EQ(LanguageKeyAt(0), 1000);
    EXPECT_EQ(LanguageKeyAt(-1), -1);
    EXPECT_EQ(LanguageKeyAt(kLanguageKeyCount), -1);

    // Every language but Translation has one menu command, and it leads back to it.
    std::set<int> commands;
    for (const LanguageName& language : kLanguageNames) {
        EXPECT_EQ(std::string(language.fileName), std::string(language.name) + ".lng");
        const int command = LanguageCommand(language.index);
        EXPECT_EQ(command == 0, language.index == kTranslationLanguage) << language.name;
        if (command == 0)
            continue;
        EXPECT_TRUE(commands.insert(command).second) << "command used twice: " << command;
        const LanguageName* found = LanguageByCommand(command);
        ASSERT_NE(found, nullptr) << language.name;
        EXPECT_EQ(found->index, language.index);
    }
    EXPECT_EQ(LanguageByCommand(0), nullptr);
    EXPECT_EQ(LanguageByCommand(kCmdMailLanguage), nullptr) << "the mail command selects no language";
}

} // namespace
