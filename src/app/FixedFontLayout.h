#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "app/DialogTemplate.h"

// Lays a template out as it looks at a fixed screen resolution, whatever the desktop's
// scaling: the template's font at the pixel height it has at that resolution, and every
// dialog unit turned into pixels with that font's base units.
class FixedFontLayout {
public:
    FixedFontLayout() = default;
    FixedFontLayout(const TemplateFont& templateFont, double dotsPerInch);

    const QFont& Font() const { return font_; }
    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

    int ToPixelsX(int units) const { return static_cast<int>(units * baseX_ * 0.25 + 0.5); }
    int ToPixelsY(int units) const { return static_cast<int>(units * baseY_ * 0.125 + 0.5); }
    QRect ToPixels(int x, int y, int width, int height) const
    {
        return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
    }
    QSize ToPixels(int width, int height) const { return QSize(ToPixelsX(width), ToPixelsY(height)); }

    // The pixel height of a template font: points at the resolution, rounded half up.
    static int PixelHeight(int pointSize, double dotsPerInch);

private:
    QFont font_;
    int baseX_ = 0;
    int baseY_ = 0;
};
