#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <string>

#include "GuiApp.h"
#include "PrintTestSupport.h"
#include "app/DialogTextSource.h"
#include "dialogs/BatchPrintingDialog.h"
#include "formats/FormatCatalogue.h"

namespace {

class BatchDialogTest : public GuiTest {
protected:
    void TearDown() override { SetDialogTextSource({}); }
    FormatCatalogue catalogue = [] {
        FormatCatalogue three;
        for (const char* name : {"CD Front", "DVD Case", "Slim Case"})
            three.AddFormat(name);
        return three;
    }();
};

// What the user does between opening and pressing a button.
enum class Pick { Nothing, Auto, Force, ForceThenAuto };

TEST_F(BatchDialogTest, ChoicesGiveTheFormatTheJobUses)
{
    struct Case {
        const char* name;
        int preset;
        Pick pick;
        int listChoice; // -2 leaves the list alone
        bool pressPrint;
        // What the dialog shows when it opens.
        bool wantForceAtStart;
        int wantListAtStart;
        // The result.
        int wantResult;
        int wantFormat;
    };
    const Case cases[] = {
        {"no preset, Print at once", -1, Pick::Nothing, -2, true, true, -1, QDialog::Accepted, -1},
        {"no preset, a format picked", -1, Pick::Nothing, 2, true, true, -1, QDialog::Accepted, 2},
        {"preset, detect kept", 1, Pick::Nothing, -2, true, false, 1, QDialog::Accepted, -1},
        {"preset, forced", 1, Pick::Force, -2, true, false, 1, QDialog::Accepted, 1},
        {"preset, forced to another", 1, Pick::Force, 0, true, false, 1, QDialog::Accepted, 0},
        {"preset, forced then detect", 2, Pick::ForceThenAuto, 0, true, false, 2, QDialog::Accepted, -1},
        {"preset beyond the list, forced", 7, Pick::Force, -2, true, false, -1, QDialog::Accepted, -1},
        {"no preset, detect chosen", -1, Pick::Auto, 1, true, true, -1, QDialog::Accepted, -1},
        {"Cancel", 0, Pick::Force, 2, false, false, 0, QDialog::Rejected, 0},
    };
    for (const Case& c : cases) {
        CBatchPrintingDialog dialog(catalogue);
        dialog.SetImageCount(4);
        dialog.SetFormat(c.preset);
        Answer<CBatchPrintingDialog> act([&](CBatchPrintingDialog&) {
            CTemplateForm& form = dialog.Form();
            EXPECT_EQ(form.Checked(CBatchPrintingDialog::kIdForceFormat), c.wantForceAtStart) << c.name;
            EXPECT_EQ(form.Checked(CBatchPrintingDialog::kIdAutoDetect), !c.wantForceAtStart) << c.name;
            EXPECT_EQ(form.Enabled(CBatchPrintingDialog::kIdFormatList), c.wantForceAtStart)
                << c.name << ": the list is usable exactly while a format is forced";
            EXPECT_EQ(form.CurrentIndex(CBatchPrintingDialog::kIdFormatList), c.wantListAtStart) << c.name;
            auto* force = form.ItemAs<QRadioButton>(CBatchPrintingDialog::kIdForceFormat);
            auto* detect = form.ItemAs<QRadioButton>(CBatchPrintingDialog::kIdAutoDetect);
            if (c.pick == Pick::Force || c.pick == Pick::ForceThenAuto) {
                QTest::mouseClick(force, Qt::LeftButton);
                EXPECT_TRUE(form.Enabled(CBatchPrintingDialog::kIdFormatList)) << c.name << " after Force";
            }
            if (c.listChoice != -2)
                form.SetCurrentIndex(CBatchPrintingDialog::kIdFormatList, c.listChoice);
            if (c.pick == Pick::Auto || c.pick == Pick::ForceThenAuto) {
                QTest::mouseClick(detect, Qt::LeftButton);
                EXPECT_FALSE(form.Enabled(CBatchPrintingDialog::kIdFormatList)) << c.name << " after Auto";
            }
            form.ItemAs<QPushButton>(c.pressPrint ? kIdOk : kIdCancel)->click();
        });
        const int result = dialog.DoModal();
        ASSERT_TRUE(act.answered) << c.name << ": the dialog never became the modal window";
        EXPECT_EQ(result, c.wantResult) << c.name;
        if (c.wantResult == QDialog::Accepted) {
            EXPECT_EQ(dialog.GetFormat(), c.wantFormat)
                << c.name << ": format have " << dialog.GetFormat() << ", want " << c.wantFormat;
        }
    }
}

TEST_F(BatchDialogTest, ListHoldsTheCatalogueNamesInOrderAndTheCountLineTheNumber)
{
    CBatchPrintingDialog dialog(catalogue);
    dialog.SetImageCount(12);
    dialog.SetFormat(1);
    ASSERT_TRUE(dialog.Create());
    auto* list = dialog.Form().ItemAs<QComboBox>(CBatchPrintingDialog::kIdFormatList);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), catalogue.GetCount());
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->itemText(i).toStdString(), catalogue.GetName(i)) << "row " << i;
    EXPECT_EQ(dialog.Form().Text(CBatchPrintingDialog::kIdCountLine),
              "Starting batch job. Printing 12 images...");
    dialog.show();
    dialog.done(QDialog::Rejected);
}

TEST_F(BatchDialogTest, CountLineComesFromTheLanguageWhenOneIsSet)
{
    int askedKey = 0;
    SetDialogTextSource({[&](int key) {
                             askedKey = key;
                             return std::string("%n %s: %d Bilder");
                         },
                         nullptr});
    CBatchPrintingDialog dialog(catalogue);
    dialog.SetImageCount(7);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(askedKey, CBatchPrintingDialog::kCountLineKey);
    EXPECT_EQ(dialog.Form().Text(CBatchPrintingDialog::kIdCountLine), "%n %s: 7 Bilder");
}

} // namespace
