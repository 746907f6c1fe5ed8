// Printing through a real, private CUPS server: queues, their sheets and disc tray, and
// jobs that arrive with their tray choice or are refused, cancelled or held. Needs root
// (cupsd runs its backends as lp from a root-owned folder) and an installed cupsd;
// skipped otherwise.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "PrivateCupsd.h"

#include "layout/CupsPrinters.h"
#include "layout/CupsTarget.h"
#include "layout/PdfDocument.h"

namespace {

namespace fs = std::filesystem;

class CupsServer : public PrivateCupsdSuite {
protected:
    // Prints a page with a frame and waits for the job to reach the queue's capture
    // backend; the job's id (0 on failure).
    static int PrintJob(CCupsTarget& target, const std::string& name)
    {
        CDrawingSurface* s = target.StartDocument(name) ? target.StartPage() : nullptr;
        if (s == nullptr)
            return 0;
        s->SelectBrush(SurfaceBrush::Hollow());
        s->Rectangle(100, 100, 1000, 800);
        return target.EndPage() && target.EndDocument() ? target.JobId() : 0;
    }

    static CapturedJob Arrived(const std::string& queue, int jobId)
    {
        const std::string want = "job-" + std::to_string(jobId);
        return server_.WaitForJob(queue, [&](const std::string& stem) { return stem == want; });
    }

    static int TempJobFiles()
    {
        int n = 0;
        for (const auto& e : fs::directory_iterator(server_.Dir() + "/tmp"))
            n += e.path().filename().string().rfind("sleevit-job-", 0) == 0;
        return n;
    }

    // CUPS_SERVER already names the private server.
    static void Admin(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }
};

TEST_F(CupsServer, QueuesTheirSheetsAndTheirDiscTray)
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

    // The driver gives sizes in points: A4 is 595 x 842 points, with margins of 8.5 points
    // (3 mm) and 17 points (6 mm) at the bottom; Letter has 18 points (6.35 mm) all round.
    for (const auto& [media, want] :
         {std::pair{"", std::vector{209.9, 297.0, 3.0, 3.0, 3.0, 6.0}},
          std::pair{"na_letter_8.5x11in", std::vector{215.9, 279.4, 6.35, 6.35, 6.35, 6.35}}}) {
        const std::optional<CupsMedia> m = printers.GetMedia("sleevit-tray", media);
        ASSERT_TRUE(m.has_value()) << "media '" << media << "': " << printers.LastError();
        const double have[] = {m->size.widthMm, m->size.heightMm, m->margins.left,
                               m->margins.top,  m->margins.right, m->margins.bottom};
        for (std::size_t k = 0; k < 6; ++k)
            EXPECT_NEAR(have[k], want[k], k < 2 ? 0.1 : 0.02) << media << " measurement " << k;
        const std::optional<DeviceCaps> caps = printers.GetDeviceCaps("sleevit-tray", 600, media);
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

    // The driver's choice "CDTray", named "CD-R Tray", is media-source "disc" over IPP;
    // its 127 mm square page is the disc page.
    const std::optional<CupsDiscTray> tray = printers.FindDiscTray("sleevit-tray", 118);
    ASSERT_TRUE(tray.has_value()) << printers.LastError();
    EXPECT_EQ(tray->source, "disc");
    EXPECT_EQ(tray->text, "CD-R Tray");
    EXPECT_TRUE(tray->discPage);
    EXPECT_NEAR(tray->page.size.widthMm, 127.0, 0.1);
    EXPECT_FALSE(printers.FindDiscTray("sleevit-raw", 118).has_value()) << "a queue without a driver";
    EXPECT_EQ(printers.LastError(), "");
}

// Name, copies and pages of a job are checked through the print dialog's path; here the
// tray choice, the refusals and what is left behind.
TEST_F(CupsServer, JobsArriveWithTheirTrayChoiceAndFailuresSayWhatWentWrong)
{
    for (const bool cdTray : {true, false}) {
        CupsJobSettings settings;
        settings.cdTray = cdTray;
        CCupsTarget target("sleevit-tray", settings);
        const int trayId = PrintJob(target, "tray");
        ASSERT_GT(trayId, 0) << target.LastError();
        const CapturedJob trayJob = Arrived("sleevit-tray", trayId);
        ASSERT_TRUE(trayJob.arrived) << "job " << trayId;
        // The media-col request reaches the driver as its own options.
        EXPECT_EQ(trayJob.HasOption("InputSlot=CDTray"), cdTray) << trayJob.options;
        EXPECT_EQ(trayJob.HasOption("PageSize=Tray127"), cdTray) << trayJob.options;
        EXPECT_EQ(target.OnDiscPage(), cdTray);
        EXPECT_EQ(target.GetDeviceCaps().physicalWidth, cdTray ? 3000 : 4958) << "127 mm or A4 at 600 dpi";
    }
    for (const auto& [queue, copies, error] :
         {std::tuple{"sleevit-none", 1, "Unknown printer queue \"sleevit-none\""},
          std::tuple{"sleevit-raw", 0, "Invalid number of copies"}}) {
        CupsJobSettings settings;
        settings.copies = copies;
        CCupsTarget target(queue, settings);
        EXPECT_FALSE(target.StartDocument("job")) << queue;
        EXPECT_EQ(target.LastError(), error);
    }
    EXPECT_EQ(TempJobFiles(), 0) << "the temporary PDFs are removed";
    // Calls out of order.
    CCupsTarget target("sleevit-raw");
    EXPECT_EQ(target.StartPage(), nullptr);
    EXPECT_FALSE(target.EndPage());
    EXPECT_FALSE(target.EndDocument());
    EXPECT_EQ(target.LastError(), "No document is open");
}

TEST_F(CupsServer, AbortedCancelledAndHeldJobs)
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
    Admin("cupsdisable sleevit-raw");
    CCupsTarget target("sleevit-raw");
    const int id = PrintJob(target, "cancelled");
    ASSERT_GT(id, 0) << target.LastError();
    EXPECT_TRUE(target.Cancel(id)) << target.LastError();
    Admin("cupsenable sleevit-raw");
    // Nothing may arrive; give the server a moment to prove it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_FALSE(fs::exists(server_.Dir() + "/capture-sleevit-raw/job-" + std::to_string(id) + ".done"));
    EXPECT_FALSE(target.Cancel(id + 1000)) << "no such job";
    EXPECT_NE(target.LastError().find("Cannot cancel the job"), std::string::npos);

    // A paused queue takes the job but holds it: the target says which job and why.
    Admin(
        "lpadmin -p sleevit-paused -v file:/dev/null -m raw >/dev/null 2>&1 && cupsaccept sleevit-paused && "
        "cupsdisable sleevit-paused");
    CupsJobSettings settings;
    settings.fallbackPaper = PaperSize::A4();
    CCupsTarget paused("sleevit-paused", settings);
    const int held = PrintJob(paused, "held");
    ASSERT_GT(held, 0) << paused.LastError();
    EXPECT_NE(paused.JobNotice().find("Job " + std::to_string(held) + " on sleevit-paused"),
              std::string::npos)
        << "have: " << paused.JobNotice();
    EXPECT_NE(paused.JobNotice().find("paused"), std::string::npos) << "have: " << paused.JobNotice();
    Admin("lpadmin -x sleevit-paused");
}

} // namespace
