#include "layout/CoverRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "formats/CoverFormat.h"
#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "surfaces/RasterSurface.h"

namespace {

// Fractions of the picture used by the band rules.
constexpr double kZoomOffset = 0.05555555555555555; // zoomed rows: first row
constexpr double kZoomHeight = 0.8888888888888888;  // zoomed rows: rows shown
constexpr double kSourceSideBand = 0.08;            // side bands: spine band in the picture
constexpr double kTargetSideBand = 0.043;           // side bands: spine band on paper
constexpr double kSourceFace = 0.4738;              // face-spine-face: face in the picture
constexpr double kSourceSpine = 0.0527;             // face-spine-face: spine in the picture
constexpr double kDefaultSpineMm = 13.0;

constexpr SurfaceColour kGrey = RgbColour(128, 128, 128);
constexpr SurfaceColour kRed = RgbColour(255, 0, 0);

void Outline(CDrawingSurface& dc, int left, int top, int right, int bottom)
{
    dc.Rectangle(left, top, right, bottom);
}

// The picture in its kind's bands into (x, y, w, h); facePx and spinePx give the heights
// of the faces and the spine on the target for face-spine-face bands.
void DrawBands(CDrawingSurface& dc, const CRasterImage& image, BandRule bands, int x, int y, int w, int h,
               int facePx, int spinePx, bool screen)
{
    const unsigned W = static_cast<unsigned>(image.GetWidth());
    const unsigned H = static_cast<unsigned>(image.GetHeight());
    const int iw = image.GetWidth();
    const int ih = image.GetHeight();
    if (bands == BandRule::ZoomedRows) {
        image.DrawPart(&dc, x, y, w, h, 0, ScaledCount(H, kZoomOffset), iw, ScaledCount(H, kZoomHeight));
    } else if (bands == BandRule::SideBands) {
        const int s = ScaledCount(W, kSourceSideBand);
        const int d = ScaledCount(static_cast<unsigned>(std::max(w, 0)), kTargetSideBand);
        image.DrawPart(&dc, x, y, d, h, 0, 0, s, ih);
        image.DrawPart(&dc, x + d, y, w - 2 * d, h, s, 0, iw - 2 * s, ih);
        image.DrawPart(&dc, x + w - d, y, d, h, iw - s, 0, s, ih);
    } else if (bands == BandRule::FaceSpineFace) {
        const int f = ScaledCount(H, kSourceFace);
        const int b = ScaledCount(H, kSourceSpine);
        if (facePx > 0)
            image.DrawPart(&dc, x, y, w, facePx, 0, 0, iw, f);
        if (spinePx > 0)
            image.DrawPart(&dc, x, y + facePx, w, spinePx, 0, f, iw, b);
        if (facePx > 0)
            image.DrawPart(&dc, x, y + facePx + spinePx, w, facePx, 0, f + b, iw, f);
    } else if (screen) {
        image.Draw(&dc, x, y, w, h);
    } else {
        image.DrawStretched(&dc, x, y, w, h);
    }
}

// The picture cut to a disc with a hole, drawn into (x, y, w, h) with the outside and
// the hole white: through a mask of the picture's own size, so the cost does not grow
// with the printer's resolution.
void DrawLabel(CDrawingSurface& dc, const CRasterImage& image, int x, int y, int w, int h, int holePx)
{
    const int W = image.GetWidth();
    const int H = image.GetHeight();
    if (W <= 0 || H <= 0 || w == 0 || h == 0)
        return;
    const int hw = TruncToPixels(W * (static_cast<double>(holePx) / w));
    const int hh = TruncToPixels(H * (static_cast<double>(holePx) / h));

    // A page that can cut along a path (a PDF page) keeps the picture as it is.
    if (dc.ClipToDisc({x, y, x + w, y + h}, {x + w / 2 - holePx / 2, y + h / 2 - holePx / 2,
                                             x + w / 2 + holePx / 2, y + h / 2 + holePx / 2})) {
        image.DrawStretched(&dc, x, y, w, h);
        dc.ResetClipPath();
        return;
    }

    CRasterSurface picture(W, H);
    CRasterSurface mask(W, H);
    if (!picture.IsValid() || !mask.IsValid())
        return;
    mask.FillRect({0, 0, W, H}, kColourWhite);
    mask.SelectPen(SurfacePen::Solid(kColourBlack));
    mask.SelectBrush(SurfaceBrush::Solid(kColourBlack));
    mask.Ellipse(0, 0, W, H);
    mask.SelectBrush(SurfaceBrush::Solid(kColourWhite));
    mask.Ellipse(W / 2 - hw / 2, H / 2 - hh / 2, W / 2 + hw / 2, H / 2 + hh / 2);
    image.DrawStretched(&picture, 0, 0, W, H);
    mask.BitBlt(0, 0, W, H, picture, 0, 0, RasterOp::Or);
    CRasterImage cut;
    if (cut.CreateFromBitmap(mask))
        cut.DrawStretched(&dc, x, y, w, h);
}

} // namespace

int ScaledCount(unsigned count, double fraction)
{
    // Extended precision keeps the product of a whole number and a double exact, so a
    // fraction that lies just below its decimal value truncates one lower.
    const long double product = static_cast<long double>(count) * static_cast<long double>(fraction);
    return static_cast<int>(std::min<long double>(product, 1 << 30));
}

PaperSizeMm PaperOfFormat(const CoverFormat& format)
{
    PaperSizeMm paper;
    if (format.paperSize.width > 0.0 && format.paperSize.height > 0.0) {
        paper.width = format.paperSize.width;
        paper.height = format.paperSize.height;
    }
    return paper;
}

PaperSizeMm PaperOfFormat(const FormatCatalogue& catalogue, int formatIndex)
{
    const CoverFormat* format = catalogue.Get(formatIndex);
    return format != nullptr ? PaperOfFormat(*format) : PaperSizeMm{};
}

namespace {

// How a cover is drawn: on a printer's page or on a paper control.
struct CoverStyle {
    double acrossPerMm = 0.0; // pixels a millimetre, for cut lines and the spine
    double downPerMm = 0.0;
    SurfaceRect span;  // what edge lines run across
    SurfacePen dashed; // the pen of the lines that are not solid
    // A paper control: cut lines before the picture, the spine in whole millimetres of
    // coverHeightMm, the picture unsmoothed, a label cut by a quick mask, no frame.
    bool screen = false;
    double coverHeightMm = 0.0;
    bool cutLines = true;
    bool border = true; // the outline on the cover's edge (never around a label)
};

// The format's cut and fold lines and rectangles for a cover whose corner is (x, y).
void DrawCutLines(CDrawingSurface& dc, const CoverFormat& format, int x, int y, int w, int h,
                  const CoverStyle& style)
{
    const SurfacePen solid = SurfacePen::Solid(kColourBlack);
    const SurfaceRect& span = style.span;
    for (int k = 0; k < format.lines.count; ++k) {
        const CutLine& l = format.lines.entries[static_cast<std::size_t>(k)];
        int ax, ay, bx, by;
        // Edge lines run along a cover edge across the whole span.
        if (l.x1 == kEdgeTop) {
            ax = span.left, ay = y, bx = span.right, by = y;
        } else if (l.x1 == kEdgeBottom) {
            ax = span.left, ay = y + h, bx = span.right, by = y + h;
        } else if (l.x1 == kEdgeLeft) {
            ax = x, ay = span.top, bx = x, by = span.bottom;
        } else if (l.x1 == kEdgeRight) {
            ax = x + w, ay = span.top, bx = x + w, by = span.bottom;
        } else {
            ax = x + TruncToPixels(l.x1 * style.acrossPerMm), ay = y + TruncToPixels(l.y1 * style.downPerMm);
            bx = x + TruncToPixels(l.x2 * style.acrossPerMm), by = y + TruncToPixels(l.y2 * style.downPerMm);
        }
        dc.SelectPen(l.solid ? solid : style.dashed);
        dc.MoveTo(ax, ay);
        dc.LineTo(bx, by);
    }
    for (int k = 0; k < format.rects.count; ++k) {
        const CutLine& r = format.rects.entries[static_cast<std::size_t>(k)];
        const int left = x + TruncToPixels(r.x1 * style.acrossPerMm);
        const int top = y + TruncToPixels(r.y1 * style.downPerMm);
        dc.SelectPen(r.solid ? solid : style.dashed);
        Outline(dc, left, top, left + TruncToPixels(r.x2 * style.acrossPerMm) + 1,
                top + TruncToPixels(r.y2 * style.downPerMm) + 1);
    }
}

// A label on a paper control: the picture, then a mask of the cover's size that whitens
// the outside of the disc and its hole.
void DrawQuickLabel(CDrawingSurface& dc, const CRasterImage& image, int x, int y, int w, int h, double radius)
{
    image.Draw(&dc, x, y, w, h);
    if (w <= 0 || h <= 0)
        return;
    CRasterSurface mask(w, h);
    if (!mask.IsValid())
        return;
    mask.SelectPen(SurfacePen::Solid(kColourBlack));
    mask.SelectBrush(SurfaceBrush::Solid(kColourBlack));
    mask.Ellipse(0, 0, w, h);
    mask.SelectBrush(SurfaceBrush::Solid(kColourWhite));
    mask.Ellipse(TruncToPixels(w / 2 - radius), TruncToPixels(h / 2 - radius), TruncToPixels(w / 2 + radius),
                 TruncToPixels(h / 2 + radius));
    dc.BitBlt(x, y, w, h, mask, 0, 0, RasterOp::Or);
}

// The heights of the faces and the spine of face-spine-face bands on a cover h pixels high.
void SpineBands(const CoverFormat& format, int h, const CoverStyle& style, int& facePx, int& spinePx)
{
    const double spineMm = format.spine != kNoSpine ? format.spine : kDefaultSpineMm;
    if (style.screen) {
        // Whole millimetres; a cover shorter than its spine has faces of height 0.
        const double faceMm = std::max(0.0, std::trunc((style.coverHeightMm - spineMm) / 2));
        const double spinePartMm = std::max(0.0, std::trunc(style.coverHeightMm - 2 * faceMm));
        facePx = TruncToPixels(faceMm * style.downPerMm);
        spinePx = std::min(TruncToPixels(spinePartMm * style.downPerMm), std::max(h, 0));
        return;
    }
    // A cover shorter than the spine gets faces of height 0 and the spine cut to it.
    spinePx = std::clamp(TruncToPixels(spineMm * style.downPerMm), 0, std::max(h, 0));
    facePx = (h - spinePx) / 2;
}

// One cover at (at.x, at.y) of the surface: picture, frame, cut lines and border.
void DrawCover(CDrawingSurface& dc, const CoverPlacement& at, const CRasterImage& image,
               const CoverFormat& format, const CoverStyle& style)
{
    const int x = at.x;
    const int y = at.y;
    const int w = at.width;
    const int h = at.height;
    const BandRule bands = format.Traits().bands;
    if (style.screen && style.cutLines)
        DrawCutLines(dc, format, x, y, w, h, style);
    if (format.label) {
        if (style.screen)
            DrawQuickLabel(dc, image, x, y, w, h, format.holeSize * style.acrossPerMm / 2.0);
        else
            DrawLabel(dc, image, x, y, w, h, at.holeSize);
    } else {
        // A frame just outside the cover; the picture covers its inside.
        if (!style.screen)
            Outline(dc, x - 1, y - 1, x + w + 1, y + h + 1);
        int facePx = 0;
        int spinePx = 0;
        if (bands == BandRule::FaceSpineFace)
            SpineBands(format, h, style, facePx, spinePx);
        DrawBands(dc, image, bands, x, y, w, h, facePx, spinePx, style.screen);
        if (!style.screen && bands != BandRule::Whole)
            Outline(dc, x, y, x + w + 1, y + h + 1);
    }
    if (!style.screen && style.cutLines)
        DrawCutLines(dc, format, x, y, w, h, style);
    if (style.border && !format.label) {
        dc.SelectPen(SurfacePen::Solid(kColourBlack));
        Outline(dc, x, y, x + w + 1, y + h + 1);
    }
}

} // namespace

bool RenderCover(CDrawingSurface& dc, const CoverPlacement& placement, const CRasterImage& image,
                 const CoverFormat& format, const RenderOptions& options)
{
    const DeviceCaps& caps = dc.GetDeviceCaps();
    const PageMetrics m = PageMetrics::FromCaps(caps);
    const SurfacePen oldPen = dc.SelectPen(SurfacePen::Solid(kColourBlack));
    const SurfaceBrush oldBrush = dc.SelectBrush(SurfaceBrush::Hollow());

    CoverStyle style;
    style.acrossPerMm = caps.logPixelsX / 25.4;
    style.downPerMm = caps.logPixelsY / 25.4;
    style.span = {0, 0, m.printableWidth, m.printableHeight};
    style.dashed = SurfacePen::Dotted(kColourBlack);
    style.cutLines = options.drawCutLines;
    style.border = options.printBorder;
    // The placement is on the sheet; the surface starts at the printable area.
    CoverPlacement at = placement;
    at.x -= m.offsetX;
    at.y -= m.offsetY;
    DrawCover(dc, at, image, format, style);

    if (options.preview) {
        const int x = at.x;
        const int y = at.y;
        const int w = at.width;
        const int h = at.height;
        dc.SelectPen(SurfacePen::Solid(kRed, 2));
        dc.SelectBrush(SurfaceBrush::Hollow());
        if (format.Traits().discTray) {
            const int hole = placement.holeSize;
            dc.Ellipse(x, y, x + w, y + h);
            dc.Ellipse(x + w / 2 - hole / 2, y + h / 2 - hole / 2, x + w / 2 + hole / 2,
                       y + h / 2 + hole / 2);
        } else {
            Outline(dc, 0, 0, m.printableWidth, m.printableHeight);
            dc.MoveTo(0, m.halfHeight - m.offsetY);
            dc.LineTo(m.printableWidth, m.halfHeight - m.offsetY);
        }
    }

    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    return !options.preview;
}

void RenderScreenCover(CDrawingSurface& dc, const SurfaceRect& paperRect, const CRasterImage& image,
                       const PlacementMm& cover, bool drawCutLines)
{
    if (cover.format == nullptr || !image.IsValid())
        return;
    const PaperSizeMm paper = PaperOfFormat(*cover.format);
    const int W = paperRect.Width();
    const int H = paperRect.Height();
    if (W <= 0 || H <= 0)
        return;
    // The paper control's pixels for the format's own paper. A cover stays in its half
    // while a quarter of the spare height, truncated toward zero, is not negative.
    const PixelAxis across{W, paper.width, 0.0, true};
    const PixelAxis down{H, paper.height, 0.0, false};
    CoverPlacement at = PlacementToPixels(cover, across, down, H + 3LL);
    at.x += paperRect.left;
    at.y += paperRect.top;

    CoverStyle style;
    style.acrossPerMm = W / paper.width;
    style.downPerMm = H / paper.height;
    style.span = paperRect;
    style.dashed = SurfacePen::Dotted(kGrey);
    style.screen = true;
    style.coverHeightMm = cover.height;
    style.cutLines = drawCutLines;
    const SurfacePen oldPen = dc.SelectPen(SurfacePen::Solid(kColourBlack));
    const SurfaceBrush oldBrush = dc.SelectBrush(SurfaceBrush::Hollow());
    DrawCover(dc, at, image, *cover.format, style);
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}
