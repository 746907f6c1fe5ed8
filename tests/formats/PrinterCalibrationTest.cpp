// Per-printer calibration in the settings file: read back as written, other settings
// and other printers kept, queue names of any characters, and bad input refused.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <sys/stat.h>

#include "ScratchFolder.h"
#include "formats/PrinterCalibration.h"

namespace {

namespace fs = std::filesystem;

TEST(PrinterCalibration, StoredPerQueueBesideTheOtherSettings)
{
    ScratchFolder dir;
    const std::string path = dir.File("Tessaly/Sleevit.conf");

    EXPECT_EQ(ReadPrinterCalibration(path, "any"), PrinterCalibration{}) << "no file: zeros";
    ASSERT_TRUE(WritePrinterCalibration(path, "Epson P50", {1.5, -2, 0.25, 3})) << "the folder is made";
    ASSERT_TRUE(WritePrinterCalibration(path, "hp", {0, 0, -1, 1}));
    EXPECT_EQ(ReadPrinterCalibration(path, "Epson P50"), (PrinterCalibration{1.5, -2, 0.25, 3}));
    EXPECT_EQ(ReadPrinterCalibration(path, "hp"), (PrinterCalibration{0, 0, -1, 1}));
    EXPECT_NE(ReadBytes(path).find("Epson%20P50.sheet-x=1.5\n"), std::string::npos) << ReadBytes(path);

    // The window's own settings around the section stay as they are; a changed queue
    // keeps one set of lines.
    const std::string before = ReadBytes(path);
    std::ofstream(path, std::ios::binary) << "[Options]\nBatchMode=1\n\n" << before << "[Paths]\nLeft=/a b\n";
    ASSERT_TRUE(WritePrinterCalibration(path, "hp", {4, 5, 6, 7}));
    const std::string text = ReadBytes(path);
    EXPECT_EQ(text.rfind("[Options]\nBatchMode=1\n", 0), 0u) << text;
    EXPECT_NE(text.find("[Paths]\nLeft=/a b\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("hp.disc-y="), text.rfind("hp.disc-y=")) << text;
    EXPECT_EQ(ReadPrinterCalibration(path, "hp"), (PrinterCalibration{4, 5, 6, 7}));
    EXPECT_EQ(ReadPrinterCalibration(path, "Epson P50").sheetX, 1.5);

    // Out of range or not numbers: refused when written, zero when read.
    EXPECT_FALSE(WritePrinterCalibration(path, "hp", {51, 0, 0, 0}));
    EXPECT_FALSE(WritePrinterCalibration(path, "hp", {0, 0, 0, std::nan("")}));
    std::ofstream(path, std::ios::app) << "[PrinterCalibration]\nodd.sheet-x=abc\nodd.sheet-y=1e9\n";
    EXPECT_EQ(ReadPrinterCalibration(path, "odd"), PrinterCalibration{});

    // A settings file that cannot be read as one (here a named pipe, which would also
    // block a reader) is left alone rather than replaced by the calibration alone.
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(WritePrinterCalibration(path, "hp", {1, 1, 1, 1}));
    EXPECT_TRUE(fs::is_fifo(path));
}

} // namespace
