// Languages as the main window and its dialogs show them: the menu bar built from its
// table and texts that fit their controls in every language. (The menus' states,
// shortcuts and effects on the window are among the main window's scripts.)
#include <gmock/gmock.h>

#include "app/AppOptions.h"
#include "app/MainMenu.h"
#include "app/TemplateDialog.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/CutLineDialog.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/ExtendedFileDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/OptionsDialog.h"
#include "gui/MainWindowSupport.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"
#include "i18n/MenuCommands.h"

namespace {

// What does not fit in one window, one line each.
std::vector<std::string> Overflows(QWidget& window)
{
    std::vector<std::string> out;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->isHidden())
            continue;
        QString text;
        bool wraps = false;
        int width = control->contentsRect().width();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            // The room the style gives the text: inside the frame or beside the indicator.
            QStyleOptionButton option;
            option.initFrom(button);
            text = button->text();
            option.text = text;
            QStyle::SubElement element = QStyle::SE_PushButtonContents;
            if (qobject_cast<QCheckBox*>(button))
                element = QStyle::SE_CheckBoxContents;
            else if (qobject_cast<QRadioButton*>(button))
                element = QStyle::SE_RadioButtonContents;
            width = button->style()->subElementRect(element, &option, button).width();
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            if (label->textFormat() == Qt::RichText || !label->pixmap().isNull())
                continue;
            text = label->text();
            wraps = label->wordWrap();
        }
        if (text.isEmpty())
            continue;
        const QFontMetrics metrics(control->font());
        const QString plain = QString(text).remove(QRegularExpression(QStringLiteral("&(?!&)")));
        const int height = control->contentsRect().height();
        const bool fits =
            wraps
                ? metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, plain).height() <= height
                : metrics.horizontalAdvance(plain) <= width;
        if (!fits)
            out.push_back("\"" + plain.toStdString() + "\" (" +
                          std::to_string(metrics.horizontalAdvance(plain)) + " px) in " +
                          std::to_string(width) + " x " + std::to_string(height));
    }
    return out;
}

// The menu bar and the table side by side: each row is the next entry of the menu it is
// in, End is where that menu has no more entries, and every text is the language's own or
// the table's English one.
void ExpectMenuFollowsTheTable(QMenuBar& bar, CMainMenu& menu, const LanguageTable& language, int index)
{
    std::vector<QList<QAction*>> rest{bar.actions()};
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
            ASSERT_EQ(menu.Popup(row.key), action->menu()) << row.text;
            rest.push_back(action->menu()->actions());
        } else if (row.kind == MenuRow::Kind::Item) {
            EXPECT_EQ(menu.Action(row.id), action) << row.text;
        }
        if (row.key != 0) {
            const std::string& own = language.StoredText(index, row.key);
            EXPECT_EQ(CMainMenu::RawText(action), own.empty() ? std::string(row.text) : own)
                << index << " " << row.key;
        }
    }
    EXPECT_TRUE(rest.size() == 1 && rest[0].isEmpty()) << "menus the table does not have";
}

// What Qt's Cancel reads in a few languages: Portuguese falls back on Brazilian, and
// Greek, which Qt lacks, shows English rather than the language chosen before.
const std::map<int, std::string> kQtCancel = {{6, "Abbrechen"},
                                              {10, "\u041e\u0442\u043c\u0435\u043d\u0430"},
                                              {11, "Cancelar"},
                                              {16, "Cancel"},
                                              {0, "Cancel"}};

TEST(DialogTextFit, EveryTextFitsItsControlInEveryLanguage)
{
    // The program's own window and language table, switched through its menu; the
    // dialogs translate themselves from that table.
    ProgramRun run;
    for (const LanguageName& language : kLanguageNames)
        if (language.index != kEnglishLanguage && language.index != kTranslationLanguage)
            run.CopyLanguage(language.fileName);
    run.Start();

    AppOptions options;
    AppSettings settings(run.folder.File("fit.ini"));
    FormatCatalogue catalogue;
    catalogue.AddFormat("CD Front");
    std::vector<std::string> problems; // texts that do not fit, by language and window
    for (const LanguageName& language : kLanguageNames) {
        if (language.index == kTranslationLanguage)
            continue;
        ASSERT_TRUE(run.View().Commands().Execute(LanguageCommand(language.index))) << language.name;
        ASSERT_EQ(run.View().Language().CurrentLanguage(), language.index) << language.name;
        ExpectMenuFollowsTheTable(*run.app->MainFrame()->menuBar(), *run.app->MainFrame()->Menu(),
                                  run.View().Language(), language.index);
        // Qt's own texts where Qt ships the language or a neighbour of it, else English.
        if (const auto cancel = kQtCancel.find(language.index); cancel != kQtCancel.end()) {
            EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), cancel->second)
                << language.name;
        }
        std::vector<std::unique_ptr<CTemplateDialog>> dialogs;
        dialogs.push_back(std::make_unique<COptionsDialog>(options));
        dialogs.push_back(std::make_unique<CBatchPrintingDialog>(catalogue));
        dialogs.push_back(std::make_unique<CFormatEditDialog>(nullptr, catalogue, std::string(), 0));
        dialogs.push_back(std::make_unique<CDonateDialog>(nullptr, options));
        dialogs.push_back(std::make_unique<CCutLineDialog>(nullptr, false, LengthUnit::Millimetres));
        dialogs.push_back(std::make_unique<CCutLineDialog>(nullptr, true, LengthUnit::Inches));
        CExtendedFileDialog files(false, settings);
        files.layout()->activate(); // its own labels stand in a layout
        std::vector<QWidget*> windows = {&run.View(), &files};
        for (const auto& dialog : dialogs) {
            EXPECT_TRUE(dialog->Create());
            windows.push_back(dialog.get());
        }
        for (QWidget* window : windows)
            for (const std::string& overflow : Overflows(*window))
                problems.push_back(std::string(language.name) + ", " + window->metaObject()->className() +
                                   ": " + overflow);
    }
    EXPECT_THAT(problems, ::testing::IsEmpty());
}

} // namespace
