// Every translated text fits its control: each dialog is opened in every shipped
// language and each caption, switch and button is measured with its own font.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>

#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "GuiApp.h"
#include "app/AppOptions.h"
#include "app/QtTranslation.h"
#include "app/TemplateDialog.h"
#include "app/WindowTexts.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/CutLineDialog.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/OptionsDialog.h"
#include "formats/FormatCatalogue.h"
#include "i18n/LanguageNames.h"
#include "i18n/LanguageTable.h"

namespace {

std::string Shown(const QString& text)
{
    return text.toStdString();
}

// The width a control's text needs beyond the text itself: the indicator of a switch,
// the frame of a button.
int Chrome(QWidget& control)
{
    QStyle* style = control.style();
    if (qobject_cast<QCheckBox*>(&control))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &control) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &control);
    if (qobject_cast<QRadioButton*>(&control))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, &control) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, &control);
    if (qobject_cast<QPushButton*>(&control))
        return 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &control);
    return 0;
}

// What does not fit in one dialog, one line each.
std::vector<std::string> Overflows(CTemplateDialog& dialog)
{
    std::vector<std::string> out;
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (control->isHidden())
            continue;
        QString text;
        bool wraps = false;
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            text = button->text();
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
        const QRect room = control->contentsRect();
        bool fits = true;
        if (wraps) {
            const QRect need =
                metrics.boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap, plain);
            fits = need.height() <= room.height();
        } else {
            fits = metrics.horizontalAdvance(plain) + Chrome(*control) <= room.width();
        }
        if (!fits)
            out.push_back("\"" + Shown(plain) + "\" (" + std::to_string(metrics.horizontalAdvance(plain)) +
                          " px) in " + std::to_string(room.width()) + " x " + std::to_string(room.height()));
    }
    return out;
}

TEST(DialogTextFit, EveryTextFitsItsControlInEveryLanguage)
{
    EnsureGuiApp();
    AppOptions options;
    FormatCatalogue catalogue;
    catalogue.AddFormat("CD Front");
    const std::function<std::unique_ptr<CTemplateDialog>()> dialogs[] = {
        [&] { return std::make_unique<COptionsDialog>(options); },
        [&] { return std::make_unique<CBatchPrintingDialog>(catalogue); },
        [&] { return std::make_unique<CFormatEditDialog>(nullptr, catalogue, std::string(), 0); },
        [&] { return std::make_unique<CDonateDialog>(nullptr, options); },
        [&] { return std::make_unique<CCutLineDialog>(nullptr, false, LengthUnit::Millimetres); },
        [&] { return std::make_unique<CCutLineDialog>(nullptr, true, LengthUnit::Inches); },
    };
    LanguageTable table;
    table.UseBuiltInDefaults();
    table.ScanLanguageFiles(SLEEVIT_SOURCE_DIR "/data/languages");
    InstallDialogLanguage(&table);
    std::ostringstream report;
    int problems = 0;
    for (const LanguageName& language : kLanguageNames) {
        if (language.index == kTranslationLanguage)
            continue;
        table.SelectLanguage(language.index);
        ASSERT_EQ(table.CurrentLanguage(), language.index) << language.name;
        for (const auto& make : dialogs) {
            std::unique_ptr<CTemplateDialog> dialog = make();
            ASSERT_TRUE(dialog->Create());
            for (const std::string& overflow : Overflows(*dialog)) {
                report << "  " << language.name << ", " << dialog->metaObject()->className() << ": "
                       << overflow << "\n";
                ++problems;
            }
        }
    }
    InstallDialogLanguage(nullptr);
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
    if (!ApplyQtTranslation(6))
        GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed";
    for (const auto& c : cases) {
        EXPECT_EQ(ApplyQtTranslation(c.language), c.installed) << c.language;
        EXPECT_EQ(cancel().toStdString(), c.cancel) << c.language;
    }
}

} // namespace
