// Window figures on Qt's offscreen platform: a whole start of the program up to the first
// tick of its start-up timer (also with a print server that never answers), and a
// repaint of one paper of the main window (181 x 263 pixels) showing a 24-megapixel cover
// in the shipped catalogue's DVD format, both as the bare drawing into an off-screen
// surface and through the paint event with the copy to the widget's backing store. Then a
// 24-megapixel JPEG file loaded and shown, on a paper and in the open dialog's preview,
// beside the same with the picture decoded whole.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchPictures.h"
#include "app/AppSettings.h"
#include "app/Paper.h"
#include "dialogs/Preview.h"
#include "formats/FormatCatalogue.h"
#include "i18n/UserMessages.h"
#include "images/RasterImage.h"
#include "program/MainFrame.h"
#include "program/SleevitApp.h"
#include "surfaces/RasterSurface.h"
#include "view/TheView.h"

namespace {

// The main window's paper in pixels.
constexpr int kPaperWidth = 181;
constexpr int kPaperHeight = 263;
// A start that has not reached its first tick by then counts as failed.
constexpr int kStartTimeoutMs = 10000;

std::string ShippedCatalogue()
{
    return std::string(SLEEVIT_SOURCE_DIR) + "/data/Sleevit.dat";
}

// Catalogue problems end the benchmark with the text instead of showing a box.
class FailingMessages final : public CUserMessages {
public:
    void ShowError(const std::string& text) override { errors += text + "\n"; }
    void ShowInformation(const std::string& text) override { errors += text + "\n"; }
    bool AskYesNo(const std::string& text) override
    {
        errors += text + "\n";
        return false;
    }
    std::string errors;
};

// A 6000 x 4000 picture with some structure in every channel, made once.
const CRasterImage& BigPicture()
{
    static const std::unique_ptr<CRasterImage> picture = [] {
        CRasterSurface s(6000, 4000);
        for (int y = 0; y < s.Height(); ++y) {
            std::uint32_t* row = s.Row(y);
            for (int x = 0; x < s.Width(); ++x) {
                row[x] = 0xFF000000u | (std::uint32_t((x * 7) & 0xFF) << 16) |
                         (std::uint32_t((y * 3) & 0xFF) << 8) | std::uint32_t((x ^ y) & 0xFF);
            }
        }
        auto image = std::make_unique<CRasterImage>();
        image->CreateFromBitmap(s);
        return image;
    }();
    return *picture;
}

// Pixels that are neither white nor black: those of the cover, not of sheet or lines.
int CountColoured(const CRasterSurface& surface)
{
    int count = 0;
    for (int y = 0; y < surface.Height(); ++y) {
        const std::uint32_t* row = surface.Row(y);
        for (int x = 0; x < surface.Width(); ++x) {
            const std::uint32_t rgb = row[x] & 0xFFFFFFu;
            count += rgb != 0xFFFFFFu && rgb != 0u ? 1 : 0;
        }
    }
    return count;
}

// The shipped catalogue and the index of its DVD format (-1 when either is missing).
struct DvdCatalogue {
    FormatCatalogue catalogue;
    int dvd = -1;
    std::string problem;
};

std::unique_ptr<DvdCatalogue> LoadDvdCatalogue()
{
    auto c = std::make_unique<DvdCatalogue>();
    FailingMessages messages;
    if (!c->catalogue.LoadCatalogue(ShippedCatalogue(), messages) || !messages.errors.empty()) {
        c->problem = "catalogue " + ShippedCatalogue() + " not read: " + messages.errors;
        return c;
    }
    c->dvd = c->catalogue.FindByType("DVD");
    if (c->dvd < 0) {
        c->problem = "the shipped catalogue has no DVD format";
    }
    return c;
}

// A paper as the main window's Left paper shows a DVD cover with its cut lines.
void SetUpPaper(CPaper& paper, const DvdCatalogue& c)
{
    paper.SetIsLeft(1);
    paper.SetSinglePage(0);
    paper.SetDrawLines(1);
    paper.SetFormat({c.dvd, Side::Left});
    paper.SetPaperSize(c.catalogue.GetPaperWidth(c.dvd), c.catalogue.GetPaperHeight(c.dvd));
    paper.SetImage(&BigPicture());
    paper.resize(kPaperWidth, kPaperHeight);
}

// A print server that takes connections and never answers (nobody accepts on the
// listening socket); the start-up must not wait for it (target: under 1 s).
class SilentPrintServer {
public:
    SilentPrintServer()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            ::listen(fd_, 64) == 0 && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            qputenv("CUPS_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(ntohs(address.sin_port)));
    }
    ~SilentPrintServer()
    {
        qunsetenv("CUPS_SERVER");
        if (fd_ >= 0)
            ::close(fd_);
    }

private:
    int fd_ = -1;
};

// Argument 1: with a print server that never answers.
void BM_StartUpToFirstTick(benchmark::State& state)
{
    std::unique_ptr<SilentPrintServer> silent;
    if (state.range(0) == 1)
        silent = std::make_unique<SilentPrintServer>();
    QTemporaryDir folder;
    const std::string data = folder.path().toStdString();
    std::error_code error;
    std::filesystem::copy_file(ShippedCatalogue(), data + "/Sleevit.dat", error);
    if (!folder.isValid() || error) {
        state.SkipWithError("no data folder with the catalogue");
        return;
    }
    // The user's own catalogue copy must not come from the real home folder.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data + "/home"));
    const std::string ini = data + "/settings.ini";
    std::int64_t initNs = 0;
    QSize paperSize;

    for (auto _ : state) {
        // Every start finds the same settings: no splash, nothing else stored. Only the
        // span from construction to the first tick is counted (manual time).
        std::filesystem::remove(ini, error);
        {
            AppSettings seed(ini);
            seed.WriteInt(Setting::ShowSplash, 0);
            seed.Sync();
        }

        QElapsedTimer clock;
        clock.start();
        AppSettings settings(ini);
        auto app = std::make_unique<CSleevitApp>(settings, data);
        if (!app->InitInstance(true)) {
            state.SkipWithError("InitInstance failed");
            return;
        }
        initNs += clock.nsecsElapsed();
        // Sleeps until something happens; the guard's timeout wakes a start that hangs.
        CTheView* view = app->View();
        QTimer guard;
        guard.setSingleShot(true);
        guard.start(kStartTimeoutMs);
        while (view->TimerRunning(1) && guard.isActive()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        if (view->TimerRunning(1)) {
            state.SkipWithError("the start-up timer never ticked");
            return;
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);

        if (const CPaper* paper = view->Left().paper) {
            paperSize = paper->size();
        }
        if (!app->MainFrame()->isVisible()) {
            state.SkipWithError("the main window is not shown");
            return;
        }
        app->MainFrame()->close();
        app->ExitInstance();
        app.reset();
        // Deferred deletions and window-system events of the closed window.
        QCoreApplication::processEvents();
    }
    // How much of a start is construction and InitInstance (the rest waits for the
    // timer's interval and handles the tick), and the Left paper's size in the window.
    state.counters["init_ms"] =
        benchmark::Counter(static_cast<double>(initNs) * 1e-6, benchmark::Counter::kAvgIterations);
    state.counters["paper_w"] = paperSize.width();
    state.counters["paper_h"] = paperSize.height();
}
BENCHMARK(BM_StartUpToFirstTick)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(3.0);

void BM_PaperRepaint24MP(benchmark::State& state)
{
    const std::unique_ptr<DvdCatalogue> c = LoadDvdCatalogue();
    if (c->dvd < 0) {
        state.SkipWithError(c->problem.c_str());
        return;
    }
    CPaper paper(c->catalogue);
    SetUpPaper(paper, *c);
    CRasterSurface surface(kPaperWidth, kPaperHeight);
    for (auto _ : state) {
        paper.DrawInto(surface);
        benchmark::DoNotOptimize(surface.Data());
    }
    if (CountColoured(surface) < kPaperWidth * kPaperHeight / 4) {
        state.SkipWithError("the cover was not drawn on the paper");
    }
}
BENCHMARK(BM_PaperRepaint24MP)->Unit(benchmark::kMillisecond);

void BM_PaperRepaint24MPPaintEvent(benchmark::State& state)
{
    const std::unique_ptr<DvdCatalogue> c = LoadDvdCatalogue();
    if (c->dvd < 0) {
        state.SkipWithError(c->problem.c_str());
        return;
    }
    CPaper paper(c->catalogue);
    SetUpPaper(paper, *c);
    for (auto _ : state) {
        QPixmap shown = paper.grab();
        benchmark::DoNotOptimize(shown.cacheKey());
    }
    const QImage last = paper.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (last.size() != QSize(kPaperWidth, kPaperHeight)) {
        state.SkipWithError("the grabbed paper has the wrong size");
        return;
    }
    CRasterSurface shown(kPaperWidth, kPaperHeight);
    for (int y = 0; y < kPaperHeight; ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(last.constScanLine(y));
        std::copy(line, line + kPaperWidth, shown.Row(y));
    }
    if (CountColoured(shown) < kPaperWidth * kPaperHeight / 4) {
        state.SkipWithError("the cover did not reach the screen");
    }
}
BENCHMARK(BM_PaperRepaint24MPPaintEvent)->Unit(benchmark::kMillisecond);

// A 6000 x 4000 JPEG file (a camera's 24 megapixels), written once.
const std::string& Jpeg24MP()
{
    static const std::string path = [] {
        const std::string p = std::filesystem::temp_directory_path().string() + "/sleevit-bench-24mp.jpg";
        if (!std::filesystem::exists(p) && !bench::WriteJpeg(p, 6000, 4000, 3, 90))
            return std::string();
        return p;
    }();
    return path;
}

// Load and show as the window does: a new image, the paper's or the preview's drawing.
// With decodeWhole the picture is decoded whole first (as every load did before).
void LoadAndShow(benchmark::State& state, bool onPaper, bool decodeWhole)
{
    const std::string& jpeg = Jpeg24MP();
    const std::unique_ptr<DvdCatalogue> c = LoadDvdCatalogue();
    if (jpeg.empty() || c->dvd < 0) {
        state.SkipWithError("no picture or no catalogue");
        return;
    }
    CPaper paper(c->catalogue);
    SetUpPaper(paper, *c);
    // The open dialog's preview is about 150 x 150 pixels.
    CRasterSurface surface(onPaper ? kPaperWidth : 150, onPaper ? kPaperHeight : 150);
    for (auto _ : state) {
        CRasterImage image;
        if (!image.Load(jpeg, kImageJpeg)) {
            state.SkipWithError("cannot load the JPEG");
            return;
        }
        if (decodeWhole)
            image.Pixels();
        if (onPaper) {
            paper.SetImage(&image);
            paper.DrawInto(surface);
            paper.SetImage(nullptr);
        } else {
            PaintPreview(surface, image);
        }
        benchmark::DoNotOptimize(surface.Data());
    }
    if (CountColoured(surface) < surface.Width() * surface.Height() / 4)
        state.SkipWithError("the picture was not drawn");
}
void BM_Paper_LoadAndShow24MPJpeg(benchmark::State& state)
{
    LoadAndShow(state, true, false);
}
void BM_Paper_LoadAndShow24MPJpeg_DecodedWhole(benchmark::State& state)
{
    LoadAndShow(state, true, true);
}
void BM_OpenDialog_Preview24MPJpeg(benchmark::State& state)
{
    LoadAndShow(state, false, false);
}
void BM_OpenDialog_Preview24MPJpeg_DecodedWhole(benchmark::State& state)
{
    LoadAndShow(state, false, true);
}
BENCHMARK(BM_Paper_LoadAndShow24MPJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paper_LoadAndShow24MPJpeg_DecodedWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDialog_Preview24MPJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDialog_Preview24MPJpeg_DecodedWhole)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The benchmark's own options first; Qt keeps what is left for the whole run.
    ::benchmark::Initialize(&argc, argv);
    QApplication application(argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
