#include "layout/PdfSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "images/RasterImage.h"
#include "layout/PdfPictures.h"
#include "surfaces/PixelBlock.h"
#include "surfaces/RasterSurface.h"

namespace {

using i64 = std::int64_t;
constexpr double kPi = 3.14159265358979323846;
// The filter of every picture paint: one filter for all, so that cairo keeps one object
// per picture. cairo marks pictures painted with it "not interpolated" in the PDF, as it
// does for NEAREST; NEAREST itself would make cairo round the picture's extents to whole
// points and cut up to half a point off its edges.
constexpr cairo_filter_t kPictureFilter = CAIRO_FILTER_GAUSSIAN;
constexpr const char* kPictureFailed =
    "The picture cannot be put into the PDF (too large, or not enough memory)";

// The pen's width in device pixels: 0 and 1 both mean one pixel.
int PenPixels(const SurfacePen& pen)
{
    return std::max(1, pen.width);
}

// Where the middle of a pen's band lies relative to the pixel coordinate p: the band
// reaches w / 2 pixels up and left of the one-pixel line (rows p - 1 and p for width 2).
double PenCentre(int w)
{
    return w / 2.0 - double(w / 2);
}

// Ceiling of a / b for b > 0.
i64 CeilDiv(i64 a, i64 b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Destination pixels of a stretched copy whose source lies inside the picture, along one
// axis: destination pixel i of dw takes source pixel floor(i * sw / dw) (counted from the
// far end when mirrored), which must lie in 0..size - 1 once offset by sl.
std::pair<i64, i64> VisibleSpan(i64 dw, i64 sl, i64 sw, bool mirror, i64 size)
{
    const i64 j0 = std::max<i64>(0, -sl);
    const i64 j1 = std::min<i64>(sw, size - sl);
    if (j0 >= j1)
        return {0, 0};
    // Source j (before mirroring) for i is floor(i * sw / dw); the i with j in [a, b) are
    // ceil(a * dw / sw) .. ceil(b * dw / sw) - 1. Both products are below 2^63.
    const i64 a = mirror ? sw - j1 : j0;
    const i64 b = mirror ? sw - j0 : j1;
    return {CeilDiv(a * dw, sw), CeilDiv(b * dw, sw)};
}

} // namespace

CPdfSurface::CPdfSurface(cairo_t* cr, const DeviceCaps& caps, CPdfPictures& pictures)
    : CDrawingSurface(caps), cr_(cr), pictures_(pictures)
{
    cairo_save(cr_);
    // One unit is one device pixel; the origin is the printable area's corner.
    const double sx = caps.logPixelsX > 0 ? 72.0 / caps.logPixelsX : 1.0;
    const double sy = caps.logPixelsY > 0 ? 72.0 / caps.logPixelsY : 1.0;
    cairo_scale(cr_, sx, sy);
    cairo_translate(cr_, caps.physicalOffsetX, caps.physicalOffsetY);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr_, 10.0);
}

CPdfSurface::~CPdfSurface()
{
    cairo_restore(cr_);
}

bool CPdfSurface::ClipToDisc(const SurfaceRect& disc, const SurfaceRect& hole)
{
    if (disc.IsEmpty())
        return false;
    disc_ = disc;
    hole_ = hole;
    return true;
}

void CPdfSurface::ResetClipPath()
{
    disc_.reset();
}

bool CPdfSurface::Begin()
{
    const SurfaceRect box = GetClipBox();
    if (box.IsEmpty())
        return false;
    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, box.left, box.top, box.Width(), box.Height());
    cairo_clip(cr_);
    if (disc_) {
        auto ellipse = [this](const SurfaceRect& r) {
            cairo_save(cr_);
            cairo_translate(cr_, (double(r.left) + r.right) / 2.0, (double(r.top) + r.bottom) / 2.0);
            cairo_scale(cr_, r.Width() / 2.0, r.Height() / 2.0);
            cairo_new_sub_path(cr_);
            cairo_arc(cr_, 0, 0, 1, 0, 2 * kPi);
            cairo_close_path(cr_);
            cairo_restore(cr_);
        };
        ellipse(*disc_);
        if (!hole_.IsEmpty())
            ellipse(hole_);
        cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_clip(cr_);
        cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    }
    return true;
}

void CPdfSurface::End()
{
    cairo_restore(cr_);
}

void CPdfSurface::ClipToPictureRect(const SurfaceRect& r)
{
    // cairo writes path coordinates in steps of 1/256 point, which may put the edge a
    // hair outside the rectangle; a reader that counts every touched pixel as inside the
    // clip would then show one more row of the picture. Pulling the edges in by one step
    // keeps them inside, at most 1/256 point (0.07 pixels at 1200 dpi) short.
    const double stepX = GetDeviceCaps().logPixelsX / 72.0 / 256.0;
    const double stepY = GetDeviceCaps().logPixelsY / 72.0 / 256.0;
    cairo_new_path(cr_);
    cairo_rectangle(cr_, r.left + stepX, r.top + stepY, r.Width() - 2 * stepX, r.Height() - 2 * stepY);
    cairo_clip(cr_);
}

void CPdfSurface::SetColour(SurfaceColour c)
{
    cairo_set_source_rgb(cr_, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

void CPdfSurface::StrokeWithPen(bool closed)
{
    const SurfacePen& pen = Pen();
    SetColour(pen.colour);
    cairo_set_line_width(cr_, PenPixels(pen));
    if (pen.style == PenStyle::Dotted) {
        // Square caps add half a pixel at both ends of each dash: 2 + 1 covers 3 pixels,
        // and the gap of 4 - 1 leaves 3.
        const double dashes[2] = {2.0, 4.0};
        cairo_set_dash(cr_, dashes, 2, 0.0);
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
    } else {
        cairo_set_dash(cr_, nullptr, 0, 0.0);
        cairo_set_line_cap(cr_, closed ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_SQUARE);
    }
    cairo_stroke(cr_);
}

void CPdfSurface::Rectangle(int left, int top, int right, int bottom)
{
    i64 l = left, t = top, r = right, b = bottom;
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    if (r == l || b == t || !Begin())
        return;
    const i64 w = r - l;
    const i64 h = b - t;
    if (Brush().style == BrushStyle::Solid && w > 2 && h > 2) {
        SetColour(Brush().colour);
        cairo_rectangle(cr_, double(l + 1), double(t + 1), double(w - 2), double(h - 2));
        cairo_fill(cr_);
    }
    const int pw = PenPixels(Pen());
    const double c = PenCentre(pw);
    if (w == 1 || h == 1) {
        // A line of pixels: the band the pen covers along it.
        SetColour(Pen().colour);
        cairo_rectangle(cr_, double(l - pw / 2), double(t - pw / 2), double(w - 1 + pw), double(h - 1 + pw));
        cairo_fill(cr_);
    } else {
        // Right, down, left and up from the top-left corner, like the dotted pattern.
        cairo_rectangle(cr_, double(l) + c, double(t) + c, double(w - 1), double(h - 1));
        StrokeWithPen(true);
    }
    End();
}

void CPdfSurface::Ellipse(int left, int top, int right, int bottom)
{
    i64 l = left, t = top, r = right, b = bottom;
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    if (r == l || b == t || !Begin())
        return;
    const i64 w = r - l;
    const i64 h = b - t;
    const int pw = PenPixels(Pen());
    if (w <= 2 || h <= 2) {
        // Too small for an inside: every pixel is outline.
        SetColour(Pen().colour);
        cairo_rectangle(cr_, double(l), double(t), double(w), double(h));
        cairo_fill(cr_);
        End();
        return;
    }
    // The outline's pen band lies just inside the ellipse through the outer pixel edges;
    // it starts at the rightmost point and runs anticlockwise, like the dotted pattern.
    const double rx = (double(w) - pw) / 2.0;
    const double ry = (double(h) - pw) / 2.0;
    cairo_save(cr_);
    cairo_translate(cr_, (double(l) + double(r)) / 2.0, (double(t) + double(b)) / 2.0);
    cairo_scale(cr_, std::max(rx, 0.25), std::max(ry, 0.25));
    cairo_new_path(cr_);
    cairo_arc_negative(cr_, 0, 0, 1, 0, -2 * kPi);
    cairo_close_path(cr_);
    cairo_restore(cr_);
    if (Brush().style == BrushStyle::Solid) {
        SetColour(Brush().colour);
        cairo_fill_preserve(cr_);
    }
    StrokeWithPen(true);
    End();
}

void CPdfSurface::FillRect(const SurfaceRect& rect, SurfaceColour colour)
{
    i64 l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    if (r == l || b == t || !Begin())
        return;
    SetColour(colour);
    cairo_rectangle(cr_, double(l), double(t), double(r - l), double(b - t));
    cairo_fill(cr_);
    End();
}

void CPdfSurface::DrawLine(int x0, int y0, int x1, int y1)
{
    const i64 dx = i64{x1} - x0;
    const i64 dy = i64{y1} - y0;
    const i64 n = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
    if (n == 0 || !Begin())
        return;
    const int pw = PenPixels(Pen());
    const double c = PenCentre(pw);
    if (n == 1) {
        // One pixel: a path of no length paints nothing in a PDF, so fill its square.
        SetColour(Pen().colour);
        cairo_rectangle(cr_, double(x0 - pw / 2), double(y0 - pw / 2), pw, pw);
        cairo_fill(cr_);
        End();
        return;
    }
    // From the centre of the first pixel to the centre of the last one lit (the end
    // point stays dark); the square caps reach the outer edges of both.
    const double f = double(n - 1) / double(n);
    cairo_new_path(cr_);
    cairo_move_to(cr_, x0 + c, y0 + c);
    cairo_line_to(cr_, x0 + c + dx * f, y0 + c + dy * f);
    StrokeWithPen(false);
    End();
}

void CPdfSurface::Picture(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw,
                          int sh, const CRasterImage* origin, std::optional<SurfaceColour> key, int keyIndex)
{
    // A JPEG whose decoding waits comes without pixels: its image has the bytes.
    const bool bytesOnly = !pixels.IsValid() && origin != nullptr && origin->JpegData() != nullptr;
    if ((!pixels.IsValid() && !bytesOnly) || cx == 0 || cy == 0 || sw == 0 || sh == 0)
        return;
    const std::int32_t pw = bytesOnly ? origin->GetWidth() : pixels.Width();
    const std::int32_t ph = bytesOnly ? origin->GetHeight() : pixels.Height();
    // Negative extents become a rectangle and a mirror flag per axis, as on the raster.
    const StretchGeometry g = NormaliseStretch(x, y, cx, cy, sx, sy, sw, sh);
    const i64 dl = g.dl, dt = g.dt, dw = g.dw, dh = g.dh, sl = g.sl, st = g.st, swid = g.sw, shgt = g.sh;
    const bool mirrorX = g.mirrorX, mirrorY = g.mirrorY;
    // Only the destination pixels whose source lies inside the picture are painted.
    const auto [i0, i1] = VisibleSpan(dw, sl, swid, mirrorX, pw);
    const auto [k0, k1] = VisibleSpan(dh, st, shgt, mirrorY, ph);
    if (i0 >= i1 || k0 >= k1)
        return;
    const SurfaceRect visible =
        IntersectRects(GetClipBox(), SurfaceRect{int(std::clamp<i64>(dl + i0, INT32_MIN, INT32_MAX)),
                                                 int(std::clamp<i64>(dt + k0, INT32_MIN, INT32_MAX)),
                                                 int(std::clamp<i64>(dl + i1, INT32_MIN, INT32_MAX)),
                                                 int(std::clamp<i64>(dt + k1, INT32_MIN, INT32_MAX))});
    if (visible.IsEmpty())
        return;

    CPdfPictures::Source source = pictures_.Get(pixels, origin, key, keyIndex);
    if (source.Empty())
        error_ = kPictureFailed;
    if (source.Empty() || !Begin()) {
        source.Release();
        return;
    }
    // Device pixel -> the picture's shown grid: the source rectangle laid exactly on the
    // destination rectangle, mirrored where asked.
    const double scaleX = double(swid) / double(dw);
    const double scaleY = double(shgt) / double(dh);
    cairo_matrix_t toShown;
    cairo_matrix_init(&toShown, mirrorX ? -scaleX : scaleX, 0, 0, mirrorY ? -scaleY : scaleY,
                      mirrorX ? double(sl + swid) + double(dl) * scaleX : double(sl) - double(dl) * scaleX,
                      mirrorY ? double(st + shgt) + double(dt) * scaleY : double(st) - double(dt) * scaleY);
    cairo_matrix_t m;
    cairo_matrix_multiply(&m, &toShown, &source.shownToSurface);

    ClipToPictureRect(visible);
    auto paint = [this](cairo_pattern_t* pattern, const cairo_matrix_t& matrix) {
        cairo_pattern_set_matrix(pattern, &matrix);
        // Every paint of a picture uses the same filter, so cairo keeps one object for it.
        cairo_pattern_set_filter(pattern, kPictureFilter);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
        cairo_set_source(cr_, pattern);
        cairo_paint(cr_);
    };
    if (source.surface != nullptr) {
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source.surface);
        paint(pattern, m);
        cairo_pattern_destroy(pattern);
    }
    for (const CPdfPictures::Strip& strip : source.strips) {
        // Strips are cut from the picture as shown: each one's grid starts at its top row.
        cairo_matrix_t down;
        cairo_matrix_init_translate(&down, 0, -double(strip.top));
        cairo_matrix_t ms;
        cairo_matrix_multiply(&ms, &m, &down);
        paint(strip.pattern, ms);
    }
    source.Release();
    End();
}

void CPdfSurface::StretchDib(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw,
                             int sh, RasterOp /*op*/, const CRasterImage* origin)
{
    Picture(x, y, cx, cy, pixels, sx, sy, sw, sh, origin, std::nullopt);
}

void CPdfSurface::StretchDibTransparent(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx,
                                        int sy, int sw, int sh, SurfaceColour transparent,
                                        const CRasterImage* origin, int transIndex)
{
    Picture(x, y, cx, cy, pixels, sx, sy, sw, sh, origin, transparent & 0xFFFFFFu, transIndex);
}

void CPdfSurface::BitBlt(int x, int y, int cx, int cy, const CRasterSurface& source, int sx, int sy,
                         RasterOp /*op*/)
{
    if (cx <= 0 || cy <= 0)
        return;
    int px = 0;
    int py = 0;
    CPdfPictures::Source part = pictures_.GetSurfacePart(source, sx, sy, cx, cy, px, py);
    if (part.surface == nullptr) {
        // Only a part that lies on the source should have been there.
        if (source.IsValid() && i64{sx} < source.Width() && i64{sy} < source.Height() && i64{sx} + cx > 0 &&
            i64{sy} + cy > 0)
            error_ = kPictureFailed;
        return;
    }
    // The part's corner lands where its source pixel would: (x, y) + (px - sx, py - sy).
    const i64 left = i64{x} + (i64{px} - sx);
    const i64 top = i64{y} + (i64{py} - sy);
    const int w = cairo_image_surface_get_width(part.surface);
    const int h = cairo_image_surface_get_height(part.surface);
    const SurfaceRect target{int(std::clamp<i64>(left, INT32_MIN, INT32_MAX)),
                             int(std::clamp<i64>(top, INT32_MIN, INT32_MAX)),
                             int(std::clamp<i64>(left + w, INT32_MIN, INT32_MAX)),
                             int(std::clamp<i64>(top + h, INT32_MIN, INT32_MAX))};
    const SurfaceRect visible = IntersectRects(GetClipBox(), target);
    if (visible.IsEmpty() || !Begin()) {
        cairo_surface_destroy(part.surface);
        return;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(part.surface);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -double(left), -double(top));
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_filter(pattern, kPictureFilter);
    ClipToPictureRect(visible);
    cairo_set_source(cr_, pattern);
    cairo_paint(cr_);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(part.surface);
    End();
}
