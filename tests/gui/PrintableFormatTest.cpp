// A side whose format cannot make a cover cannot be printed; its button says why.
#include <gtest/gtest.h>

#include <QComboBox>

#include <fstream>

#include "app/Paper.h"
#include "gui/MainWindowSupport.h"

TEST(PrintableFormat, AnUnusableFormatDisablesItsSideAndSaysWhy)
{
    ProgramRun run;
    std::ofstream(run.folder.File("Sleevit.dat"), std::ios::binary | std::ios::trunc)
        << "[Good]\r\nSIZE = (120 , 120)\r\nTYPE = CD_FRONT\r\n[Broken]\r\nSIZE = (0 , 0)\r\n";
    run.Start();
    run.Options().autoload2ndImage = 0;
    const std::string a = run.folder.File("a.png");
    ASSERT_TRUE(WritePngFile(a, 100, 100, 0x0000FF));
    run.View().LoadCover(Side::Left, a);
    run.View().LoadCover(Side::Right, a);
    QWidget* left = run.View().Form().Item(kPrintLeftButton);
    QWidget* both = run.View().Form().Item(kPrintBothButton);
    QWidget* right = run.View().Form().Item(kPrintRightButton);
    auto* leftSelector = run.View().Form().ItemAs<QComboBox>(kLeftSelector);
    leftSelector->setCurrentIndex(0);
    emit leftSelector->activated(0);
    auto* selector = run.View().Form().ItemAs<QComboBox>(kRightSelector);
    ASSERT_EQ(selector->count(), 2);
    for (const int format : {1, 0}) {
        selector->setCurrentIndex(format);
        emit selector->activated(format);
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
