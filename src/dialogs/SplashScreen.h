#pragma once

#include <QTimer>

#include <memory>

#include "app/TemplateDialog.h"

class CRasterImage;

// The picture shown while the program starts: a window without caption, with a thin
// border, centred on the screen. It closes itself after its duration or at the first
// left click, whichever comes first.
class CSplashScreen final : public CTemplateDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 106;
    static constexpr const char* kPictureName = "IDJ_SPLASHSCREEN";
    static constexpr unsigned kStartUpDuration = 3000; // milliseconds at start-up

    // Runs the splash screen modally and returns when it has closed.
    static void Show(unsigned duration);

    // pictureName names the embedded picture; one that cannot be loaded leaves the
    // window at its template size, blank.
    explicit CSplashScreen(unsigned duration, const char* pictureName = kPictureName,
                           QWidget* parent = nullptr);
    ~CSplashScreen() override;

    bool HasPicture() const;
    unsigned Duration() const { return duration_; }

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    unsigned duration_;
    std::unique_ptr<CRasterImage> picture_;
    QTimer timer_;
};
