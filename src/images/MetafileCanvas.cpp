#include "images/MetafileCanvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "images/MetafileObjects.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Pen patterns in device pixels, on and off alternately.
const std::vector<int> kSolid;
const std::vector<int> kDash = {18, 6};
const std::vector<int> kDot = {3, 3};
const std::vector<int> kDashDot = {9, 6, 3, 6};
const std::vector<int> kDashDotDot = {9, 3, 3, 3, 3, 3};

const std::vector<int>& PatternFor(int style)
{
    switch (style) {
    case kPenDash:
        return kDash;
    case kPenDot:
        return kDot;
    case kPenDashDot:
        return kDashDot;
    case kPenDashDotDot:
        return kDashDotDot;
    default:
        return kSolid;
    }
}

bool PatternOn(const std::vector<int>& pattern, std::uint64_t position)
{
    if (pattern.empty())
        return true;
    int period = 0;
    for (int run : pattern)
        period += run;
    auto at = static_cast<int>(position % static_cast<std::uint64_t>(period));
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (at < pattern[i])
            return i % 2 == 0;
        at -= pattern[i];
    }
    return true;
}

// Whether a pixel of a hatched brush lies on one of its lines (an 8-pixel grid).
bool OnHatch(int hatch, int x, int y)
{
    const bool horizontal = (y & 7) == 0;
    const bool vertical = (x & 7) == 0;
    const bool down = ((x - y) & 7) == 0;
    const bool up = ((x + y) & 7) == 0;
    switch (hatch) {
    case 0:
        return horizontal;
    case 1:
        return vertical;
    case 2:
        return down;
    case 3:
        return up;
    case 4:
        return horizontal || vertical;
    default:
        return down || up;
    }
}

// A ternary raster operation on three colours, bit by bit: bit (p << 2 | s << 1 | d) of
// the code gives the result for pattern bit p, source bit s and destination bit d.
std::uint32_t Ternary(std::uint32_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    std::uint32_t result = 0;
    for (int term = 0; term < 8; ++term) {
        if (((code >> term) & 1u) == 0)
            continue;
        const std::uint32_t pp = (term & 4) ? p : ~p;
        const std::uint32_t ss = (term & 2) ? s : ~s;
        const std::uint32_t dd = (term & 1) ? d : ~d;
        result |= pp & ss & dd;
    }
    return result;
}

// Floor of a / b for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

std::int64_t ClippedArea(const SurfaceRect& box, std::int64_t l, std::int64_t t, std::int64_t r,
                         std::int64_t b)
{
    const std::int64_t w = std::min<std::int64_t>(r, box.right) - std::max<std::int64_t>(l, box.left);
    const std::int64_t h = std::min<std::int64_t>(b, box.bottom) - std::max<std::int64_t>(t, box.top);
    return (w > 0 && h > 0) ? w * h : 0;
}

double SignedArea(const std::vector<DPoint>& c)
{
    double sum = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const DPoint& p = c[i];
        const DPoint& q = c[(i + 1) % c.size()];
        sum += p.x * q.y - q.x * p.y;
    }
    return sum / 2;
}

} // namespace

bool CanvasPen::IsNull() const
{
    return style == kPenNull;
}

bool CanvasBrush::IsNull() const
{
    return style == kBrushNull;
}

bool CMetafileCanvas::IsFinite(DPoint p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

DPoint CMetafileCanvas::Clamp(DPoint p)
{
    return {std::clamp(p.x, -kCoordinateLimit, kCoordinateLimit),
            std::clamp(p.y, -kCoordinateLimit, kCoordinateLimit)};
}

bool CMetafileCanvas::Charge(std::uint64_t work)
{
    if (work >= budget_) {
        budget_ = 0;
        return false;
    }
    budget_ -= work;
    return true;
}

void CMetafileCanvas::SetClip(const SurfaceRect* rect)
{
    surface_.SetClipRect(rect);
}

void CMetafileCanvas::PaintSpan(int y, int x0, int x1, const CanvasBrush& brush)
{
    std::uint32_t* row = surface_.Row(y);
    const std::uint32_t stored = CRasterSurface::ToStored(brush.colour);
    if (brush.style != kBrushHatched) {
        std::fill(row + x0, row + x1, stored);
        return;
    }
    const std::uint32_t back = CRasterSurface::ToStored(brush.background);
    for (int x = x0; x < x1; ++x) {
        if (OnHatch(brush.hatch, x, y))
            row[x] = stored;
        else if (brush.opaqueBackground)
            row[x] = back;
    }
}

void CMetafileCanvas::BlendSpan(int y, int x0, int x1, unsigned coverage, std::uint32_t colour)
{
    const SurfaceRect box = ClipBox();
    if (y < box.top || y >= box.bottom || coverage == 0)
        return;
    x0 = std::max(x0, box.left);
    x1 = std::min(x1, box.right);
    if (x0 >= x1 || !Charge(static_cast<std::uint64_t>(x1 - x0)))
        return;
    std::uint32_t* row = surface_.Row(y);
    const std::uint32_t stored = CRasterSurface::ToStored(colour);
    if (coverage >= 255) {
        std::fill(row + x0, row + x1, stored);
        return;
    }
    const unsigned keep = 255 - coverage;
    for (int x = x0; x < x1; ++x) {
        const std::uint32_t p = row[x];
        std::uint32_t mixed = 0xFF000000u;
        for (const int shift : {0, 8, 16}) {
            const unsigned a = (p >> shift) & 0xFFu;
            const unsigned b = (stored >> shift) & 0xFFu;
            mixed |= ((a * keep + b * coverage + 127) / 255) << shift;
        }
        row[x] = mixed;
    }
}

// Scanline fill: a pixel is inside when its centre is, so a polygon with corners on
// whole pixels covers its left and top edges and leaves its right and bottom ones, the
// same pixels as a rectangle fill.
void CMetafileCanvas::FillContours(const std::vector<std::vector<DPoint>>& contours, bool winding,
                                   const CanvasBrush& brush)
{
    const SurfaceRect box = ClipBox();
    if (box.IsEmpty() || Exhausted())
        return;
    std::vector<Edge> edges;
    double yMin = kCoordinateLimit;
    double yMax = -kCoordinateLimit;
    for (const auto& contour : contours) {
        const std::size_t n = contour.size();
        if (n < 3)
            continue;
        for (std::size_t i = 0; i < n; ++i) {
            const DPoint p = Clamp(contour[i]);
            const DPoint q = Clamp(contour[(i + 1) % n]);
            if (p.y == q.y)
                continue;
            Edge e{};
            e.dir = p.y < q.y ? 1 : -1;
            const DPoint& top = p.y < q.y ? p : q;
            const DPoint& bottom = p.y < q.y ? q : p;
            e.yTop = top.y;
            e.yBottom = bottom.y;
            e.xTop = top.x;
            e.slope = (bottom.x - top.x) / (bottom.y - top.y);
            edges.push_back(e);
            yMin = std::min(yMin, top.y);
            yMax = std::max(yMax, bottom.y);
        }
    }
    if (edges.empty())
        return;
    // Rows whose centre y + 0.5 lies in [yMin, yMax); the coordinates are clamped, so
    // the conversions to int cannot overflow.
    const int rowStart = std::max(box.top, static_cast<int>(std::ceil(yMin - 0.5)));
    const int rowEnd = std::min(box.bottom, static_cast<int>(std::ceil(yMax - 0.5)));
    if (rowStart >= rowEnd)
        return;
    if (!Charge(edges.size() + static_cast<std::uint64_t>(rowEnd - rowStart)))
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.yTop < b.yTop; });

    std::size_t next = 0;
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    for (int y = rowStart; y < rowEnd; ++y) {
        const double yc = y + 0.5;
        while (next < edges.size() && edges[next].yTop <= yc)
            active.push_back(&edges[next++]);
        active.erase(
            std::remove_if(active.begin(), active.end(), [yc](const Edge* e) { return e->yBottom <= yc; }),
            active.end());
        crossings.clear();
        for (const Edge* e : active) {
            // An almost level edge can have an enormous slope; its crossing still lies
            // between its ends, so it is kept inside the clamped range (and a result
            // that is not a number falls back to the edge's top).
            double x = e->xTop + (yc - e->yTop) * e->slope;
            if (!std::isfinite(x))
                x = e->xTop;
            crossings.emplace_back(std::clamp(x, -2 * kCoordinateLimit, 2 * kCoordinateLimit), e->dir);
        }
        std::sort(crossings.begin(), crossings.end());
        std::uint64_t work = active.size() + 1;
        int count = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            count = winding ? count + crossings[i].second : count ^ 1;
            if (count == 0)
                continue;
            const int x0 = std::max(box.left, static_cast<int>(std::ceil(crossings[i].first - 0.5)));
            const int x1 = std::min(box.right, static_cast<int>(std::ceil(crossings[i + 1].first - 0.5)));
            if (x0 < x1) {
                PaintSpan(y, x0, x1, brush);
                work += static_cast<std::uint64_t>(x1 - x0);
            }
        }
        if (!Charge(work))
            return;
    }
}

void CMetafileCanvas::CosmeticSegment(DPoint p, DPoint q, std::uint32_t stored,
                                      const std::vector<int>& pattern, std::uint64_t& phase)
{
    const SurfaceRect box = ClipBox();
    // Clamped coordinates are below 2^23, so every product below stays under 2^50.
    const std::int64_t x0 = std::llround(Clamp(p).x);
    const std::int64_t y0 = std::llround(Clamp(p).y);
    const std::int64_t x1 = std::llround(Clamp(q).x);
    const std::int64_t y1 = std::llround(Clamp(q).y);
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
    if (n == 0 || box.IsEmpty())
        return;
    // Pixel i (0 <= i < n) lies at x0 + i * dx / n, y0 + i * dy / n, rounded along the
    // minor axis (a tie going to the smaller coordinate). Only the steps whose pixel can
    // be inside the clip box are visited: find them along each axis, with a pixel to
    // spare, then test each pixel.
    double lo = 0;
    double hi = static_cast<double>(n - 1);
    auto limit = [&](std::int64_t start, std::int64_t delta, int minEdge, int maxEdge) {
        if (delta == 0) {
            if (start < minEdge - 1 || start > maxEdge)
                hi = -1;
            return;
        }
        const double step = static_cast<double>(delta) / static_cast<double>(n);
        double a = (minEdge - 1 - static_cast<double>(start)) / step;
        double b = (maxEdge + 1 - static_cast<double>(start)) / step;
        if (a > b)
            std::swap(a, b);
        lo = std::max(lo, std::floor(a));
        hi = std::min(hi, std::ceil(b));
    };
    limit(x0, dx, box.left, box.right);
    limit(y0, dy, box.top, box.bottom);
    if (lo <= hi) {
        const auto first = static_cast<std::int64_t>(lo);
        const auto last = static_cast<std::int64_t>(hi);
        if (!Charge(static_cast<std::uint64_t>(last - first + 1)))
            return;
        for (std::int64_t i = first; i <= last; ++i) {
            // ceil((2 i d - n) / 2n) rounds i d / n to the nearest, ties down.
            const std::int64_t px = x0 - FloorDiv(-(2 * i * dx - n), 2 * n);
            const std::int64_t py = y0 - FloorDiv(-(2 * i * dy - n), 2 * n);
            if (px < box.left || px >= box.right || py < box.top || py >= box.bottom)
                continue;
            if (PatternOn(pattern, phase + static_cast<std::uint64_t>(i)))
                surface_.Row(static_cast<int>(py))[px] = stored;
        }
    }
    phase += static_cast<std::uint64_t>(n);
}

void CMetafileCanvas::StrokeCosmetic(const std::vector<DPoint>& points, bool closed, const CanvasPen& pen)
{
    const std::vector<int>& pattern = PatternFor(pen.style);
    const std::uint32_t stored = CRasterSurface::ToStored(pen.colour);
    std::uint64_t phase = 0;
    for (std::size_t i = 0; i + 1 < points.size() && !Exhausted(); ++i)
        CosmeticSegment(points[i], points[i + 1], stored, pattern, phase);
    if (closed && points.size() > 2 && !Exhausted())
        CosmeticSegment(points.back(), points.front(), stored, pattern, phase);
}

// A wide pen: every segment a band of the pen's width and every corner a disc, which
// gives round ends and joins, filled together under the winding rule. The outline runs
// through pixel centres, hence the half-pixel shift.
void CMetafileCanvas::StrokeWide(const std::vector<DPoint>& points, bool closed, const CanvasPen& pen)
{
    const double half = std::min(pen.width, kCoordinateLimit) / 2;
    const std::size_t n = points.size();
    const std::size_t segments = closed ? n : n - 1;
    const int discPoints = std::clamp(static_cast<int>(half * 2), 8, 32);
    CanvasBrush brush;
    brush.style = kBrushSolid;
    brush.colour = pen.colour;
    // The pieces are filled a batch of vertices at a time, which keeps the memory they
    // take bounded; solid paint over paint of the same colour changes nothing, so the
    // batches' overlaps do not show.
    constexpr std::size_t kBatch = 4096;
    for (std::size_t first = 0; first < n && !Exhausted(); first += kBatch) {
        const std::size_t last = std::min(n, first + kBatch);
        StrokeWideBatch(points, first, last, std::min(last, segments), half, discPoints, brush);
    }
}

void CMetafileCanvas::StrokeWideBatch(const std::vector<DPoint>& points, std::size_t first, std::size_t last,
                                      std::size_t segmentsEnd, double half, int discPoints,
                                      const CanvasBrush& brush)
{
    const std::size_t n = points.size();
    std::vector<std::vector<DPoint>> pieces;
    for (std::size_t i = first; i < last; ++i) {
        const DPoint c = Clamp(points[i]);
        std::vector<DPoint> disc;
        for (int k = 0; k < discPoints; ++k) {
            const double angle = 2 * kPi * k / discPoints;
            disc.push_back({c.x + 0.5 + half * std::cos(angle), c.y + 0.5 + half * std::sin(angle)});
        }
        pieces.push_back(std::move(disc));
    }
    for (std::size_t i = first; i < segmentsEnd; ++i) {
        const DPoint p = Clamp(points[i]);
        const DPoint q = Clamp(points[(i + 1) % n]);
        const double dx = q.x - p.x;
        const double dy = q.y - p.y;
        const double length = std::hypot(dx, dy);
        if (length < 1e-9)
            continue;
        const double nx = -dy / length * half;
        const double ny = dx / length * half;
        pieces.push_back({{p.x + 0.5 + nx, p.y + 0.5 + ny},
                          {q.x + 0.5 + nx, q.y + 0.5 + ny},
                          {q.x + 0.5 - nx, q.y + 0.5 - ny},
                          {p.x + 0.5 - nx, p.y + 0.5 - ny}});
    }
    // Under the winding rule pieces turning opposite ways would cancel; turn them all
    // the same way.
    for (auto& piece : pieces) {
        if (SignedArea(piece) < 0)
            std::reverse(piece.begin(), piece.end());
    }
    FillContours(pieces, true, brush);
}

void CMetafileCanvas::Stroke(const std::vector<DPoint>& points, bool closed, const CanvasPen& pen)
{
    if (pen.IsNull() || points.size() < 2 || Exhausted())
        return;
    if (pen.width > 1.5)
        StrokeWide(points, closed, pen);
    else
        StrokeCosmetic(points, closed, pen);
}

void CMetafileCanvas::Polygons(const std::vector<std::vector<DPoint>>& contours, bool winding,
                               const CanvasBrush& brush, const CanvasPen& pen)
{
    for (const auto& contour : contours) {
        if (!std::all_of(contour.begin(), contour.end(), IsFinite))
            return;
    }
    if (!brush.IsNull())
        FillContours(contours, winding, brush);
    for (const auto& contour : contours)
        Stroke(contour, true, pen);
}

void CMetafileCanvas::Polyline(const std::vector<DPoint>& points, const CanvasPen& pen)
{
    if (!std::all_of(points.begin(), points.end(), IsFinite))
        return;
    Stroke(points, false, pen);
}

namespace {

// Corners of an axis-aligned shape in whole device pixels, left < right, top < bottom
// unless empty. Coordinates are clamped first, so they fit an int.
struct IntRect {
    int left, top, right, bottom;
};

IntRect RoundRect(DPoint a, DPoint b)
{
    auto l = static_cast<int>(std::lround(a.x));
    auto t = static_cast<int>(std::lround(a.y));
    auto r = static_cast<int>(std::lround(b.x));
    auto bt = static_cast<int>(std::lround(b.y));
    if (l > r)
        std::swap(l, r);
    if (t > bt)
        std::swap(t, bt);
    return {l, t, r, bt};
}

// The surface draws solid pens of any width and the cosmetic dotted pen itself.
bool SurfaceHasPen(const CanvasPen& pen)
{
    return pen.style == kPenSolid || pen.style == kPenInsideFrame || pen.style == kPenNull ||
           (pen.style == kPenDot && pen.width <= 1.5);
}

bool SurfaceHasBrush(const CanvasBrush& brush)
{
    return brush.style != kBrushHatched;
}

SurfacePen ToSurfacePen(const CanvasPen& pen)
{
    if (pen.style == kPenDot)
        return SurfacePen::Dotted(pen.colour);
    const int width = pen.width > 1.5 ? static_cast<int>(std::lround(std::min(pen.width, 1024.0))) : 0;
    return SurfacePen::Solid(pen.colour, width);
}

} // namespace

void CMetafileCanvas::Rectangle(DPoint a, DPoint b, const CanvasBrush& brush, const CanvasPen& pen)
{
    if (!IsFinite(a) || !IsFinite(b) || Exhausted())
        return;
    IntRect r = RoundRect(Clamp(a), Clamp(b));
    if (r.left == r.right || r.top == r.bottom)
        return;
    const SurfaceRect box = ClipBox();
    if (!Charge(static_cast<std::uint64_t>(
                    ClippedArea(box, r.left - 1024, r.top - 1024, r.right + 1024, r.bottom + 1024)) +
                1))
        return;
    if (pen.IsNull()) {
        // Without a pen the inside shrinks by the outline's right column and bottom row.
        --r.right;
        --r.bottom;
        if (brush.IsNull() || r.left >= r.right || r.top >= r.bottom)
            return;
    }
    if (SurfaceHasPen(pen) && SurfaceHasBrush(brush)) {
        // The parts of a rectangle beyond the clip box are invisible, so pulling its
        // sides in to just outside the box changes nothing drawn (a wide pen reaches at
        // most 1024 pixels).
        const int margin = 1026;
        IntRect c = r;
        c.left = std::max(c.left, box.left - margin);
        c.top = std::max(c.top, box.top - margin);
        c.right = std::min(c.right, box.right + margin);
        c.bottom = std::min(c.bottom, box.bottom + margin);
        if (c.left >= c.right || c.top >= c.bottom)
            return;
        if (pen.IsNull()) {
            surface_.FillRect({c.left, c.top, c.right, c.bottom}, brush.colour);
            return;
        }
        const SurfacePen oldPen = surface_.SelectPen(ToSurfacePen(pen));
        const SurfaceBrush oldBrush =
            surface_.SelectBrush(brush.IsNull() ? SurfaceBrush::Hollow() : SurfaceBrush::Solid(brush.colour));
        surface_.Rectangle(c.left, c.top, c.right, c.bottom);
        surface_.SelectPen(oldPen);
        surface_.SelectBrush(oldBrush);
        return;
    }
    const double l = r.left, t = r.top, rt = r.right, bt = r.bottom;
    if (!brush.IsNull())
        FillContours({{{l, t}, {rt, t}, {rt, bt}, {l, bt}}}, false, brush);
    Stroke({{l, t}, {rt - 1, t}, {rt - 1, bt - 1}, {l, bt - 1}}, true, pen);
}

std::vector<DPoint> CMetafileCanvas::EllipsePoints(DPoint a, DPoint b)
{
    const double cx = (a.x + b.x) / 2;
    const double cy = (a.y + b.y) / 2;
    const double rx = std::abs(b.x - a.x) / 2;
    const double ry = std::abs(b.y - a.y) / 2;
    // Enough points that no chord strays a pixel from the curve, within a fixed bound.
    const int n = std::clamp(static_cast<int>(std::sqrt(std::max(rx, ry)) * 8), 16, 1024);
    std::vector<DPoint> points;
    points.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const double angle = 2 * kPi * k / n;
        points.push_back({cx + rx * std::cos(angle), cy - ry * std::sin(angle)});
    }
    return points;
}

void CMetafileCanvas::Ellipse(DPoint a, DPoint b, const CanvasBrush& brush, const CanvasPen& pen)
{
    if (!IsFinite(a) || !IsFinite(b) || Exhausted())
        return;
    IntRect r = RoundRect(Clamp(a), Clamp(b));
    if (r.left == r.right || r.top == r.bottom)
        return;
    const SurfaceRect box = ClipBox();
    // The surface walks every row of a dotted ellipse, inside the clip box or not.
    const std::int64_t rows = std::int64_t{r.bottom} - r.top;
    if (!Charge(static_cast<std::uint64_t>(ClippedArea(box, r.left, r.top, r.right, r.bottom) + rows) + 1))
        return;
    if (pen.IsNull()) {
        --r.right;
        --r.bottom;
        if (brush.IsNull() || r.left >= r.right || r.top >= r.bottom)
            return;
    }
    // The surface walks the whole outline of an ellipse, so it only gets ellipses of a
    // sensible size; larger ones are drawn here as polygons, cut at the clip box.
    const std::int64_t side =
        std::max<std::int64_t>(std::int64_t{r.right} - r.left, std::int64_t{r.bottom} - r.top);
    const bool modest = side <= 4 * std::int64_t{std::max(surface_.Width(), surface_.Height())} + 4096;
    // A wide pen costs the surface its width for every row of the outline, so only
    // thin pens go that way.
    if (modest && pen.width <= 2.5 && SurfaceHasPen(pen) && SurfaceHasBrush(brush)) {
        const CanvasPen outline = pen.IsNull() ? CanvasPen{kPenSolid, 0, brush.colour} : pen;
        const SurfacePen oldPen = surface_.SelectPen(ToSurfacePen(outline));
        const SurfaceBrush oldBrush =
            surface_.SelectBrush(brush.IsNull() ? SurfaceBrush::Hollow() : SurfaceBrush::Solid(brush.colour));
        surface_.Ellipse(r.left, r.top, r.right, r.bottom);
        surface_.SelectPen(oldPen);
        surface_.SelectBrush(oldBrush);
        return;
    }
    const double l = r.left, t = r.top, rt = r.right, bt = r.bottom;
    if (!brush.IsNull())
        FillContours({EllipsePoints({l, t}, {rt, bt})}, false, brush);
    Stroke(EllipsePoints({l, t}, {rt - 1, bt - 1}), true, pen);
}

void CMetafileCanvas::GenericPicture(const PixelBlock& pixels, int sx, int sy, int sw, int sh, int x0, int y0,
                                     int x1, int y1, std::uint32_t rop, std::uint32_t patternColour)
{
    const SurfaceRect box = ClipBox();
    // Destination pixel i of n takes source pixel j = floor(i * m / n) of the m source
    // pixels, or m - 1 - j when exactly one of the two extents is reversed: the rule of
    // the surface's own stretched copies.
    const bool mirrorX = (x1 < x0) != (sw < 0);
    const bool mirrorY = (y1 < y0) != (sh < 0);
    const std::int64_t left = std::min(x0, x1), right = std::max(x0, x1);
    const std::int64_t top = std::min(y0, y1), bottom = std::max(y0, y1);
    const std::int64_t n = right - left, nRows = bottom - top;
    const std::int64_t m = std::abs(std::int64_t{sw}), mRows = std::abs(std::int64_t{sh});
    const std::int64_t srcLeft = sw < 0 ? std::int64_t{sx} + sw : sx;
    const std::int64_t srcTop = sh < 0 ? std::int64_t{sy} + sh : sy;
    const std::uint32_t p = CRasterSurface::ToStored(patternColour) & 0xFFFFFF;
    for (std::int64_t y = std::max<std::int64_t>(top, box.top);
         y < std::min<std::int64_t>(bottom, box.bottom); ++y) {
        // y - top < 2^32 and mRows < 2^32: the product fits 64 bits.
        std::int64_t j = (y - top) * mRows / nRows;
        if (mirrorY)
            j = mRows - 1 - j;
        const std::int64_t srcRow = srcTop + j;
        if (srcRow < 0 || srcRow >= pixels.Height())
            continue;
        const auto fromBottom = static_cast<std::int32_t>(pixels.Height() - 1 - srcRow);
        std::uint32_t* row = surface_.Row(static_cast<int>(y));
        for (std::int64_t x = std::max<std::int64_t>(left, box.left);
             x < std::min<std::int64_t>(right, box.right); ++x) {
            std::int64_t i = (x - left) * m / n;
            if (mirrorX)
                i = m - 1 - i;
            const std::int64_t srcCol = srcLeft + i;
            if (srcCol < 0 || srcCol >= pixels.Width())
                continue;
            const std::uint32_t s =
                CRasterSurface::ToStored(pixels.GetColour(static_cast<std::int32_t>(srcCol), fromBottom)) &
                0xFFFFFF;
            row[x] = 0xFF000000u | (Ternary(rop, p, s, row[x] & 0xFFFFFF) & 0xFFFFFF);
        }
    }
}

void CMetafileCanvas::Picture(const PixelBlock& pixels, int sx, int sy, int sw, int sh, DPoint a, DPoint b,
                              std::uint32_t rop, const CanvasBrush& brush)
{
    if (!pixels.IsValid() || !IsFinite(a) || !IsFinite(b) || sw == 0 || sh == 0 || Exhausted())
        return;
    a = Clamp(a);
    b = Clamp(b);
    const auto x0 = static_cast<int>(std::lround(a.x));
    const auto y0 = static_cast<int>(std::lround(a.y));
    const auto x1 = static_cast<int>(std::lround(b.x));
    const auto y1 = static_cast<int>(std::lround(b.y));
    if (x0 == x1 || y0 == y1)
        return;
    const SurfaceRect box = ClipBox();
    const std::int64_t area =
        ClippedArea(box, std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1));
    if (!Charge(static_cast<std::uint64_t>(area) + 1) || area == 0)
        return;
    const std::uint32_t code = (rop >> 16) & 0xFF;
    // The copy modes the surface has go through it; the others are done here by the
    // same stretching rule.
    if (code == 0xCC || code == 0xEE || code == 0x88 || code == 0x66) {
        const RasterOp op = code == 0xCC   ? RasterOp::Copy
                            : code == 0xEE ? RasterOp::Or
                            : code == 0x88 ? RasterOp::And
                                           : RasterOp::Xor;
        surface_.StretchDib(x0, y0, x1 - x0, y1 - y0, pixels, sx, sy, sw, sh, op);
        return;
    }
    GenericPicture(pixels, sx, sy, sw, sh, x0, y0, x1, y1, code, brush.colour);
}

void CMetafileCanvas::Pattern(DPoint a, DPoint b, std::uint32_t rop, const CanvasBrush& brush)
{
    if (!IsFinite(a) || !IsFinite(b) || Exhausted())
        return;
    const IntRect r = RoundRect(Clamp(a), Clamp(b));
    const SurfaceRect box = ClipBox();
    const int left = std::max(r.left, box.left), right = std::min(r.right, box.right);
    const int top = std::max(r.top, box.top), bottom = std::min(r.bottom, box.bottom);
    if (left >= right || top >= bottom)
        return;
    if (!Charge(static_cast<std::uint64_t>(std::int64_t{right - left} * (bottom - top))))
        return;
    const std::uint32_t code = (rop >> 16) & 0xFF;
    if (code == 0xF0) { // the brush as it is, hatches included
        if (brush.IsNull())
            return;
        for (int y = top; y < bottom; ++y)
            PaintSpan(y, left, right, brush);
        return;
    }
    const std::uint32_t p = brush.IsNull() ? 0 : CRasterSurface::ToStored(brush.colour) & 0xFFFFFF;
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = surface_.Row(y);
        for (int x = left; x < right; ++x)
            row[x] = 0xFF000000u | (Ternary(code, p, 0, row[x] & 0xFFFFFF) & 0xFFFFFF);
    }
}

void CMetafileCanvas::Pixel(DPoint p, std::uint32_t colour)
{
    if (!IsFinite(p) || !Charge(1))
        return;
    p = Clamp(p);
    const SurfaceRect box = ClipBox();
    const auto x = static_cast<int>(std::lround(p.x));
    const auto y = static_cast<int>(std::lround(p.y));
    if (x >= box.left && x < box.right && y >= box.top && y < box.bottom)
        surface_.Row(y)[x] = CRasterSurface::ToStored(colour);
}
