#include "images/MetafileDevice.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Millimetres per logical unit of the metric map modes.
double MillimetresPerUnit(int mode)
{
    switch (mode) {
    case kMapLoMetric:
        return 0.1;
    case kMapHiMetric:
        return 0.01;
    case kMapLoEnglish:
        return 0.254;
    case kMapHiEnglish:
        return 0.0254;
    case kMapTwips:
        return 25.4 / 1440;
    default:
        return 1;
    }
}

double Distance(DPoint p, DPoint q)
{
    return std::hypot(q.x - p.x, q.y - p.y);
}

} // namespace

MfXform MfXform::Then(const MfXform& n) const
{
    MfXform r;
    r.a = n.a * a + n.c * b;
    r.b = n.b * a + n.d * b;
    r.c = n.a * c + n.c * d;
    r.d = n.b * c + n.d * d;
    r.e = n.a * e + n.c * f + n.e;
    r.f = n.b * e + n.d * f + n.f;
    return r;
}

bool MfXform::IsFinite() const
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) && std::isfinite(e) &&
           std::isfinite(f);
}

CMetafileDevice::CMetafileDevice(CMetafileCanvas& canvas, const MfXform& frame, DPoint pixelsPerMm)
    : canvas_(canvas), frame_(frame), pixelsPerMm_(pixelsPerMm), text_(canvas)
{
    Recompute();
}

void CMetafileDevice::Recompute()
{
    double sx = 1;
    double sy = 1;
    switch (state_.mapMode) {
    case kMapIsotropic:
    case kMapAnisotropic:
        sx = state_.viewportExt.x / state_.windowExt.x;
        sy = state_.viewportExt.y / state_.windowExt.y;
        if (state_.mapMode == kMapIsotropic) {
            // Both axes take the smaller scale, each keeping its direction.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    case kMapLoMetric:
    case kMapHiMetric:
    case kMapLoEnglish:
    case kMapHiEnglish:
    case kMapTwips:
        // These modes count y upwards.
        sx = pixelsPerMm_.x * MillimetresPerUnit(state_.mapMode);
        sy = -pixelsPerMm_.y * MillimetresPerUnit(state_.mapMode);
        break;
    default:
        break;
    }
    MfXform page;
    page.a = sx;
    page.d = sy;
    page.e = state_.viewportOrg.x - state_.windowOrg.x * sx;
    page.f = state_.viewportOrg.y - state_.windowOrg.y * sy;
    toDevice_ = state_.world.Then(page).Then(frame_);
}

void CMetafileDevice::SetMapMode(int mode)
{
    if (mode < kMapText || mode > kMapAnisotropic)
        return;
    state_.mapMode = mode;
    Recompute();
}

void CMetafileDevice::SetWindowOrg(DPoint p)
{
    state_.windowOrg = p;
    Recompute();
}

void CMetafileDevice::SetWindowExt(DPoint e)
{
    if (e.x == 0 || e.y == 0 || !std::isfinite(e.x) || !std::isfinite(e.y))
        return;
    state_.windowExt = e;
    Recompute();
}

void CMetafileDevice::SetViewportOrg(DPoint p)
{
    state_.viewportOrg = p;
    Recompute();
}

void CMetafileDevice::SetViewportExt(DPoint e)
{
    if (e.x == 0 || e.y == 0 || !std::isfinite(e.x) || !std::isfinite(e.y))
        return;
    state_.viewportExt = e;
    Recompute();
}

void CMetafileDevice::OffsetWindowOrg(DPoint d)
{
    SetWindowOrg({state_.windowOrg.x + d.x, state_.windowOrg.y + d.y});
}

void CMetafileDevice::OffsetViewportOrg(DPoint d)
{
    SetViewportOrg({state_.viewportOrg.x + d.x, state_.viewportOrg.y + d.y});
}

void CMetafileDevice::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetWindowExt({state_.windowExt.x * xNum / xDenom, state_.windowExt.y * yNum / yDenom});
}

void CMetafileDevice::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetViewportExt({state_.viewportExt.x * xNum / xDenom, state_.viewportExt.y * yNum / yDenom});
}

void CMetafileDevice::SetWorldTransform(const MfXform& x)
{
    if (!x.IsFinite())
        return;
    state_.world = x;
    Recompute();
}

void CMetafileDevice::ModifyWorldTransform(const MfXform& x, int mode)
{
    switch (mode) {
    case 1:
        SetWorldTransform(MfXform{});
        break;
    case 2:
        SetWorldTransform(x.Then(state_.world));
        break;
    case 3:
        SetWorldTransform(state_.world.Then(x));
        break;
    case 4:
        SetWorldTransform(x);
        break;
    default:
        break;
    }
}

DPoint CMetafileDevice::ToDevice(DPoint logical) const
{
    return toDevice_.Apply(logical);
}

std::vector<DPoint> CMetafileDevice::ToDevice(const std::vector<DPoint>& points) const
{
    std::vector<DPoint> out;
    out.reserve(points.size());
    for (const DPoint& p : points)
        out.push_back(ToDevice(p));
    return out;
}

double CMetafileDevice::LinearScale() const
{
    return std::sqrt(std::abs(toDevice_.a * toDevice_.d - toDevice_.b * toDevice_.c));
}

CanvasPen CMetafileDevice::DevicePen() const
{
    CanvasPen pen;
    pen.style = state_.pen.style == kPenInsideFrame ? kPenSolid : state_.pen.style;
    pen.colour = state_.pen.colour;
    pen.width = state_.pen.cosmetic ? 0 : state_.pen.width * LinearScale();
    if (!std::isfinite(pen.width))
        pen.width = 0;
    return pen;
}

CanvasBrush CMetafileDevice::DeviceBrush() const
{
    CanvasBrush brush;
    brush.style = state_.brush.style;
    brush.colour = state_.brush.colour;
    brush.hatch = state_.brush.hatch;
    brush.background = state_.bkColour;
    brush.opaqueBackground = state_.bkOpaque;
    return brush;
}

void CMetafileDevice::ApplyClip()
{
    canvas_.SetClip(state_.clip ? &*state_.clip : nullptr);
}

namespace {

SurfaceRect DeviceRect(DPoint a, DPoint b)
{
    const double limit = CMetafileCanvas::kCoordinateLimit;
    auto conv = [limit](double v) { return static_cast<int>(std::lround(std::clamp(v, -limit, limit))); };
    SurfaceRect r{conv(std::min(a.x, b.x)), conv(std::min(a.y, b.y)), conv(std::max(a.x, b.x)),
                  conv(std::max(a.y, b.y))};
    return r;
}

} // namespace

void CMetafileDevice::IntersectClip(DPoint a, DPoint b)
{
    const DPoint da = ToDevice(a);
    const DPoint db = ToDevice(b);
    if (!CMetafileCanvas::IsFinite(da) || !CMetafileCanvas::IsFinite(db))
        return;
    const SurfaceRect r = DeviceRect(da, db);
    // An empty intersection clips everything away, which an empty rectangle does.
    state_.clip = state_.clip ? IntersectRects(*state_.clip, r) : r;
    ApplyClip();
}

void CMetafileDevice::SetDeviceClip(const std::optional<std::pair<DPoint, DPoint>>& rect)
{
    if (!rect) {
        state_.clip.reset();
    } else {
        const DPoint a = frame_.Apply(rect->first);
        const DPoint b = frame_.Apply(rect->second);
        if (!CMetafileCanvas::IsFinite(a) || !CMetafileCanvas::IsFinite(b))
            return;
        state_.clip = DeviceRect(a, b);
    }
    ApplyClip();
}

void CMetafileDevice::Save()
{
    if (saved_.size() < kMaxSaved)
        saved_.push_back(state_);
    else
        ++savedBeyond_;
}

void CMetafileDevice::Restore(std::int64_t level)
{
    const std::uint64_t depth = saved_.size() + savedBeyond_;
    std::uint64_t count = 0;
    if (level < 0) {
        // -level of INT64_MIN would overflow; anything beyond the depth is the same.
        count = level < -static_cast<std::int64_t>(depth) ? depth : static_cast<std::uint64_t>(-level);
    } else if (level > 0) {
        if (static_cast<std::uint64_t>(level) > depth)
            return;
        count = depth - static_cast<std::uint64_t>(level) + 1;
    }
    if (count == 0 || count > depth)
        return;
    // The most recent saves are the ones past the bound, which kept nothing.
    const std::uint64_t fromBeyond = std::min<std::uint64_t>(count, savedBeyond_);
    savedBeyond_ -= fromBeyond;
    const std::uint64_t rest = count - fromBeyond;
    if (rest > 0) {
        state_ = saved_[saved_.size() - rest];
        saved_.resize(saved_.size() - rest);
    }
    Recompute();
    ApplyClip();
}

void CMetafileDevice::AddFigure(std::vector<DPoint> points, bool closed)
{
    if (points.size() > kMaxPathPoints - pathPoints_)
        return;
    pathPoints_ += points.size();
    path_.push_back({std::move(points), closed});
}

void CMetafileDevice::ExtendFigure(DPoint from, const std::vector<DPoint>& points)
{
    if (points.size() + 1 > kMaxPathPoints - pathPoints_)
        return;
    if (path_.empty() || path_.back().closed) {
        path_.push_back({{from}, false});
        ++pathPoints_;
    }
    auto& figure = path_.back().points;
    figure.insert(figure.end(), points.begin(), points.end());
    pathPoints_ += points.size();
}

void CMetafileDevice::MoveTo(DPoint p)
{
    state_.position = p;
    if (pathOpen_)
        AddFigure({ToDevice(p)}, false);
}

void CMetafileDevice::LineTo(DPoint p)
{
    const DPoint from = ToDevice(state_.position);
    const DPoint to = ToDevice(p);
    state_.position = p;
    if (pathOpen_)
        ExtendFigure(from, {to});
    else
        canvas_.Polyline({from, to}, DevicePen());
}

void CMetafileDevice::Rectangle(DPoint a, DPoint b)
{
    if (pathOpen_ || !toDevice_.IsAxisAligned()) {
        std::vector<DPoint> corners = ToDevice(std::vector<DPoint>{a, {b.x, a.y}, b, {a.x, b.y}});
        if (pathOpen_)
            AddFigure(std::move(corners), true);
        else
            canvas_.Polygons({corners}, state_.winding, DeviceBrush(), DevicePen());
        return;
    }
    canvas_.Rectangle(ToDevice(a), ToDevice(b), DeviceBrush(), DevicePen());
}

std::vector<DPoint> CMetafileDevice::EllipseOutline(DPoint a, DPoint b) const
{
    const double cx = (a.x + b.x) / 2;
    const double cy = (a.y + b.y) / 2;
    const double rx = std::abs(b.x - a.x) / 2;
    const double ry = std::abs(b.y - a.y) / 2;
    const double deviceRadius = std::max(rx, ry) * LinearScale();
    const int n = std::isfinite(deviceRadius)
                      ? static_cast<int>(std::clamp(std::sqrt(deviceRadius) * 8, 16.0, 1024.0))
                      : 16;
    std::vector<DPoint> points;
    points.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const double angle = 2 * kPi * k / n;
        points.push_back(ToDevice({cx + rx * std::cos(angle), cy - ry * std::sin(angle)}));
    }
    return points;
}

void CMetafileDevice::Ellipse(DPoint a, DPoint b)
{
    if (pathOpen_) {
        AddFigure(EllipseOutline(a, b), true);
        return;
    }
    if (!toDevice_.IsAxisAligned()) {
        canvas_.Polygons({EllipseOutline(a, b)}, state_.winding, DeviceBrush(), DevicePen());
        return;
    }
    canvas_.Ellipse(ToDevice(a), ToDevice(b), DeviceBrush(), DevicePen());
}

void CMetafileDevice::Polygon(const std::vector<DPoint>& points)
{
    if (pathOpen_)
        AddFigure(ToDevice(points), true);
    else
        canvas_.Polygons({ToDevice(points)}, state_.winding, DeviceBrush(), DevicePen());
}

void CMetafileDevice::Polyline(const std::vector<DPoint>& points)
{
    if (pathOpen_)
        AddFigure(ToDevice(points), false);
    else
        canvas_.Polyline(ToDevice(points), DevicePen());
}

void CMetafileDevice::PolylineTo(const std::vector<DPoint>& points)
{
    if (points.empty())
        return;
    const DPoint from = ToDevice(state_.position);
    std::vector<DPoint> device = ToDevice(points);
    state_.position = points.back();
    if (pathOpen_) {
        ExtendFigure(from, device);
        return;
    }
    device.insert(device.begin(), from);
    canvas_.Polyline(device, DevicePen());
}

void CMetafileDevice::PolyPolygon(const std::vector<std::vector<DPoint>>& polygons)
{
    std::vector<std::vector<DPoint>> device;
    device.reserve(polygons.size());
    for (const auto& polygon : polygons)
        device.push_back(ToDevice(polygon));
    if (pathOpen_) {
        for (auto& figure : device)
            AddFigure(std::move(figure), true);
        return;
    }
    canvas_.Polygons(device, state_.winding, DeviceBrush(), DevicePen());
}

void CMetafileDevice::PolyPolyline(const std::vector<std::vector<DPoint>>& lines)
{
    for (const auto& line : lines)
        Polyline(line);
}

// Cubic curves as short lines: each curve gets enough steps that no chord is longer
// than a few pixels along its control polygon, at most 64.
std::vector<DPoint> CMetafileDevice::Flatten(DPoint start, const std::vector<DPoint>& controls) const
{
    std::vector<DPoint> out;
    DPoint p0 = ToDevice(start);
    out.push_back(p0);
    // Many curves share a fixed number of points between them, so a long record does
    // not multiply its size by the steps.
    const std::size_t curves = std::max<std::size_t>(controls.size() / 3, 1);
    const int mostSteps = static_cast<int>(std::clamp<std::size_t>(kMaxFlatPoints / curves, 1, 64));
    for (std::size_t i = 0; i + 3 <= controls.size(); i += 3) {
        const DPoint p1 = ToDevice(controls[i]);
        const DPoint p2 = ToDevice(controls[i + 1]);
        const DPoint p3 = ToDevice(controls[i + 2]);
        const double length = Distance(p0, p1) + Distance(p1, p2) + Distance(p2, p3);
        const int steps = std::isfinite(length)
                              ? static_cast<int>(std::clamp(length / 4, 1.0, static_cast<double>(mostSteps)))
                              : 1;
        for (int s = 1; s <= steps; ++s) {
            const double t = static_cast<double>(s) / steps;
            const double u = 1 - t;
            const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
            out.push_back({w0 * p0.x + w1 * p1.x + w2 * p2.x + w3 * p3.x,
                           w0 * p0.y + w1 * p1.y + w2 * p2.y + w3 * p3.y});
        }
        p0 = p3;
    }
    return out;
}

void CMetafileDevice::PolyBezier(const std::vector<DPoint>& points)
{
    if (points.size() < 4)
        return;
    std::vector<DPoint> line = Flatten(points.front(), std::vector<DPoint>(points.begin() + 1, points.end()));
    if (pathOpen_)
        AddFigure(std::move(line), false);
    else
        canvas_.Polyline(line, DevicePen());
}

void CMetafileDevice::PolyBezierTo(const std::vector<DPoint>& points)
{
    if (points.size() < 3)
        return;
    std::vector<DPoint> line = Flatten(state_.position, points);
    state_.position = points[points.size() / 3 * 3 - 1];
    if (pathOpen_) {
        const DPoint from = line.front();
        line.erase(line.begin());
        ExtendFigure(from, line);
        return;
    }
    canvas_.Polyline(line, DevicePen());
}

void CMetafileDevice::Picture(const PixelBlock& pixels, int sx, int sy, int sw, int sh, DPoint at,
                              DPoint extent, std::uint32_t rop)
{
    canvas_.Picture(pixels, sx, sy, sw, sh, ToDevice(at), ToDevice({at.x + extent.x, at.y + extent.y}), rop,
                    DeviceBrush());
}

void CMetafileDevice::Pattern(DPoint at, DPoint extent, std::uint32_t rop)
{
    canvas_.Pattern(ToDevice(at), ToDevice({at.x + extent.x, at.y + extent.y}), rop, DeviceBrush());
}

void CMetafileDevice::BeginPath()
{
    path_.clear();
    pathPoints_ = 0;
    pathOpen_ = true;
}

void CMetafileDevice::AbortPath()
{
    path_.clear();
    pathPoints_ = 0;
    pathOpen_ = false;
}

void CMetafileDevice::CloseFigure()
{
    if (!path_.empty())
        path_.back().closed = true;
}

void CMetafileDevice::FillPath()
{
    std::vector<std::vector<DPoint>> contours;
    contours.reserve(path_.size());
    for (auto& figure : path_)
        contours.push_back(std::move(figure.points));
    CanvasPen none;
    none.style = kPenNull;
    canvas_.Polygons(contours, state_.winding, DeviceBrush(), none);
    AbortPath();
}

void CMetafileDevice::StrokePath()
{
    const CanvasPen pen = DevicePen();
    CanvasBrush none;
    none.style = kBrushNull;
    for (const auto& figure : path_) {
        if (figure.closed)
            canvas_.Polygons({figure.points}, false, none, pen);
        else
            canvas_.Polyline(figure.points, pen);
    }
    AbortPath();
}

void CMetafileDevice::StrokeAndFillPath()
{
    std::vector<std::vector<DPoint>> contours;
    contours.reserve(path_.size());
    for (const auto& figure : path_)
        contours.push_back(figure.points);
    CanvasPen none;
    none.style = kPenNull;
    canvas_.Polygons(contours, state_.winding, DeviceBrush(), none);
    StrokePath();
}

std::vector<DPoint> CMetafileDevice::ArcPoints(DPoint a, DPoint b, double from, double sweep) const
{
    const double cx = (a.x + b.x) / 2;
    const double cy = (a.y + b.y) / 2;
    const double rx = std::abs(b.x - a.x) / 2;
    const double ry = std::abs(b.y - a.y) / 2;
    const double deviceRadius = std::max(rx, ry) * LinearScale();
    const int full = std::isfinite(deviceRadius)
                         ? static_cast<int>(std::clamp(std::sqrt(deviceRadius) * 8, 16.0, 1024.0))
                         : 16;
    const int n = std::max(2, static_cast<int>(std::ceil(full * std::abs(sweep) / (2 * kPi))));
    std::vector<DPoint> points;
    points.reserve(static_cast<std::size_t>(n) + 1);
    for (int k = 0; k <= n; ++k) {
        const double angle = from + sweep * k / n;
        points.push_back({cx + rx * std::cos(angle), cy - ry * std::sin(angle)});
    }
    return points;
}

void CMetafileDevice::Arc(DPoint a, DPoint b, DPoint start, DPoint end, ArcKind kind)
{
    const double cx = (a.x + b.x) / 2;
    const double cy = (a.y + b.y) / 2;
    const double rx = std::abs(b.x - a.x) / 2;
    const double ry = std::abs(b.y - a.y) / 2;
    if (rx == 0 || ry == 0 || !std::isfinite(rx) || !std::isfinite(ry))
        return;
    // Angles on the unit circle the ellipse is stretched from, y counted upwards in
    // logical units.
    const double from = std::atan2(-(start.y - cy) / ry, (start.x - cx) / rx);
    const double to = std::atan2(-(end.y - cy) / ry, (end.x - cx) / rx);
    // Increasing angles run anticlockwise on the picture when the mapping keeps the
    // turning sense, clockwise when it mirrors (y counted upwards in the file).
    const bool mirrored = toDevice_.a * toDevice_.d - toDevice_.b * toDevice_.c < 0;
    const bool increasing = state_.clockwise == mirrored;
    double sweep = to - from;
    if (increasing) {
        while (sweep <= 0)
            sweep += 2 * kPi;
    } else {
        while (sweep >= 0)
            sweep -= 2 * kPi;
    }
    std::vector<DPoint> logical = ArcPoints(a, b, from, sweep);
    if (kind == kPie)
        logical.push_back({cx, cy});
    std::vector<DPoint> device = ToDevice(logical);
    if (pathOpen_) {
        AddFigure(std::move(device), kind != kArc);
        return;
    }
    if (kind == kArc)
        canvas_.Polyline(device, DevicePen());
    else
        canvas_.Polygons({device}, state_.winding, DeviceBrush(), DevicePen());
}

void CMetafileDevice::RoundRect(DPoint a, DPoint b, DPoint corner)
{
    const double left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    const double top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
    const double w = std::min(std::abs(corner.x), right - left);
    const double h = std::min(std::abs(corner.y), bottom - top);
    if (!(w > 0 && h > 0)) {
        Rectangle(a, b);
        return;
    }
    // Quarter ellipses of w x h in the corners, anticlockwise from the top right.
    std::vector<DPoint> logical;
    auto quarter = [&](double l, double t, double from) {
        const std::vector<DPoint> arc = ArcPoints({l, t}, {l + w, t + h}, from, kPi / 2);
        logical.insert(logical.end(), arc.begin(), arc.end());
    };
    quarter(right - w, top, 0);
    quarter(left, top, kPi / 2);
    quarter(left, bottom - h, kPi);
    quarter(right - w, bottom - h, 3 * kPi / 2);
    std::vector<DPoint> device = ToDevice(logical);
    if (pathOpen_)
        AddFigure(std::move(device), true);
    else
        canvas_.Polygons({device}, state_.winding, DeviceBrush(), DevicePen());
}

void CMetafileDevice::SetPixel(DPoint p, std::uint32_t colour)
{
    canvas_.Pixel(ToDevice(p), colour);
}

void CMetafileDevice::FillBackground(DPoint a, DPoint b)
{
    CanvasBrush brush;
    brush.colour = state_.bkColour;
    CanvasPen none;
    none.style = kPenNull;
    const std::vector<DPoint> corners = ToDevice(std::vector<DPoint>{a, {b.x, a.y}, b, {a.x, b.y}});
    canvas_.Polygons({corners}, false, brush, none);
}

void CMetafileDevice::Text(const MfText& text)
{
    if (pathOpen_)
        return; // text outlines are not collected into paths
    const bool updateCp = (state_.textAlign & kAlignUpdateCp) != 0;
    const DPoint reference = updateCp ? state_.position : text.reference;
    if (text.box && (text.options & MfText::kOpaque) != 0)
        FillBackground(text.box->first, text.box->second);
    bool clipped = false;
    if (text.box && (text.options & MfText::kClipped) != 0) {
        const DPoint a = ToDevice(text.box->first);
        const DPoint b = ToDevice(text.box->second);
        if (!CMetafileCanvas::IsFinite(a) || !CMetafileCanvas::IsFinite(b))
            return;
        const SurfaceRect box = DeviceRect(a, b);
        const SurfaceRect limit = state_.clip ? IntersectRects(*state_.clip, box) : box;
        canvas_.SetClip(&limit);
        clipped = true;
    }
    // The baseline runs at the escapement's angle from the logical x axis, turning from
    // it towards logical -y (anticlockwise on a picture whose y counts downwards); the
    // mapping then places it on the picture, so a file counting y upwards turns its
    // text the other way round, and a world transform turns it further.
    const double escapement = state_.font.escapement * kPi / 1800;
    const DPoint logicalDir{std::cos(escapement), -std::sin(escapement)};
    DPoint dir{toDevice_.a * logicalDir.x + toDevice_.c * logicalDir.y,
               toDevice_.b * logicalDir.x + toDevice_.d * logicalDir.y};
    // A mapping that only mirrors left and right still writes from left to right.
    if (toDevice_.IsAxisAligned() && toDevice_.a < 0)
        dir.x = -dir.x;
    const DPoint across{-toDevice_.a * logicalDir.y + toDevice_.c * logicalDir.x,
                        -toDevice_.b * logicalDir.y + toDevice_.d * logicalDir.x};
    const double along = std::hypot(dir.x, dir.y);
    TextRun run;
    run.font = state_.font;
    run.text = text.chars;
    run.glyphIndices = (text.options & MfText::kGlyphIndices) != 0;
    run.advances.reserve(text.advances.size());
    for (const double advance : text.advances)
        run.advances.push_back(advance * along);
    run.extraSpace = state_.charExtra * along;
    run.origin = ToDevice(reference);
    run.scaleAlong = along;
    run.scaleAcross = std::hypot(across.x, across.y);
    run.angle = std::atan2(-dir.y, dir.x);
    run.align = state_.textAlign;
    run.colour = state_.textColour;
    run.opaque = state_.bkOpaque;
    run.background = state_.bkColour;
    const double width = text_.Draw(run);
    if (clipped)
        ApplyClip();
    if (updateCp && along > 0) {
        // The current position moves past the text (back over it when aligned right).
        const unsigned horizontal = state_.textAlign & kAlignHorizontalMask;
        const double sign = horizontal == kAlignRight ? -1 : (horizontal == kAlignCenter ? 0 : 1);
        const double logical = sign * width / along;
        state_.position.x += logical * logicalDir.x;
        state_.position.y += logical * logicalDir.y;
    }
}

void CMetafileDevice::Select(const MfObject& object)
{
    if (object.kind == MfObject::kPen)
        SelectPen(object.pen);
    else if (object.kind == MfObject::kBrush)
        SelectBrush(object.brush);
    else if (object.kind == MfObject::kFont)
        SelectFont(object.font);
}
