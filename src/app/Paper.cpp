#include "app/Paper.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include "app/HandCursor.h"
#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/CoverRenderer.h"
#include "layout/Placement.h"
#include "surfaces/RasterSurface.h"

namespace {

// Paths of dropped files can be at most this long.
constexpr qsizetype kMaxDroppedPath = 260;

// The pale disc an empty CD-tray paper shows, 0x00BBGGRR.
constexpr std::uint32_t kEmptyDiscColour = 0xCFDBFF;

int Trunc(double value)
{
    return static_cast<int>(value);
}

} // namespace

CPaper::CPaper(const FormatCatalogue& catalogue, QWidget* parent)
    : QAbstractButton(parent), catalogue_(catalogue)
{
    setCursor(HandCursor());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPaper::~CPaper() = default;

void CPaper::Changed()
{
    update();
}

void CPaper::SetImage(const CRasterImage* image)
{
    ownImage_ = image;
    Changed();
}
void CPaper::SetOtherImage(const CRasterImage* image)
{
    otherImage_ = image;
    Changed();
}
void CPaper::SetOverlay(CRasterImage* image, int x, int y)
{
    overlayImage_ = image;
    overlayX_ = x;
    overlayY_ = y;
    Changed();
}
void CPaper::SetBackground(const CRasterImage* image)
{
    backgroundImage_ = image;
    Changed();
}
void CPaper::SetFormat(CoverSide format)
{
    format_ = format;
    Changed();
}
void CPaper::SetOtherFormat(CoverSide format)
{
    otherFormat_ = format;
    Changed();
}
void CPaper::SetSinglePage(int singlePage)
{
    singlePage_ = singlePage;
    Changed();
}
void CPaper::SetDrawLines(int drawLines)
{
    drawLines_ = drawLines;
    Changed();
}
void CPaper::SetIsLeft(int isLeft)
{
    isLeft_ = isLeft;
    Changed();
}
void CPaper::SetCdTray(int isCdTray)
{
    isCdTray_ = isCdTray;
    Changed();
}
void CPaper::SetPaperSize(double width, double height)
{
    paperWidth_ = width;
    paperHeight_ = height;
    Changed();
}
void CPaper::SetBackColour(std::uint32_t colour)
{
    backColour_ = colour;
    Changed();
}

void CPaper::DrawInto(CRasterSurface& dc) const
{
    // Pictures may come from a reduced decode: the paper shows far fewer pixels.
    dc.SetForScreen(true);
    const int W = dc.Width();
    const int H = dc.Height();
    const double scale = W / 210.0;
    SurfaceRect sheet{0, 0, W, H};
    if (isCdTray_ && paperHeight_ > 0.0) {
        // The tray's sheet keeps the full height and its own proportions; the rest of
        // the control is the tray's surround. A sheet wider than the control is cut off
        // at the far edge rather than squeezed.
        const double t = paperWidth_ * (297.0 / paperHeight_) * scale;
        if (isLeft_) {
            sheet.left = Trunc(W - t);
        } else {
            sheet.right = Trunc(t);
        }
        dc.FillRect(SurfaceRect{0, 0, W, H}, backColour_);
    }
    dc.FillRect(sheet, kColourWhite);

    const bool ownShown = ownImage_ && ownImage_->IsValid();
    if (ownShown) {
        if (isLeft_ || !singlePage_) {
            RenderScreenCover(dc, sheet, *ownImage_,
                              PlaceCoverMm(catalogue_, format_, singlePage_ != 0, false), drawLines_ != 0);
        }
    } else {
        DrawEmptyState(dc, sheet);
    }
    if (isLeft_ && singlePage_ && otherImage_ && otherImage_->IsValid() && otherFormat_.format != kNoFormat) {
        RenderScreenCover(dc, sheet, *otherImage_, PlaceCoverMm(catalogue_, otherFormat_, true, false),
                          drawLines_ != 0);
    }
    if (overlayImage_ && overlayImage_->IsValid()) {
        overlayImage_->SetTransIndex(static_cast<int>(overlayImage_->GetPixelIndex(0, 0)));
        overlayImage_->Draw(&dc, overlayX_, overlayY_);
    }
}

void CPaper::DrawEmptyState(CRasterSurface& dc, const SurfaceRect& sheet) const
{
    if (isCdTray_) {
        const int index = format_.format;
        if (index < 0 || index >= catalogue_.GetCount() || paperWidth_ <= 0.0 || paperHeight_ <= 0.0) {
            return;
        }
        const double scaleX = sheet.Width() / paperWidth_;
        const double scaleY = sheet.Height() / paperHeight_;
        const FormatCatalogue::Placement disc = catalogue_.GetPlacement(index, false, false);
        const int left = Trunc(disc.x * scaleX) + sheet.left;
        const int top = Trunc(disc.y * scaleY);
        const int right = left + Trunc(disc.width * scaleX);
        const int bottom = top + Trunc(disc.height * scaleY);
        const SurfaceBrush oldBrush = dc.SelectBrush(SurfaceBrush::Solid(kEmptyDiscColour));
        dc.Ellipse(left, top, right, bottom);
        const int holeW = Trunc(catalogue_.GetHoleSize(index) * scaleX);
        const int holeH = Trunc(catalogue_.GetHoleSize(index) * scaleY);
        const int cx = (left + right) / 2;
        const int cy = (top + bottom) / 2;
        dc.Ellipse(cx - holeW / 2, cy - holeH / 2, cx - holeW / 2 + holeW, cy - holeH / 2 + holeH);
        dc.SelectBrush(oldBrush);
    } else if (backgroundImage_ && backgroundImage_->IsValid()) {
        backgroundImage_->Draw(&dc, sheet.left + (sheet.Width() - backgroundImage_->GetWidth()) / 2,
                               sheet.top + (sheet.Height() - backgroundImage_->GetHeight()) / 2);
    }
}

void CPaper::paintEvent(QPaintEvent*)
{
    // Drawn off screen, then shown in one copy, so nothing flickers.
    if (!surface_ || surface_->Width() != width() || surface_->Height() != height()) {
        surface_ = std::make_unique<CRasterSurface>(std::max(1, width()), std::max(1, height()));
    } else {
        surface_->FillRect(SurfaceRect{0, 0, width(), height()}, kColourWhite);
    }
    if (!surface_->IsValid()) {
        return;
    }
    DrawInto(*surface_);
    QImage picture(surface_->Data(), surface_->Width(), surface_->Height(), surface_->Stride(),
                   QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

void CPaper::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CPaper::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile().left(kMaxDroppedPath);
        }
    }
    event->acceptProposedAction();
    HandleDrop(paths);
}

void CPaper::HandleDrop(const QStringList& paths)
{
    if (paths.isEmpty()) {
        return;
    }
    const int side = isLeft_ ? 0 : 1;
    if (paths.size() > 1 && batchMode_ && batchMode_()) {
        for (qsizetype i = 0; i < paths.size(); ++i) {
            const int step = i == 0 ? 0 : (i == paths.size() - 1 ? 2 : 1);
            emit batchDropped(paths[i], step, side);
        }
        return;
    }
    emit loadDropped(paths.front(), side);
}
