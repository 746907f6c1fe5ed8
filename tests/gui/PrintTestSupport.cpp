#include "gui/PrintTestSupport.h"

#include "layout/PngWriter.h"
#include "surfaces/RasterSurface.h"

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
