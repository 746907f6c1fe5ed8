// Every translated text fits its control: each dialog is opened in every shipped
// language and each caption, switch and button is measured with its own font.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>

#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "GuiApp.h"
#include "app/AppOptions.h"
#include "app/AppSettings.h"
#include "app/QtTranslation.h"
#include "app/TemplateDialog.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/CutLineDialog.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/ExtendedFileDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/OptionsDialog.h"
#include "formats/FormatCatalogue.h"
#include "gui/MainWindowSupport.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"
#include "i18n/MenuCommands.h"
#include "view/TheView.h"

namespace {

// The room a button, switch or radio draws its text in: the style's own contents
// rectangle, inside the frame or beside the indicator.
int TextRoom(QAbstractButton& control)
{
    QStyleOptionButton option;
    option.initFrom(&control);
    option.text = control.text();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(&control))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(&control))
        element = QStyle::SE_RadioButtonContents;
    return control.style()->subElementRect(element, &option, &control).width();
}

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
            text = button->text();
            width = TextRoom(*button);
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
    const auto opened = [](std::unique_ptr<CTemplateDialog> dialog) {
        EXPECT_TRUE(dialog->Create());
        return std::unique_ptr<QWidget>(std::move(dialog));
    };
    const std::function<std::unique_ptr<QWidget>()> dialogs[] = {
        [&] { return opened(std::make_unique<COptionsDialog>(options)); },
        [&] { return opened(std::make_unique<CBatchPrintingDialog>(catalogue)); },
        [&] { return opened(std::make_unique<CFormatEditDialog>(nullptr, catalogue, std::string(), 0)); },
        [&] { return opened(std::make_unique<CDonateDialog>(nullptr, options)); },
        [&] { return opened(std::make_unique<CCutLineDialog>(nullptr, false, LengthUnit::Millimetres)); },
        [&] { return opened(std::make_unique<CCutLineDialog>(nullptr, true, LengthUnit::Inches)); },
        [&] {
            auto files = std::make_unique<CExtendedFileDialog>(false, settings);
            files->layout()->activate(); // its own labels stand in a layout
            return std::unique_ptr<QWidget>(std::move(files));
        },
    };
    std::ostringstream report;
    int problems = 0;
    const auto note = [&](const char* language, const char* window,
                          const std::vector<std::string>& overflows) {
        for (const std::string& overflow : overflows) {
            report << "  " << language << ", " << window << ": " << overflow << "\n";
            ++problems;
        }
    };
    for (const LanguageName& language : kLanguageNames) {
        if (language.index == kTranslationLanguage)
            continue;
        ASSERT_TRUE(run.View().Commands().Execute(LanguageCommand(language.index))) << language.name;
        ASSERT_EQ(run.View().Language().CurrentLanguage(), language.index) << language.name;
        note(language.name, "main window", Overflows(run.View()));
        for (const auto& make : dialogs) {
            std::unique_ptr<QWidget> dialog = make();
            note(language.name, dialog->metaObject()->className(), Overflows(*dialog));
        }
    }
    EXPECT_EQ(problems, 0) << "texts that do not fit:\n" << report.str();
}

TEST(QtTranslation, QtsOwnDialogsFollowTheLanguageWhereQtShipsIt)
{
    EnsureGuiApp();
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    const struct {
        int language;
        bool installed;
        const char* cancel;
    } cases[] = {{6, true, "Abbrechen"},
                 {10, true, "\u041e\u0442\u043c\u0435\u043d\u0430"},
                 {11, true, "Cancelar"}, // European Portuguese falls back on Brazilian
                 {16, false, "Cancel"},  // Qt has no Greek: English, not the last language
                 {0, false, "Cancel"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ApplyQtTranslation(c.language), c.installed) << c.language;
        EXPECT_EQ(cancel().toStdString(), c.cancel) << c.language;
    }
}

} // namespace
