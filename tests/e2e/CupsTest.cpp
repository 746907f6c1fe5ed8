// Printing through a real, private CUPS server: queues and their sheets (their disc tray
// is looked up by the main window's jobs), jobs refused, cancelled or held; and disc
// printing through the real printer drivers: a disc job from sleevit-cli reaches each
// driver with its disc tray and disc page (the same tray and page commands in the printer
// data as a job sent by hand with the driver's own option names), the raster the driver
// gets holds the disc centred at its true size, and a printer's calibration moves discs
// and sheets. Needs root (cupsd runs its backends as lp from a root-owned folder) and an
// installed cupsd, the disc tests the driver packages too; skipped otherwise.

#include <gtest/gtest.h>

#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "DataLines.h"
#include "PrivateCupsd.h"
#include "RunProgram.h"
#include "ScratchFolder.h"
#include "layout/CupsPrinters.h"
#include "layout/CupsTarget.h"
#include "layout/PdfDocument.h"

namespace {

namespace fs = std::filesystem;

// The first page of a CUPS raster: its size and the box of its dark pixels, in
// millimetres from the page's top-left corner.
struct RasterPage {
    bool valid = false;
    double widthMm = 0, heightMm = 0;
    double left = 0, top = 0, right = 0, bottom = 0; // the dark box
};

RasterPage ReadRaster(const std::string& data)
{
    RasterPage page;
    const ScratchFolder folder;
    const int fd = ::open(folder.Write("raster", data).c_str(), O_RDONLY | O_CLOEXEC);
    cups_raster_t* raster = fd >= 0 ? cupsRasterOpen(fd, CUPS_RASTER_READ) : nullptr;
    cups_page_header2_t h;
    if (raster != nullptr && cupsRasterReadHeader2(raster, &h) && h.HWResolution[0] > 0 &&
        h.HWResolution[1] > 0 && h.cupsBitsPerColor == 8) {
        // Colour spaces of white 0 count dark pixels as high, the others (RGB, RGBW) as low.
        const bool additive = h.cupsColorSpace == CUPS_CSPACE_RGB || h.cupsColorSpace == CUPS_CSPACE_SRGB ||
                              h.cupsColorSpace == CUPS_CSPACE_RGBW || h.cupsColorSpace == CUPS_CSPACE_W ||
                              h.cupsColorSpace == CUPS_CSPACE_SW;
        const unsigned bpp = std::max(1u, h.cupsBitsPerPixel / 8);
        const unsigned channels = h.cupsColorSpace == CUPS_CSPACE_RGBW ? 3 : bpp;
        std::vector<unsigned char> line(h.cupsBytesPerLine);
        long minX = -1, maxX = -1, minY = -1, maxY = -1;
        for (unsigned y = 0;
             y < h.cupsHeight &&
             cupsRasterReadPixels(raster, line.data(), h.cupsBytesPerLine) == h.cupsBytesPerLine;
             ++y) {
            for (unsigned x = 0; x < h.cupsWidth; ++x) {
                unsigned sum = 0;
                for (unsigned c = 0; c < channels; ++c)
                    sum += line[x * bpp + c];
                if (additive == (sum / channels < 128)) {
                    minX = minX < 0 ? x : std::min<long>(minX, x);
                    maxX = std::max<long>(maxX, x);
                    minY = minY < 0 ? y : minY;
                    maxY = y;
                }
            }
        }
        // The pixels cover the imageable area; the page is larger by the driver's margins.
        const double mmX = 25.4 / h.HWResolution[0], mmY = 25.4 / h.HWResolution[1], pt = 25.4 / 72;
        const double x0 = h.ImagingBoundingBox[0] * pt;
        const double y0 =
            h.ImagingBoundingBox[3] > 0 ? (double(h.PageSize[1]) - h.ImagingBoundingBox[3]) * pt : 0.0;
        page = {minX >= 0,       h.PageSize[0] * pt,    h.PageSize[1] * pt,   x0 + minX * mmX,
                y0 + minY * mmY, x0 + (maxX + 1) * mmX, y0 + (maxY + 1) * mmY};
    }
    if (raster != nullptr)
        cupsRasterClose(raster);
    if (fd >= 0)
        ::close(fd);
    return page;
}

// A tray or page command of a driver's printer data, found as where says: "esc:L" the
// payload of the first ESC ( L command of ESC/P 2 or Canon BJ data (before its raster
// data), "re:PATTERN" the first match in the first 4 KiB, "at:TEXT:N" N bytes from TEXT on.
std::string Command(const std::string& data, const std::string& where)
{
    const std::string what = where.substr(where.find(':') + 1);
    if (where.rfind("esc:", 0) == 0) {
        for (std::size_t i = data.find("\x1b("); i != std::string::npos && i + 5 <= data.size();
             i = data.find("\x1b(", i)) {
            const std::size_t n = std::size_t(static_cast<unsigned char>(data[i + 3])) |
                                  std::size_t(static_cast<unsigned char>(data[i + 4])) << 8;
            if (data[i + 2] == what[0])
                return data.substr(i + 5, n);
            if (data[i + 2] == 'F' || data[i + 2] == 'v')
                break; // raster data follows
            i += 5 + n;
        }
    } else if (where.rfind("re:", 0) == 0) {
        std::smatch m;
        const std::string head = data.substr(0, 4096);
        if (std::regex_search(head, m, std::regex(what)))
            return m.str(0);
    } else {
        const std::size_t colon = what.rfind(':');
        const std::size_t at = data.find(what.substr(0, colon));
        if (at != std::string::npos)
            return data.substr(at, std::stoul(what.substr(colon + 1)));
    }
    return "(none)";
}

class CupsServer : public PrivateCupsdSuite {
protected:
    // Prints a page with a frame; the job's id (0 on failure).
    static int PrintJob(CCupsTarget& target, const std::string& name)
    {
        CDrawingSurface* s = target.StartDocument(name) ? target.StartPage() : nullptr;
        if (s == nullptr)
            return 0;
        s->SelectBrush(SurfaceBrush::Hollow());
        s->Rectangle(100, 100, 1000, 800);
        return target.EndPage() && target.EndDocument() ? target.JobId() : 0;
    }

    // CUPS_SERVER already names the private server.
    static void Admin(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

    static bool HaveDrivers() { return fs::exists(server_.dir + "/capture-disc-hp-raster"); }
    static constexpr const char* kNoDrivers = "the printer driver packages are not installed";

    // Runs sleevit-cli with the private server and a settings folder of the server's.
    static ProgramResult Cli(const std::string& args, const std::string& config = "config")
    {
        fs::create_directories(server_.dir + "/" + config);
        return RunProgram("XDG_CONFIG_HOME='" + server_.dir + "/" + config + "' '" + SLEEVIT_CLI + "' " +
                          args);
    }

    // Sends a file to a queue with lp and options, or (without a file) prints the disc
    // picture on it with sleevit-cli and extra arguments; the printer data that came of it.
    static CapturedJob Job(const std::string& queue, const std::string& args, const std::string& file = "",
                           const std::string& config = "config", ProgramResult* result = nullptr)
    {
        const std::set<std::string> before = server_.DoneJobs(queue);
        const ProgramResult r =
            file.empty() ? Cli("print --left '" + disc_ + "' --printer " + queue + " " + args, config)
                         : RunProgram("lp -d " + queue + " " + args + " '" + file + "'");
        EXPECT_EQ(r.status, 0) << queue << ": " << r.err;
        if (result != nullptr)
            *result = r;
        return r.status == 0 ? server_.NewJob(queue, before) : CapturedJob{};
    }

    static constexpr const char* kDiscTray = "--left-format 'Disc in CD Tray'";
    // A black square picture: printed as a disc it is a black ring.
    static inline const std::string disc_ = SLEEVIT_SOURCE_DIR "/tests/e2e/data/black-64.png";
};

TEST_F(CupsServer, QueuesAndTheirSheets)
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
}

// Name, copies, pages and tray choice of a job are checked through the main window's
// path; here the refusals, the jobs stopped or held, and what is left behind.
TEST_F(CupsServer, RefusedAbortedCancelledAndHeldJobs)
{
    for (const auto& [queue, copies, error] :
         {std::tuple{"sleevit-none", 1, "Unknown printer queue \"sleevit-none\""},
          std::tuple{"sleevit-raw", 0, "Invalid number of copies"}}) {
        CupsJobSettings settings;
        settings.copies = copies;
        CCupsTarget target(queue, settings);
        EXPECT_FALSE(target.StartDocument("job")) << queue;
        EXPECT_EQ(target.LastError(), error);
    }
    // Calls out of order, then a job given up.
    CCupsTarget target("sleevit-raw");
    EXPECT_EQ(target.StartPage(), nullptr);
    EXPECT_FALSE(target.EndPage());
    EXPECT_FALSE(target.EndDocument());
    EXPECT_EQ(target.LastError(), "No document is open");
    ASSERT_TRUE(target.StartDocument("aborted"));
    ASSERT_NE(target.StartPage(), nullptr);
    ASSERT_TRUE(target.EndPage());
    target.AbortDocument();
    EXPECT_EQ(target.JobId(), 0);
    for (const auto& file : fs::directory_iterator(server_.dir + "/tmp"))
        EXPECT_FALSE(file.path().filename().string().starts_with("sleevit-job-"))
            << "a temporary PDF is left";
    // A held queue keeps the job until it is cancelled.
    Admin("cupsdisable sleevit-raw");
    CCupsTarget cancelled("sleevit-raw");
    const int id = PrintJob(cancelled, "cancelled");
    ASSERT_GT(id, 0) << cancelled.LastError();
    EXPECT_TRUE(cancelled.Cancel(id)) << cancelled.LastError();
    Admin("cupsenable sleevit-raw");
    // Nothing may arrive; give the server a moment to prove it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_FALSE(fs::exists(server_.dir + "/capture-sleevit-raw/job-" + std::to_string(id) + ".done"));
    EXPECT_FALSE(cancelled.Cancel(id + 1000)) << "no such job";
    EXPECT_NE(cancelled.LastError().find("Cannot cancel the job"), std::string::npos);

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

TEST_F(CupsServer, ADiscJobReachesEachDriverWithTrayAndDiscPage)
{
    if (!HaveDrivers())
        GTEST_SKIP() << kNoDrivers;
    const std::string reference = server_.dir + "/reference.pdf";
    ASSERT_EQ(Cli("print --left '" + disc_ + "' " + kDiscTray + " --to '" + reference + "'").status, 0);
    // name | options of a job sent by hand | the disc page's side (0: an A4 sheet, a disc
    // media type only) | where the printer data says the tray | and the page
    const std::vector<std::string> lines =
        ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/e2e/data/disc-drivers.txt");
    ASSERT_EQ(lines.size(), 4u);
    for (const std::string& line : lines) {
        const std::vector<std::string> d = SplitFields(Unescaped(line), " | ", 5);
        const std::string queue = "disc-" + d[0];
        SCOPED_TRACE(d[0]);
        // The printer data: the tray and page commands of the job sent by hand, which
        // the driver's default job does not have.
        ProgramResult run;
        const std::string ours = Job(queue, kDiscTray, "", "config", &run).data;
        const std::string byHand = Job(queue, d[1], reference).data;
        const std::string plain = Job(queue, "", reference).data;
        ASSERT_FALSE(ours.empty() || byHand.empty() || plain.empty()) << "a job did not arrive";
        EXPECT_EQ(Command(ours, d[3]), Command(byHand, d[3])) << "tray";
        EXPECT_EQ(Command(ours, d[4]), Command(byHand, d[4])) << "page";
        EXPECT_NE(Command(ours, d[3]), Command(plain, d[3])) << "the default job has the same tray";
        EXPECT_EQ(run.err.find("only a media type for discs") != std::string::npos, d[2] == "0")
            << "the warning of a disc media type alone: " << run.err;
    }
}

// Jobs of sleevit-cli as the raster queues get them (tests/e2e/data/disc-jobs.txt): the
// page and where the picture lands on it, with and without a printer's calibration.
TEST_F(CupsServer, JobsLandOnTheRasterWhereTheyBelong)
{
    if (!HaveDrivers())
        GTEST_SKIP() << kNoDrivers;
    const std::vector<std::string> lines = ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/e2e/data/disc-jobs.txt");
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::vector<std::string> f = SplitFields(line, " | ", 4);
        if (f[1] == "-") {
            const ProgramResult r = Cli(f[2], f[0]);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_TRUE(f[3] == "-" || r.out == f[3] + "\n") << r.out;
            continue;
        }
        const CapturedJob job = Job(f[1], f[2], "", f[0]);
        const RasterPage page = ReadRaster(job.data);
        std::istringstream want(Replaced(f[3], {{",", " "}, {"x", " "}}));
        const double have[] = {page.widthMm, page.heightMm, page.left, page.top, page.right, page.bottom};
        std::string seen;
        bool near = page.valid;
        for (const double mm : have) {
            double w = 0;
            want >> w;
            near = near && std::abs(mm - w) <= 0.3;
            seen += " " + std::to_string(mm);
        }
        EXPECT_TRUE(near) << "have" << seen;
        for (std::string option; want >> option;)
            EXPECT_TRUE(job.HasOption(option)) << option << " in " << job.options;
    }
}

} // namespace
