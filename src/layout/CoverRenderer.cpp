#include "layout/CoverRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/RasterSurface.h"

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

int Trunc(double v)
{
    if (!(v == v))
        return 0;
    return static_cast<int>(std::clamp(v, -double(1 << 28), double(1 << 28)));
}

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
    const int hw = Trunc(W * (static_cast<double>(holePx) / w));
    const int hh = Trunc(H * (static_cast<double>(holePx) / h));

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

PaperSizeMm PaperOfFormat(const FormatCatalogue& catalogue, int formatIndex)
{
    PaperSizeMm paper;
    const double w = catalogue.GetPaperWidth(formatIndex);
    const double h = catalogue.GetPaperHeight(formatIndex);
    if (w > 0.0 && h > 0.0) {
        paper.width = w;
        paper.height = h;
    }
    return paper;
}

bool RenderCover(CDrawingSurface& dc, const CoverPlacement& placement, const CRasterImage& image,
                 const FormatCatalogue& catalogue, int formatIndex, const RenderOptions& options)
{
    const DeviceCaps& caps = dc.GetDeviceCaps();
    const PageMetrics m = PageMetrics::FromCaps(caps);
    const SurfacePen solidPen = SurfacePen::Solid(kColourBlack);
    const SurfacePen dottedPen = SurfacePen::Dotted(kColourBlack);
    const SurfacePen oldPen = dc.SelectPen(solidPen);
    const SurfaceBrush oldBrush = dc.SelectBrush(SurfaceBrush::Hollow());

    if (formatIndex < 0 || formatIndex >= catalogue.GetCount()) {
        dc.SelectPen(oldPen);
        dc.SelectBrush(oldBrush);
        return false;
    }
    const double acrossPerMm = caps.logPixelsX / 25.4;
    const double downPerMm = caps.logPixelsY / 25.4;
    const int x = placement.x - m.offsetX;
    const int y = placement.y - m.offsetY;
    const int w = placement.width;
    const int h = placement.height;
    const CoverKindTraits& kind = catalogue.GetTraits(formatIndex);
    const bool label = catalogue.GetLabel(formatIndex);

    if (!label) {
        // A frame just outside the cover; the picture covers its inside.
        Outline(dc, x - 1, y - 1, x + w + 1, y + h + 1);
        int facePx = 0;
        int spinePx = 0;
        if (kind.bands == BandRule::FaceSpineFace) {
            const double spineMm =
                catalogue.HasSpine(formatIndex) ? catalogue.GetSpine(formatIndex) : kDefaultSpineMm;
            spinePx = Trunc(spineMm * downPerMm);
            // A cover shorter than the spine gets faces of height 0 and the spine cut to it.
            spinePx = std::clamp(spinePx, 0, std::max(h, 0));
            facePx = (h - spinePx) / 2;
        }
        DrawBands(dc, image, kind.bands, x, y, w, h, facePx, spinePx, false);
        if (kind.bands != BandRule::Whole)
            Outline(dc, x, y, x + w + 1, y + h + 1);
    } else {
        DrawLabel(dc, image, x, y, w, h, placement.holeSize);
    }

    if (options.drawCutLines) {
        for (int k = 0; k < catalogue.GetLineCount(formatIndex); ++k) {
            double x1, y1, x2, y2;
            const bool solid = catalogue.GetLine(formatIndex, k, x1, y1, x2, y2);
            int ax, ay, bx, by;
            if (x1 == kEdgeTop) {
                ax = -x, ay = 0, bx = m.printableWidth - x, by = 0;
            } else if (x1 == kEdgeBottom) {
                ax = -x, ay = h, bx = m.printableWidth - x, by = h;
            } else if (x1 == kEdgeLeft) {
                ax = 0, ay = -y, bx = 0, by = m.printableHeight - y;
            } else if (x1 == kEdgeRight) {
                ax = w, ay = -y, bx = w, by = m.printableHeight - y;
            } else {
                ax = Trunc(x1 * acrossPerMm), ay = Trunc(y1 * downPerMm);
                bx = Trunc(x2 * acrossPerMm), by = Trunc(y2 * downPerMm);
            }
            dc.SelectPen(solid ? solidPen : dottedPen);
            dc.MoveTo(x + ax, y + ay);
            dc.LineTo(x + bx, y + by);
        }
        for (int k = 0; k < catalogue.GetRectCount(formatIndex); ++k) {
            double x1, y1, x2, y2;
            const bool solid = catalogue.GetRect(formatIndex, k, x1, y1, x2, y2);
            const int left = x + Trunc(x1 * acrossPerMm);
            const int top = y + Trunc(y1 * downPerMm);
            dc.SelectPen(solid ? solidPen : dottedPen);
            Outline(dc, left, top, left + Trunc(x2 * acrossPerMm) + 1, top + Trunc(y2 * downPerMm) + 1);
        }
    }

    if (options.printBorder && !label) {
        dc.SelectPen(solidPen);
        Outline(dc, x, y, x + w + 1, y + h + 1);
    }

    if (options.preview) {
        dc.SelectPen(SurfacePen::Solid(kRed, 2));
        dc.SelectBrush(SurfaceBrush::Hollow());
        if (kind.discTray) {
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
                       const FormatCatalogue& catalogue, int formatCode, bool bothOnPage, bool drawCutLines)
{
    const bool right = formatCode >= kRightSideCode;
    const int formatIndex = right ? formatCode - kRightSideCode : formatCode;
    if (formatIndex < 0 || formatIndex >= catalogue.GetCount() || !image.IsValid())
        return;
    const PaperSizeMm paper = PaperOfFormat(catalogue, formatIndex);
    const int W = paperRect.Width();
    const int H = paperRect.Height();
    if (W <= 0 || H <= 0)
        return;
    const double scaleX = W / paper.width;
    const double scaleY = H / paper.height;
    const CoverKindTraits& kind = catalogue.GetTraits(formatIndex);

    FormatCatalogue::Placement mm = catalogue.GetPlacement(formatIndex, right, false);
    const bool automatic = mm.x == kAutoPosition;
    if (kind.borrowsSize && !catalogue.HasSize(formatIndex) && catalogue.GetCount() > 1)
        mm = catalogue.GetPlacement(1, right, false);
    const int w = Trunc(mm.width * scaleX);
    const int h = Trunc(mm.height * scaleY);
    int x = 0;
    int y = 0;
    if (automatic) {
        x = (W - w) / 2;
        if (kind.middleLine) {
            y = (right && bothOnPage) ? H / 2 : H / 2 - h;
        } else {
            y = (H - 2 * h) / 4;
            if (y < 0)
                y = (H - h) / 2;
            else if (right)
                y += H / 2;
        }
    } else {
        // Negative coordinates count from the far edges of this paper.
        x = mm.x >= 0 ? Trunc(mm.x * scaleX) : Trunc((mm.x + paper.width - mm.width) / paper.width * W);
        y = mm.y >= 0 ? Trunc(mm.y / paper.height * H)
                      : Trunc((mm.y + paper.height - mm.height) / paper.height * H);
    }
    x += paperRect.left;
    y += paperRect.top;

    const SurfacePen oldPen = dc.SelectPen(SurfacePen::Solid(kColourBlack));
    const SurfaceBrush oldBrush = dc.SelectBrush(SurfaceBrush::Hollow());
    if (drawCutLines) {
        for (int k = 0; k < catalogue.GetLineCount(formatIndex); ++k) {
            double x1, y1, x2, y2;
            const bool solid = catalogue.GetLine(formatIndex, k, x1, y1, x2, y2);
            int ax, ay, bx, by;
            // Edge lines span the whole paper.
            if (x1 == kEdgeTop) {
                ax = paperRect.left, ay = y, bx = paperRect.right, by = y;
            } else if (x1 == kEdgeBottom) {
                ax = paperRect.left, ay = y + h, bx = paperRect.right, by = y + h;
            } else if (x1 == kEdgeLeft) {
                ax = x, ay = paperRect.top, bx = x, by = paperRect.bottom;
            } else if (x1 == kEdgeRight) {
                ax = x + w, ay = paperRect.top, bx = x + w, by = paperRect.bottom;
            } else {
                ax = x + Trunc(x1 * scaleX), ay = y + Trunc(y1 * scaleY);
                bx = x + Trunc(x2 * scaleX), by = y + Trunc(y2 * scaleY);
            }
            dc.SelectPen(solid ? SurfacePen::Solid(kColourBlack) : SurfacePen::Dotted(kGrey));
            dc.MoveTo(ax, ay);
            dc.LineTo(bx, by);
        }
        for (int k = 0; k < catalogue.GetRectCount(formatIndex); ++k) {
            double x1, y1, x2, y2;
            const bool solid = catalogue.GetRect(formatIndex, k, x1, y1, x2, y2);
            const int left = x + Trunc(x1 * scaleX);
            const int top = y + Trunc(y1 * scaleY);
            dc.SelectPen(solid ? SurfacePen::Solid(kColourBlack) : SurfacePen::Dotted(kGrey));
            Outline(dc, left, top, left + Trunc(x2 * scaleX) + 1, top + Trunc(y2 * scaleY) + 1);
        }
    }

    if (catalogue.GetLabel(formatIndex)) {
        image.Draw(&dc, x, y, w, h);
        if (w > 0 && h > 0) {
            CRasterSurface mask(w, h);
            if (mask.IsValid()) {
                const double radius = catalogue.GetHoleSize(formatIndex) * scaleX / 2.0;
                mask.SelectPen(SurfacePen::Solid(kColourBlack));
                mask.SelectBrush(SurfaceBrush::Solid(kColourBlack));
                mask.Ellipse(0, 0, w, h);
                mask.SelectBrush(SurfaceBrush::Solid(kColourWhite));
                mask.Ellipse(Trunc(w / 2 - radius), Trunc(h / 2 - radius), Trunc(w / 2 + radius),
                             Trunc(h / 2 + radius));
                dc.BitBlt(x, y, w, h, mask, 0, 0, RasterOp::Or);
            }
        }
    } else {
        int facePx = 0;
        int spinePx = 0;
        if (kind.bands == BandRule::FaceSpineFace) {
            const double spineMm =
                catalogue.HasSpine(formatIndex) ? catalogue.GetSpine(formatIndex) : kDefaultSpineMm;
            // Whole millimetres; a cover shorter than its spine has faces of height 0.
            const double faceMm = std::max(0.0, std::trunc((mm.height - spineMm) / 2));
            const double spinePartMm = std::max(0.0, std::trunc(mm.height - 2 * faceMm));
            facePx = Trunc(faceMm * scaleY);
            spinePx = std::min(Trunc(spinePartMm * scaleY), std::max(h, 0));
        }
        DrawBands(dc, image, kind.bands, x, y, w, h, facePx, spinePx, true);
        dc.SelectPen(SurfacePen::Solid(kColourBlack));
        Outline(dc, x, y, x + w + 1, y + h + 1);
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}
