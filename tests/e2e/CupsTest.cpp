// Printing through a real, private CUPS server: queues, their sheets and disc tray, and
// jobs that arrive with their name, copies and tray choice. Needs root (cupsd runs its
// backends as lp from a root-owned folder) and an installed cupsd; skipped otherwise.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <cups/cups.h>

#include "PrivateCupsd.h"

#include "layout/CupsPrinters.h"
#include "layout/CupsTarget.h"
#include "layout/PdfDocument.h"

namespace {

namespace fs = std::filesystem;

class CupsServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_.Start("sleevit-cups", true); }
    static void TearDownTestSuite() { EXPECT_TRUE(server_.Stop()); }

    void SetUp() override
    {
        if (!server_.SkipReason().empty())
            GTEST_SKIP() << server_.SkipReason();
        ASSERT_TRUE(server_.Running()) << server_.Error();
    }

    // Waits up to 20 seconds for a job to reach the capture backend of a queue.
    static CapturedJob WaitForJob(const std::string& queue, int jobId)
    {
        const std::string want = "job-" + std::to_string(jobId);
        return server_.WaitForJob(queue, [&](const std::string& stem) { return stem == want; });
    }

    // Prints pages pages with a frame each; returns the job id (0 on failure).
    static int PrintJob(CCupsTarget& target, const std::string& name, int pages = 1)
    {
        if (!target.StartDocument(name))
            return 0;
        for (int p = 0; p < pages; ++p) {
            CDrawingSurface* s = target.StartPage();
            if (s == nullptr)
                return 0;
            s->SelectBrush(SurfaceBrush::Hollow());
            s->Rectangle(100, 100, 1000, 800);
            if (!target.EndPage())
                return 0;
        }
        return target.EndDocument() ? target.JobId() : 0;
    }

    static int TempJobFiles()
    {
        int n = 0;
        for (const auto& e : fs::directory_iterator(server_.Dir() + "/tmp"))
            n += e.path().filename().string().rfind("sleevit-job-", 0) == 0;
        return n;
    }

    static inline TestCupsServer server_;
};

bool HasOption(const std::string& options, const std::string& pair)
{
    std::istringstream in(options);
    std::string word;
    while (in >> word)
        if (word == pair)
            return true;
    return false;
}

} // namespace

TEST_F(CupsServer, ListsTheQueuesAndTheDefault)
{
    CCupsPrinters printers;
    std::vector<CupsPrinter> list;
    ASSERT_TRUE(printers.List(list)) << printers.LastError();
    std::vector<std::string> names;
    for (const auto& p : list)
        if (p.name.rfind("disc-", 0) != 0) // the real drivers' queues, where installed
            names.push_back(p.name + (p.isDefault ? "*" : ""));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"sleevit-raw*", "sleevit-tray"}));
    EXPECT_EQ(printers.DefaultPrinter(), "sleevit-raw");
    EXPECT_TRUE(printers.Exists("sleevit-tray"));
    EXPECT_FALSE(printers.Exists("sleevit-none"));
    EXPECT_EQ(printers.LastError(), "Unknown printer queue \"sleevit-none\"");
}

TEST_F(CupsServer, SheetsAndPrintableAreasComeFromTheDriver)
{
    CCupsPrinters printers;
    struct Case {
        const char* media; // "" for the default
        double w, h, left, top, right, bottom;
    };
    // The driver gives sizes in points: A4 is 595 x 842 points, with margins of 8.5 points
    // (3 mm) and 17 points (6 mm) at the bottom; Letter has 18 points (6.35 mm) all round.
    const Case cases[] = {
        {"", 209.9, 297.0, 3.0, 3.0, 3.0, 6.0},
        {"na_letter_8.5x11in", 215.9, 279.4, 6.35, 6.35, 6.35, 6.35},
    };
    for (const auto& c : cases) {
        const std::optional<CupsMedia> m = printers.GetMedia("sleevit-tray", c.media);
        ASSERT_TRUE(m.has_value()) << "media '" << c.media << "': " << printers.LastError();
        const double have[] = {m->size.widthMm, m->size.heightMm, m->margins.left,
                               m->margins.top,  m->margins.right, m->margins.bottom};
        const double want[] = {c.w, c.h, c.left, c.top, c.right, c.bottom};
        for (int k = 0; k < 6; ++k)
            EXPECT_NEAR(have[k], want[k], k < 2 ? 0.1 : 0.02) << c.media << " measurement " << k;
        const std::optional<DeviceCaps> caps = printers.GetDeviceCaps("sleevit-tray", 600, c.media);
        ASSERT_TRUE(caps.has_value());
        const DeviceCaps sheet = CapsForPaper(m->size, 600, m->margins);
        EXPECT_EQ(std::vector({caps->physicalWidth, caps->horzRes, caps->vertRes, caps->physicalOffsetX,
                               caps->physicalOffsetY}),
                  std::vector({sheet.physicalWidth, sheet.horzRes, sheet.vertRes, sheet.physicalOffsetX,
                               sheet.physicalOffsetY}));
    }
    // 3 mm at 600 dpi is 70.9 pixels: the printable area starts at pixel 71.
    EXPECT_EQ(printers.GetDeviceCaps("sleevit-tray")->physicalOffsetX, 71);
    EXPECT_FALSE(printers.GetMedia("sleevit-tray", "iso_a0_841x1189mm").has_value());
    EXPECT_FALSE(printers.GetMedia("sleevit-none").has_value());
}

TEST_F(CupsServer, FindsTheDiscTrayByTheDriversName)
{
    CCupsPrinters printers;
    const std::optional<CupsDiscTray> tray = printers.FindDiscTray("sleevit-tray", 118);
    ASSERT_TRUE(tray.has_value()) << printers.LastError();
    // The driver's choice "CDTray", named "CD-R Tray", is media-source "disc" over IPP;
    // its 127 mm square page is the disc page.
    EXPECT_EQ(tray->source, "disc");
    EXPECT_EQ(tray->text, "CD-R Tray");
    EXPECT_TRUE(tray->discPage);
    EXPECT_NEAR(tray->page.size.widthMm, 127.0, 0.1);
    EXPECT_FALSE(printers.FindDiscTray("sleevit-raw", 118).has_value())
        << "a queue without a driver has no tray";
    EXPECT_EQ(printers.LastError(), "");
}

TEST_F(CupsServer, AJobArrivesWithItsNameCopiesAndPages)
{
    CupsJobSettings settings;
    settings.copies = 3;
    CCupsTarget target("sleevit-raw", settings);
    const int id = PrintJob(target, "Sleevit - front.jpg", 2);
    ASSERT_GT(id, 0) << target.LastError();
    const CapturedJob job = WaitForJob("sleevit-raw", id);
    ASSERT_TRUE(job.arrived) << "job " << id << " never reached the printer";
    EXPECT_EQ(job.title, "Sleevit - front.jpg");
    EXPECT_EQ(job.copies, "3");
    EXPECT_EQ(job.data.rfind("%PDF-", 0), 0u) << "the job is a PDF";
    EXPECT_NE(job.data.find("/Count 2"), std::string::npos) << "two pages";
    EXPECT_EQ(TempJobFiles(), 0) << "the temporary PDF is removed";
}

TEST_F(CupsServer, ADiscTrayJobAsksForTheTrayAndItsPage)
{
    for (const bool cdTray : {true, false}) {
        CupsJobSettings settings;
        settings.cdTray = cdTray;
        CCupsTarget target("sleevit-tray", settings);
        const int id = PrintJob(target, "Microsoft Word - Document1");
        ASSERT_GT(id, 0) << target.LastError();
        const CapturedJob job = WaitForJob("sleevit-tray", id);
        ASSERT_TRUE(job.arrived) << "job " << id;
        // The media-col request reaches the driver as its own options.
        EXPECT_EQ(HasOption(job.options, "InputSlot=CDTray"), cdTray) << job.options;
        EXPECT_EQ(HasOption(job.options, "PageSize=Tray127"), cdTray) << job.options;
        EXPECT_EQ(target.OnDiscPage(), cdTray);
        EXPECT_EQ(target.GetDeviceCaps().physicalWidth, cdTray ? 3000 : 4958) << "127 mm or A4 at 600 dpi";
        EXPECT_EQ(job.title, "Microsoft Word - Document1");
    }
    // No tray: nothing is sent.
    CupsJobSettings settings;
    settings.cdTray = true;
    CCupsTarget target("sleevit-raw", settings);
    EXPECT_FALSE(target.StartDocument("tray"));
    EXPECT_EQ(target.LastError(), "The printer sleevit-raw has no disc tray. Nothing was printed.");
    EXPECT_EQ(TempJobFiles(), 0);
}

TEST_F(CupsServer, FailuresSayWhatWentWrong)
{
    {
        CCupsTarget target("sleevit-none");
        EXPECT_FALSE(target.StartDocument("job"));
        EXPECT_EQ(target.LastError(), "Unknown printer queue \"sleevit-none\"");
    }
    {
        CupsJobSettings settings;
        settings.copies = 0;
        CCupsTarget target("sleevit-raw", settings);
        EXPECT_FALSE(target.StartDocument("job"));
        EXPECT_EQ(target.LastError(), "Invalid number of copies");
    }
    {
        // A server that is not there.
        const std::string socket = server_.Dir() + "/cups.sock";
        const std::string gone = server_.Dir() + "/gone.sock";
        setenv("CUPS_SERVER", gone.c_str(), 1);
        cupsSetServer(nullptr);
        CCupsTarget target("sleevit-raw");
        const bool started = target.StartDocument("job");
        const std::string error = target.LastError();
        CCupsPrinters printers;
        std::vector<CupsPrinter> list;
        const bool listed = printers.List(list);
        setenv("CUPS_SERVER", socket.c_str(), 1);
        cupsSetServer(nullptr);
        EXPECT_FALSE(started);
        EXPECT_EQ(error, "Cannot reach the print server " + gone);
        EXPECT_FALSE(listed);
        EXPECT_EQ(printers.LastError(), "Cannot reach the print server " + gone);
    }
    {
        // Calls out of order.
        CCupsTarget target("sleevit-raw");
        EXPECT_EQ(target.StartPage(), nullptr);
        EXPECT_FALSE(target.EndPage());
        EXPECT_FALSE(target.EndDocument());
        EXPECT_EQ(target.LastError(), "No document is open");
    }
}

TEST_F(CupsServer, AnAbortedJobSendsNothingAndACancelledOneStops)
{
    {
        CCupsTarget target("sleevit-raw");
        ASSERT_TRUE(target.StartDocument("aborted"));
        ASSERT_NE(target.StartPage(), nullptr);
        ASSERT_TRUE(target.EndPage());
        target.AbortDocument();
        EXPECT_EQ(target.JobId(), 0);
        EXPECT_EQ(TempJobFiles(), 0);
    }
    // A held queue keeps the job until it is cancelled.
    const std::string sock = server_.Dir() + "/cups.sock";
    ASSERT_EQ(std::system(("CUPS_SERVER='" + sock + "' cupsdisable sleevit-raw").c_str()), 0);
    CCupsTarget target("sleevit-raw");
    const int id = PrintJob(target, "cancelled");
    ASSERT_GT(id, 0) << target.LastError();
    EXPECT_TRUE(target.Cancel(id)) << target.LastError();
    ASSERT_EQ(std::system(("CUPS_SERVER='" + sock + "' cupsenable sleevit-raw").c_str()), 0);
    // Nothing may arrive; give the server a moment to prove it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_FALSE(fs::exists(server_.Dir() + "/capture-sleevit-raw/job-" + std::to_string(id) + ".done"));
    EXPECT_FALSE(target.Cancel(id + 1000)) << "no such job";
    EXPECT_NE(target.LastError().find("Cannot cancel the job"), std::string::npos);
}

namespace {

// A paused queue takes the job but holds it: the target says which job and why.
TEST_F(CupsServer, APausedQueueNamesTheHeldJob)
{
    const std::string server = "CUPS_SERVER='" + server_.Dir() + "/cups.sock' ";
    ASSERT_EQ(std::system((server + "lpadmin -p sleevit-paused -v file:/dev/null -m raw >/dev/null 2>&1 && " +
                           server + "cupsaccept sleevit-paused && " + server + "cupsdisable sleevit-paused")
                              .c_str()),
              0);
    CupsJobSettings settings;
    settings.fallbackPaper = PaperSize::A4();
    CCupsTarget target("sleevit-paused", settings);
    const int job = PrintJob(target, "held");
    ASSERT_GT(job, 0) << target.LastError();
    EXPECT_NE(target.JobNotice().find("Job " + std::to_string(job) + " on sleevit-paused"), std::string::npos)
        << "have: " << target.JobNotice();
    EXPECT_NE(target.JobNotice().find("paused"), std::string::npos) << "have: " << target.JobNotice();
    std::system((server + "lpadmin -x sleevit-paused >/dev/null 2>&1").c_str());
}

} // namespace
