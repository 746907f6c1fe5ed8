// The preview window: sheets made from drawn pages, the buttons and when they are
// enabled, zooming, and the preview of a job from the print cycle with its Print button.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QPageSize>
#include <QPrinter>
#include <QPushButton>

#include "CollectingMessages.h"
#include "app/PrintCycle.h"
#include "app/PrintPreviewWindow.h"
#include "gui/GuiApp.h"
#include "gui/PrintTestSupport.h"
#include "layout/PdfDocument.h"
#include "surfaces/RasterSurface.h"

namespace {

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
    struct Probe {
        int x, y;
        QRgb want;
    };
    const Probe probes[] = {
        {0, 0, qRgb(255, 255, 255)},   {4, 7, qRgb(255, 255, 255)},   {5, 6, qRgb(255, 255, 255)},
        {5, 7, qRgb(0, 0, 255)},       {6, 7, qRgb(255, 0, 0)},       {30, 40, qRgb(255, 0, 0)},
        {54, 72, qRgb(0, 0, 255)},     {55, 72, qRgb(255, 255, 255)}, {54, 73, qRgb(255, 255, 255)},
        {59, 79, qRgb(255, 255, 255)},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(sheet.pixel(p.x, p.y) & 0xFFFFFF, p.want & 0xFFFFFF)
            << "at " << p.x << "," << p.y << ": have " << std::hex << sheet.pixel(p.x, p.y) << ", want "
            << p.want;

    DeviceCaps none = caps;
    none.physicalWidth = 0;
    EXPECT_TRUE(PreviewSheetImage(page, none).isNull()) << "a sheet without a size";
}

TEST(PrintPreview, ButtonsFollowThePagesAndTheZoom)
{
    EnsureGuiApp();
    std::ifstream in(SLEEVIT_SOURCE_DIR "/tests/gui/data/preview-buttons.txt");
    ASSERT_TRUE(in.is_open());
    std::unique_ptr<CPrintPreviewWindow> w;
    int steps = 0;
    for (std::string line; std::getline(in, line);) {
        SCOPED_TRACE(line);
        if (line.rfind("== ", 0) == 0) {
            w = std::make_unique<CPrintPreviewWindow>(Sheets(std::stoi(line.substr(3))));
            w->show();
        } else if (!line.empty() && line[0] != '#') {
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
    const TestFolder scratch;
    TwoCovers covers;
    PrintJobRequest& request = covers.request;
    CPrintCycle cycle;
    cycle.Printer().setPageSize(QPageSize(QPageSize::A4));
    cycle.Printer().setOutputFileName(scratch.QFile("unused.pdf"));
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

} // namespace
