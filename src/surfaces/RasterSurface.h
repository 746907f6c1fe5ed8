#pragma once

#include <cstdint>
#include <memory>

#include "surfaces/DrawingSurface.h"

// A drawing surface in memory with the pixel rules of the original drawing platform:
// the screen's back buffer, off-screen pictures (label masks), print preview pages,
// PNG export and the tests.
//
// Pixels are stored top-down, 32 bits each as 0xFFRRGGBB (a Format_RGB32 picture can
// wrap the buffer as it is), rows packed without padding.
//
// Rules every operation keeps:
// - Only pixels inside the clip box are ever read or written.
// - Outline (a, b)-(c, d): columns a and c - 1, rows b and d - 1. Fill: (a, b) up to but
//   not including (c, d). Reversed corners are swapped first.
// - Lines light their first pixel, never their last. Each pixel is the one the ideal line
//   passes closest to along the minor axis; a line passing exactly half-way between two
//   pixels lights the one with the smaller coordinate.
// - The dotted pen lights 3 pixels and skips 3, counted in device pixels along the
//   outline: a LineTo starts the pattern afresh; a rectangle carries it on from its
//   top-left corner to the right, down, left and up; an ellipse carries it on from its
//   rightmost point anticlockwise.
// - A pen of width w > 1 paints a w x w square around every pixel of the one-pixel
//   outline, reaching w / 2 pixels up and left of it (rows y - 1 and y for width 2).
// - Ellipse: a pixel belongs to the ellipse inscribed in (a, b)-(c, d) when its centre lies
//   in the ellipse through the outer pixel edges, ((2x - a - c + 1) / (c - a))^2 +
//   ((2y - b - d + 1) / (d - b))^2 <= 1; the middle row(s) always reach columns a and
//   c - 1 and the middle column(s) rows b and d - 1, so the ellipse touches all four sides.
//   Its outline is every pixel of it with a neighbour above, below, left or right outside
//   it; the rest is filled with the brush. The result is symmetric in both axes.
// - Stretched copies: destination pixel i of a span of n takes source pixel
//   floor(i * m / n) of the m source pixels; rows and columns are repeated when
//   enlarging and dropped when shrinking, colours are never mixed.
class CRasterSurface final : public CDrawingSurface {
public:
    // Largest side and pixel count a surface may have (a 1200 dpi A3 page fits).
    static constexpr int kMaxSide = 1 << 16;
    static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 29;

    // An off-screen picture of width x height pixels at 96 dpi, filled with fill. A size
    // outside 1..kMaxSide (or above kMaxPixels) or memory that cannot be had gives an
    // empty surface (IsValid() false) on which drawing does nothing.
    CRasterSurface(int width, int height, SurfaceColour fill = kColourWhite);
    // A simulated printer page: horzRes x vertRes pixels with the given measurements.
    explicit CRasterSurface(const DeviceCaps& caps, SurfaceColour fill = kColourWhite);

    bool IsValid() const { return pixels_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Bytes from one row to the next.
    int Stride() const { return width_ * 4; }
    std::uint8_t* Data() { return reinterpret_cast<std::uint8_t*>(pixels_.get()); }
    const std::uint8_t* Data() const { return reinterpret_cast<const std::uint8_t*>(pixels_.get()); }
    // The pixels of row y (0 = top) as 0xFFRRGGBB values; y must lie in 0..Height() - 1.
    std::uint32_t* Row(int y) { return pixels_.get() + std::size_t(width_) * std::size_t(y); }
    const std::uint32_t* Row(int y) const { return pixels_.get() + std::size_t(width_) * std::size_t(y); }

    // The colour of a pixel as 0x00BBGGRR, or 0xFFFFFFFF outside the surface.
    SurfaceColour GetPixel(int x, int y) const;
    // Sets one pixel (inside the clip box only).
    void SetPixel(int x, int y, SurfaceColour colour);
    // Changes the measurements; horzRes and vertRes must stay the size of the pixels
    // (false and nothing changed otherwise).
    bool SetDeviceCaps(const DeviceCaps& caps);

    static constexpr std::uint32_t ToStored(SurfaceColour c)
    {
        return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
    static constexpr SurfaceColour FromStored(std::uint32_t p)
    {
        return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
    }

    void Rectangle(int left, int top, int right, int bottom) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void FillRect(const SurfaceRect& rect, SurfaceColour colour) override;
    void StretchDib(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw, int sh,
                    RasterOp op = RasterOp::Copy, const CRasterImage* origin = nullptr) override;
    void StretchDibTransparent(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw,
                               int sh, SurfaceColour transparent, const CRasterImage* origin = nullptr,
                               int transIndex = -1) override;
    void BitBlt(int x, int y, int cx, int cy, const CRasterSurface& source, int sx, int sy,
                RasterOp op = RasterOp::Copy) override;

protected:
    void DrawLine(int x0, int y0, int x1, int y1) override;

private:
    struct Box {
        std::int64_t left, top, right, bottom;
    };

    void Allocate(int width, int height, SurfaceColour fill);
    Box Clip() const;
    void FillBox(Box box, std::uint32_t stored);
    void PenPixel(const Box& clip, std::int64_t x, std::int64_t y, std::uint32_t stored, int width);
    void PenRun(const Box& clip, bool horizontal, std::int64_t fixed, std::int64_t start, std::int64_t count,
                int dir, std::int64_t patternStart);
    void Stretch(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw, int sh,
                 RasterOp op, bool keyed, std::uint32_t key, int keyIndex = -1);

    std::unique_ptr<std::uint32_t[]> pixels_;
    int width_ = 0;
    int height_ = 0;
};
