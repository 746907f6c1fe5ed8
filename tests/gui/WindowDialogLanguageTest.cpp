// The windows the main window opens speak its language: the options dialog, the print
// preview, the donation dialog and Qt's own texts, each opened with the main window as
// parent.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

#include <string>

#include "app/TemplateDialog.h"
#include "dialogs/CutLineDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "gui/MainWindowSupport.h"

namespace {

constexpr int kCmdGerman = 32774;
constexpr int kCmdRussian = 32792;

// Opens a command's modal window, hands it to look, then closes it with Escape.
void LookAtModal(ProgramRun& run, int command, const std::function<void(QWidget&)>& look)
{
    bool seen = false;
    auto answer = AnswerModal(
        [&](QWidget* modal) {
            look(*modal);
            EXPECT_EQ(modal->parentWidget() ? modal->parentWidget()->window() : nullptr, run.app->MainFrame())
                << "opened over the main window";
            QTest::keyClick(modal, Qt::Key_Escape);
            return true;
        },
        &seen);
    ASSERT_TRUE(run.View().Commands().Execute(command));
    EXPECT_TRUE(seen) << command;
}

std::string Title(QWidget& window)
{
    return window.windowTitle().toStdString();
}

} // namespace

TEST(WindowDialogLanguage, PreviewDonationOptionsAndQtTextsFollowTheLanguage)
{
    ProgramRun run;
    run.CopyLanguage("German.lng");
    run.CopyLanguage("Russian.lng");
    run.Start();
    run.Load(Side::Left, "front.png", 120, 120);
    ASSERT_TRUE(run.View().Commands().Execute(kCmdGerman));

    LookAtModal(run, kCmdOptions, [](QWidget& options) { EXPECT_EQ(Title(options), "Optionen"); });
    LookAtModal(run, kCmdPrintPreview, [](QWidget& preview) {
        EXPECT_EQ(Title(preview), "Druckvorschau");
        EXPECT_EQ(preview.findChild<QPushButton*>(QStringLiteral("close"))->text().toStdString(),
                  "&Schließen");
    });
    LookAtModal(run, kCmdDonate, [](QWidget& donate) { EXPECT_EQ(Title(donate), "Für Sleevit spenden"); });
    ASSERT_TRUE(run.View().Commands().Execute(32773)); // English
    LookAtModal(run, kCmdDonate, [](QWidget& donate) { EXPECT_EQ(Title(donate), "Donate to Sleevit"); });
    ASSERT_TRUE(run.View().Commands().Execute(kCmdGerman));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Abbrechen");

    ASSERT_TRUE(run.View().Commands().Execute(kCmdRussian));
    LookAtModal(run, kCmdOptions, [](QWidget& options) {
        EXPECT_EQ(Title(options), "\u041d\u0430\u0441\u0442\u0440\u043e\u0439\u043a\u0438");
    });
}

TEST(WindowDialogLanguage, TheFormatEditorAddsALineOverTheMainWindow)
{
    ProgramRun run;
    run.Start();
    const int before = run.app->Document().Catalogue().GetLineCount(0);
    LookAtModal(run, kCmdFormatEditor, [&](QWidget& modal) {
        auto& editor = dynamic_cast<CFormatEditDialog&>(modal);
        Answer<CCutLineDialog> typed([&editor](CCutLineDialog& cut) {
            EXPECT_EQ(cut.parentWidget(), &editor);
            EXPECT_EQ(Title(cut), "Cut Line");
            for (int id : {CCutLineDialog::kIdX1, CCutLineDialog::kIdY1, CCutLineDialog::kIdX2,
                           CCutLineDialog::kIdY2}) {
                auto* edit = cut.Form().ItemAs<QLineEdit>(id);
                edit->selectAll();
                QTest::keyClicks(edit,
                                 id == CCutLineDialog::kIdY2 ? QStringLiteral("120") : QStringLiteral("60"));
            }
            cut.Form().ItemAs<QAbstractButton>(CCutLineDialog::kIdDashed)->click();
            cut.Form().ItemAs<QAbstractButton>(kIdOk)->click();
        });
        editor.Form().ItemAs<QAbstractButton>(FormatEditIds::kAddLine)->click();
        EXPECT_TRUE(typed.answered);
        EXPECT_EQ(run.app->Document().Catalogue().GetLineCount(0), before + 1);
    });
    // Escape is Cancel: the catalogue is as it was.
    EXPECT_EQ(run.app->Document().Catalogue().GetLineCount(0), before);
}
