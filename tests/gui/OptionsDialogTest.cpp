#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <span>
#include <string>

#include "GuiApp.h"
#include "PrintTestSupport.h"
#include "app/AppOptions.h"
#include "app/DialogTemplate.h"
#include "dialogs/BatchPrintingDialog.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/ExtendedFileDialog.h"
#include "dialogs/FormatEditDialog.h"
#include "dialogs/OptionsDialog.h"

namespace {

// Every check box of the dialog with the option it edits.
struct SwitchRow {
    int id;
    int AppOptions::*option;
    const char* name;
};
const SwitchRow kSwitches[] = {
    {COptionsDialog::kIdAutoRotate, &AppOptions::autoRotate, "AutoRotate"},
    {COptionsDialog::kIdAutoDetectFormat, &AppOptions::autoDetectFormat, "AutoDetectFormat"},
    {COptionsDialog::kIdMaskPrintJobName, &AppOptions::maskPrintJobName, "MaskPrintJobName"},
    {COptionsDialog::kIdReloadOnStartup, &AppOptions::reloadOnStartup, "ReloadOnStartup"},
    {COptionsDialog::kIdAutoload2ndImage, &AppOptions::autoload2ndImage, "Autoload2ndImage"},
    {COptionsDialog::kIdShowSplash, &AppOptions::showSplash, "ShowSplash"},
    {COptionsDialog::kIdCheckPrintableArea, &AppOptions::checkPrintableArea, "CheckForPrintableArea"},
    {COptionsDialog::kIdBatchMode, &AppOptions::batchMode, "BatchMode"},
    {COptionsDialog::kIdPrintBorder, &AppOptions::printBorder, "Print Border"},
};

AppOptions AllSwitches(int value)
{
    AppOptions options;
    for (const SwitchRow& row : kSwitches)
        options.*row.option = value;
    return options;
}

using OptionsDialogTest = GuiTest;

// One switch on and all others off, for each switch in turn, then the reverse: a
// check box wired to the wrong option shows up as a mismatch in both directions.
TEST_F(OptionsDialogTest, EachSwitchReachesItsOwnOptionBothWays)
{
    for (const SwitchRow& lit : kSwitches) {
        for (int base : {0, 1}) {
            AppOptions options = AllSwitches(base);
            options.*lit.option = 1 - base;
            {
                COptionsDialog dialog(options);
                ASSERT_TRUE(dialog.Create());
                for (const SwitchRow& row : kSwitches) {
                    const bool want = row.id == lit.id ? base == 0 : base == 1;
                    EXPECT_EQ(dialog.Form().Checked(row.id), want)
                        << "opening with only " << lit.name << " = " << 1 - base << ": box of " << row.name;
                }
                // Flip the lit box back and every other box too, then close with OK.
                for (const SwitchRow& row : kSwitches)
                    dialog.Form().SetChecked(row.id, !dialog.Form().Checked(row.id));
                dialog.Form().ItemAs<QPushButton>(kIdOk)->click();
            }
            for (const SwitchRow& row : kSwitches) {
                const int want = row.id == lit.id ? base : 1 - base;
                EXPECT_EQ(options.*row.option, want)
                    << "after flipping every box with " << lit.name << " lit: option " << row.name;
            }
        }
    }
}

// There is no Cancel: Escape, the close box and OK all keep what the user changed (an
// empty job name too), and the options the dialog does not show stay as they were.
TEST_F(OptionsDialogTest, EveryWayOfClosingKeepsTheChanges)
{
    for (const CloseWay& way : kCloseWays) {
        // OK with the job name emptied, the others with a new one.
        const QString typed = &way == &kCloseWays[0] ? QString() : QStringLiteral("Budget");
        AppOptions options;
        options.batchMode = 0;
        options.showSplash = 1;
        options.maskPrintJobName = 1;
        options.printJobName = "Quarterly report.docx";
        options.recentFileLeft = "/covers/left.jpg";
        options.drawCutAndFoldLines = 0;
        options.lastUsedLeftFormat = 4;
        options.language = 7;
        COptionsDialog dialog(options);
        Answer<COptionsDialog> act([&](COptionsDialog&) {
            dialog.Form().ItemAs<QCheckBox>(COptionsDialog::kIdBatchMode)->click();
            dialog.Form().ItemAs<QCheckBox>(COptionsDialog::kIdShowSplash)->click();
            auto* name = dialog.Form().ItemAs<QLineEdit>(COptionsDialog::kIdPrintJobName);
            EXPECT_EQ(name->text().toStdString(), "Quarterly report.docx");
            name->setFocus();
            name->selectAll();
            if (typed.isEmpty())
                QTest::keyClick(name, Qt::Key_Delete);
            QTest::keyClicks(name, typed);
            way.close(dialog);
        });
        dialog.DoModal();
        ASSERT_TRUE(act.answered) << way.name << ": the dialog never became the modal window";
        EXPECT_FALSE(dialog.isVisible()) << way.name << " did not close the dialog";
        EXPECT_EQ(options.batchMode, 1) << way.name << " lost the batch mode switch";
        EXPECT_EQ(options.showSplash, 0) << way.name << " lost the splash switch";
        EXPECT_EQ(options.printJobName, typed.toStdString()) << way.name << " lost the job name";
        EXPECT_EQ(options.recentFileLeft, "/covers/left.jpg");
        EXPECT_EQ(options.drawCutAndFoldLines, 0);
        EXPECT_EQ(options.lastUsedLeftFormat, 4);
        EXPECT_EQ(options.language, 7);
    }
}

TEST_F(OptionsDialogTest, JobNameFieldFollowsItsBoxAndKeepsItsText)
{
    for (int mask : {0, 1}) {
        AppOptions options;
        options.maskPrintJobName = mask;
        options.printJobName = "Memo";
        COptionsDialog dialog(options);
        ASSERT_TRUE(dialog.Create());
        dialog.show();
        auto* box = dialog.Form().ItemAs<QCheckBox>(COptionsDialog::kIdMaskPrintJobName);
        auto* field = dialog.Form().ItemAs<QLineEdit>(COptionsDialog::kIdPrintJobName);
        ASSERT_TRUE(box != nullptr && field != nullptr);
        EXPECT_EQ(field->isEnabled(), mask == 1) << "opening with MaskPrintJobName " << mask;
        for (int click = 1; click <= 2; ++click) {
            QTest::mouseClick(box, Qt::LeftButton);
            EXPECT_EQ(field->isEnabled(), box->isChecked())
                << "after click " << click << " starting from " << mask << ": field enabled have "
                << field->isEnabled() << ", box ticked " << box->isChecked();
            EXPECT_EQ(field->text(), QStringLiteral("Memo")) << "the name must survive switching";
        }
        dialog.done(QDialog::Accepted);
    }
}

TEST_F(OptionsDialogTest, KeywordFieldsShowFixedTextsAndRefuseEditing)
{
    AppOptions options;
    COptionsDialog dialog(options);
    ASSERT_TRUE(dialog.Create());
    dialog.show();
    for (const auto& [id, want] : {std::pair{COptionsDialog::kIdLeftKeywords, "front;front + inside;-f"},
                                   std::pair{COptionsDialog::kIdRightKeywords, "back;back;-b"}}) {
        auto* edit = dialog.Form().ItemAs<QLineEdit>(id);
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("xyz"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text().toStdString(), want) << "keyword field " << id;
    }
    dialog.done(QDialog::Accepted);
}

// Every translated control must exist in its template, or its text would silently stay
// English.
TEST(DialogTemplates, TranslatedControlsExist)
{
    struct Dialog {
        int templateId;
        std::span<const TextPair> pairs;
    };
    const Dialog dialogs[] = {
        {COptionsDialog::kTemplateId, COptionsDialog::kTextPairs},
        {CBatchPrintingDialog::kTemplateId, CBatchPrintingDialog::kTextPairs},
        {CPreviewPanel::kTemplateId, CPreviewPanel::kTextPairs},
        {CFormatEditDialog::kTemplateId, CFormatEditDialog::kTextPairs},
        {CDonateDialog::kTemplateId, CDonateDialog::kTextPairs},
    };
    for (const Dialog& dialog : dialogs) {
        const auto dialogTemplate = LoadDialogTemplate(dialog.templateId);
        ASSERT_TRUE(dialogTemplate.has_value()) << "template " << dialog.templateId;
        for (const TextPair& pair : dialog.pairs)
            EXPECT_NE(dialogTemplate->Find(pair.controlId), nullptr)
                << "template " << dialog.templateId << ": key " << pair.key << " names control "
                << pair.controlId << ", which the template lacks";
    }
}

} // namespace
