#include "app/TemplateForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cstdio>

QString ToQt(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text)
{
    return text.toStdString();
}

QString StaticDisplayText(const std::string& templateText)
{
    // Static texts show "&&" as one ampersand and drop a single "&" (no mnemonic).
    QString out;
    QString in = ToQt(templateText);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == QLatin1Char('&')) {
            if (i + 1 < in.size() && in[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += in[i];
    }
    return out;
}

namespace {

// A text that reports clicks, like a static control with the notify style.
class ClickableLabel final : public QLabel {
public:
    ClickableLabel(QWidget* parent, std::function<void()> onClick)
        : QLabel(parent), onClick_(std::move(onClick))
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && onClick_) {
            onClick_();
        }
        QLabel::mousePressEvent(event);
    }

private:
    std::function<void()> onClick_;
};

Qt::Alignment AlignmentOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::CenterText:
        return Qt::AlignHCenter | Qt::AlignTop;
    case ControlKind::RightText:
        return Qt::AlignRight | Qt::AlignTop;
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

} // namespace

QWidget* CTemplateForm::MakeStandard(const ControlTemplate& control, QWidget* parent, const Notify& notify)
{
    const int id = control.id;
    auto tell = [notify, id](Notification what) {
        if (notify) {
            notify(id, what);
        }
    };
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(ToQt(control.text), parent);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        button->setAutoDefault(control.kind == ControlKind::DefPushButton);
        QObject::connect(button, &QPushButton::clicked, [tell] { tell(Notification::Clicked); });
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(ToQt(control.text), parent);
        QObject::connect(box, &QCheckBox::clicked, [tell] { tell(Notification::Clicked); });
        return box;
    }
    case ControlKind::Radio: {
        auto* radio = new QRadioButton(ToQt(control.text), parent);
        QObject::connect(radio, &QRadioButton::clicked, [tell] { tell(Notification::Clicked); });
        return radio;
    }
    case ControlKind::LeftText:
    case ControlKind::CenterText:
    case ControlKind::RightText: {
        QLabel* label = control.HasFlag("NOTIFY")
                            ? new ClickableLabel(parent, [tell] { tell(Notification::Clicked); })
                            : new QLabel(parent);
        label->setText(StaticDisplayText(control.text));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(AlignmentOf(control.kind));
        label->setWordWrap(control.height > 10);
        return label;
    }
    case ControlKind::Edit: {
        if (control.HasFlag("MULTILINE")) {
            auto* edit = new QPlainTextEdit(parent);
            edit->setPlainText(ToQt(control.text));
            edit->setReadOnly(control.HasFlag("READONLY"));
            if (!control.HasFlag("VSCROLL")) {
                edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            }
            QObject::connect(edit, &QPlainTextEdit::textChanged, [tell] { tell(Notification::TextChanged); });
            return edit;
        }
        auto* edit = new QLineEdit(ToQt(control.text), parent);
        edit->setReadOnly(control.HasFlag("READONLY"));
        QObject::connect(edit, &QLineEdit::textEdited, [tell] { tell(Notification::TextChanged); });
        QObject::connect(edit, &QLineEdit::editingFinished, [tell] { tell(Notification::FocusLost); });
        return edit;
    }
    case ControlKind::DropList: {
        auto* combo = new QComboBox(parent);
        QObject::connect(combo, &QComboBox::activated, [tell] { tell(Notification::SelectionAccepted); });
        return combo;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        QObject::connect(list, &QListWidget::currentRowChanged,
                         [tell] { tell(Notification::SelectionChanged); });
        QObject::connect(list, &QListWidget::itemDoubleClicked,
                         [tell] { tell(Notification::DoubleClicked); });
        return list;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(StaticDisplayText(control.text), parent);
    case ControlKind::Link: {
        auto* label = new QLabel(parent);
        label->setText(StaticDisplayText(control.text));
        label->setCursor(Qt::PointingHandCursor);
        return label;
    }
    default:
        return nullptr;
    }
}

bool CTemplateForm::Create(QWidget* host, int templateId, const Factory& factory, const Notify& notify,
                           double dotsPerInch)
{
    auto loaded = LoadDialogTemplate(templateId);
    if (!loaded) {
        return false;
    }
    template_ = std::move(*loaded);
    layout_ = FixedFontLayout(template_.font, dotsPerInch);
    host->setFont(layout_.Font());
    items_.clear();
    // Radio buttons that follow each other form one group (a GROUP flag starts a new
    // one), so choosing one clears only its neighbours.
    QButtonGroup* radioGroup = nullptr;
    bool previousWasRadio = false;
    for (const ControlTemplate& control : template_.controls) {
        QWidget* widget = factory ? factory(control, host) : nullptr;
        if (!widget) {
            widget = MakeStandard(control, host, notify);
        }
        if (!widget) {
            std::fprintf(stderr, "dialog %d: nobody makes control %d\n", templateId, control.id);
            widget = new QWidget(host);
        }
        widget->setObjectName(QStringLiteral("c%1").arg(control.id));
        widget->setFont(layout_.Font());
        QRect place = layout_.ToPixels(control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::DropList) {
            // A drop-down list's template height includes its open list; closed it is
            // as high as one row.
            place.setHeight(std::min(place.height(), widget->sizeHint().height()));
        }
        widget->setGeometry(place);
        if (control.HasFlag("DISABLED")) {
            widget->setEnabled(false);
        }
        if (control.HasFlag("HIDDEN")) {
            widget->hide();
        }
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (!previousWasRadio || control.HasFlag("GROUP")) {
                radioGroup = new QButtonGroup(host);
            }
            radioGroup->addButton(radio);
        }
        previousWasRadio = control.kind == ControlKind::Radio;
        items_[control.id] = widget;
    }
    return true;
}

QWidget* CTemplateForm::Item(int id) const
{
    auto found = items_.find(id);
    return found == items_.end() ? nullptr : found->second.data();
}

std::vector<int> CTemplateForm::ControlIds() const
{
    std::vector<int> ids;
    for (const ControlTemplate& control : template_.controls) {
        ids.push_back(control.id);
    }
    return ids;
}

std::string CTemplateForm::Text(int id) const
{
    QWidget* item = Item(id);
    if (auto* button = qobject_cast<QAbstractButton*>(item)) {
        return FromQt(button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(item)) {
        return FromQt(label->text());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(item)) {
        return FromQt(edit->text());
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(item)) {
        return FromQt(edit->toPlainText());
    }
    if (auto* group = qobject_cast<QGroupBox*>(item)) {
        return FromQt(group->title());
    }
    if (auto* combo = qobject_cast<QComboBox*>(item)) {
        return FromQt(combo->currentText());
    }
    return std::string();
}

void CTemplateForm::SetText(int id, const std::string& text)
{
    QWidget* item = Item(id);
    if (auto* button = qobject_cast<QAbstractButton*>(item)) {
        button->setText(ToQt(text));
    } else if (auto* label = qobject_cast<QLabel*>(item)) {
        label->setText(StaticDisplayText(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(item)) {
        edit->setText(ToQt(text));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(item)) {
        plain->setPlainText(ToQt(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(item)) {
        group->setTitle(StaticDisplayText(text));
    }
}

bool CTemplateForm::Checked(int id) const
{
    auto* button = qobject_cast<QAbstractButton*>(Item(id));
    return button && button->isChecked();
}

void CTemplateForm::SetChecked(int id, bool checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(Item(id))) {
        button->setChecked(checked);
    }
}

bool CTemplateForm::Enabled(int id) const
{
    QWidget* item = Item(id);
    return item && item->isEnabled();
}

void CTemplateForm::Enable(int id, bool enabled)
{
    if (QWidget* item = Item(id)) {
        item->setEnabled(enabled);
    }
}

int CTemplateForm::CurrentIndex(int id) const
{
    QWidget* item = Item(id);
    if (auto* combo = qobject_cast<QComboBox*>(item)) {
        return combo->currentIndex();
    }
    if (auto* list = qobject_cast<QListWidget*>(item)) {
        return list->currentRow();
    }
    return -1;
}

void CTemplateForm::SetCurrentIndex(int id, int index)
{
    QWidget* item = Item(id);
    if (auto* combo = qobject_cast<QComboBox*>(item)) {
        combo->setCurrentIndex(index);
    } else if (auto* list = qobject_cast<QListWidget*>(item)) {
        list->setCurrentRow(index);
    }
}
