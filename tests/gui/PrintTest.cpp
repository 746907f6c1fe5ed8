// Printing: the paper control that shows the covers, the preview window, and print
// scripts run in the real main window (tests/gui/data/window-print*.txt): each line sets
// the window up, runs a command, answers the windows that come up in turn, and reads
// back what was printed (a PDF file, or a job of a private CUPS server).
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "DataLines.h"
#include "PrivateCupsd.h"
#include "RunProgram.h"
#include "app/Paper.h"
#include "app/PrintCycle.h"
#include "app/PrintPreviewWindow.h"
#include "app/PrintProgressWindow.h"
#include "dialogs/BatchPrintingDialog.h"
#include "gui/MainWindowSupport.h"
#include "surfaces/RasterSurface.h"

namespace fs = std::filesystem;

namespace {

// The progress window while it is on screen, else nullptr.
CPrintProgressWindow* VisibleProgressWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<CPrintProgressWindow*>(w); p != nullptr && p->isVisible())
            return p;
    return nullptr;
}

// The value of a field of pdfinfo's report ("Pages", "Title", "Page size"); "" when it
// has none.
std::string InfoField(const std::string& info, const std::string& field)
{
    std::smatch m;
    return std::regex_search(info, m, std::regex("(^|\n)" + field + ": *([^\n]*)")) ? m[2].str() : "";
}

// The box, in pixels at dpi, of the pixels close to colour on a page of a PDF, looked
// for inside search (pdftoppm renders just that part); empty when there is none.
SurfaceRect FindColourBox(const std::string& pdf, int page, int dpi, const SurfaceRect& search,
                          SurfaceColour colour, const std::string& scratch)
{
    auto n = [](int v) { return std::to_string(v); };
    const std::string ppm = scratch + "/crop.ppm";
    RunProgram("pdftoppm -r " + n(dpi) + " -f " + n(page) + " -l " + n(page) + " -x " + n(search.left) +
               " -y " + n(search.top) + " -W " + n(search.Width()) + " -H " + n(search.Height()) +
               " -singlefile '" + pdf + "' '" + scratch + "/crop'");
    const QImage picture(QString::fromStdString(ppm));
    std::remove(ppm.c_str());
    const int want[3] = {int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)};
    SurfaceRect box{picture.width(), picture.height(), -1, -1};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            if (std::abs(qRed(p) - want[0]) < 40 && std::abs(qGreen(p) - want[1]) < 40 &&
                std::abs(qBlue(p) - want[2]) < 40)
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
        }
    if (box.right < 0)
        return {};
    return {box.left + search.left, box.top + search.top, box.right + search.left, box.bottom + search.top};
}

// Answers a modal window as a script's token says ("print:ok", "overlap:twoPages", ...;
// see window-print.txt); what was done, to compare with the token. A preview window's
// sheets go to sheets.
std::string AnswerWindow(QWidget* modal, const std::string& token, std::vector<QImage>& sheets)
{
    const std::string kind = token.substr(0, token.find(':'));
    const std::string arg = token.substr(std::min(token.size(), kind.size() + 1));
    if (auto* d = qobject_cast<QPrintDialog*>(modal); d != nullptr && kind == "print") {
        auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
        if (arg != "ok" && arg != "cancel")
            printers->setCurrentIndex(printers->findText(QString::fromStdString(arg)));
        arg == "cancel" ? d->reject() : d->accept();
    } else if (modal->objectName() == QLatin1String("overlapQuestion") && kind == "overlap") {
        modal->findChild<QAbstractButton*>(QString::fromStdString(arg))->click();
    } else if (auto* b = qobject_cast<CBatchPrintingDialog*>(modal); b != nullptr && kind == "batch") {
        const bool force = arg.rfind("force=", 0) == 0;
        b->Form()
            .ItemAs<QAbstractButton>(force ? CBatchPrintingDialog::kIdForceFormat
                                           : CBatchPrintingDialog::kIdAutoDetect)
            ->click();
        if (force)
            b->Form()
                .ItemAs<QComboBox>(CBatchPrintingDialog::kIdFormatList)
                ->setCurrentIndex(std::stoi(arg.substr(6)));
        b->Form().ItemAs<QAbstractButton>(kIdOk)->click();
    } else if (auto* p = qobject_cast<CPrintPreviewWindow*>(modal); p != nullptr && kind == "preview") {
        for (int k = 0; k < p->PageCount(); ++k)
            sheets.push_back(p->Sheet(k));
        const std::string button = arg.substr(arg.find(':') + 1);
        p->findChild<QPushButton*>(QString::fromStdString(button))->click();
        return "preview:" + std::to_string(sheets.size()) + ":" + button;
    } else if (auto* sizes = modal->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
               sizes != nullptr && kind == "setup") {
        sizes->setCurrentIndex(sizes->findText(QString::fromStdString(arg), Qt::MatchContains));
        qobject_cast<QDialog*>(modal)->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        // A warning with only OK, whose text starts as the token says.
        const std::string text = box->text().toStdString();
        const bool asSaid = kind == "warn" && box->icon() == QMessageBox::Warning &&
                            box->standardButtons() == QMessageBox::Ok && text.rfind(Unescaped(arg), 0) == 0;
        box->done(QMessageBox::Ok);
        if (!asSaid)
            return "box:" + text;
    } else {
        modal->close();
        return std::string("unexpected ") + modal->metaObject()->className();
    }
    return token;
}

// Runs a print script in one program run: a red front.png on the left paper and a blue
// back.png on the right (both 120 x 120 pixels, CD Front), detection and companions off.
// With a server, jobs go to its queues.
void RunPrintScript(const std::string& name, const TestCupsServer* server)
{
    ProgramRun run;
    run.Start();
    run.Options().autoDetectFormat = 0;
    run.Options().autoload2ndImage = 0;
    run.Load(Side::Left, "front.png", 120, 120);
    run.Load(Side::Right, "back.png", 120, 120, kBlue);
    CTheView& view = run.View();
    QPrinter& printer = view.PrintCycle().Printer();
    const std::vector<std::string> lines = ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/" + name);
    ASSERT_FALSE(lines.empty()) << name;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        SCOPED_TRACE(lines[n]);
        const std::vector<std::string> f = SplitFields(lines[n], " | ", 9);
        std::string pdf = run.folder.File(std::to_string(n) + ".pdf");
        int stopAt = 0;
        std::istringstream setup(f[0]);
        for (std::string word; setup >> word;) {
            const std::string value = word.substr(word.find('=') + 1);
            const int number = std::atoi(value.c_str());
            if (word.rfind("L=", 0) == 0 || word.rfind("R=", 0) == 0) {
                // Refreshing the sides also puts the last single-page setting back.
                (word[0] == 'L' ? view.Left() : view.Right()).formatIndex = number;
                view.RefreshSides();
            } else if (word == "single" || word == "nosingle") {
                view.Form().SetChecked(kSinglePageBox, word == "single");
            } else if (word == "mask" || word == "nomask") {
                run.Options().maskPrintJobName = word == "mask";
            } else if (word == "a4" || word == "letter") {
                printer.setPageSize(QPageSize(word == "a4" ? QPageSize::A4 : QPageSize::Letter));
            } else if (word.rfind("copies=", 0) == 0) {
                printer.setCopyCount(number);
            } else if (word == "batch") {
                run.Options().batchMode = run.Options().autoDetectFormat = 1;
            } else if (word.rfind("to=", 0) == 0) {
                pdf = run.folder.File(value + "/" + std::to_string(n) + ".pdf");
            } else if (word.rfind("queue=", 0) == 0) {
                printer.setPrinterName(QString::fromStdString(value));
            } else {
                ASSERT_EQ(word.rfind("stop=", 0), 0u) << "an unknown word";
                stopAt = number;
            }
        }
        if (server == nullptr)
            printer.setOutputFileName(QString::fromStdString(pdf));
        const auto target = [&] { return server != nullptr ? printer.printerName().toStdString() : pdf; };

        // The windows that come up, answered in turn, and the pages of the progress window.
        const std::vector<std::string> want =
            f[2] == "-" ? std::vector<std::string>{} : SplitFields(f[2], ", ");
        std::vector<std::string> done;
        std::vector<QImage> sheets;
        std::string progress, lastPage;
        QPointer<QWidget> last;
        QElapsedTimer since;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (CPrintProgressWindow* w = VisibleProgressWindow()) {
                const std::string page = w->PageLabel()->text().section(' ', -1).toStdString();
                if (page != lastPage) {
                    lastPage = page;
                    progress += (progress.empty() ? "" : ", ") + page;
                    EXPECT_EQ((w->windowTitle() + " | " + w->DocumentLabel()->text() + " | " +
                               w->PrinterLabel()->text().section('\n', 0, 0))
                                  .toStdString(),
                              "Printing | " + f[5] + " | " + target());
                }
                if (w->Page() == stopAt && w->CancelButton()->isEnabled())
                    w->CancelButton()->click();
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || qobject_cast<CPrintProgressWindow*>(modal) != nullptr)
                return;
            if (modal != last) {
                last = modal;
                since.start();
                done.push_back(
                    AnswerWindow(modal, done.size() < want.size() ? want[done.size()] : "", sheets));
            } else if (since.elapsed() > 5000) {
                ADD_FAILURE() << "a modal window stayed open for five seconds after it was answered";
                modal->close();
            }
        });
        watch.start(0);
        // The jobs already done on the queues, to tell the new one.
        std::map<std::string, std::set<std::string>> before;
        for (const char* q : {"sleevit-raw", "sleevit-tray"})
            before[q] = server != nullptr ? server->DoneJobs(q) : std::set<std::string>{};
        // The command, or pictures dropped on the right paper.
        if (f[1].rfind("drop=", 0) == 0) {
            QStringList files;
            for (int k = 0; k < std::stoi(f[1].substr(5)); ++k)
                files << QPath(run.Picture("drop" + std::to_string(k) + ".png", 240, 240));
            view.Right().paper->HandleDrop(files);
        } else {
            const std::map<std::string, int> commands = {{"left", kCmdPrintLeft},
                                                         {"right", kCmdPrintRight},
                                                         {"both", kCmdPrintBoth},
                                                         {"preview", kCmdPrintPreview},
                                                         {"setup", kCmdPrintSetup}};
            ASSERT_TRUE(view.Commands().Execute(commands.at(f[1])));
        }
        watch.stop();
        EXPECT_EQ(want, done) << "the windows that came up";
        EXPECT_EQ(progress, f[4] == "-" ? "" : f[4]) << "the pages the progress window showed";
        EXPECT_EQ(VisibleProgressWindow(), nullptr) << "the progress window is gone after the job";

        // What was printed: the PDF file, or the job that reached the queue.
        CapturedJob job;
        if (server != nullptr) {
            const std::string queue = target();
            const bool none = f[3] == "-1";
            job = none ? CapturedJob{} : server->NewJob(queue, before[queue]);
            EXPECT_EQ(server->DoneJobs(queue).size(), before[queue].size() + (none ? 0 : 1)) << queue;
            if (job.arrived)
                std::ofstream(pdf, std::ios::binary) << job.data;
            std::istringstream options(f[8]);
            for (std::string option; options >> option;) {
                const bool absent = option[0] == '!';
                if (option.rfind("copies=", 0) == 0)
                    EXPECT_EQ("copies=" + job.copies, option);
                else
                    EXPECT_NE(job.HasOption(option.substr(absent)), absent)
                        << option << " in " << job.options;
            }
        }
        const std::string info = fs::exists(pdf) ? RunProgram("pdfinfo '" + pdf + "'").out : "";
        std::string pages = "-1";
        if (!info.empty()) {
            double w = 0, h = 0;
            std::string by;
            std::istringstream(InfoField(info, "Page size")) >> w >> by >> h;
            auto mm = [](double pt) { return std::to_string(std::lround(pt * 25.4 / 72)); };
            pages = InfoField(info, "Pages") + " " + mm(w) + "x" + mm(h);
            EXPECT_EQ(server != nullptr ? job.title : InfoField(info, "Title"), f[5]);
        }
        EXPECT_EQ(pages, f[3]) << "pages and the first one's size";

        // The covers, page:colour:box in millimetres (or none), on the pages and on the
        // preview's sheets (with the red frame of the printable area).
        const DeviceCaps caps = view.PrintCycle().SheetCaps(CPrintCycle::kPreviewDpi);
        auto px = [](double mm, int dpi) { return int(std::lround(mm * dpi / 25.4)); };
        std::istringstream covers(f[6]);
        for (std::string cover; covers >> cover;) {
            const std::vector<std::string> c = SplitFields(cover, ":", 3);
            const std::size_t page = std::stoul(c[0]);
            double mm[4] = {};
            const bool none = c[2] == "none";
            std::sscanf(c[2].c_str(), "%lf,%lf,%lf,%lf", &mm[0], &mm[1], &mm[2], &mm[3]);
            if (!info.empty()) {
                // Around the box at the print resolution, or roughly over the whole sheet.
                const int dpi = none ? 50 : CPrintCycle::kPrintDpi;
                const SurfaceRect search = none ? SurfaceRect{0, 0, 1000, 1000}
                                                : SurfaceRect{px(mm[0], dpi) - 20, px(mm[1], dpi) - 20,
                                                              px(mm[2], dpi) + 20, px(mm[3], dpi) + 20};
                const SurfaceRect have = FindColourBox(pdf, int(page), dpi, search,
                                                       c[1] == "red" ? kRed : kBlue, run.folder.Path());
                const int at[4] = {have.left, have.top, have.right, have.bottom};
                bool near = none == have.IsEmpty();
                for (int k = 0; k < 4 && !none; ++k)
                    near = near && std::abs(at[k] - px(mm[k], dpi)) <= 1;
                EXPECT_TRUE(near) << cover << ": have " << at[0] * 25.4 / dpi << "," << at[1] * 25.4 / dpi
                                  << "," << at[2] * 25.4 / dpi << "," << at[3] * 25.4 / dpi;
            }
            if (!sheets.empty() && !none) {
                constexpr int dpi = CPrintCycle::kPreviewDpi;
                const QImage& sheet = sheets.at(page - 1);
                EXPECT_EQ(sheet.size(), QSize(caps.physicalWidth, caps.physicalHeight));
                EXPECT_EQ(
                    QColor(sheet.pixel(px((mm[0] + mm[2]) / 2, dpi), px((mm[1] + mm[3]) / 2, dpi))).name(),
                    c[1] == "red" ? "#ff0000" : "#0000ff")
                    << cover;
                EXPECT_EQ(sheet.pixel(caps.physicalWidth / 2, caps.physicalOffsetY), qRgb(255, 0, 0));
            }
        }

        // The window after the job.
        const SideState& left = view.Left();
        const char* const selections[] = {"left", "right", "both"};
        EXPECT_EQ("tray=" + std::to_string(view.PrintCycle().CdTray()) +
                      " single=" + std::to_string(view.PrintOnSinglePage()) +
                      " selection=" + selections[int(view.Selection())] + " left=" + left.fileName + "/" +
                      std::to_string(left.formatIndex) + "/" + std::to_string(left.image->GetHeight()) +
                      " batch=" + std::to_string(view.BatchFiles().size()) +
                      (server != nullptr ? " printer=" + target() : ""),
                  f[7]);
    }
}

} // namespace

// What the paper control draws (tests/gui/data/paper.txt): its cover, both covers on a
// single page, the CD tray's sheet with its empty disc, the background of an empty paper.
TEST(Paper, DrawsItsCoversTheTraySheetOrTheBackground)
{
    EnsureGuiApp();
    // A CD front of 60 x 60 mm and a tray format: a 60 x 120 mm sheet with a 50 mm disc.
    FormatCatalogue catalogue;
    catalogue.Append(MakeFormat("Front", 60.0, 60.0, "CD_FRONT"));
    catalogue.Append(MakeFormat("Tray", 50.0, 50.0, "CD_TRAY"));
    catalogue.SetPaperWidth(1, 60.0);
    catalogue.SetPaperHeight(1, 120.0);
    catalogue.SetPlacement(1, false, FormatCatalogue::Placement{5.0, 35.0, 50.0, 50.0});
    catalogue.SetHoleSize(1, 10.0);
    CRasterImage red, blue, background;
    ASSERT_TRUE(red.CreateFromBitmap(CRasterSurface(40, 40, kRed)) &&
                blue.CreateFromBitmap(CRasterSurface(40, 40, kBlue)) &&
                background.CreateFromBitmap(CRasterSurface(50, 30, kBlue)));
    const std::map<std::string, SurfaceColour> colours = {
        {"red", kRed}, {"blue", kBlue}, {"white", 0xFFFFFF}, {"tray", 0x3C3C3C}, {"disc", 0xCFDBFF}};
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/paper.txt")) {
        SCOPED_TRACE(line);
        const std::vector<std::string> f = SplitFields(line, " | ", 2);
        CPaper paper(catalogue);
        Side side = Side::Left;
        std::istringstream words(f[0]);
        for (std::string word; words >> word;) {
            const std::string value = word.substr(word.find('=') + 1);
            if (word == "right") {
                paper.SetIsLeft(0);
                side = Side::Right;
            } else if (word == "single") {
                paper.SetSinglePage(1);
            } else if (word.rfind("image=", 0) == 0) {
                paper.SetImage(value == "red" ? &red : &blue);
            } else if (word.rfind("format=", 0) == 0) {
                paper.SetFormat({std::stoi(value), side});
            } else if (word == "other") {
                paper.SetOtherImage(&blue);
                paper.SetOtherFormat({0, Side::Right});
            } else if (word == "tray") {
                paper.SetCdTray(1);
                paper.SetPaperSize(60.0, 120.0);
            } else {
                paper.SetBackground(&background);
            }
        }
        CRasterSurface s(210, 297);
        paper.DrawInto(s);
        std::istringstream checks(f[1]);
        for (std::string check; checks >> check;) {
            const std::size_t op = check.find_first_of("=>");
            if (check.find(',') != std::string::npos) {
                const int x = std::stoi(check), y = std::stoi(check.substr(check.find(',') + 1));
                EXPECT_EQ(s.GetPixel(x, y), colours.at(check.substr(op + 1))) << check;
            } else {
                const int want = std::stoi(check.substr(op + 1));
                int n = 0;
                for (int y = 0; y < s.Height(); ++y)
                    for (int x = 0; x < s.Width(); ++x)
                        n += s.GetPixel(x, y) == colours.at(check.substr(0, op));
                EXPECT_TRUE(check[op] == '=' ? n == want : n > want) << check << ": have " << n;
            }
        }
    }
}

TEST(PrintPreview, ASheetPutsThePrintableAreaAtItsOffset)
{
    // At 100 dpi, a printable area of 50 x 66 pixels at (5, 7) on a sheet of 60 x 80.
    const DeviceCaps caps{100, 100, 50, 66, 60, 80, 5, 7};
    CRasterSurface page(caps, kRed);
    page.SetPixel(0, 0, kBlue);
    page.SetPixel(49, 65, kBlue);
    const QImage sheet = PreviewSheetImage(page, caps);
    ASSERT_EQ(sheet.size(), QSize(60, 80));
    int probes = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/preview-pixels.txt")) {
        std::istringstream in(line);
        std::string kind;
        int x = 0, y = 0;
        QRgb want = 0;
        in >> kind >> x >> y >> std::hex >> want;
        if (kind != "sheet")
            continue;
        ++probes;
        EXPECT_EQ(sheet.pixel(x, y) & 0xFFFFFF, want) << line << ": have " << std::hex << sheet.pixel(x, y);
    }
    EXPECT_EQ(probes, 10);

    DeviceCaps none = caps;
    none.physicalWidth = 0;
    EXPECT_TRUE(PreviewSheetImage(page, none).isNull()) << "a sheet without a size";
}

// Each zoom step doubles the sheets' scale from the one that fits the whole sheet in the
// window; two sheets side by side share the width.
TEST(PrintPreview, ButtonsAndScaleFollowThePagesAndTheZoom)
{
    EnsureGuiApp();
    QImage sheet(210, 297, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    std::unique_ptr<CPrintPreviewWindow> w;
    double fit = 0;
    int steps = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/preview-buttons.txt")) {
        SCOPED_TRACE(line);
        if (line.rfind("== ", 0) == 0) {
            w = std::make_unique<CPrintPreviewWindow>(std::vector<QImage>(std::stoul(line.substr(3)), sheet));
            w->show();
            fit = w->DisplayScale();
            EXPECT_LE(297 * fit, w->height());
        } else {
            const std::vector<std::string> f = SplitFields(line, " | ", 3);
            std::istringstream words(f[0]);
            std::string action;
            int first = -1;
            words >> action >> first;
            std::vector<int> shown;
            for (int k = 0; words >> k;)
                shown.push_back(k);
            if (action != "open")
                w->findChild<QPushButton*>(QString::fromStdString(action))->click();
            // The enabled buttons, and the pages button's text.
            std::string state;
            for (const char* name : {"next", "prev", "pages", "zoomIn", "zoomOut"})
                if (w->findChild<QPushButton*>(QLatin1String(name))->isEnabled())
                    state += std::string(name) + " ";
            EXPECT_EQ(state + "'" + w->PagesButton()->text().toStdString() + "'", f[1]);
            EXPECT_EQ(w->CurrentPage(), first);
            EXPECT_EQ(w->VisiblePages(), shown);
            std::ostringstream scale;
            scale << std::setprecision(3) << w->DisplayScale() / fit;
            EXPECT_EQ(scale.str(), f[2]);
            ++steps;
        }
    }
    EXPECT_EQ(steps, 20);
}

// Window commands printed to PDF files.
TEST(WindowPrint, CommandsPrintTheirPagesWithTheCoversWherePlacementPutsThem)
{
    RunPrintScript("window-print.txt", nullptr);
}

class WindowPrintServer : public PrivateCupsdSuite {};

// Window commands printed to the queues of a private CUPS server: the job's name, copies
// and paper, and the disc tray looked up on whichever printer the print dialog leaves
// chosen.
TEST_F(WindowPrintServer, JobsReachTheQueueTheDialogLeavesChosen)
{
    RunPrintScript("window-print-queues.txt", &server_);
}
