#pragma once

#include <QAbstractButton>

#include <optional>
#include <string>

#include "images/RasterImage.h"

class CRasterSurface;

// Where a picture lands in a preview control of controlWidth x controlHeight pixels:
// inside a one-pixel frame, the picture keeps its proportions and fills the inner
// height (upright and square pictures) or the inner width (wide ones), centred the
// other way. Nothing when the picture or the inner area is empty.
struct PreviewRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PreviewRect&) const = default;
};
std::optional<PreviewRect> FitPreview(int imageWidth, int imageHeight, int controlWidth, int controlHeight);

// The decoder a file is previewed with, from the text after the last "." in any letter
// case (gif, bmp, png, jpg, jpeg); kImageAny for any other file, which is not previewed.
int PreviewTypeOf(const std::string& path);

// Paints a preview into a surface the size of the control: black frame, white field,
// the picture (when it holds one) placed by FitPreview.
void PaintPreview(CRasterSurface& surface, const CRasterImage& image);

// The preview of the image open dialog: an owner-drawn button showing the last picture
// that loaded. A file that cannot be previewed leaves the previous picture on show.
class CPreview final : public QAbstractButton {
    Q_OBJECT
public:
    explicit CPreview(QWidget* parent = nullptr);

    // Loads the picture of a file with a known extension and repaints; any other file
    // keeps the picture as it was. An empty path only repaints.
    void LoadPreview(const std::string& path);
    // The size of the picture on show; false when there is none.
    bool GetDimensions(int& width, int& height) const;
    int GetBitsPerPixel() const;

    const std::string& Path() const { return path_; }
    const CRasterImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CRasterImage image_;
    std::string path_;
};
