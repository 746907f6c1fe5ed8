// A side whose format cannot make a cover cannot be printed; its button says why.
#include <gtest/gtest.h>

#include <QComboBox>

#include "app/Paper.h"
#include "gui/MainWindowSupport.h"

TEST(PrintableFormat, AnUnusableFormatDisablesItsSideAndSaysWhy)
{
    ProgramRun run;
    run.folder.Write("Sleevit.dat",
                     "[Good]\r\nSIZE = (120 , 120)\r\nTYPE = CD_FRONT\r\n[Broken]\r\nSIZE = (0 , 0)\r\n");
    run.Start();
    run.Options().autoload2ndImage = 0;
    run.View().LoadCover(Side::Right, run.Load(Side::Left, "a.png", 100, 100));
    QWidget* left = run.View().Form().Item(kPrintLeftButton);
    QWidget* both = run.View().Form().Item(kPrintBothButton);
    QWidget* right = run.View().Form().Item(kPrintRightButton);
    run.ChooseFormat(Side::Left, 0);
    ASSERT_EQ(run.View().Form().ItemAs<QComboBox>(kRightSelector)->count(), 2);
    for (const int format : {1, 0}) {
        run.ChooseFormat(Side::Right, format);
        const bool broken = format == 1;
        ASSERT_EQ(run.View().Right().formatIndex, format);
        EXPECT_TRUE(left->isEnabled());
        EXPECT_EQ(right->isEnabled(), !broken);
        EXPECT_EQ(both->isEnabled(), !broken);
        EXPECT_EQ(right->toolTip().contains("\"Broken\" cannot be printed"), broken)
            << right->toolTip().toStdString();
        EXPECT_EQ(run.View().Right().paper->toolTip(), right->toolTip());
        EXPECT_TRUE(left->toolTip().isEmpty());
    }
}
