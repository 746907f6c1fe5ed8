// The print cycle on a PDF file: the print dialog's verdict, the pages and where the
// covers land on them, the progress window and its Cancel, and a job that cannot start.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include "CollectingMessages.h"
#include "app/PrintCycle.h"
#include "app/PrintProgressWindow.h"
#include "gui/GuiApp.h"
#include "gui/PrintTestSupport.h"
#include "layout/PdfDocument.h"

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
    TestFolder scratch;
    CPrintCycle cycle;
};

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
        auto ok = AnswerModal(AnswerPrintDialog(true), &answered);
        const PrintJobResult r = cycle.Print(nullptr, request);
        EXPECT_TRUE(answered) << "the print dialog was shown";
        ASSERT_TRUE(r.completed) << r.error;
        ASSERT_EQ(PdfPageCount(pdf), c.wantPages);
        EXPECT_EQ(VisibleProgressWindow(), nullptr) << "the progress window is gone after the job";
        const std::tuple<int, SurfaceColour, Side> covers[] = {{c.leftPage, kRed, Side::Left},
                                                               {c.rightPage, kBlue, Side::Right}};
        for (const auto& [page, colour, side] : covers)
            EXPECT_TRUE(page == 0 || ColourBoxAt(pdf, page, CPrintCycle::kPrintDpi,
                                                 PlacedBox(caps, catalogue, 0, side, c.singlePage), colour,
                                                 scratch.Path()));
    }
}

TEST_F(PrintCycleTest, CancellingTheDialogPrintsNothing)
{
    const std::string pdf = File("never.pdf");
    PrintTo(pdf);
    bool answered = false;
    auto cancel = AnswerModal(AnswerPrintDialog(false), &answered);
    const PrintJobResult r = cycle.Print(nullptr, request);
    EXPECT_TRUE(answered);
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.pages, 0);
    EXPECT_FALSE(fs::exists(pdf)) << "no file may be written";
}

TEST_F(PrintCycleTest, AJobThatCannotStartSaysSo)
{
    PrintTo(File("no-such-folder/job.pdf"));
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Answer<QMessageBox> read([&](QMessageBox& box) {
        text = box.text();
        icon = box.icon();
        buttons = box.standardButtons();
        box.button(QMessageBox::Ok)->click();
    });
    const PrintJobResult r = cycle.Print(nullptr, request, false);
    EXPECT_FALSE(r.started);
    ASSERT_TRUE(read.answered) << "a message box must say that the job did not start";
    // The fixed text, then the reason.
    EXPECT_EQ(text.toStdString().rfind("Could not start print job.\n\nCannot create the PDF file ", 0), 0u)
        << text.toStdString();
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
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

} // namespace
