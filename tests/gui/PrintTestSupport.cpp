#include "gui/PrintTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "RunProgram.h"
#include "layout/PngWriter.h"
#include "surfaces/RasterSurface.h"

bool FillImage(CRasterImage& image, int w, int h, SurfaceColour colour)
{
    return image.CreateFromBitmap(CRasterSurface(w, h, colour));
}

bool WritePngFile(const std::string& path, int w, int h, SurfaceColour colour)
{
    return WritePng(CRasterSurface(w, h, colour), path, 96);
}

CoverFormat MakeFormat(const std::string& name, double width, double height, const std::string& type)
{
    CoverFormat f;
    f.name = name;
    f.size = {width, height};
    f.hasSize = true;
    f.type = type;
    return f;
}

FormatCatalogue TestFormats()
{
    FormatCatalogue c;
    for (CoverFormat f : {MakeFormat("Front", 60, 60, "CD_FRONT"), MakeFormat("Wide", 80, 40)}) {
        f.autodetect = true;
        c.Append(f);
    }
    return c;
}

TwoCovers::TwoCovers()
{
    EXPECT_TRUE(FillImage(left, 30, 30, kRed) && FillImage(right, 30, 30, kBlue));
    request.catalogue = &catalogue;
    request.left = {&left, 0};
    request.right = {&right, 0};
    request.messages = &messages;
}

SurfaceRect PlacedBox(const DeviceCaps& caps, const FormatCatalogue& catalogue, int format, Side side,
                      bool singlePage)
{
    CCollectingMessages messages;
    PlacementJob job{&messages, false};
    const CoverPlacement p =
        ComputePlacement(caps, catalogue, catalogue.Get(format), side, singlePage, true, job);
    return {p.x, p.y, p.x + p.width, p.y + p.height};
}

std::unique_ptr<QTimer> AnswerModal(std::function<bool(QWidget*)> act, bool* answered)
{
    *answered = false;
    auto timer = std::make_unique<QTimer>();
    QTimer* t = timer.get();
    // The window answered, and since when: one that is still up five seconds later (an OK
    // button that stayed disabled, say) is closed, so that the test fails instead of hanging.
    auto done = std::make_shared<std::pair<QPointer<QWidget>, QElapsedTimer>>();
    QObject::connect(t, &QTimer::timeout, t, [t, answered, done, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (*answered) {
            if (modal == nullptr || modal != done->first) {
                t->stop();
            } else if (done->second.elapsed() > 5000) {
                ADD_FAILURE() << "a modal window stayed open for five seconds after it was answered";
                modal->close();
            }
        } else if (modal != nullptr && act(modal)) {
            *answered = true;
            done->first = modal;
            done->second.start();
        }
    });
    t->start(10);
    return timer;
}

std::function<bool(QWidget*)> AnswerPrintDialog(bool accept)
{
    return [accept](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (dialog != nullptr)
            accept ? dialog->accept() : dialog->reject();
        return dialog != nullptr;
    };
}

MessageBoxes::MessageBoxes()
{
    QObject::connect(&timer, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts.push_back(box->text().toStdString());
            icons.push_back(box->icon());
            buttons.push_back(box->standardButtons());
            box->done(QMessageBox::Ok);
        }
    });
    timer.start(10);
}

int PdfPageCount(const std::string& pdf)
{
    const ProgramResult info = RunProgram("pdfinfo '" + pdf + "'");
    const std::size_t at = info.out.find("\nPages:");
    return info.status != 0 || at == std::string::npos ? -1 : std::atoi(info.out.c_str() + at + 7);
}

SurfaceRect FindColourBox(const std::string& pdf, int page, int dpi, const SurfaceRect& search,
                          SurfaceColour colour, const std::string& scratch)
{
    auto n = [](int v) { return std::to_string(v); };
    const std::string ppm = scratch + "/crop.ppm";
    if (RunProgram("pdftoppm -r " + n(dpi) + " -f " + n(page) + " -l " + n(page) + " -x " + n(search.left) +
                   " -y " + n(search.top) + " -W " + n(search.Width()) + " -H " + n(search.Height()) +
                   " -singlefile '" + pdf + "' '" + scratch + "/crop'")
            .status != 0)
        return {};
    const QImage picture(QString::fromStdString(ppm));
    std::remove(ppm.c_str());
    if (picture.size() != QSize(search.Width(), search.Height()))
        return {};
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

::testing::AssertionResult ColourBoxAt(const std::string& pdf, int page, int dpi, const SurfaceRect& want,
                                       SurfaceColour colour, const std::string& scratch)
{
    const SurfaceRect search{want.left - 20, want.top - 20, want.right + 20, want.bottom + 20};
    const SurfaceRect have = FindColourBox(pdf, page, dpi, search, colour, scratch);
    const auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
    if (!have.IsEmpty() && near(have.left, want.left) && near(have.top, want.top) &&
        near(have.right, want.right) && near(have.bottom, want.bottom))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "page " << page << ": have (" << have.left << ", " << have.top << ")-(" << have.right << ", "
           << have.bottom << "), want (" << want.left << ", " << want.top << ")-(" << want.right << ", "
           << want.bottom << ")";
}
