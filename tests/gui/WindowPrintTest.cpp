// Printing from the main window into a PDF file through the real print dialog: pages
// per command, covers where placement puts them, the job's name and the CD tray.
#include <cstdio>

#include <QAbstractButton>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

#include "CollectingMessages.h"
#include "app/PrintCycle.h"
#include "app/TemplateDialog.h"
#include "dialogs/BatchPrintingDialog.h"
#include "gui/MainWindowSupport.h"
#include "layout/Placement.h"
#include "view/Paper.h"

namespace {

constexpr int kCdFront = 0;
constexpr int kCdTray = 12;
constexpr SurfaceColour kRed = 0x0000FF;
constexpr SurfaceColour kBlue = 0xFF0000;

std::function<bool(QWidget*)> AcceptPrintDialog()
{
    return [](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (dialog) {
            dialog->accept();
        }
        return dialog != nullptr;
    };
}

// Loads a red left and a blue right cover with the CD front format, then prints one
// command into pdf, accepting the print dialog.
void PrintFromWindow(ProgramRun& run, int command, const std::string& pdf)
{
    run.View().PrintCycle().Printer().setOutputFileName(QString::fromStdString(pdf));
    bool answered = false;
    auto accept = AnswerModal(AcceptPrintDialog(), &answered);
    ASSERT_TRUE(run.View().Commands().Execute(command));
    EXPECT_TRUE(answered) << "the print dialog was shown";
}

std::string PdfTitle(const std::string& pdf)
{
    std::string out;
    FILE* pipe = popen(("pdfinfo '" + pdf + "' | sed -n 's/^Title: *//p'").c_str(), "r");
    if (!pipe) {
        return out;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        out += buffer;
    }
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

class WindowPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HasTool("pdftoppm") || !HasTool("pdfinfo")) {
            GTEST_SKIP() << "poppler-utils are missing";
        }
        run.Start();
        run.Options().autoDetectFormat = 0;
        run.Options().autoload2ndImage = 0;
        ASSERT_TRUE(WritePngFile(run.folder.File("front.png"), 120, 120, kRed));
        ASSERT_TRUE(WritePngFile(run.folder.File("back.png"), 120, 120, kBlue));
        run.View().LoadCover(Side::Left, run.folder.File("front.png"));
        run.View().LoadCover(Side::Right, run.folder.File("back.png"));
    }
    ProgramRun run;
};

} // namespace

TEST_F(WindowPrint, PrintBothGivesTwoPagesWithCoversWherePlacementPutsThem)
{
    const std::string pdf = run.folder.File("both.pdf");
    PrintFromWindow(run, kCmdPrintBoth, pdf);
    ASSERT_EQ(PdfPageCount(pdf), 2);
    EXPECT_EQ(run.View().Selection(), PrintSelection::Both);
    EXPECT_EQ(PdfTitle(pdf), "Sleevit - front.png");

    const DeviceCaps caps = run.View().PrintCycle().SheetCaps(CPrintCycle::kPrintDpi);
    CCollectingMessages messages;
    PlacementJob job{&messages, false};
    struct Cover {
        int page;
        Side side;
        SurfaceColour colour;
    } covers[] = {{1, Side::Left, kRed}, {2, Side::Right, kBlue}};
    for (const Cover& cover : covers) {
        const CoverPlacement want =
            ComputePlacement(caps, run.app->Document().Catalogue(), kCdFront, cover.side, false, true, job);
        const SurfaceRect search{want.x - 20, want.y - 20, want.x + want.width + 20,
                                 want.y + want.height + 20};
        const SurfaceRect have =
            FindColourBox(pdf, cover.page, CPrintCycle::kPrintDpi, search, cover.colour, run.folder.Path());
        ASSERT_FALSE(have.IsEmpty()) << "page " << cover.page;
        EXPECT_NEAR(have.left, want.x, 1) << "page " << cover.page;
        EXPECT_NEAR(have.top, want.y, 1) << "page " << cover.page;
        EXPECT_NEAR(have.right, want.x + want.width, 1) << "page " << cover.page;
        EXPECT_NEAR(have.bottom, want.y + want.height, 1) << "page " << cover.page;
    }
}

TEST_F(WindowPrint, PrintLeftOnASinglePagePrintsBothCoversOnOneSheetUnderAMaskedName)
{
    run.View().Form().SetChecked(kSinglePageBox, true);
    run.Options().maskPrintJobName = 1;
    const std::string pdf = run.folder.File("single.pdf");
    PrintFromWindow(run, kCmdPrintLeft, pdf);
    ASSERT_EQ(PdfPageCount(pdf), 1);
    EXPECT_EQ(PdfTitle(pdf), "Microsoft Word - Document1");
    EXPECT_EQ(run.View().Selection(), PrintSelection::Both) << "the selection returns to Both";
    const SurfaceRect everywhere{0, 0, 820, 1160}; // an A4 sheet at 100 dpi
    EXPECT_FALSE(FindColourBox(pdf, 1, 100, everywhere, kRed, run.folder.Path()).IsEmpty());
    EXPECT_FALSE(FindColourBox(pdf, 1, 100, everywhere, kBlue, run.folder.Path()).IsEmpty());
}

TEST_F(WindowPrint, OnlyALeftCdTrayFormatSwitchesToTheTray)
{
    run.View().Right().formatIndex = kCdTray;
    run.View().RefreshSides();
    PrintFromWindow(run, kCmdPrintRight, run.folder.File("right.pdf"));
    EXPECT_FALSE(run.View().PrintCycle().CdTray()) << "a right tray format leaves the printer alone";

    run.View().Left().formatIndex = kCdTray;
    run.View().RefreshSides();
    PrintFromWindow(run, kCmdPrintLeft, run.folder.File("left.pdf"));
    EXPECT_TRUE(run.View().PrintCycle().CdTray());
}

TEST(WindowBatch, ThreeDroppedFilesPrintThreePagesDetectedOrForced) {
    if (!HasTool("pdftoppm") || !HasTool("pdfinfo")) {
        GTEST_SKIP() << "poppler-utils are missing";
    }
    for (bool forced : {false, true}) {
        ProgramRun run;
        run.Start();
        run.Options().batchMode = 1;
        QStringList files;
        for (int i = 0; i < 3; ++i) {
            const std::string path = run.folder.File("cover" + std::to_string(i) + ".png");
            ASSERT_TRUE(WritePngFile(path, 120, 120, kRed));
            files << QString::fromStdString(path);
        }
        const std::string pdf = run.folder.File("batch.pdf");
        run.View().PrintCycle().Printer().setOutputFileName(QString::fromStdString(pdf));
        bool chose = false, printed = false;
        auto choose = AnswerModal(
            [forced](QWidget* modal) {
                auto* dialog = qobject_cast<CBatchPrintingDialog*>(modal);
                if (!dialog) {
                    return false;
                }
                const int option = forced ? CBatchPrintingDialog::kIdForceFormat : CBatchPrintingDialog::kIdAutoDetect;
                qobject_cast<QAbstractButton*>(dialog->Form().Item(option))->click();
                if (forced) {
                    auto* list = dialog->Form().ItemAs<QComboBox>(CBatchPrintingDialog::kIdFormatList);
                    list->setCurrentIndex(kCdFront);
                }
                qobject_cast<QAbstractButton*>(dialog->Form().Item(kIdOk))->click();
                return true;
            },
            &chose);
        auto print = AnswerModal(AcceptPrintDialog(), &printed);
        // Three files dropped on the right paper print through the left side.
        run.View().Right().paper->HandleDrop(files);
        ASSERT_TRUE(chose && printed) << "forced=" << forced;
        EXPECT_EQ(run.View().BatchFiles().size(), 3u);
        ASSERT_EQ(PdfPageCount(pdf), 3) << "forced=" << forced;
        EXPECT_EQ(PdfTitle(pdf), "Sleevit");

        const DeviceCaps caps = run.View().PrintCycle().SheetCaps(CPrintCycle::kPrintDpi);
        CCollectingMessages messages;
        PlacementJob job{&messages, false};
        const CoverPlacement want =
            ComputePlacement(caps, run.app->Document().Catalogue(), kCdFront, Side::Left, false, true, job);
        const SurfaceRect search{want.x - 20, want.y - 20, want.x + want.width + 20, want.y + want.height + 20};
        for (int page = 1; page <= 3; ++page) {
            const SurfaceRect have = FindColourBox(pdf, page, CPrintCycle::kPrintDpi, search, kRed, run.folder.Path());
            ASSERT_FALSE(have.IsEmpty()) << "page " << page;
            EXPECT_NEAR(have.left, want.x, 1) << "page " << page;
            EXPECT_NEAR(have.top, want.y, 1) << "page " << page;
            EXPECT_NEAR(have.right, want.x + want.width, 1) << "page " << page;
        }
    }
}
