#pragma once

#include <cstdint>
#include <vector>

#include "surfaces/PixelBlock.h"
#include "surfaces/RasterSurface.h"

// A point in device pixels of the picture being played (x right, y down).
struct DPoint {
    double x = 0;
    double y = 0;
};

// A pen as the canvas draws it: its width already in device pixels.
struct CanvasPen {
    int style = 0;            // MfPenStyle
    double width = 0;         // device pixels; up to 1.5 is one pixel
    std::uint32_t colour = 0; // 0x00BBGGRR

    bool IsNull() const;
};

// A brush as the canvas paints it, with the background a hatch shows between its lines.
struct CanvasBrush {
    int style = 0; // MfBrushStyle
    std::uint32_t colour = 0xFFFFFF;
    int hatch = 0;
    std::uint32_t background = 0xFFFFFF;
    bool opaqueBackground = true;

    bool IsNull() const;
};

// Draws the shapes of a metafile, in device pixels, on a raster surface. Simple shapes
// (rectangles and ellipses with a solid or hollow brush and a pen the surface has) go
// through the surface and keep its pixel rules; polygons, lines of any width and
// style, hatched fills and unusual copy modes are rasterised here, on the surface's
// pixels, under the surface's clip box.
//
// Every operation is bounded: points are first checked to be finite and clamped to a
// range around the surface, scanning only visits rows and columns inside the clip
// box, and every operation charges its work (pixels visited, edges stepped) to a
// budget. Once the budget is spent, drawing stops (Exhausted() tells), so a file of
// many huge shapes costs a bounded time.
class CMetafileCanvas {
public:
    CMetafileCanvas(CRasterSurface& surface, std::uint64_t budget) : surface_(surface), budget_(budget) {}

    bool Exhausted() const { return budget_ == 0; }
    // Charges work done outside the canvas (reading embedded pictures) to the budget;
    // false once it is spent.
    bool Spend(std::uint64_t work) { return Charge(work); }
    int Width() const { return surface_.Width(); }
    int Height() const { return surface_.Height(); }

    // Restricts drawing to a rectangle of device pixels, or lifts the restriction.
    void SetClip(const SurfaceRect* rect);

    // Filled outlines: several closed contours filled as one shape (the winding rule or
    // alternate rule), then each contour outlined with the pen.
    void Polygons(const std::vector<std::vector<DPoint>>& contours, bool winding, const CanvasBrush& brush,
                  const CanvasPen& pen);
    // An open line through the points; the last point is not lit, as with any line.
    void Polyline(const std::vector<DPoint>& points, const CanvasPen& pen);
    // An axis-aligned rectangle or ellipse between two corners.
    void Rectangle(DPoint a, DPoint b, const CanvasBrush& brush, const CanvasPen& pen);
    void Ellipse(DPoint a, DPoint b, const CanvasBrush& brush, const CanvasPen& pen);
    // Copies the source rectangle (sx, sy, sw, sh; rows counted from the picture's top)
    // into the destination rectangle between corners a and b, combined with the
    // destination and the brush by a ternary raster operation (its code's third byte).
    void Picture(const PixelBlock& pixels, int sx, int sy, int sw, int sh, DPoint a, DPoint b,
                 std::uint32_t rop, const CanvasBrush& brush);
    // One pixel of a colour.
    void Pixel(DPoint p, std::uint32_t colour);
    // A raster operation without a source picture (pattern fills, blackness, inversion).
    void Pattern(DPoint a, DPoint b, std::uint32_t rop, const CanvasBrush& brush);
    // Mixes a colour into the pixels x0 .. x1 - 1 of row y by a coverage of 0 (none)
    // to 255 (all), inside the clip box only (the glyphs of text).
    void BlendSpan(int y, int x0, int x1, unsigned coverage, std::uint32_t colour);
    // The rectangle drawing is restricted to, in device pixels.
    SurfaceRect Clip() const { return ClipBox(); }

    // Points further out than this (in pixels from the surface) are pulled in; far
    // enough that shapes crossing the surface keep their look.
    static constexpr double kCoordinateLimit = 1 << 22;
    // Whether a point can be drawn (both coordinates finite).
    static bool IsFinite(DPoint p);

private:
    struct Edge {
        double yTop, yBottom, xTop, slope;
        int dir;
    };

    bool Charge(std::uint64_t work);
    SurfaceRect ClipBox() const { return surface_.GetClipBox(); }
    void FillContours(const std::vector<std::vector<DPoint>>& contours, bool winding,
                      const CanvasBrush& brush);
    void PaintSpan(int y, int x0, int x1, const CanvasBrush& brush);
    void StrokeCosmetic(const std::vector<DPoint>& points, bool closed, const CanvasPen& pen);
    void StrokeWide(const std::vector<DPoint>& points, bool closed, const CanvasPen& pen);
    // Discs at vertices first..last - 1 and bands along segments first..segmentsEnd - 1.
    void StrokeWideBatch(const std::vector<DPoint>& points, std::size_t first, std::size_t last,
                         std::size_t segmentsEnd, double half, int discPoints, const CanvasBrush& brush);
    void Stroke(const std::vector<DPoint>& points, bool closed, const CanvasPen& pen);
    void CosmeticSegment(DPoint p, DPoint q, std::uint32_t stored, const std::vector<int>& pattern,
                         std::uint64_t& phase);
    void GenericPicture(const PixelBlock& pixels, int sx, int sy, int sw, int sh, int x0, int y0, int x1,
                        int y1, std::uint32_t rop, std::uint32_t patternColour);
    static std::vector<DPoint> EllipsePoints(DPoint a, DPoint b);
    static DPoint Clamp(DPoint p);

    CRasterSurface& surface_;
    std::uint64_t budget_;
};
