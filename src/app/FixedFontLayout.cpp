#include "app/FixedFontLayout.h"

#include <QFontMetrics>
#include <QStringList>

namespace {

// The desktop fonts closest to the faces the templates name.
QStringList FamiliesFor(const std::string& face)
{
    if (face == "Courier New" || face == "Courier") {
        return {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")};
    }
    if (face == "Verdana") {
        return {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
    }
    return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}

} // namespace

int FixedFontLayout::PixelHeight(int pointSize, double dotsPerInch)
{
    // Sizes outside 0..32767 are stored negated in 16 bits.
    if (pointSize < 0 || pointSize > 32767) {
        pointSize = (-pointSize) & 0xFFFF;
    }
    return static_cast<int>(pointSize * dotsPerInch / 72.0 + 0.5);
}

FixedFontLayout::FixedFontLayout(const TemplateFont& templateFont, double dotsPerInch)
{
    font_.setFamilies(FamiliesFor(templateFont.face));
    font_.setPixelSize(std::max(1, PixelHeight(templateFont.pointSize, dotsPerInch)));
    font_.setWeight(templateFont.weight >= 600 ? QFont::Bold : QFont::Normal);
    font_.setItalic(templateFont.italic);
    font_.setStyleStrategy(QFont::PreferAntialias);
    // The dialog faces at 8 points have known base units at 96 dpi (6 x 13 pixels); the
    // desktop fonts that stand in for them are a pixel shorter, which would shrink every
    // form by a thirteenth. Other faces and sizes are measured.
    const bool dialogFace = templateFont.face == "MS Sans Serif" ||
                            templateFont.face == "Microsoft Sans Serif" ||
                            templateFont.face == "MS Shell Dlg" || templateFont.face == "Tahoma";
    if (dialogFace && templateFont.pointSize == 8 && dotsPerInch == 96.0) {
        baseX_ = 6;
        baseY_ = 13;
        return;
    }
    QFontMetrics metrics(font_);
    baseY_ = metrics.height();
    int width =
        metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    baseX_ = (width / 26 + 1) / 2;
}
