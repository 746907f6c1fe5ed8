// Printing from the main window into a PDF file through the real print dialog: pages
// per command, covers where placement puts them, the job's name and the CD tray.
#include <QAbstractButton>
#include <QComboBox>
#include <QPageSize>
#include <QPrinter>

#include <tuple>

#include "app/Paper.h"
#include "app/PrintCycle.h"
#include "app/TemplateDialog.h"
#include "dialogs/BatchPrintingDialog.h"
#include "gui/MainWindowSupport.h"

namespace {

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
    std::string out;
    RunShell("pdfinfo '" + pdf + "' | sed -n 's/^Title: *//p'", out);
    return out.substr(0, out.find_last_not_of("\n ") + 1);
}

class WindowPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
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
    for (const auto& [page, side, colour] : {std::tuple{1, Side::Left, kRed}, {2, Side::Right, kBlue}})
        EXPECT_TRUE(ColourBoxAt(pdf, page, CPrintCycle::kPrintDpi,
                                PlacedBox(caps, run.app->Document().Catalogue(), kCdFront, side, false),
                                colour, run.folder.Path()));
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

TEST(WindowBatch, ThreeDroppedFilesPrintThreePagesDetectedOrForced)
{
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
        // The forced run starts with the user's own covers loaded and single page on: a
        // batch prints the right cover on every sheet and leaves both papers alone.
        if (forced) {
            run.Options().autoDetectFormat = 0;
            run.Options().autoload2ndImage = 0;
            ASSERT_TRUE(WritePngFile(run.folder.File("mine.png"), 120, 60, kBlue));
            run.View().LoadCover(Side::Left, run.folder.File("mine.png"));
            run.View().LoadCover(Side::Right, run.folder.File("mine.png"));
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
