#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

#include "GuiApp.h"
#include "app/AppOptions.h"
#include "dialogs/DonateDialog.h"
#include "dialogs/HyperLink.h"

namespace {

using DonateDialogTest = GuiTest;

// The box opens with the option, and whatever closes the dialog, the option ends as
// the box was left: the dialog has no Cancel.
TEST_F(DonateDialogTest, ShowAtStartUpBoxRoundTrip)
{
    for (bool initial : {false, true}) {
        for (bool click : {false, true}) {
            for (const CloseWay& way : kCloseWays) {
                SCOPED_TRACE(std::string("opened with ") + (initial ? "on" : "off") +
                             (click ? ", box clicked, " : ", box untouched, ") + way.name);
                AppOptions options;
                options.showDonationDialog = initial;
                bool opened = false;
                CDonateDialog dialog(nullptr, options);
                ASSERT_TRUE(dialog.Create());
                auto* box = dialog.Form().ItemAs<QCheckBox>(CDonateDialog::kIdShowAtStartUp);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->isChecked(), initial) << "box on opening";
                // Tied to the dialog, so that it can never fire into a later test.
                QTimer::singleShot(0, &dialog, [&] {
                    opened = QApplication::activeModalWidget() == &dialog;
                    if (click)
                        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
                    way.close(dialog);
                });
                const int result = dialog.DoModal();
                ASSERT_TRUE(opened) << "the dialog did not open modally";
                EXPECT_EQ(options.showDonationDialog, click ? !initial : initial);
                EXPECT_EQ(result == QDialog::Accepted, &way == &kCloseWays[0]);
            }
        }
    }
}

TEST_F(DonateDialogTest, LinkOpensTheDonationPage)
{
    std::vector<std::string> opened;
    CHyperLink::Opener previous = CHyperLink::SetOpener([&opened](const QUrl& url) {
        opened.push_back(url.toString().toStdString());
        return true;
    });
    {
        AppOptions options;
        CDonateDialog dialog(nullptr, options);
        ASSERT_TRUE(dialog.Create());
        dialog.show();
        auto* link = dialog.Form().ItemAs<CHyperLink>(CDonateDialog::kIdDonateLink);
        ASSERT_NE(link, nullptr);
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(opened, std::vector<std::string>{"https://sleevit.org/donate"});
    }
    CHyperLink::SetOpener(std::move(previous));
}

} // namespace
