// The print cycle to a real, private CUPS server: the job reaches the queue with its
// name and the copies chosen in the dialog, and asks for the disc tray only when a disc
// is printed, on whichever printer the dialog leaves chosen. Needs root and an installed cupsd; skipped
// otherwise.

#include <cups/cups.h>

#include <set>

#include "CollectingMessages.h"
#include "PrivateCupsd.h"
#include "app/PrintCycle.h"
#include "gui/PrintTestSupport.h"

namespace {

class PrivateCupsd : public ::testing::Test, protected TwoCovers {
protected:
    static void SetUpTestSuite() { server_.Start("sleevit-guicups"); }
    static void TearDownTestSuite() { EXPECT_TRUE(server_.Stop()); }

    void SetUp() override
    {
        if (!server_.SkipReason().empty())
            GTEST_SKIP() << server_.SkipReason();
        ASSERT_TRUE(server_.Running()) << server_.Error();
        EnsureGuiApp();
    }

    // Prints through the print dialog, which answer deals with, and returns what reached
    // queue.
    CapturedJob PrintThroughDialog(CPrintCycle& cycle, const std::string& queue,
                                   const std::function<void(QPrintDialog&)>& answer)
    {
        const std::set<std::string> before = server_.DoneJobs(queue);
        Answer<QPrintDialog> ok(answer);
        const PrintJobResult r = cycle.Print(nullptr, request);
        EXPECT_TRUE(ok.answered) << "the print dialog was shown";
        EXPECT_TRUE(r.completed) << r.error;
        if (!r.completed)
            return CapturedJob{};
        return server_.WaitForJob(queue, [&](const std::string& stem) { return before.count(stem) == 0; });
    }

    static inline TestCupsServer server_;
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
        EXPECT_TRUE(job.HasOption(c.wantMedia)) << "want " << c.wantMedia << ", have " << job.options;
        EXPECT_EQ(job.data.rfind("%PDF-", 0), 0u) << "the job is a PDF";
        EXPECT_NE(job.data.find("/Count 2"), std::string::npos) << "Print Both: two sheets";
    }
}

// Picks a printer in the print dialog and accepts it.
std::function<void(QPrintDialog&)> Pick(const char* queue)
{
    return [queue](QPrintDialog& dialog) {
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
        const int index = printers != nullptr ? printers->findText(QString::fromLatin1(queue)) : -1;
        if (index < 0) {
            ADD_FAILURE() << "the dialog's printer list has no " << queue;
            dialog.reject();
            return;
        }
        printers->setCurrentIndex(index);
        dialog.accept();
    };
}

TEST_F(PrivateCupsd, TheDiscTrayIsLookedUpOnThePrinterTheDialogLeavesChosen)
{
    request.jobName = "tray";
    CPrintCycle cycle;
    cycle.Printer().setPrinterName(QStringLiteral("sleevit-tray"));
    // What the driver of the tray queue gets for the tray and its 127 mm disc page.
    const std::string tray = "InputSlot=CDTray", page = "PageSize=Tray127";

    CapturedJob job = PrintThroughDialog(cycle, "sleevit-tray", Accept);
    ASSERT_TRUE(job.arrived);
    EXPECT_FALSE(job.HasOption(tray)) << "not asked for: have options " << job.options;

    // Asked for while another printer is chosen: the dialog's choice gets the tray.
    cycle.Printer().setPrinterName(QStringLiteral("sleevit-raw"));
    cycle.SelectCdTrayPaper(true, 118, 22);
    job = PrintThroughDialog(cycle, "sleevit-tray", Pick("sleevit-tray"));
    ASSERT_TRUE(job.arrived);
    EXPECT_TRUE(job.HasOption(tray) && job.HasOption(page)) << "have options " << job.options;

    // A printer without a tray prints nothing and says so.
    const std::set<std::string> before = server_.DoneJobs("sleevit-raw");
    Answer<QPrintDialog> pick(Pick("sleevit-raw"));
    MessageBoxes boxes;
    const PrintJobResult r = cycle.Print(nullptr, request);
    EXPECT_FALSE(r.completed);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("The printer sleevit-raw has no disc tray. Nothing was printed."),
              std::string::npos)
        << boxes.texts[0];
    EXPECT_EQ(server_.DoneJobs("sleevit-raw"), before);
}

} // namespace
