// The menu bar built from the menu table: its shape and its texts in every shipped
// language, states asked from the command table each time a menu opens, shortcuts.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <map>
#include <string>

#include "app/CommandTable.h"
#include "app/MainMenu.h"
#include "gui/GuiApp.h"
#include "i18n/LanguageTable.h"

namespace {
struct BuiltMenu {
    BuiltMenu() { menu.Build(kMainMenu); }
    QApplication& app = EnsureGuiApp();
    QMainWindow window;
    CCommandTable commands;
    CMainMenu menu{&window, window.menuBar(), commands};
};
} // namespace

TEST(MainMenu, ShapeAndTextsFollowTheTableInEveryShippedLanguage)
{
    BuiltMenu built;
    LanguageTable language;
    language.UseBuiltInDefaults();
    language.ScanLanguageFiles(std::string(SLEEVIT_SOURCE_DIR) + "/data/languages");
    for (const LanguageName& name : kLanguageNames) {
        if (name.index == kTranslationLanguage)
            continue;
        ASSERT_TRUE(language.IsAvailable(name.index)) << name.name;
        language.SelectLanguage(name.index);
        built.menu.ApplyTexts([&](int key) { return language.Text(key, false); });
        // The table and the menus side by side: each row is the next entry of the menu
        // it is in; End is where that menu has no more entries.
        std::vector<QList<QAction*>> rest{built.window.menuBar()->actions()};
        for (const MenuRow& row : kMainMenu) {
            ASSERT_FALSE(rest.empty());
            if (row.kind == MenuRow::Kind::End) {
                EXPECT_TRUE(rest.back().isEmpty()) << "entries the table does not have";
                rest.pop_back();
                continue;
            }
            ASSERT_FALSE(rest.back().isEmpty()) << row.text;
            QAction* action = rest.back().takeFirst();
            EXPECT_EQ(action->isSeparator(), row.kind == MenuRow::Kind::Separator) << row.text;
            if (row.kind == MenuRow::Kind::Popup) {
                ASSERT_EQ(built.menu.Popup(row.key), action->menu()) << row.text;
                rest.push_back(action->menu()->actions());
            } else if (row.kind == MenuRow::Kind::Item) {
                EXPECT_EQ(built.menu.Action(row.id), action) << row.text;
            }
            if (row.key != 0) {
                const std::string& own = language.StoredText(name.index, row.key);
                EXPECT_EQ(CMainMenu::RawText(action), own.empty() ? std::string(row.text) : own)
                    << name.name << " " << row.key;
            }
        }
        EXPECT_TRUE(rest.size() == 1 && rest[0].isEmpty()) << "menus the table does not have";
    }
}

TEST(MainMenu, StatesComeFromHandlersAndShortcutsRunCommands)
{
    BuiltMenu built;
    CMainMenu& menu = built.menu;
    std::map<int, int> runs;
    bool rotateAllowed = false;
    for (const MenuRow& row : kMainMenu)
        if (row.kind == MenuRow::Kind::Item && row.id != kCmdLoadLeft)
            built.commands.On(row.id, [&runs, id = row.id] { ++runs[id]; });
    built.commands.OnState(kCmdRotateLeft, [&](CommandState& s) { s.enabled = rotateAllowed; });
    built.commands.OnStateRange(12345, 12355, [](int id, CommandState& s) { s.checked = id == 12346; });
    QMenu* skins = menu.Popup(kMenuSkins);
    QAction* second = menu.InsertItem(skins, 5, 12346, "Second");
    QAction* first = menu.InsertItem(skins, 4, 12345, "First");
    EXPECT_EQ(menu.Popup(kMenuSkins)->actions().value(4), first);
    EXPECT_EQ(menu.Popup(kMenuSkins)->actions().value(5), second);

    for (int popup : {kMenuFile, kMenuRotate, kMenuSkins})
        menu.UpdateStates(menu.Popup(popup));
    EXPECT_TRUE(menu.Action(kCmdNew)->isEnabled());
    EXPECT_FALSE(menu.Action(kCmdLoadLeft)->isEnabled()) << "a command nobody answers is disabled";
    EXPECT_FALSE(menu.Action(kCmdRotateLeft)->isEnabled());
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(first->isChecked());
    rotateAllowed = true;
    menu.UpdateStates(menu.Popup(kMenuRotate));
    EXPECT_TRUE(menu.Action(kCmdRotateLeft)->isEnabled());

    // Each shortcut named after a tab in an English text runs its command once.
    built.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&built.window));
    for (const MenuRow& row : kMainMenu) {
        if (*MenuShortcut(row)) {
            QTest::keySequence(&built.window, QKeySequence(QString::fromLatin1(MenuShortcut(row))));
            EXPECT_EQ(runs[row.id], 1) << row.text;
        }
    }
    EXPECT_EQ(runs.size(), 2u) << "two shortcuts, nothing else ran";
}
