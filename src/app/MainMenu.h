#pragma once

#include <QList>
#include <QObject>

#include <functional>
#include <span>
#include <string>

#include "i18n/MenuCommands.h"

class CCommandTable;
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The menu bar of a window built from a menu table. Every entry runs its command
// through the command table, and each time a menu opens its entries are enabled and
// checked as the table's state handlers say. Shortcuts run the same commands. Entries
// and submenus keep their text key, so a language's texts go where they belong.
class CMainMenu : public QObject {
    Q_OBJECT
public:
    CMainMenu(QWidget* window, QMenuBar* bar, CCommandTable& commands);

    // The bar's menus from the rows, each with its English text.
    void Build(std::span<const MenuRow> rows);
    // Every entry and submenu that has a text key gets text(key).
    void ApplyTexts(const std::function<std::string(int key)>& text);

    QAction* Action(int id) const;
    // The submenu whose text has this key; nullptr when there is none.
    QMenu* Popup(int key) const;

    // The entry's text as the tables write it: "&" before the accelerator, a tab before
    // the shortcut's name.
    static std::string RawText(const QAction* action);
    static void SetRawText(QAction* action, const std::string& text);

    // A command entry inserted into menu at position (appended when past the end).
    QAction* InsertItem(QMenu* menu, int position, int id, const std::string& text);

    // Asks the state handlers about every entry of menu, as opening it does.
    void UpdateStates(QMenu* menu) const;

private:
    QAction* MakeItem(QMenu* menu, int id, const std::string& text);
    QList<QAction*> All() const; // every entry and submenu, breadth first
    QAction* Find(const char* property, int value) const;

    QWidget* window_;
    QMenuBar* bar_;
    CCommandTable& commands_;
};
