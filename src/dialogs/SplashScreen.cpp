#include "dialogs/SplashScreen.h"

#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <climits>

#include "images/ImageDecoder.h"
#include "images/RasterImage.h"
#include "surfaces/RasterSurface.h"

namespace {

// The border drawn over the outermost pixels of the picture.
constexpr QRgb kBorderColour = 0xFF202020u;

} // namespace

void CSplashScreen::Show(unsigned duration)
{
    CSplashScreen splash(duration);
    splash.DoModal();
}

CSplashScreen::CSplashScreen(unsigned duration, const char* pictureName, QWidget* parent)
    : CTemplateDialog(kTemplateId, parent), duration_(duration), picture_(std::make_unique<CRasterImage>())
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (pictureName)
        picture_->LoadResource(pictureName, kImageJpeg);
    timer_.setSingleShot(true);
    // The first tick closes the screen; the result is 0 either way it closes.
    connect(&timer_, &QTimer::timeout, this, [this] { done(0); });
}

CSplashScreen::~CSplashScreen() = default;

bool CSplashScreen::HasPicture() const
{
    return picture_->IsValid();
}

void CSplashScreen::OnInitDialog()
{
    if (HasPicture())
        setFixedSize(picture_->GetWidth(), picture_->GetHeight());
    // Centred on the screen the program starts on.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place(QPoint(0, 0), size());
        place.moveCenter(screen->geometry().center());
        move(place.topLeft());
    }
}

void CSplashScreen::showEvent(QShowEvent* event)
{
    CTemplateDialog::showEvent(event);
    // The duration counts from the moment the screen shows; QTimer takes an int.
    timer_.start(static_cast<int>(std::min<unsigned>(duration_, INT_MAX)));
}

void CSplashScreen::paintEvent(QPaintEvent*)
{
    // The picture at its own size, drawn off screen first and copied in one piece; a
    // window without a picture stays blank.
    CRasterSurface buffer(std::max(1, width()), std::max(1, height()), kColourWhite);
    if (!buffer.IsValid())
        return;
    if (HasPicture())
        picture_->Draw(&buffer, 0, 0);
    const QImage frame(buffer.Data(), buffer.Width(), buffer.Height(), buffer.Stride(), QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, frame);
    painter.setPen(QColor::fromRgb(kBorderColour));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void CSplashScreen::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        done(0);
        return;
    }
    // Other buttons do nothing: the screen waits for its time or a left click.
    event->accept();
}
