#include "surfaces/RasterSurface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <utility>
#include <vector>

#include "surfaces/PixelBlock.h"

namespace {

using i64 = std::int64_t;
__extension__ typedef __int128 i128;

constexpr std::uint32_t kOpaque = 0xFF000000u;

// Pen widths beyond this are drawn at this width (the program uses 0, 1 and 2).
constexpr int kMaxPenWidth = 64;

// Ellipses with a side above this draw nothing: their exact arithmetic would need more
// than 128 bits, and no page comes near it.
constexpr i64 kMaxEllipseSide = i64{1} << 24;

// Dotted outlines of ellipses are ordered around the whole curve; above this many rows
// or columns the ellipse is outlined solid instead of building a huge pixel list.
constexpr i64 kMaxDottedEllipseSide = i64{1} << 16;

bool PatternOn(PenStyle style, i64 k)
{
    return style != PenStyle::Dotted || (k % 6) < 3;
}

std::uint32_t Combine(std::uint32_t dst, std::uint32_t src, RasterOp op)
{
    switch (op) {
    case RasterOp::Copy:
        return src;
    case RasterOp::Or:
        return dst | src;
    case RasterOp::And:
        return dst & src;
    case RasterOp::Xor:
        return (dst ^ src) | kOpaque;
    }
    return src;
}

int PenWidth(const SurfacePen& pen)
{
    return std::clamp(pen.width, 1, kMaxPenWidth);
}

} // namespace

CRasterSurface::CRasterSurface(int width, int height, SurfaceColour fill) : CDrawingSurface(DeviceCaps{})
{
    Allocate(width, height, fill);
    DeviceCaps caps;
    caps.horzRes = caps.physicalWidth = width_;
    caps.vertRes = caps.physicalHeight = height_;
    SetDeviceCapsInternal(caps);
}

CRasterSurface::CRasterSurface(const DeviceCaps& caps, SurfaceColour fill) : CDrawingSurface(caps)
{
    Allocate(caps.horzRes, caps.vertRes, fill);
    DeviceCaps actual = caps;
    actual.horzRes = width_;
    actual.vertRes = height_;
    SetDeviceCapsInternal(actual);
}

void CRasterSurface::Allocate(int width, int height, SurfaceColour fill)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return;
    // Both sides are at most 2^16, so the product fits 64 bits comfortably.
    const std::uint64_t count = std::uint64_t(width) * std::uint64_t(height);
    if (count > kMaxPixels)
        return;
    pixels_.reset(new (std::nothrow) std::uint32_t[count]);
    if (!pixels_)
        return;
    width_ = width;
    height_ = height;
    std::fill_n(pixels_.get(), count, ToStored(fill));
}

bool CRasterSurface::SetDeviceCaps(const DeviceCaps& caps)
{
    if (caps.horzRes != width_ || caps.vertRes != height_)
        return false;
    SetDeviceCapsInternal(caps);
    return true;
}

SurfaceColour CRasterSurface::GetPixel(int x, int y) const
{
    if (!IsValid() || x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0xFFFFFFFFu;
    return FromStored(Row(y)[x]);
}

void CRasterSurface::SetPixel(int x, int y, SurfaceColour colour)
{
    const Box clip = Clip();
    if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
        Row(y)[x] = ToStored(colour);
}

CRasterSurface::Box CRasterSurface::Clip() const
{
    const SurfaceRect r = IsValid() ? IntersectRects(GetClipBox(), {0, 0, width_, height_}) : SurfaceRect{};
    return {r.left, r.top, r.right, r.bottom};
}

// Fills box (right and bottom exclusive) cut to the clip box.
void CRasterSurface::FillBox(Box box, std::uint32_t stored)
{
    const Box clip = Clip();
    box.left = std::max(box.left, clip.left);
    box.top = std::max(box.top, clip.top);
    box.right = std::min(box.right, clip.right);
    box.bottom = std::min(box.bottom, clip.bottom);
    if (box.left >= box.right || box.top >= box.bottom)
        return;
    for (i64 y = box.top; y < box.bottom; ++y)
        std::fill(Row(int(y)) + box.left, Row(int(y)) + box.right, stored);
}

void CRasterSurface::FillRect(const SurfaceRect& rect, SurfaceColour colour)
{
    FillBox({rect.left, rect.top, rect.right, rect.bottom}, ToStored(colour));
}

// One pixel of an outline, widened to the pen's square.
void CRasterSurface::PenPixel(const Box& clip, i64 x, i64 y, std::uint32_t stored, int width)
{
    if (width <= 1) {
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
            Row(int(y))[x] = stored;
        return;
    }
    const i64 l = x - width / 2;
    const i64 t = y - width / 2;
    FillBox({l, t, l + width, t + width}, stored);
}

// count pixels of an outline in a straight row (horizontal) or column, starting at
// start and stepping by dir, the first one being pixel patternStart of the pen's pattern.
void CRasterSurface::PenRun(const Box& clip, bool horizontal, i64 fixed, i64 start, i64 count, int dir,
                            i64 patternStart)
{
    if (count <= 0)
        return;
    const SurfacePen& pen = Pen();
    const int width = PenWidth(pen);
    const std::uint32_t stored = ToStored(pen.colour);
    // Pixels whose pen square can reach the clip box along the run.
    const i64 lo = (horizontal ? clip.left : clip.top) - width;
    const i64 hi = (horizontal ? clip.right : clip.bottom) + width;
    i64 first = 0;
    i64 last = count - 1;
    if (dir > 0) {
        first = std::max(first, lo - start);
        last = std::min(last, hi - start);
    } else {
        first = std::max(first, start - hi);
        last = std::min(last, start - lo);
    }
    if (first > last)
        return;
    if (pen.style == PenStyle::Solid) {
        const i64 a = start + dir * first;
        const i64 b = start + dir * last;
        const i64 from = std::min(a, b) - width / 2;
        const i64 to = std::max(a, b) - width / 2 + width;
        const i64 across = fixed - width / 2;
        if (horizontal)
            FillBox({from, across, to, across + width}, stored);
        else
            FillBox({across, from, across + width, to}, stored);
        return;
    }
    for (i64 j = first; j <= last; ++j) {
        if (!PatternOn(pen.style, patternStart + j))
            continue;
        const i64 c = start + dir * j;
        if (horizontal)
            PenPixel(clip, c, fixed, stored, width);
        else
            PenPixel(clip, fixed, c, stored, width);
    }
}

// The corners of a shape with reversed corners swapped; false when it has no area.
static bool OrderCorners(int left, int top, int right, int bottom, i64& l, i64& t, i64& r, i64& b)
{
    l = std::min(left, right), r = std::max(left, right);
    t = std::min(top, bottom), b = std::max(top, bottom);
    return r != l && b != t;
}

void CRasterSurface::Rectangle(int left, int top, int right, int bottom)
{
    i64 l, t, r, b;
    if (!OrderCorners(left, top, right, bottom, l, t, r, b) || !IsValid())
        return;
    const Box clip = Clip();
    if (Brush().style == BrushStyle::Solid)
        FillBox({l + 1, t + 1, r - 1, b - 1}, ToStored(Brush().colour));
    const i64 w = r - l;
    const i64 h = b - t;
    if (h == 1) {
        PenRun(clip, true, t, l, w, +1, 0);
        return;
    }
    if (w == 1) {
        PenRun(clip, false, l, t, h, +1, 0);
        return;
    }
    // Clockwise on screen from the top-left corner, each corner belonging to the side
    // that starts there, so the pattern runs on unbroken.
    PenRun(clip, true, t, l, w - 1, +1, 0);
    PenRun(clip, false, r - 1, t, h - 1, +1, w - 1);
    PenRun(clip, true, b - 1, r - 1, w - 1, -1, (w - 1) + (h - 1));
    PenRun(clip, false, l, b - 1, h - 1, -1, 2 * (w - 1) + (h - 1));
}

void CRasterSurface::DrawLine(int x0, int y0, int x1, int y1)
{
    if (!IsValid())
        return;
    const i64 dx = i64{x1} - x0;
    const i64 dy = i64{y1} - y0;
    if (dx == 0 && dy == 0)
        return;
    const Box clip = Clip();
    const SurfacePen& pen = Pen();
    const int width = PenWidth(pen);
    const std::uint32_t stored = ToStored(pen.colour);
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const i64 n = xMajor ? std::llabs(dx) : std::llabs(dy); // pixels drawn: the end one is left out
    const i64 major0 = xMajor ? x0 : y0;
    const i64 minor0 = xMajor ? y0 : x0;
    const i64 minorDelta = xMajor ? dy : dx;
    const int step = (xMajor ? dx : dy) > 0 ? 1 : -1;

    // Only the steps whose pixel can reach the clip box along the major axis.
    const i64 lo = (xMajor ? clip.left : clip.top) - width;
    const i64 hi = (xMajor ? clip.right : clip.bottom) + width;
    i64 first = 0;
    i64 last = n - 1;
    if (step > 0) {
        first = std::max(first, lo - major0);
        last = std::min(last, hi - major0);
    } else {
        first = std::max(first, major0 - hi);
        last = std::min(last, major0 - lo);
    }
    for (i64 i = first; i <= last; ++i) {
        if (!PatternOn(pen.style, i))
            continue;
        // The ideal line's minor offset i * minorDelta / n rounded to the nearest pixel,
        // half-way cases to the smaller coordinate: ceil((2 i minorDelta - n) / 2n).
        // i, |minorDelta| and n are below 2^32, so 2 i minorDelta needs the 128 bits.
        const i128 num = i128(2) * i * minorDelta - n;
        const i128 den = i128(2) * n;
        i128 q = num / den;
        if (num % den != 0 && num > 0)
            ++q;
        const i64 minor = minor0 + i64(q);
        const i64 major = major0 + step * i;
        if (xMajor)
            PenPixel(clip, major, minor, stored, width);
        else
            PenPixel(clip, minor, major, stored, width);
    }
}

void CRasterSurface::Ellipse(int left, int top, int right, int bottom)
{
    i64 l, t, r, b;
    if (!OrderCorners(left, top, right, bottom, l, t, r, b) || !IsValid())
        return;
    const i64 P = r - l; // width: 2 * (radius + 1/2) across
    const i64 Q = b - t; // height
    if (P > kMaxEllipseSide || Q > kMaxEllipseSide)
        return;
    const i64 A = P - 1;       // twice the radius through the outer pixel centres
    const i64 cx2 = l + r - 1; // twice the centre
    const i64 cy2 = t + b - 1;

    // The span of row y, as the largest doubled offset u from the centre with
    // u^2 Q^2 <= P^2 (Q^2 - v^2), v = 2y - cy2, of the same parity as A.
    // P and Q are below 2^25, so both sides stay below 2^100 in 128 bits.
    auto spanOf = [&](i64 y, i64& sl, i64& sr) -> bool {
        if (y < t || y >= b)
            return false;
        const i64 v = 2 * y - cy2;
        i64 u = A;
        if (std::llabs(v) > 1) {
            const i128 limit = i128(P) * P * (i128(Q) * Q - i128(v) * v);
            const i128 q2 = i128(Q) * Q;
            u = i64(double(P) * std::sqrt(double(Q * Q - v * v)) / double(Q));
            while (u > 0 && i128(u) * u * q2 > limit)
                --u;
            while (i128(u + 1) * (u + 1) * q2 <= limit)
                ++u;
            u = std::min(u, A);
            if (((u - A) & 1) != 0)
                --u;
            u = std::max<i64>(u, A & 1);
        }
        sl = (cx2 - u) / 2;
        sr = (cx2 + u) / 2;
        return true;
    };

    const SurfacePen pen = Pen();
    const SurfaceBrush brush = Brush();
    const int width = PenWidth(pen);
    const Box clip = Clip();
    const std::uint32_t penStored = ToStored(pen.colour);
    const std::uint32_t brushStored = ToStored(brush.colour);
    const bool dotted =
        pen.style == PenStyle::Dotted && P <= kMaxDottedEllipseSide && Q <= kMaxDottedEllipseSide;

    // Outline runs of row y: [sl, leftEnd] and [rightStart, sr]; the inside lies between.
    auto outlineOf = [&](i64 y, i64 sl, i64 sr, i64& leftEnd, i64& rightStart) {
        i64 al = 0, ar = 0, bl = 0, br = 0;
        if (!spanOf(y - 1, al, ar) || !spanOf(y + 1, bl, br)) {
            leftEnd = sr;
            rightStart = sr + 1;
            return;
        }
        const i64 innerL = std::max(al, bl);
        const i64 innerR = std::min(ar, br);
        leftEnd = std::max(sl, innerL - 1);
        rightStart = std::min(sr, innerR + 1);
        if (leftEnd + 1 >= rightStart) {
            leftEnd = sr;
            rightStart = sr + 1;
        }
    };

    const i64 yFrom = std::max(t, clip.top - width);
    const i64 yTo = std::min(b, clip.bottom + width);
    for (i64 y = yFrom; y < yTo; ++y) {
        i64 sl = 0, sr = 0, leftEnd = 0, rightStart = 0;
        if (!spanOf(y, sl, sr))
            continue;
        outlineOf(y, sl, sr, leftEnd, rightStart);
        if (brush.style == BrushStyle::Solid && leftEnd + 1 < rightStart)
            FillBox({leftEnd + 1, y, rightStart, y + 1}, brushStored);
        if (dotted)
            continue;
        const i64 across = y - width / 2;
        FillBox({sl - width / 2, across, leftEnd + 1 - width / 2 + width - 1, across + width}, penStored);
        if (rightStart <= sr)
            FillBox({rightStart - width / 2, across, sr - width / 2 + width, across + width}, penStored);
    }
    if (!dotted)
        return;

    // The dotted pattern runs around the whole outline, so order every outline pixel by
    // its angle on the ellipse, starting at the rightmost point and going anticlockwise.
    struct Pt {
        i64 x, y;
        double angle;
    };
    std::vector<Pt> points;
    for (i64 y = t; y < b; ++y) {
        i64 sl = 0, sr = 0, leftEnd = 0, rightStart = 0;
        spanOf(y, sl, sr);
        outlineOf(y, sl, sr, leftEnd, rightStart);
        auto add = [&](i64 x) {
            const double ux = double(2 * x - cx2) / double(P);
            const double vy = double(cy2 - 2 * y) / double(Q);
            double a = std::atan2(vy, ux);
            if (a < 0)
                a += 2 * std::numbers::pi;
            points.push_back({x, y, a});
        };
        for (i64 x = sl; x <= leftEnd; ++x)
            add(x);
        for (i64 x = std::max(rightStart, leftEnd + 1); x <= sr; ++x)
            add(x);
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const Pt& p, const Pt& q) { return p.angle < q.angle; });
    for (std::size_t k = 0; k < points.size(); ++k) {
        if (PatternOn(PenStyle::Dotted, i64(k)))
            PenPixel(clip, points[k].x, points[k].y, penStored, width);
    }
}

void CRasterSurface::StretchDib(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy,
                                int sw, int sh, RasterOp op, const CRasterImage* /*origin*/)
{
    Stretch(x, y, cx, cy, pixels, sx, sy, sw, sh, op, false, 0);
}

void CRasterSurface::StretchDibTransparent(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx,
                                           int sy, int sw, int sh, SurfaceColour transparent,
                                           const CRasterImage* /*origin*/, int transIndex)
{
    Stretch(x, y, cx, cy, pixels, sx, sy, sw, sh, RasterOp::Copy, true, ToStored(transparent), transIndex);
}

void CRasterSurface::Stretch(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw,
                             int sh, RasterOp op, bool keyed, std::uint32_t key, int keyIndex)
{
    if (!IsValid() || !pixels.IsValid() || cx == 0 || cy == 0 || sw == 0 || sh == 0)
        return;
    // Normalise negative extents to a rectangle plus a mirror flag per axis.
    const StretchGeometry g = NormaliseStretch(x, y, cx, cy, sx, sy, sw, sh);
    const i64 dl = g.dl, dt = g.dt, dw = g.dw, dh = g.dh, sl = g.sl, st = g.st, swid = g.sw, shgt = g.sh;
    const bool mirrorX = g.mirrorX, mirrorY = g.mirrorY;
    const Box clip = Clip();
    const i64 vl = std::max(dl, clip.left);
    const i64 vt = std::max(dt, clip.top);
    const i64 vr = std::min(dl + dw, clip.right);
    const i64 vb = std::min(dt + dh, clip.bottom);
    if (vl >= vr || vt >= vb)
        return;

    const i64 picW = pixels.Width();
    const i64 picH = pixels.Height();
    // Source column of every visible destination column (-1: outside the picture).
    // i < 2^31 and swid <= 2^31 (both come from ints), so i * swid fits 64 bits.
    std::vector<std::int32_t> columns(std::size_t(vr - vl));
    bool anyColumn = false;
    bool allColumns = true;
    for (i64 X = vl; X < vr; ++X) {
        const i64 i = X - dl;
        i64 j = i * swid / dw;
        if (mirrorX)
            j = swid - 1 - j;
        const i64 s = sl + j;
        const bool inside = s >= 0 && s < picW;
        columns[std::size_t(X - vl)] = inside ? std::int32_t(s) : -1;
        anyColumn = anyColumn || inside;
        allColumns = allColumns && inside;
    }
    if (!anyColumn)
        return;

    std::array<std::uint32_t, 256> palette{};
    const int bpp = pixels.Bpp();
    if (bpp <= 8) {
        palette.fill(kOpaque);
        const RgbQuad* pal = pixels.Palette();
        for (int k = 0; k < pixels.PaletteSize() && k < 256; ++k)
            palette[std::size_t(k)] = kOpaque | (std::uint32_t{pal[k].red} << 16) |
                                      (std::uint32_t{pal[k].green} << 8) | pal[k].blue;
        // Keyed on the palette entry: every other entry is opaque, so a value without
        // alpha marks that entry's pixels alone, whatever colour they share with others.
        if (keyed && keyIndex >= 0 && keyIndex < pixels.PaletteSize()) {
            palette[std::size_t(keyIndex)] = 0;
            key = 0;
        }
    }

    // Decodes the visible columns of one source row into out (columns outside the
    // picture are left as they are).
    const std::size_t n = columns.size();
    auto decode = [&](const std::uint8_t* src, std::uint32_t* out) {
        switch (bpp) {
        case 1:
            for (std::size_t k = 0; k < n; ++k)
                if (const std::int32_t c = columns[k]; c >= 0)
                    out[k] = palette[(src[c >> 3] >> (7 - (c & 7))) & 1u];
            break;
        case 4:
            for (std::size_t k = 0; k < n; ++k)
                if (const std::int32_t c = columns[k]; c >= 0)
                    out[k] = palette[(c & 1) ? (src[c >> 1] & 0x0Fu) : (src[c >> 1] >> 4)];
            break;
        case 8:
            for (std::size_t k = 0; k < n; ++k)
                if (const std::int32_t c = columns[k]; c >= 0)
                    out[k] = palette[src[c]];
            break;
        default:
            for (std::size_t k = 0; k < n; ++k) {
                if (const std::int32_t c = columns[k]; c >= 0) {
                    const std::uint8_t* p = src + std::size_t(c) * 3;
                    out[k] = kOpaque | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
                }
            }
        }
    };

    const bool plainCopy = op == RasterOp::Copy && !keyed;
    std::vector<std::uint32_t> line(plainCopy ? 0 : n);
    i64 decodedRow = -1; // source row held in line
    i64 lastRowY = -1;   // destination row last written by a plain copy, and its source row
    i64 lastRowSource = -1;
    for (i64 Y = vt; Y < vb; ++Y) {
        const i64 i = Y - dt;
        i64 j = i * shgt / dh;
        if (mirrorY)
            j = shgt - 1 - j;
        const i64 fromTop = st + j;
        if (fromTop < 0 || fromTop >= picH)
            continue;
        std::uint32_t* dst = Row(int(Y)) + vl;
        if (plainCopy) {
            // A repeated source row is the previous destination row once more, provided
            // that row was written in full.
            if (allColumns && lastRowY == Y - 1 && lastRowSource == fromTop)
                std::memcpy(dst, dst - width_, n * sizeof(std::uint32_t));
            else
                decode(pixels.TopRow(std::int32_t(fromTop)), dst);
            lastRowY = Y;
            lastRowSource = fromTop;
            continue;
        }
        if (fromTop != decodedRow) {
            // A source row is decoded once however many destination rows repeat it.
            decode(pixels.TopRow(std::int32_t(fromTop)), line.data());
            decodedRow = fromTop;
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (columns[k] < 0 || (keyed && line[k] == key))
                continue;
            dst[k] = Combine(dst[k], line[k], op);
        }
    }
}

void CRasterSurface::BitBlt(int x, int y, int cx, int cy, const CRasterSurface& source, int sx, int sy,
                            RasterOp op)
{
    if (!IsValid() || !source.IsValid() || cx <= 0 || cy <= 0)
        return;
    const Box clip = Clip();
    // Destination pixels that are inside the clip box and whose source pixel exists.
    const i64 offX = i64{sx} - x;
    const i64 offY = i64{sy} - y;
    const i64 l = std::max({i64{x}, clip.left, -offX});
    const i64 t = std::max({i64{y}, clip.top, -offY});
    const i64 r = std::min({i64{x} + cx, clip.right, source.width_ - offX});
    const i64 b = std::min({i64{y} + cy, clip.bottom, source.height_ - offY});
    if (l >= r || t >= b)
        return;
    const std::size_t n = std::size_t(r - l);
    std::vector<std::uint32_t> copy;
    const bool self = &source == this;
    if (self) {
        // Copying within one surface: take the source rows first so that overlapping
        // rectangles read the pixels as they were.
        copy.resize(n * std::size_t(b - t));
        for (i64 Y = t; Y < b; ++Y)
            std::memcpy(copy.data() + n * std::size_t(Y - t), source.Row(int(Y + offY)) + (l + offX),
                        n * sizeof(std::uint32_t));
    }
    for (i64 Y = t; Y < b; ++Y) {
        const std::uint32_t* src =
            self ? copy.data() + n * std::size_t(Y - t) : source.Row(int(Y + offY)) + (l + offX);
        std::uint32_t* dst = Row(int(Y)) + l;
        if (op == RasterOp::Copy) {
            std::memcpy(dst, src, n * sizeof(std::uint32_t));
            continue;
        }
        for (std::size_t k = 0; k < n; ++k)
            dst[k] = Combine(dst[k], src[k], op);
    }
}
