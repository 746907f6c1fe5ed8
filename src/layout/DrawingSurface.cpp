#include "layout/DrawingSurface.h"

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
