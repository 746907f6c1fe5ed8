#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CollectingMessages.h"
#include "DataLines.h"
#include "FakeWindow.h"
#include "ScratchFolder.h"
#include "i18n/DefaultTexts.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"
#include "i18n/MenuCommands.h"

namespace fs = std::filesystem;

namespace {

// A table with the built-in English defaults, scanning the scratch folder.
struct TableInFolder {
    ScratchFolder folder;
    LanguageTable table;

    TableInFolder() { table.UseBuiltInDefaults(); }
    void Scan() { table.ScanLanguageFiles(folder.Path()); }
};

TEST(LanguageTable, StepsOfDataFile)
{
    std::unique_ptr<TableInFolder> t;
    FakeWindow window;
    int locked = -1; // a file held under an exclusive lock
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/i18n/data/table-steps.txt");
    ASSERT_GE(lines.size(), 100u);
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::vector<std::string> f = SplitFields(line, " | ", 3);
        const std::string& step = f[0];
        std::istringstream arguments(f[1]);
        int a = 0;
        int b = 0;
        arguments >> a;
        if (step != "dialog")
            arguments >> b;
        if (step == "new") {
            t = std::make_unique<TableInFolder>();
            window = FakeWindow{};
            continue;
        }
        ASSERT_TRUE(t) << "no table yet";
        LanguageTable& table = t->table;
        if (step == "write") {
            t->folder.Write(f[1], Replaced(f[2], {{"~", "\r\n"}}));
        } else if (step == "read-only") {
            const fs::path file = t->folder.Write(f[1], "2007=x\r\n");
            fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        } else if (step == "folder") {
            fs::create_directory(t->folder.File(f[1]));
        } else if (step == "fifo") {
            ASSERT_EQ(::mkfifo(t->folder.File(f[1]).c_str(), 0644), 0);
        } else if (step == "lock") {
            locked = ::open(t->folder.Write(f[1], "2007=x\r\n").c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_EQ(::flock(locked, LOCK_EX), 0);
        } else if (step == "unlock") {
            ::close(locked);
        } else if (step == "files") {
            EXPECT_EQ(std::distance(fs::directory_iterator(t->folder.Path()), {}), a);
        } else if (step == "scan-absent") {
            table.ScanLanguageFiles(t->folder.File(f[1]));
            EXPECT_FALSE(fs::exists(t->folder.File(f[1])));
        } else if (step == "big") {
            std::string big = "2007=klein\r\n";
            big.resize(300 * 1024, 'x');
            t->folder.Write(f[2], big);
            EXPECT_FALSE(table.LoadLanguageBytes(a, big));
        } else if (step == "remove") {
            fs::remove(t->folder.File(f[1]));
        } else if (step == "scan") {
            t->Scan();
        } else if (step == "select") {
            table.SelectLanguage(a);
        } else if (step == "clear-defaults") {
            table.ClearDefaults();
        } else if (step == "builtin-defaults") {
            table.UseBuiltInDefaults();
        } else if (step == "default") {
            table.SetDefault(a, f[2]);
        } else if (step == "control") {
            window.controls[a] = f[2];
        } else if (step == "window" || step == "window-label") {
            table.TranslateWindow(window, a, b, step == "window-label");
            EXPECT_EQ(window.controls[a], f[2]);
        } else if (step == "dialog") {
            std::vector<ControlKey> pairs;
            for (int id = 0, key = 0; arguments >> id >> key;)
                pairs.push_back({id, key});
            table.TranslateDialog(window, pairs, a);
            EXPECT_EQ(window.caption, f[2]);
        } else if (step == "shows") {
            EXPECT_EQ(window.controls[a], f[2]);
        } else if (step == "message" || step == "message-alone") {
            CCollectingMessages messages;
            messages.SetTextSource(step == "message" ? &table : nullptr);
            EXPECT_EQ(messages.Text(a), Unescaped(f[2]));
        } else if (step == "text" || step == "label") {
            EXPECT_EQ(table.Text(a, step == "label"), f[2]);
        } else if (step == "stored") {
            EXPECT_EQ(table.StoredText(a, b), f[2]);
        } else if (step == "current") {
            EXPECT_EQ(table.CurrentLanguage(), a);
        } else if (step == "load") {
            EXPECT_EQ(table.LoadLanguage(a) ? "yes" : "no", f[2]);
        } else if (step == "path") {
            EXPECT_EQ(fs::path(table.LanguageFilePath(a)).filename(), f[2]);
        } else if (step == "available") {
            std::string available;
            for (int i = -1; i <= kLanguageCount; ++i)
                available += table.IsAvailable(i) ? " " + std::to_string(i) : "";
            EXPECT_EQ(available, " " + f[1]);
        } else {
            ADD_FAILURE() << "unknown step";
        }
    }
}

TEST(LanguageCatalogue, KeysAndLanguageNamesAgree)
{
    // Each key is found at its own position, with a default text.
    for (int i = 0; i < kLanguageKeyCount; ++i) {
        EXPECT_EQ(LanguageKeyIndex(LanguageKeyAt(i)), i) << "position " << i;
        EXPECT_NE(DefaultText(LanguageKeyAt(i)), nullptr) << "position " << i;
    }
    EXPECT_EQ(std::vector({LanguageKeyAt(0), LanguageKeyAt(-1), LanguageKeyAt(kLanguageKeyCount)}),
              std::vector({1000, -1, -1}));

    // Every language but Translation has one menu command, and it leads back to it.
    std::set<int> commands;
    for (const LanguageName& language : kLanguageNames) {
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
