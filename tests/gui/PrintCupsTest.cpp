// The print cycle to a real, private CUPS server: the job reaches the queue with its
// name and the copies chosen in the dialog, and carries the CD tray choice only after
// the tray was asked for. Needs root and an installed cupsd; skipped otherwise.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include <QComboBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

#include <cups/cups.h>

#include "CollectingMessages.h"
#include "PrivateCupsd.h"
#include "app/PrintCycle.h"
#include "gui/GuiApp.h"
#include "gui/PrintTestSupport.h"

namespace {

namespace fs = std::filesystem;

bool HasOption(const std::string& options, const std::string& pair)
{
    std::istringstream in(options);
    std::string word;
    while (in >> word)
        if (word == pair)
            return true;
    return false;
}

class PrivateCupsd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_.Start("sleevit-guicups"); }
    static void TearDownTestSuite() { EXPECT_TRUE(server_.Stop()); }

    void SetUp() override
    {
        if (!server_.SkipReason().empty())
            GTEST_SKIP() << server_.SkipReason();
        ASSERT_TRUE(server_.Running()) << server_.Error();
        EnsureGuiApp();
        ASSERT_TRUE(FillImage(left, 30, 30, RgbColour(255, 0, 0)));
        ASSERT_TRUE(FillImage(right, 30, 30, RgbColour(0, 0, 255)));
        request.catalogue = &catalogue;
        request.left = {&left, 0};
        request.right = {&right, 0};
        request.messages = &messages;
    }

    // Prints through the print dialog, which answer deals with, and returns what reached
    // queue.
    CapturedJob PrintThroughDialog(CPrintCycle& cycle, const std::string& queue,
                                   const std::function<void(QPrintDialog&)>& answer)
    {
        const std::set<std::string> before = server_.DoneJobs(queue);
        bool answered = false;
        auto ok = AnswerModal(
            [&](QWidget* w) {
                auto* dialog = qobject_cast<QPrintDialog*>(w);
                if (dialog != nullptr)
                    answer(*dialog);
                return dialog != nullptr;
            },
            &answered);
        const PrintJobResult r = cycle.Print(nullptr, request);
        EXPECT_TRUE(answered) << "the print dialog was shown";
        EXPECT_TRUE(r.completed) << r.error;
        if (!r.completed)
            return CapturedJob{};
        return server_.WaitForJob(queue, [&](const std::string& stem) { return before.count(stem) == 0; });
    }

    static inline TestCupsServer server_;

    FormatCatalogue catalogue = TestFormats();
    CRasterImage left, right;
    CCollectingMessages messages;
    PrintJobRequest request;
};

void Accept(QPrintDialog& dialog)
{
    dialog.accept();
}

TEST_F(PrivateCupsd, TheQueueShowsTheJobNameAndTheCopiesOfTheDialog)
{
    struct Case {
        const char* jobName;
        int copies;
        QPageSize::PageSizeId paper;
        const char* wantMedia;
    };
    const Case cases[] = {
        {"Sleevit - front.jpg", 1, QPageSize::A4, "media=iso_a4_210x297mm"},
        {"Microsoft Word - Document1", 3, QPageSize::Letter, "media=na_letter_8.5x11in"},
    };
    for (const Case& c : cases) {
        CPrintCycle cycle;
        EXPECT_EQ(cycle.Printer().printerName().toStdString(), "sleevit-raw") << "the server's default";
        cycle.Printer().setCopyCount(c.copies);
        cycle.Printer().setPageSize(QPageSize(c.paper));
        request.jobName = c.jobName;
        const CapturedJob job = PrintThroughDialog(cycle, "sleevit-raw", Accept);
        ASSERT_TRUE(job.arrived) << c.jobName << ": no job reached the queue";
        EXPECT_EQ(job.title, c.jobName);
        EXPECT_EQ(job.copies, std::to_string(c.copies)) << c.jobName;
        EXPECT_TRUE(HasOption(job.options, c.wantMedia))
            << "want " << c.wantMedia << ", have " << job.options;
        EXPECT_EQ(job.data.rfind("%PDF-", 0), 0u) << "the job is a PDF";
        EXPECT_NE(job.data.find("/Count 2"), std::string::npos) << "Print Both: two sheets";
    }
}

TEST_F(PrivateCupsd, TheCdTrayIsChosenOnlyWhenAskedAndUntilAnotherPrinterIsPicked)
{
    request.jobName = "tray";
    CPrintCycle cycle;
    cycle.Printer().setPrinterName(QStringLiteral("sleevit-tray"));
    const std::string tray = "media-source=disc";

    CapturedJob job = PrintThroughDialog(cycle, "sleevit-tray", Accept);
    ASSERT_TRUE(job.arrived);
    EXPECT_FALSE(HasOption(job.options, tray)) << "not asked for: have options " << job.options;

    cycle.SelectCdTrayPaper();
    for (int k = 0; k < 2; ++k) {
        job = PrintThroughDialog(cycle, "sleevit-tray", Accept);
        ASSERT_TRUE(job.arrived);
        EXPECT_TRUE(HasOption(job.options, tray))
            << "job " << k << " after asking: have options " << job.options;
        EXPECT_TRUE(cycle.CdTray());
    }

    // Picking the other printer in the dialog drops the tray.
    job = PrintThroughDialog(cycle, "sleevit-raw", [](QPrintDialog& dialog) {
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
        const int raw = printers != nullptr ? printers->findText(QStringLiteral("sleevit-raw")) : -1;
        if (raw < 0) {
            ADD_FAILURE() << "the dialog's printer list has no sleevit-raw";
            dialog.reject();
            return;
        }
        printers->setCurrentIndex(raw);
        dialog.accept();
    });
    ASSERT_TRUE(job.arrived);
    EXPECT_FALSE(cycle.CdTray());
    cycle.Printer().setPrinterName(QStringLiteral("sleevit-tray"));
    job = PrintThroughDialog(cycle, "sleevit-tray", Accept);
    ASSERT_TRUE(job.arrived);
    EXPECT_FALSE(HasOption(job.options, tray)) << "after another printer was picked: have " << job.options;
}

} // namespace
