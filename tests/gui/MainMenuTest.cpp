// The menu bar built from its resource: entries reachable by position paths, states
// asked from the command table each time a menu opens, shortcuts running commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "app/CommandTable.h"
#include "app/MainMenu.h"
#include "gui/GuiApp.h"

TEST(MainMenu, PositionPathsCountSeparatorsAndReachEveryLevel)
{
    EnsureGuiApp();
    QMainWindow window;
    CCommandTable commands;
    CMainMenu menu(&window, window.menuBar(), commands);
    ASSERT_TRUE(menu.Build(128));
    struct Case {
        std::vector<int> path;
        const char* text;
    };
    const Case cases[] = {
        {{0}, "&File"},
        {{0, 0}, "&New\tCtrl+N"},
        {{0, 4}, "Print Left...\tCtrl+P"},
        {{0, 9}, "Printer &Calibration..."},
        {{0, 12}, "E&xit"},
        {{1, 1}, "Skins"},
        {{1, 1, 2}, "Random"},
        {{1, 2, 0}, "English"},
        {{1, 2, 24}, "Japanese"},
        {{1, 2, 26}, "Your Language here? Mail me..."},
        {{1, 3}, "Rotate"},
        {{1, 3, 1}, "Right image 90 degrees"},
        {{1, 4}, "Format Editor..."},
        {{2, 4}, "&About Sleevit..."},
    };
    for (const Case& c : cases) {
        QAction* action = menu.At(c.path);
        ASSERT_NE(action, nullptr) << c.text;
        EXPECT_EQ(CMainMenu::RawText(action), c.text);
    }
    EXPECT_EQ(menu.At({1, 2, 27}), nullptr);
    EXPECT_EQ(menu.At({3}), nullptr);
    EXPECT_TRUE(menu.At({0, 3})->isSeparator());
}

TEST(MainMenu, StatesComeFromHandlersAndShortcutsRunCommands)
{
    EnsureGuiApp();
    QMainWindow window;
    CCommandTable commands;
    int runs = 0;
    bool rotateAllowed = false;
    commands.On(57600, [&] { ++runs; });
    commands.On(32778, [&] { ++runs; });
    commands.OnState(32778, [&](CommandState& s) { s.enabled = rotateAllowed; });
    commands.OnStateRange(12345, 12355, [](int id, CommandState& s) { s.checked = id == 12346; });
    CMainMenu menu(&window, window.menuBar(), commands);
    ASSERT_TRUE(menu.Build(128));
    QMenu* skins = menu.PopupAt({1, 1});
    QAction* second = menu.InsertItem(skins, 5, 12346, "Second");
    QAction* first = menu.InsertItem(skins, 4, 12345, "First");
    EXPECT_EQ(menu.At({1, 1, 4}), first);
    EXPECT_EQ(menu.At({1, 1, 5}), second);

    menu.UpdateStates(menu.PopupAt({0}));
    menu.UpdateStates(menu.PopupAt({1, 3}));
    menu.UpdateStates(skins);
    EXPECT_TRUE(menu.Action(57600)->isEnabled());
    EXPECT_FALSE(menu.Action(32794)->isEnabled()) << "a command nobody answers is disabled";
    EXPECT_FALSE(menu.Action(32778)->isEnabled());
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(first->isChecked());
    rotateAllowed = true;
    menu.UpdateStates(menu.PopupAt({1, 3}));
    EXPECT_TRUE(menu.Action(32778)->isEnabled());

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(runs, 1);
    menu.Action(32778)->trigger();
    EXPECT_EQ(runs, 2);
}
