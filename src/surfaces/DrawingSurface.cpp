#include "surfaces/DrawingSurface.h"

#include <algorithm>

SurfaceRect IntersectRects(const SurfaceRect& a, const SurfaceRect& b)
{
    SurfaceRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
    if (r.IsEmpty())
        return {};
    return r;
}

SurfacePen CDrawingSurface::SelectPen(const SurfacePen& pen)
{
    const SurfacePen previous = pen_;
    pen_ = pen;
    return previous;
}

SurfaceBrush CDrawingSurface::SelectBrush(const SurfaceBrush& brush)
{
    const SurfaceBrush previous = brush_;
    brush_ = brush;
    return previous;
}

void CDrawingSurface::SetClipRect(const SurfaceRect* rect)
{
    if (rect == nullptr)
        clip_.reset();
    else
        clip_ = *rect;
}

SurfaceRect CDrawingSurface::GetClipBox() const
{
    const SurfaceRect bounds = Bounds();
    if (bounds.IsEmpty())
        return {};
    return clip_ ? IntersectRects(bounds, *clip_) : bounds;
}

bool CDrawingSurface::RectVisible(const SurfaceRect& rect) const
{
    return !IntersectRects(GetClipBox(), rect).IsEmpty();
}

void CDrawingSurface::MoveTo(int x, int y)
{
    curX_ = x;
    curY_ = y;
}

void CDrawingSurface::LineTo(int x, int y)
{
    DrawLine(curX_, curY_, x, y);
    curX_ = x;
    curY_ = y;
}

StretchGeometry NormaliseStretch(int x, int y, int cx, int cy, int sx, int sy, int sw, int sh)
{
    StretchGeometry g{x, y, cx, cy, sx, sy, sw, sh, false, false};
    // 64-bit arithmetic: negating the smallest int stays representable.
    auto flip = [](std::int64_t& start, std::int64_t& extent, bool& mirror) {
        if (extent < 0) {
            start += extent;
            extent = -extent;
            mirror = !mirror;
        }
    };
    flip(g.dl, g.dw, g.mirrorX);
    flip(g.dt, g.dh, g.mirrorY);
    flip(g.sl, g.sw, g.mirrorX);
    flip(g.st, g.sh, g.mirrorY);
    return g;
}
