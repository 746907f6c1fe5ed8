#pragma once

#include <cstdint>
#include <optional>

class PixelBlock;
class CRasterImage;
class CRasterSurface;

// A rectangle in device pixels. Right and bottom are exclusive: (0, 0, 2, 3) covers
// columns 0 and 1 and rows 0 to 2.
struct SurfaceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const SurfaceRect&) const = default;
};

// The common part of two rectangles; an empty rectangle when they do not meet.
SurfaceRect IntersectRects(const SurfaceRect& a, const SurfaceRect& b);

// A stretched copy with its negative extents turned into positive ones and a mirror
// flag per axis (a negative extent on both sides of an axis cancels out).
struct StretchGeometry {
    std::int64_t dl, dt, dw, dh; // destination left, top, width, height
    std::int64_t sl, st, sw, sh; // source left, top, width, height
    bool mirrorX, mirrorY;
};
StretchGeometry NormaliseStretch(int x, int y, int cx, int cy, int sx, int sy, int sw, int sh);

// Measurements of a surface in device pixels. The origin (0, 0) is the top-left corner
// of the printable area; one logical unit is one device pixel.
struct DeviceCaps {
    int logPixelsX = 96;     // pixels per inch across
    int logPixelsY = 96;     // pixels per inch down
    int horzRes = 0;         // printable width
    int vertRes = 0;         // printable height
    int physicalWidth = 0;   // sheet width
    int physicalHeight = 0;  // sheet height
    int physicalOffsetX = 0; // sheet's left edge to the printable area
    int physicalOffsetY = 0; // sheet's top edge to the printable area
};

// Colours are 0x00BBGGRR: red in the low byte, blue in the third.
using SurfaceColour = std::uint32_t;

constexpr SurfaceColour RgbColour(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return SurfaceColour{r} | (SurfaceColour{g} << 8) | (SurfaceColour{b} << 16);
}
inline constexpr SurfaceColour kColourBlack = 0x000000;
inline constexpr SurfaceColour kColourWhite = 0xFFFFFF;

enum class PenStyle : std::uint8_t {
    Solid,
    Dotted, // runs of 3 device pixels on, 3 off; the gaps are left untouched
};

// A pen of width 0 or 1 is one device pixel wide at any resolution.
struct SurfacePen {
    PenStyle style = PenStyle::Solid;
    int width = 0;
    SurfaceColour colour = kColourBlack;

    static constexpr SurfacePen Solid(SurfaceColour c, int w = 0) { return {PenStyle::Solid, w, c}; }
    static constexpr SurfacePen Dotted(SurfaceColour c) { return {PenStyle::Dotted, 0, c}; }
    bool operator==(const SurfacePen&) const = default;
};

enum class BrushStyle : std::uint8_t {
    Solid,
    Hollow, // leaves the inside of a shape untouched
};

struct SurfaceBrush {
    BrushStyle style = BrushStyle::Solid;
    SurfaceColour colour = kColourWhite;

    static constexpr SurfaceBrush Solid(SurfaceColour c) { return {BrushStyle::Solid, c}; }
    static constexpr SurfaceBrush Hollow() { return {BrushStyle::Hollow, kColourWhite}; }
    bool operator==(const SurfaceBrush&) const = default;
};

// How copied pixels combine with the destination, bit by bit on the colour value.
enum class RasterOp : std::uint8_t {
    Copy, // source
    Or,   // destination OR source
    And,  // destination AND source
    Xor,  // destination XOR source
};

// What the renderers draw on: a page of a print job, the screen, an off-screen picture.
// Coordinates are device pixels; nothing here reads pixels back, so a surface may be a
// vector page as well as a block of memory.
class CDrawingSurface {
public:
    virtual ~CDrawingSurface() = default;
    CDrawingSurface(const CDrawingSurface&) = delete;
    CDrawingSurface& operator=(const CDrawingSurface&) = delete;

    const DeviceCaps& GetDeviceCaps() const { return caps_; }
    // (0, 0, horzRes, vertRes): everything drawn outside it is cut off.
    SurfaceRect Bounds() const { return {0, 0, caps_.horzRes, caps_.vertRes}; }

    // Pen and brush for Rectangle, Ellipse and LineTo; each returns the previous one
    // so that a caller can put it back. A new surface has a black one-pixel solid pen
    // and a white brush.
    SurfacePen SelectPen(const SurfacePen& pen);
    SurfaceBrush SelectBrush(const SurfaceBrush& brush);
    const SurfacePen& Pen() const { return pen_; }
    const SurfaceBrush& Brush() const { return brush_; }

    // Restricts every drawing operation to a rectangle; nullptr lifts the restriction.
    void SetClipRect(const SurfaceRect* rect);
    const std::optional<SurfaceRect>& GetClipRect() const { return clip_; }
    // The part of the surface that drawing can reach: the bounds cut by the clipping
    // rectangle (empty when nothing is reachable).
    SurfaceRect GetClipBox() const;
    // Whether any pixel of the rectangle lies in the clip box.
    bool RectVisible(const SurfaceRect& rect) const;

    // Lines: MoveTo sets the current position, LineTo draws from it to (x, y) without
    // lighting (x, y) itself and makes (x, y) the current position.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    // Outline of (left, top)-(right, bottom) with the pen (columns left and right - 1,
    // rows top and bottom - 1), the inside filled with the brush.
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    // The ellipse inscribed in the same rectangle, outlined with the pen and filled
    // with the brush.
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    // Paints rect up to but not including its right column and bottom row.
    virtual void FillRect(const SurfaceRect& rect, SurfaceColour colour) = 0;

    // Copies the source rectangle (sx, sy, sw, sh) of a device-independent bitmap, rows
    // counted from the picture's top, stretched into (x, y, cx, cy): rows and columns
    // are dropped or repeated, colours are never mixed. A negative extent mirrors the
    // picture along that axis. Destination pixels whose source pixel lies outside the
    // picture are left alone. origin, when given, is the image the block belongs to,
    // so that a surface that keeps pictures (a PDF page) can recognise a picture it has
    // seen before; pixel surfaces ignore it.
    virtual void StretchDib(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw,
                            int sh, RasterOp op = RasterOp::Copy, const CRasterImage* origin = nullptr) = 0;
    // The same copy where every transparent source pixel leaves the destination pixel as
    // it was. With a palette and a transIndex inside it, the pixels of that palette entry
    // are the transparent ones (other entries of the same colour stay opaque); otherwise
    // the pixels of the colour transparent.
    virtual void StretchDibTransparent(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy,
                                       int sw, int sh, SurfaceColour transparent,
                                       const CRasterImage* origin = nullptr, int transIndex = -1) = 0;
    // Copies (sx, sy, cx, cy) of an off-screen picture to (x, y) unscaled, combined by op
    // (the program uses Copy and Or). Zero or negative extents copy nothing; source
    // pixels outside the picture leave their destination alone.
    virtual void BitBlt(int x, int y, int cx, int cy, const CRasterSurface& source, int sx, int sy,
                        RasterOp op = RasterOp::Copy) = 0;

    // Restricts drawing to a disc inscribed in disc, less the ellipse inscribed in hole
    // (an empty hole cuts nothing), until ResetClipPath. Surfaces that cannot cut along
    // a path return false and draw as before; the caller then builds a mask itself.
    virtual bool ClipToDisc(const SurfaceRect& disc, const SurfaceRect& hole)
    {
        (void)disc;
        (void)hole;
        return false;
    }
    virtual void ResetClipPath() {}

    // A surface that embeds a JPEG's own bytes (a PDF page) takes a picture whose
    // decoding waits without its pixels: the origin image then carries the data.
    virtual bool TakesJpegData() const { return false; }
    // A surface shown on the screen at its own size (a paper, a preview): pictures may
    // be drawn from a reduced decode there. Never set for pages and print previews.
    void SetForScreen(bool on) { forScreen_ = on; }
    bool ForScreen() const { return forScreen_; }

protected:
    explicit CDrawingSurface(const DeviceCaps& caps) : caps_(caps) {}
    void SetDeviceCapsInternal(const DeviceCaps& caps) { caps_ = caps; }
    // Draws the line for LineTo: (x0, y0) lit, (x1, y1) not.
    virtual void DrawLine(int x0, int y0, int x1, int y1) = 0;

private:
    DeviceCaps caps_;
    SurfacePen pen_;
    SurfaceBrush brush_;
    std::optional<SurfaceRect> clip_;
    int curX_ = 0;
    int curY_ = 0;
    bool forScreen_ = false;
};
