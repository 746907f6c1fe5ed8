#pragma once

#include <QObject>

#include <string>
#include <vector>

#include "app/MenuResource.h"

class CCommandTable;
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The menu bar of a window built from a menu resource. Every entry runs its command
// through the command table, and each time a menu opens its entries are enabled and
// checked as the table's state handlers say. Shortcuts run the same commands.
class CMainMenu : public QObject {
    Q_OBJECT
public:
    CMainMenu(QWidget* window, QMenuBar* bar, CCommandTable& commands);

    bool Build(int menuId);

    QAction* Action(int id) const;
    // The entry at a position path (separators count): {0} the first menu of the bar,
    // {0, 4} its fifth entry; nullptr when there is none.
    QAction* At(const std::vector<int>& path) const;
    QMenu* PopupAt(const std::vector<int>& path) const;

    // The entry's text as resources write it: "&" before the accelerator, a tab before
    // the shortcut's name.
    static std::string RawText(const QAction* action);
    static void SetRawText(QAction* action, const std::string& text);

    // A command entry inserted into menu at position (appended when past the end).
    QAction* InsertItem(QMenu* menu, int position, int id, const std::string& text);
    QAction* InsertSeparator(QMenu* menu, int position);

    // Asks the state handlers about every entry of menu, as opening it does.
    void UpdateStates(QMenu* menu) const;

private:
    void AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries);
    QAction* MakeItem(QMenu* menu, int id, const std::string& text);

    QWidget* window_;
    QMenuBar* bar_;
    CCommandTable& commands_;
};
