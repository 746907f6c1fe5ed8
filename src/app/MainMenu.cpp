#include "app/MainMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include "app/CommandTable.h"
#include "app/TemplateForm.h"

namespace {
const char* const kIdProperty = "commandId";
const char* const kRawProperty = "rawText";
} // namespace

CMainMenu::CMainMenu(QWidget* window, QMenuBar* bar, CCommandTable& commands)
    : QObject(window), window_(window), bar_(bar), commands_(commands)
{
}

bool CMainMenu::Build(int menuId)
{
    auto resource = LoadMenuResource(menuId);
    if (!resource) {
        return false;
    }
    for (const MenuEntry& popup : resource->bar) {
        QMenu* menu = bar_->addMenu(QString());
        SetRawText(menu->menuAction(), popup.text);
        AddEntries(menu, popup.children);
    }
    for (const Accelerator& accel : resource->accelerators) {
        auto* shortcut = new QShortcut(QKeySequence(ToQt(accel.key)), window_);
        const int id = accel.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { commands_.Execute(id); });
    }
    return true;
}

void CMainMenu::AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Kind::Popup: {
            QMenu* sub = menu->addMenu(QString());
            SetRawText(sub->menuAction(), entry.text);
            AddEntries(sub, entry.children);
            break;
        }
        case MenuEntry::Kind::Item:
            menu->addAction(MakeItem(menu, entry.id, entry.text));
            break;
        }
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateStates(menu); });
}

QAction* CMainMenu::MakeItem(QMenu* menu, int id, const std::string& text)
{
    auto* action = new QAction(menu);
    action->setProperty(kIdProperty, id);
    SetRawText(action, text);
    connect(action, &QAction::triggered, this, [this, id] { commands_.Execute(id); });
    return action;
}

QAction* CMainMenu::InsertItem(QMenu* menu, int position, int id, const std::string& text)
{
    QAction* action = MakeItem(menu, id, text);
    QList<QAction*> actions = menu->actions();
    menu->insertAction(position >= 0 && position < actions.size() ? actions[position] : nullptr, action);
    return action;
}

QAction* CMainMenu::InsertSeparator(QMenu* menu, int position)
{
    QList<QAction*> actions = menu->actions();
    return menu->insertSeparator(position >= 0 && position < actions.size() ? actions[position] : nullptr);
}

void CMainMenu::UpdateStates(QMenu* menu) const
{
    for (QAction* action : menu->actions()) {
        QVariant id = action->property(kIdProperty);
        if (action->isSeparator() || action->menu() || !id.isValid()) {
            continue;
        }
        CommandState state = commands_.StateOf(id.toInt());
        action->setEnabled(state.enabled);
        if (state.checked) {
            action->setCheckable(true);
        }
        action->setChecked(state.checked);
    }
}

QAction* CMainMenu::Action(int id) const
{
    QList<QAction*> pending = bar_->actions();
    while (!pending.isEmpty()) {
        QAction* action = pending.takeFirst();
        QVariant value = action->property(kIdProperty);
        if (value.isValid() && value.toInt() == id) {
            return action;
        }
        if (action->menu()) {
            pending += action->menu()->actions();
        }
    }
    return nullptr;
}

QAction* CMainMenu::At(const std::vector<int>& path) const
{
    QList<QAction*> level = bar_->actions();
    QAction* found = nullptr;
    for (int position : path) {
        if (position < 0 || position >= level.size()) {
            return nullptr;
        }
        found = level[position];
        level = found->menu() ? found->menu()->actions() : QList<QAction*>();
    }
    return found;
}

QMenu* CMainMenu::PopupAt(const std::vector<int>& path) const
{
    QAction* action = At(path);
    return action ? action->menu() : nullptr;
}

std::string CMainMenu::RawText(const QAction* action)
{
    return FromQt(action->property(kRawProperty).toString());
}

void CMainMenu::SetRawText(QAction* action, const std::string& text)
{
    action->setProperty(kRawProperty, ToQt(text));
    action->setText(ToQt(text));
}
