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
#include "app/PrintCycle.h"
#include "gui/GuiApp.h"
#include "gui/PrintTestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kFixture = std::string(SLEEVIT_SOURCE_DIR) + "/tests/e2e/cupsd-fixture.sh";

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

bool HasOption(const std::string& options, const std::string& pair)
{
    std::istringstream in(options);
    std::string word;
    while (in >> word)
        if (word == pair)
            return true;
    return false;
}

// What the capture backend kept of one job.
struct CapturedJob {
    bool arrived = false;
    std::string title, copies, options, data;
};

class PrivateCupsd : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (geteuid() != 0) {
            skipReason_ = "needs root: cupsd runs its backends from a root-owned folder";
            return;
        }
        if (!HasTool("cupsd") || !HasTool("lpadmin")) {
            skipReason_ = "cupsd is not installed (packages cups, cups-bsd)";
            return;
        }
        char pattern[] = "/tmp/sleevit-guicups-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            startError_ = "cannot make a temporary folder";
            return;
        }
        dir_ = pattern;
        // The fixture's watcher stops cupsd if this process dies before the suite ends.
        const std::string cmd = "sh '" + kFixture + "' start '" + dir_ + "' " + std::to_string(getpid()) +
                                " 2>'" + dir_ + "/fixture.err'";
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt)
            started = std::system(cmd.c_str()) == 0;
        if (!started) {
            startError_ = "the private cupsd did not start: " + ReadAll(dir_ + "/fixture.err");
            return;
        }
        if (const char* old = std::getenv("CUPS_SERVER")) {
            hadServer_ = true;
            oldServer_ = old;
        }
        setenv("CUPS_SERVER", (dir_ + "/cups.sock").c_str(), 1);
        cupsSetServer(nullptr); // libcups reads the variable again
        running_ = true;
    }

    static void TearDownTestSuite()
    {
        if (!dir_.empty()) {
            const std::string cmd = "sh '" + kFixture + "' stop '" + dir_ + "' >/dev/null 2>&1";
            EXPECT_EQ(std::system(cmd.c_str()), 0);
            std::error_code ec;
            fs::remove_all(dir_, ec);
            dir_.clear();
        }
        if (running_) {
            if (hadServer_)
                setenv("CUPS_SERVER", oldServer_.c_str(), 1);
            else
                unsetenv("CUPS_SERVER");
            cupsSetServer(nullptr);
        }
        running_ = false;
    }

    void SetUp() override
    {
        if (!skipReason_.empty())
            GTEST_SKIP() << skipReason_;
        ASSERT_TRUE(running_) << startError_;
        EnsureGuiApp();
        ASSERT_TRUE(FillImage(left, 30, 30, RgbColour(255, 0, 0)));
        ASSERT_TRUE(FillImage(right, 30, 30, RgbColour(0, 0, 255)));
        request.catalogue = &catalogue;
        request.left = {&left, 0};
        request.right = {&right, 0};
        request.messages = &messages;
    }

    static std::set<std::string> DoneJobs(const std::string& queue)
    {
        std::set<std::string> done;
        for (const auto& e : fs::directory_iterator(dir_ + "/capture-" + queue))
            if (e.path().extension() == ".done")
                done.insert(e.path().stem().string());
        return done;
    }

    // Waits up to 20 seconds for a job that is not among before to reach the queue.
    static CapturedJob WaitForNewJob(const std::string& queue, const std::set<std::string>& before)
    {
        CapturedJob job;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& stem : DoneJobs(queue)) {
                if (before.count(stem) != 0)
                    continue;
                const fs::path base = fs::path(dir_) / ("capture-" + queue) / stem;
                job.arrived = true;
                job.title = ReadAll(base.string() + ".title");
                job.copies = ReadAll(base.string() + ".copies");
                job.options = ReadAll(base.string() + ".options");
                job.data = ReadAll(base.string() + ".data");
                return job;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return job;
    }

    // Prints through the print dialog, which answer deals with, and returns what reached
    // queue.
    CapturedJob PrintThroughDialog(CPrintCycle& cycle, const std::string& queue,
                                   const std::function<void(QPrintDialog&)>& answer)
    {
        const std::set<std::string> before = DoneJobs(queue);
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
        return WaitForNewJob(queue, before);
    }

    static inline std::string dir_;
    static inline std::string skipReason_;
    static inline std::string startError_;
    static inline std::string oldServer_;
    static inline bool hadServer_ = false;
    static inline bool running_ = false;

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
