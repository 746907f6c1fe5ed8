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
    if (picture.isNull())
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
