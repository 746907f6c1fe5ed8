// The printer calibration dialog: each printer's offsets are shown as stored, OK saves
// the printer shown, Cancel saves nothing, and a file that cannot be written is reported.

#include <gtest/gtest.h>

#include <filesystem>

#include <QComboBox>
#include <QDoubleSpinBox>

#include "CollectingMessages.h"
#include "dialogs/CalibrationDialog.h"
#include "formats/PrinterCalibration.h"
#include "gui/GuiApp.h"
#include "gui/PrintTestSupport.h"

namespace {

namespace fs = std::filesystem;

TEST(CalibrationDialog, ShowsAndSavesEachPrintersOffsets)
{
    EnsureGuiApp();
    const TestFolder dir;
    const std::string path = dir.File("Sleevit.conf");
    ASSERT_TRUE(WritePrinterCalibration(path, "hp", {1, 2, 3, 4}));
    CCollectingMessages messages;

    CCalibrationDialog dialog(nullptr, messages, {"epson", "hp"}, "hp", path);
    EXPECT_EQ(dialog.Printers()->currentText(), "hp");
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(dialog.Field(k)->value(), k + 1) << k;
    dialog.Printers()->setCurrentIndex(0);
    EXPECT_EQ(dialog.Field(2)->value(), 0) << "epson has no offsets yet";
    dialog.Field(2)->setValue(-1.5);
    dialog.Field(3)->setValue(0.7);
    dialog.accept();
    EXPECT_EQ(ReadPrinterCalibration(path, "epson"), (PrinterCalibration{0, 0, -1.5, 0.7}));
    EXPECT_EQ(ReadPrinterCalibration(path, "hp"), (PrinterCalibration{1, 2, 3, 4}));

    CCalibrationDialog cancelled(nullptr, messages, {"epson", "hp"}, "hp", path);
    cancelled.Field(0)->setValue(9);
    cancelled.reject();
    EXPECT_EQ(ReadPrinterCalibration(path, "hp").sheetX, 1);

    // A folder where the file should be: nothing saved, the dialog stays with a message.
    const std::string blocked = dir.File("blocked");
    fs::create_directories(blocked);
    MessageBoxes boxes;
    CCalibrationDialog failing(nullptr, messages, {"hp"}, "hp", blocked);
    failing.accept();
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"The calibration cannot be saved in " + blocked + "."});
    EXPECT_NE(failing.result(), QDialog::Accepted);
}

} // namespace
