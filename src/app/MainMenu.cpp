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
const char* const kKeyProperty = "textKey";
} // namespace

CMainMenu::CMainMenu(QWidget* window, QMenuBar* bar, CCommandTable& commands)
    : QObject(window), window_(window), bar_(bar), commands_(commands)
{
}

void CMainMenu::Build(std::span<const MenuRow> rows)
{
    std::vector<QMenu*> open;
    for (const MenuRow& row : rows) {
        QMenu* parent = open.empty() ? nullptr : open.back();
        switch (row.kind) {
        case MenuRow::Kind::Popup: {
            QMenu* menu = parent ? parent->addMenu(QString()) : bar_->addMenu(QString());
            menu->menuAction()->setProperty(kKeyProperty, row.key);
            SetRawText(menu->menuAction(), row.text);
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateStates(menu); });
            open.push_back(menu);
            break;
        }
        case MenuRow::Kind::Item: {
            QAction* action = MakeItem(parent, row.id, row.text);
            action->setProperty(kKeyProperty, row.key);
            parent->addAction(action);
            if (*MenuShortcut(row)) {
                auto* shortcut = new QShortcut(QKeySequence(ToQt(MenuShortcut(row))), window_);
                const int id = row.id;
                connect(shortcut, &QShortcut::activated, this, [this, id] { commands_.Execute(id); });
            }
            break;
        }
        case MenuRow::Kind::Separator:
            parent->addSeparator();
            break;
        case MenuRow::Kind::End:
            open.pop_back();
            break;
        }
    }
}

void CMainMenu::ApplyTexts(const std::function<std::string(int key)>& text)
{
    for (QAction* action : All()) {
        QVariant key = action->property(kKeyProperty);
        if (key.isValid()) {
            SetRawText(action, text(key.toInt()));
        }
    }
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

QList<QAction*> CMainMenu::All() const
{
    QList<QAction*> all = bar_->actions();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i]->menu()) {
            all += all[i]->menu()->actions();
        }
    }
    return all;
}

QAction* CMainMenu::Find(const char* property, int value) const
{
    for (QAction* action : All()) {
        QVariant found = action->property(property);
        if (found.isValid() && found.toInt() == value) {
            return action;
        }
    }
    return nullptr;
}

QAction* CMainMenu::Action(int id) const
{
    return Find(kIdProperty, id);
}

QMenu* CMainMenu::Popup(int key) const
{
    QAction* action = Find(kKeyProperty, key);
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
