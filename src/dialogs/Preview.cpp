#include "dialogs/Preview.h"

#include "images/CoverDetection.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "surfaces/RasterSurface.h"

std::optional<PreviewRect> FitPreview(int imageWidth, int imageHeight, int controlWidth, int controlHeight)
{
    const int innerWidth = controlWidth - 2;
    const int innerHeight = controlHeight - 2;
    if (imageWidth <= 0 || imageHeight <= 0 || innerWidth <= 0 || innerHeight <= 0)
        return std::nullopt;
    PreviewRect rect;
    // The products stay far inside 64 bits (both factors are below 2^31), and the
    // quotient is at most the inner side because the divisor is the larger side.
    if (imageWidth <= imageHeight) {
        rect.height = innerHeight;
        rect.width = static_cast<int>(std::int64_t{imageWidth} * innerHeight / imageHeight);
        rect.x = (innerWidth - rect.width) / 2;
        rect.y = 1;
    } else {
        rect.width = innerWidth;
        rect.height = static_cast<int>(std::int64_t{imageHeight} * innerWidth / imageWidth);
        rect.x = 1;
        rect.y = (innerHeight - rect.height) / 2;
    }
    return rect;
}

int PreviewTypeOf(const std::string& path)
{
    // The cover loader's own extension table; anything else is still tried by content.
    const int type = ImageTypeFromPath(path);
    return type == kUnsupportedImageType ? kImageAny : type;
}

void PaintPreview(CRasterSurface& surface, const CRasterImage& image)
{
    if (!surface.IsValid())
        return;
    surface.SetForScreen(true); // a reduced decode is enough for the small preview
    const int width = surface.Width();
    const int height = surface.Height();
    surface.FillRect({0, 0, width, height}, kColourBlack);
    surface.FillRect({1, 1, width - 1, height - 1}, kColourWhite);
    if (!image.IsValid())
        return;
    if (const auto rect = FitPreview(image.GetWidth(), image.GetHeight(), width, height))
        image.Draw(&surface, rect->x, rect->y, rect->width, rect->height);
}

CPreview::CPreview(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void CPreview::LoadPreview(const std::string& path)
{
    path_ = path;
    if (!path.empty()) {
        const int type = PreviewTypeOf(path);
        // Only regular files are read: opening a pipe or a device that happens to carry
        // a picture's extension could block the dialog or never end.
        std::error_code error;
        if (type != kImageAny && std::filesystem::is_regular_file(path, error))
            image_.Load(path, type);
    }
    update();
}

bool CPreview::GetDimensions(int& width, int& height) const
{
    if (!image_.IsValid())
        return false;
    width = image_.GetWidth();
    height = image_.GetHeight();
    return true;
}

int CPreview::GetBitsPerPixel() const
{
    return image_.GetBpp();
}

void CPreview::paintEvent(QPaintEvent*)
{
    // Drawn off screen first, then copied to the control in one piece.
    CRasterSurface buffer(width(), height(), kColourBlack);
    if (!buffer.IsValid())
        return;
    PaintPreview(buffer, image_);
    const QImage picture(buffer.Data(), buffer.Width(), buffer.Height(), buffer.Stride(),
                         QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}
