// Printing: the paper control that shows the covers, the print cycle on a PDF file (the
// print dialog's verdict, the pages and where the covers land on them, the progress
// window and its Cancel, a job that cannot start, the page setup), the preview window,
// and printing from the main window through the real print dialog.
#include <filesystem>
#include <tuple>

#include "CollectingMessages.h"
#include "DataLines.h"
#include "RunProgram.h"
#include "app/Paper.h"
#include "app/PrintCycle.h"
#include "app/PrintPreviewWindow.h"
#include "app/PrintProgressWindow.h"
#include "app/TemplateDialog.h"
#include "dialogs/BatchPrintingDialog.h"
#include "gui/MainWindowSupport.h"
#include "layout/PdfDocument.h"
#include "surfaces/RasterSurface.h"

namespace fs = std::filesystem;

namespace {

constexpr SurfaceColour kWhite = 0xFFFFFF;
constexpr SurfaceColour kTray = 0x3C3C3C;

// TestFormats() plus a tray format: a 60 x 120 mm sheet with a 50 mm disc.
FormatCatalogue Catalogue()
{
    FormatCatalogue catalogue = TestFormats();
    catalogue.Append(MakeFormat("Tray", 50.0, 50.0, "CD_TRAY"));
    catalogue.SetPaperWidth(2, 60.0);
    catalogue.SetPaperHeight(2, 120.0);
    catalogue.SetPlacement(2, false, FormatCatalogue::Placement{5.0, 35.0, 50.0, 50.0});
    catalogue.SetHoleSize(2, 10.0);
    return catalogue;
}

int Count(const CRasterSurface& s, SurfaceColour colour)
{
    int n = 0;
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            n += s.GetPixel(x, y) == colour;
        }
    }
    return n;
}

std::vector<QImage> Sheets(int count)
{
    std::vector<QImage> sheets;
    for (int k = 0; k < count; ++k) {
        QImage s(210, 297, QImage::Format_RGB32);
        s.fill(QColor::fromHsv(k * 40 % 360, 200, 200));
        sheets.push_back(s);
    }
    return sheets;
}

// The window's buttons by name.
std::vector<std::pair<QPushButton*, std::string>> Buttons(const CPrintPreviewWindow& w)
{
    return {{w.NextButton(), "next"},
            {w.PrevButton(), "prev"},
            {w.PagesButton(), "pages"},
            {w.ZoomInButton(), "in"},
            {w.ZoomOutButton(), "out"}};
}

// The enabled buttons at one moment, and the pages button's text.
std::string StateOf(const CPrintPreviewWindow& w)
{
    std::string out;
    for (const auto& [button, name] : Buttons(w))
        if (button->isEnabled())
            out += name + " ";
    return out + "'" + w.PagesButton()->text().toStdString() + "'";
}

constexpr int kCdFront = 0;
constexpr int kCdTray = 12;

// Loads a red left and a blue right cover with the CD front format, then prints one
// command into pdf, accepting the print dialog.
void PrintFromWindow(ProgramRun& run, int command, const std::string& pdf)
{
    run.View().PrintCycle().Printer().setOutputFileName(QString::fromStdString(pdf));
    bool answered = false;
    auto accept = AnswerModal(AnswerPrintDialog(true), &answered);
    ASSERT_TRUE(run.View().Commands().Execute(command));
    EXPECT_TRUE(answered) << "the print dialog was shown";
}

std::string PdfTitle(const std::string& pdf)
{
    const std::string out = RunProgram("pdfinfo '" + pdf + "' | sed -n 's/^Title: *//p'").out;
    return out.substr(0, out.find_last_not_of("\n ") + 1);
}

class WindowPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        run.Start();
        run.Options().autoDetectFormat = 0;
        run.Options().autoload2ndImage = 0;
        run.Load(Side::Left, "front.png", 120, 120);
        run.Load(Side::Right, "back.png", 120, 120, kBlue);
    }
    ProgramRun run;
};

// The progress window while it is on screen, else nullptr.
CPrintProgressWindow* VisibleProgressWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<CPrintProgressWindow*>(w); p != nullptr && p->isVisible())
            return p;
    return nullptr;
}

class PrintCycleTest : public ::testing::Test, protected TwoCovers {
protected:
    void SetUp() override
    {
        request.jobName = "Sleevit - front.jpg";
        // Plain covers: no border, no cut lines, so the picture alone marks the cover.
        request.render.printBorder = false;
        request.render.drawCutLines = false;
        cycle.Printer().setPageSize(QPageSize(QPageSize::A4));
    }

    std::string File(const char* name) const { return scratch.File(name); }
    void PrintTo(const std::string& pdf) { cycle.Printer().setOutputFileName(QString::fromStdString(pdf)); }

    // The printer settings need the application first.
    QApplication& app = EnsureGuiApp();
    ScratchFolder scratch;
    CPrintCycle cycle;
};

} // namespace

// What the paper control draws: both covers on the left paper on a single page and a
// blank right one, a format code that names no format left out, the CD tray's sheet at
// the inner edge with its empty disc, and the background picture of an empty paper.
TEST(Paper, DrawsItsCoversTheTraySheetOrTheBackground)
{
    EnsureGuiApp();
    const FormatCatalogue catalogue = Catalogue();
    CRasterImage red, blue;
    ASSERT_TRUE(FillImage(red, 40, 40, kRed) && FillImage(blue, 40, 40, kBlue));
    CPaper left(catalogue), right(catalogue);
    right.SetIsLeft(0);
    left.SetSinglePage(1);
    right.SetSinglePage(1);
    left.SetImage(&red);
    left.SetFormat({0, Side::Left});
    left.SetOtherImage(&blue);
    left.SetOtherFormat({0, Side::Right});
    right.SetImage(&blue);
    right.SetFormat({0, Side::Right});
    CRasterSurface l(210, 297), r(210, 297);
    left.DrawInto(l);
    right.DrawInto(r);
    EXPECT_GT(Count(l, kRed), 1000);
    EXPECT_GT(Count(l, kBlue), 1000) << "the left paper shows the right cover too";
    EXPECT_EQ(Count(r, kWhite), 210 * 297) << "the right paper stays a blank sheet";
    // Off single page each paper shows its own cover only.
    left.SetSinglePage(0);
    right.SetSinglePage(0);
    left.DrawInto(l);
    right.DrawInto(r);
    EXPECT_EQ(Count(l, kBlue), 0);
    EXPECT_GT(Count(r, kBlue), 1000);
    left.SetFormat({57, Side::Left});
    left.DrawInto(l);
    EXPECT_EQ(Count(l, kRed), 0) << "a format code that names no format";

    for (int isLeft : {1, 0}) {
        CPaper paper(catalogue);
        paper.SetIsLeft(isLeft);
        paper.SetCdTray(1);
        paper.SetPaperSize(60.0, 120.0);
        paper.SetFormat({2, isLeft ? Side::Left : Side::Right});
        CRasterSurface s(210, 297);
        paper.DrawInto(s);
        // 60 x 297 / 120 = 148.5 pixels of sheet at one pixel per millimetre of A4.
        const int edge = isLeft ? 61 : 148;
        EXPECT_EQ(s.GetPixel(isLeft ? edge - 1 : edge, 5), kTray) << "left=" << isLeft;
        EXPECT_EQ(s.GetPixel(isLeft ? edge + 1 : edge - 2, 5), kWhite) << "left=" << isLeft;
        // The empty tray shows the pale disc with its hole.
        const int discX = (isLeft ? 61 : 0) + static_cast<int>(30.0 * 148.5 / 60.0 / 2.0);
        EXPECT_EQ(s.GetPixel(discX, static_cast<int>(60.0 * 297.0 / 120.0)), SurfaceColour{0xCFDBFF});
    }

    CRasterImage background;
    ASSERT_TRUE(FillImage(background, 50, 30, kBlue));
    CPaper empty(catalogue);
    empty.SetFormat({0, Side::Left});
    CRasterSurface s(210, 297);
    empty.DrawInto(s);
    EXPECT_EQ(Count(s, kWhite), 210 * 297) << "no picture, no background: a white sheet";
    empty.SetBackground(&background);
    empty.DrawInto(s);
    EXPECT_EQ(Count(s, kBlue), 50 * 30);
    EXPECT_EQ(s.GetPixel(80, 133), kBlue); // (210 - 50) / 2, (297 - 30) / 2
    EXPECT_EQ(s.GetPixel(79, 133), kWhite);
}

// Cancelling the print dialog prints nothing; each accepted selection gives its pages
// with the covers where placement puts them.
TEST_F(PrintCycleTest, PrintsThroughTheAcceptedDialogWithTheCoversWhereThePlacementPutsThem)
{
    struct Case {
        const char* name;
        bool singlePage;
        PrintSelection selection;
        int wantPages;
        int leftPage, rightPage; // the page each cover is on (0: not printed)
    };
    const Case cases[] = {
        {"Cancel", false, PrintSelection::Both, -1, 0, 0},
        {"Print Both, one cover per sheet", false, PrintSelection::Both, 2, 1, 2},
        {"Print Left with single page on", true, PrintSelection::Left, 1, 1, 1},
        {"Print Right", false, PrintSelection::Right, 1, 0, 1},
    };
    const DeviceCaps caps = CapsForPaper(PaperSize::A4(), CPrintCycle::kPrintDpi);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pdf = File("job.pdf");
        fs::remove(pdf);
        PrintTo(pdf);
        request.singlePage = c.singlePage;
        request.selection = c.selection;
        bool answered = false;
        auto ok = AnswerModal(AnswerPrintDialog(c.wantPages > 0), &answered);
        const PrintJobResult r = cycle.Print(nullptr, request);
        EXPECT_TRUE(answered) << "the print dialog was shown";
        EXPECT_EQ(r.started, c.wantPages > 0);
        EXPECT_EQ(r.pages, std::max(c.wantPages, 0));
        ASSERT_EQ(PdfPageCount(pdf), c.wantPages) << "-1: no file";
        EXPECT_EQ(VisibleProgressWindow(), nullptr) << "the progress window is gone after the job";
        const std::tuple<int, SurfaceColour, Side> covers[] = {{c.leftPage, kRed, Side::Left},
                                                               {c.rightPage, kBlue, Side::Right}};
        for (const auto& [page, colour, side] : covers)
            EXPECT_TRUE(page == 0 || ColourBoxAt(pdf, page, CPrintCycle::kPrintDpi,
                                                 PlacedBox(caps, catalogue, 0, side, c.singlePage), colour,
                                                 scratch.Path()));
    }
}

TEST_F(PrintCycleTest, AJobThatCannotStartSaysSo)
{
    PrintTo(File("no-such-folder/job.pdf"));
    MessageBoxes boxes;
    const PrintJobResult r = cycle.Print(nullptr, request, false);
    EXPECT_FALSE(r.started);
    ASSERT_EQ(boxes.texts.size(), 1u) << "a message box must say that the job did not start";
    // The fixed text, then the reason.
    EXPECT_EQ(boxes.texts[0].rfind("Could not start print job.\n\nCannot create the PDF file ", 0), 0u)
        << boxes.texts[0];
    EXPECT_EQ(boxes.icons[0], QMessageBox::Warning);
    EXPECT_EQ(boxes.buttons[0], QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(PrintCycleTest, CancelInTheProgressWindowStopsABatchAfterTheCurrentPage)
{
    BatchJobRequest batch;
    batch.catalogue = &catalogue;
    batch.forcedFormat = 0;
    batch.messages = &messages;
    for (int k = 0; k < 4; ++k) {
        batch.files.push_back(File("cover") + std::to_string(k) + ".png");
        ASSERT_TRUE(WritePngFile(batch.files.back(), 24, 24, k % 2 ? kBlue : kRed));
    }
    struct Case {
        int cancelOnPage; // 0: never
        int wantPages;
    };
    const Case cases[] = {{1, 1}, {2, 2}, {3, 3}, {0, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE("Cancel while page " + std::to_string(c.cancelOnPage) + " prints");
        const std::string pdf = File("batch.pdf");
        PrintTo(pdf);
        // What the window showed, page by page.
        std::vector<std::string> seen;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            CPrintProgressWindow* w = VisibleProgressWindow();
            if (w == nullptr)
                return;
            const std::string shown = (w->windowTitle() + " | " + w->DocumentLabel()->text() + " | " +
                                       w->PrinterLabel()->text() + " | " + w->PageLabel()->text())
                                          .toStdString();
            if (seen.empty() || seen.back() != shown)
                seen.push_back(shown);
            if (w->Page() == c.cancelOnPage && w->CancelButton()->isEnabled())
                w->CancelButton()->click();
        });
        watch.start(0);
        CRasterImage image;
        BatchJobResult details;
        const PrintJobResult r = cycle.PrintBatch(nullptr, batch, image, false, &details);
        watch.stop();
        EXPECT_EQ(r.pages, c.wantPages);
        EXPECT_EQ(r.cancelled, c.cancelOnPage != 0);
        EXPECT_EQ(details.printed.size(), std::size_t(c.wantPages));
        if (c.cancelOnPage != 0) {
            EXPECT_FALSE(fs::exists(pdf)) << "a cancelled job leaves no file";
        } else {
            EXPECT_EQ(PdfPageCount(pdf), 4);
            std::vector<std::string> want;
            for (int page = 1; page <= 4; ++page)
                want.push_back("Printing | Sleevit | " + pdf + " | Page " + std::to_string(page));
            EXPECT_EQ(seen, want);
        }
        fs::remove(pdf);
    }
}

TEST_F(PrintCycleTest, ThePageSetupChangesThePaperOfLaterJobs)
{
    PrintTo(File("setup.pdf"));
    bool answered = false;
    auto pick = AnswerModal(
        [](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            auto* sizes = w->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
            const int letter =
                sizes != nullptr ? sizes->findText(QStringLiteral("Letter"), Qt::MatchContains) : -1;
            if (dialog == nullptr || letter < 0)
                return false;
            sizes->setCurrentIndex(letter);
            dialog->accept();
            return true;
        },
        &answered);
    cycle.SelectCdTrayPaper();
    cycle.Setup(nullptr);
    ASSERT_TRUE(answered) << "the page setup dialog with its paper sizes";
    const PaperSize paper = cycle.LayoutPaper();
    EXPECT_NEAR(paper.widthMm, 215.9, 0.1);
    EXPECT_NEAR(paper.heightMm, 279.4, 0.1);
    EXPECT_TRUE(cycle.CdTray()) << "the same printer keeps the tray";
    EXPECT_EQ(cycle.SheetCaps(100).physicalWidth, CapsForPaper(PaperSize::Letter(), 100).physicalWidth);
}

TEST(PrintPreview, ASheetPutsThePrintableAreaAtItsOffset)
{
    DeviceCaps caps;
    caps.logPixelsX = caps.logPixelsY = 100;
    caps.physicalWidth = 60;
    caps.physicalHeight = 80;
    caps.physicalOffsetX = 5;
    caps.physicalOffsetY = 7;
    caps.horzRes = 50;
    caps.vertRes = 66;
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

TEST(PrintPreview, ButtonsFollowThePagesAndTheZoom)
{
    EnsureGuiApp();
    std::unique_ptr<CPrintPreviewWindow> w;
    int steps = 0;
    for (const std::string& line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/preview-buttons.txt")) {
        SCOPED_TRACE(line);
        if (line.rfind("== ", 0) == 0) {
            w = std::make_unique<CPrintPreviewWindow>(Sheets(std::stoi(line.substr(3))));
            w->show();
        } else {
            const std::size_t bar = line.find(" | ");
            std::istringstream words(line.substr(0, bar));
            std::string action;
            int first = -1;
            words >> action >> first;
            std::vector<int> shown;
            for (int k = 0; words >> k;)
                shown.push_back(k);
            for (const auto& [button, name] : Buttons(*w))
                if (name == action)
                    button->click();
            EXPECT_EQ(StateOf(*w), line.substr(bar + 3));
            EXPECT_EQ(w->CurrentPage(), first);
            EXPECT_EQ(w->VisiblePages(), shown);
            ++steps;
        }
    }
    EXPECT_EQ(steps, 20);
}

TEST(PrintPreview, EachZoomStepShowsTheSheetsLarger)
{
    EnsureGuiApp();
    CPrintPreviewWindow w(Sheets(2));
    w.resize(700, 600);
    w.show();
    const double fit = w.DisplayScale();
    ASSERT_GT(fit, 0.0);
    // At the first step the whole sheet fits the window.
    EXPECT_LE(297 * fit, 600);
    w.ZoomIn();
    EXPECT_NEAR(w.DisplayScale(), 2 * fit, 1e-9);
    w.ZoomIn();
    EXPECT_NEAR(w.DisplayScale(), 4 * fit, 1e-9);
    w.ZoomOut();
    w.ZoomOut();
    EXPECT_NEAR(w.DisplayScale(), fit, 1e-9);
    // Two sheets side by side share the width.
    w.TogglePages();
    EXPECT_LT(w.DisplayScale(), fit + 1e-9);
}

TEST(PrintPreview, ThePreviewOfAJobShowsItsSheetsAndPrintsFromTheWindow)
{
    EnsureGuiApp();
    const ScratchFolder scratch;
    TwoCovers covers;
    PrintJobRequest& request = covers.request;
    CPrintCycle cycle;
    cycle.Printer().setPageSize(QPageSize(QPageSize::A4));
    cycle.Printer().setOutputFileName(QPath(scratch.File("unused.pdf")));
    const DeviceCaps caps = CapsForPaper(PaperSize::A4(), CPrintCycle::kPreviewDpi);

    struct Case {
        const char* name;
        bool singlePage;
        const char* button; // the window's button to press
        int wantPrints;
        std::vector<SurfaceColour> wantCovers; // the cover colour of each sheet
    };
    const Case cases[] = {
        {"Print", false, "print", 1, {kRed, kBlue}},
        {"Close", false, "close", 0, {kRed, kBlue}},
        {"single page", true, "close", 0, {kRed}},
    };
    for (const Case& c : cases) {
        request.singlePage = c.singlePage;
        request.selection = c.singlePage ? PrintSelection::Left : PrintSelection::Both;
        int prints = 0;
        std::vector<QImage> seen;
        Answer<CPrintPreviewWindow> press([&](CPrintPreviewWindow& preview) {
            for (int k = 0; k < preview.PageCount(); ++k)
                seen.push_back(preview.Sheet(k));
            preview.findChild<QPushButton*>(c.button)->click();
        });
        cycle.Preview(nullptr, request, [&] { ++prints; });
        ASSERT_TRUE(press.answered) << c.name << ": the preview window was not shown";
        EXPECT_EQ(prints, c.wantPrints) << c.name;
        ASSERT_EQ(seen.size(), c.wantCovers.size()) << c.name;
        const SurfaceRect p = PlacedBox(caps, covers.catalogue, 0, Side::Left, c.singlePage);
        for (std::size_t k = 0; k < seen.size(); ++k) {
            const QImage& sheet = seen[k];
            ASSERT_EQ(sheet.size(), QSize(caps.physicalWidth, caps.physicalHeight)) << c.name;
            const QRgb want = qRgb(int(c.wantCovers[k] & 0xFF), 0, int(c.wantCovers[k] >> 16));
            EXPECT_EQ(sheet.pixel((p.left + p.right) / 2, (p.top + p.bottom) / 2), want)
                << c.name << ", sheet " << k;
            // The preview's guides: a red frame around the printable area.
            EXPECT_EQ(sheet.pixel(caps.physicalWidth / 2, caps.physicalOffsetY), qRgb(255, 0, 0)) << c.name;
        }
    }
}

// Print Both gives two pages with the covers where placement puts them under the
// picture's job name; Print Left on a single page puts both covers on one sheet under the
// masked name; only a CD tray format on the left switches to the tray.
TEST_F(WindowPrint, EachCommandPrintsItsPagesUnderItsJobName)
{
    const std::string both = run.folder.File("both.pdf");
    PrintFromWindow(run, kCmdPrintBoth, both);
    ASSERT_EQ(PdfPageCount(both), 2);
    EXPECT_EQ(PdfTitle(both), "Sleevit - front.png");
    const DeviceCaps caps = run.View().PrintCycle().SheetCaps(CPrintCycle::kPrintDpi);
    for (const auto& [page, side, colour] : {std::tuple{1, Side::Left, kRed}, {2, Side::Right, kBlue}})
        EXPECT_TRUE(ColourBoxAt(both, page, CPrintCycle::kPrintDpi,
                                PlacedBox(caps, run.app->Document().Catalogue(), kCdFront, side, false),
                                colour, run.folder.Path()));

    run.View().Form().SetChecked(kSinglePageBox, true);
    run.Options().maskPrintJobName = 1;
    const std::string single = run.folder.File("single.pdf");
    PrintFromWindow(run, kCmdPrintLeft, single);
    ASSERT_EQ(PdfPageCount(single), 1);
    EXPECT_EQ(PdfTitle(single), "Microsoft Word - Document1");
    EXPECT_EQ(run.View().Selection(), PrintSelection::Both) << "the selection returns to Both";
    const SurfaceRect everywhere{0, 0, 820, 1160}; // an A4 sheet at 100 dpi
    EXPECT_FALSE(FindColourBox(single, 1, 100, everywhere, kRed, run.folder.Path()).IsEmpty());
    EXPECT_FALSE(FindColourBox(single, 1, 100, everywhere, kBlue, run.folder.Path()).IsEmpty());

    run.View().Form().SetChecked(kSinglePageBox, false);
    run.View().Right().formatIndex = kCdTray;
    run.View().RefreshSides();
    PrintFromWindow(run, kCmdPrintRight, run.folder.File("right.pdf"));
    EXPECT_FALSE(run.View().PrintCycle().CdTray()) << "a right tray format leaves the printer alone";
    run.View().Left().formatIndex = kCdTray;
    run.View().RefreshSides();
    PrintFromWindow(run, kCmdPrintLeft, run.folder.File("left.pdf"));
    EXPECT_TRUE(run.View().PrintCycle().CdTray());
}

TEST_F(WindowPrint, OverlappingCoversOnASinglePageAskFirst)
{
    constexpr int kDvdSleeve = 3;
    run.View().Left().formatIndex = kDvdSleeve;
    run.View().RefreshSides();
    run.View().Form().SetChecked(kSinglePageBox, true);
    const struct {
        const char* button;
        int pages; // -1: nothing printed
    } answers[] = {{"twoPages", 2}, {"printAnyway", 1}, {"cancel", -1}};
    for (const auto& answer : answers) {
        const std::string pdf = run.folder.File(std::string(answer.button) + ".pdf");
        run.View().PrintCycle().Printer().setOutputFileName(QString::fromStdString(pdf));
        run.View().PrintCycle().Printer().setPageSize(QPageSize(QPageSize::Letter));
        bool asked = false, printed = false;
        auto ask = AnswerModal(
            [&answer](QWidget* modal) {
                if (modal->objectName() != QLatin1String("overlapQuestion")) {
                    return false;
                }
                modal->findChild<QAbstractButton*>(QLatin1String(answer.button))->click();
                return true;
            },
            &asked);
        auto print = AnswerModal(AnswerPrintDialog(true), &printed);
        ASSERT_TRUE(run.View().Commands().Execute(kCmdPrintLeft));
        EXPECT_TRUE(asked) << answer.button;
        EXPECT_EQ(printed, answer.pages > 0) << answer.button;
        EXPECT_EQ(PdfPageCount(pdf), answer.pages) << answer.button;
    }
    EXPECT_EQ(run.View().PrintOnSinglePage(), 1) << "two pages hold for one job only";

    // Two fronts meet at the middle line: no question.
    run.View().Left().formatIndex = kCdFront;
    run.View().RefreshSides();
    bool asked = false;
    auto ask = AnswerModal(
        [](QWidget* modal) { return modal->objectName() == QLatin1String("overlapQuestion"); }, &asked);
    PrintFromWindow(run, kCmdPrintLeft, run.folder.File("fronts.pdf"));
    EXPECT_FALSE(asked);
}

TEST(WindowBatch, ThreeDroppedFilesPrintThreePagesDetectedOrForced)
{
    for (bool forced : {false, true}) {
        ProgramRun run;
        run.Start();
        run.Options().batchMode = 1;
        QStringList files;
        for (int i = 0; i < 3; ++i)
            files << QPath(run.Picture("cover" + std::to_string(i) + ".png", 120, 120));
        // The forced run starts with the user's own covers loaded and single page on: a
        // batch prints the right cover on every sheet and leaves both papers alone.
        if (forced) {
            run.Options().autoDetectFormat = 0;
            run.Options().autoload2ndImage = 0;
            run.View().LoadCover(Side::Right, run.Load(Side::Left, "mine.png", 120, 60, kBlue));
            run.View().Left().formatIndex = 2;
            run.View().RefreshSides();
            run.View().Form().SetChecked(kSinglePageBox, true);
        }
        const std::string pdf = run.folder.File("batch.pdf");
        run.View().PrintCycle().Printer().setOutputFileName(QString::fromStdString(pdf));
        bool printed = false;
        Answer<CBatchPrintingDialog> choose([forced](CBatchPrintingDialog& dialog) {
            dialog.Form()
                .ItemAs<QAbstractButton>(forced ? CBatchPrintingDialog::kIdForceFormat
                                                : CBatchPrintingDialog::kIdAutoDetect)
                ->click();
            if (forced)
                dialog.Form()
                    .ItemAs<QComboBox>(CBatchPrintingDialog::kIdFormatList)
                    ->setCurrentIndex(kCdFront);
            dialog.Form().ItemAs<QAbstractButton>(kIdOk)->click();
        });
        auto print = AnswerModal(AnswerPrintDialog(true), &printed);
        // Three files dropped on the right paper print through the left side.
        run.View().Right().paper->HandleDrop(files);
        ASSERT_TRUE(choose.answered && printed) << "forced=" << forced;
        EXPECT_EQ(run.View().BatchFiles().size(), 3u);
        ASSERT_EQ(PdfPageCount(pdf), 3) << "forced=" << forced;
        EXPECT_EQ(PdfTitle(pdf), "Sleevit");

        const DeviceCaps caps = run.View().PrintCycle().SheetCaps(CPrintCycle::kPrintDpi);
        const FormatCatalogue& catalogue = run.app->Document().Catalogue();
        const SurfaceRect want = PlacedBox(caps, catalogue, kCdFront, Side::Left, false);
        const SurfaceRect rightSearch =
            PlacedBox(caps, catalogue, run.View().Right().formatIndex, Side::Right, true);
        for (int page = 1; page <= 3; ++page) {
            EXPECT_TRUE(ColourBoxAt(pdf, page, CPrintCycle::kPrintDpi, want, kRed, run.folder.Path()));
            const SurfaceRect back =
                FindColourBox(pdf, page, CPrintCycle::kPrintDpi, rightSearch, kBlue, run.folder.Path());
            EXPECT_EQ(back.IsEmpty(), !forced) << "page " << page;
        }
        if (forced) {
            EXPECT_EQ(run.View().Left().fileName, "mine.png");
            EXPECT_EQ(run.View().Left().formatIndex, 2);
            EXPECT_EQ(run.View().Left().image->GetHeight(), 60) << "the left paper keeps the user's picture";
        }
    }
}
