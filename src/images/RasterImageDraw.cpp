// The drawing members of CRasterImage: every one hands the pixel block straight to the
// surface as a stretched copy (rows and columns dropped or repeated, never blended), so a
// surface computes only what lands in its clip box and a page surface sees the picture
// itself.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "images/RasterImage.h"
#include "surfaces/DrawingSurface.h"
#include "surfaces/RasterSurface.h"

namespace {

// (x, y, cx, cy) as a rectangle, the far edges held inside the int range.
SurfaceRect RectOf(int x, int y, int cx, int cy)
{
    auto edge = [](std::int64_t v) {
        return int(
            std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    const std::int64_t r = std::int64_t{x} + cx;
    const std::int64_t b = std::int64_t{y} + cy;
    return {edge(std::min<std::int64_t>(x, r)), edge(std::min<std::int64_t>(y, b)),
            edge(std::max<std::int64_t>(x, r)), edge(std::max<std::int64_t>(y, b))};
}

} // namespace

const PixelBlock& CRasterImage::BlockFor(const CDrawingSurface& dc, int cx, int cy, int& sx, int& sy, int& sw,
                                         int& sh) const
{
    // A PDF page embeds a JPEG's own bytes: its pixels need not exist.
    if (jpegData_ && transIndex_ < 0 && dc.TakesJpegData())
        return pixels_;
    if (dc.ForScreen())
        return ScreenPixels(cx, cy, sx, sy, sw, sh);
    return Pixels();
}

bool CRasterImage::DrawStretched(CDrawingSurface* dc, int x, int y, int cx, int cy) const
{
    if (!IsValid() || dc == nullptr || cx == 0 || cy == 0 || !enabled_)
        return false;
    const int w = GetWidth();
    const int h = GetHeight();
    if (cx < 0)
        cx = w;
    if (cy < 0)
        cy = h;
    int sx = 0, sy = 0, sw = w, sh = h;
    if (transIndex_ < 0) {
        const PixelBlock& block = BlockFor(*dc, cx, cy, sx, sy, sw, sh);
        dc->StretchDib(x, y, cx, cy, block, sx, sy, sw, sh, RasterOp::Copy, this);
        return true;
    }
    // With a transparent colour the destination shows through wherever the picture has
    // that colour; a rectangle that is nowhere visible costs nothing.
    if (!dc->RectVisible(RectOf(x, y, cx, cy)))
        return true;
    const PixelBlock& block = BlockFor(*dc, cx, cy, sx, sy, sw, sh);
    dc->StretchDibTransparent(x, y, cx, cy, block, sx, sy, sw, sh, GetTransColour(), this, transIndex_);
    return true;
}

bool CRasterImage::DrawPart(CDrawingSurface* dc, int x, int y, int cx, int cy, int sx, int sy, int sw,
                            int sh) const
{
    if (!IsValid() || dc == nullptr)
        return false;
    if (cx < 0)
        cx = GetWidth();
    if (cy < 0)
        cy = GetHeight();
    // The source rectangle is counted from the picture's top row; the surface reads the
    // bottom-up rows accordingly and never outside the picture.
    const PixelBlock& block = BlockFor(*dc, cx, cy, sx, sy, sw, sh);
    dc->StretchDib(x, y, cx, cy, block, sx, sy, sw, sh, RasterOp::Copy, this);
    return true;
}

bool CRasterImage::Draw(CDrawingSurface* dc, int x, int y, int cx, int cy, const SurfaceRect* clip,
                        bool /*smooth*/) const
{
    // Smoothing is never offered: the picture is always resampled nearest neighbour.
    if (!IsValid() || !enabled_ || dc == nullptr || cx == 0 || cy == 0)
        return false;
    const int w = GetWidth();
    const int h = GetHeight();
    if (cx < 0)
        cx = w;
    if (cy < 0)
        cy = h;
    // A clipping rectangle narrows the surface's own clipping for this call only.
    const std::optional<SurfaceRect> saved = dc->GetClipRect();
    if (clip != nullptr) {
        const SurfaceRect narrowed = saved ? IntersectRects(*saved, *clip) : *clip;
        dc->SetClipRect(&narrowed);
    }
    int sx = 0, sy = 0, sw = w, sh = h;
    const PixelBlock& block = BlockFor(*dc, cx, cy, sx, sy, sw, sh);
    if (transIndex_ < 0)
        dc->StretchDib(x, y, cx, cy, block, sx, sy, sw, sh, RasterOp::Copy, this);
    else
        dc->StretchDibTransparent(x, y, cx, cy, block, sx, sy, sw, sh, GetTransColour(), this, transIndex_);
    if (clip != nullptr)
        dc->SetClipRect(saved ? &*saved : nullptr);
    return true;
}

bool CRasterImage::Tile(CDrawingSurface* dc, const SurfaceRect& rect) const
{
    if (!IsValid() || !enabled_ || dc == nullptr)
        return false;
    const std::int64_t w = GetWidth();
    const std::int64_t h = GetHeight();
    // Only the tiles that meet the clip box are drawn; tiles still start at the
    // rectangle's top-left corner and the last column and row are cut to the rectangle.
    const SurfaceRect visible = IntersectRects(rect, dc->GetClipBox());
    if (visible.IsEmpty())
        return true;
    const std::int64_t firstCol = (std::int64_t{visible.left} - rect.left) / w;
    const std::int64_t firstRow = (std::int64_t{visible.top} - rect.top) / h;
    const SurfaceColour key = GetTransColour();
    const PixelBlock& pixels = Pixels();
    for (std::int64_t ty = rect.top + firstRow * h; ty < visible.bottom; ty += h) {
        const int th = int(std::min<std::int64_t>(h, rect.bottom - ty));
        for (std::int64_t tx = rect.left + firstCol * w; tx < visible.right; tx += w) {
            const int tw = int(std::min<std::int64_t>(w, rect.right - tx));
            if (transIndex_ < 0)
                dc->StretchDib(int(tx), int(ty), tw, th, pixels, 0, 0, tw, th, RasterOp::Copy, this);
            else
                dc->StretchDibTransparent(int(tx), int(ty), tw, th, pixels, 0, 0, tw, th, key, this,
                                          transIndex_);
        }
    }
    return true;
}

bool CRasterImage::CreateFromBitmap(const CRasterSurface& bitmap)
{
    // The previous picture goes first, whatever happens next.
    DropPending();
    pixels_.Reset();
    transIndex_ = -1;
    transColour_ = 0;
    quarterTurns_ = 0;
    exifOrientation_ = 1;
    sourcePath_.clear();
    xDpi_ = yDpi_ = 96;
    if (!bitmap.IsValid()) {
        error_ = "GetDIBits failed";
        return false;
    }
    PixelBlock block;
    if (!block.Create(bitmap.Width(), bitmap.Height(), 24, error_))
        return false;
    const int w = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint32_t* src = bitmap.Row(y);
        std::uint8_t* dst = block.TopRow(y);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = src[x]; // 0xFFRRGGBB
            dst[3 * x] = std::uint8_t(p);
            dst[3 * x + 1] = std::uint8_t(p >> 8);
            dst[3 * x + 2] = std::uint8_t(p >> 16);
        }
    }
    pixels_ = std::move(block);
    return true;
}
