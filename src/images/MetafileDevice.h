#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "images/MetafileCanvas.h"
#include "images/MetafileObjects.h"
#include "images/MetafileText.h"

// An affine transform: x' = a x + c y + e, y' = b x + d y + f (the field order of the
// enhanced format's transform record).
struct MfXform {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    DPoint Apply(DPoint p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    // This transform followed by next.
    MfXform Then(const MfXform& next) const;
    bool IsAxisAligned() const { return b == 0 && c == 0; }
    bool IsFinite() const;
};

enum MfMapMode : int {
    kMapText = 1,
    kMapLoMetric = 2,
    kMapHiMetric = 3,
    kMapLoEnglish = 4,
    kMapHiEnglish = 5,
    kMapTwips = 6,
    kMapIsotropic = 7,
    kMapAnisotropic = 8,
};

// The attributes of the playing context that saving and restoring it keep.
struct MfDcState {
    int mapMode = kMapText;
    DPoint windowOrg{0, 0};
    DPoint windowExt{1, 1};
    DPoint viewportOrg{0, 0};
    DPoint viewportExt{1, 1};
    MfXform world;
    MfPen pen;
    MfBrush brush;
    std::uint32_t bkColour = 0xFFFFFF;
    bool bkOpaque = true;
    bool winding = false;            // polygon fill rule: winding, else alternate
    bool clockwise = false;          // arc direction on the picture
    DPoint position;                 // current position, logical units
    std::optional<SurfaceRect> clip; // device pixels
    MfFont font;
    std::uint32_t textColour = 0;
    unsigned textAlign = 0; // MfTextAlign flags
    double charExtra = 0;   // logical units added after each character
};

// A text record: its characters at a reference point (logical units), with the
// advance of each character when the file gives them, and a rectangle the text may be
// clipped to or painted over first.
struct MfText {
    enum Options : std::uint32_t { kOpaque = 0x0002, kClipped = 0x0004, kGlyphIndices = 0x0010 };
    DPoint reference;
    std::u32string chars;
    std::vector<double> advances; // logical units, one a character, or empty
    std::uint32_t options = 0;
    std::optional<std::pair<DPoint, DPoint>> box;
};

// The playing context: mapping from logical units to the picture's pixels, the current
// drawing objects and attributes with their save stack, an optional path bracket, and
// the drawing operations in logical units, handed to the canvas in device pixels.
//
// Logical units go through the world transform (enhanced files only), then the
// window-to-viewport mapping of the map mode, then the frame: a fixed transform from
// the file's device units to the picture's pixels chosen by the decoder.
class CMetafileDevice {
public:
    // pixelsPerMm: the file's reference device, for the metric map modes.
    CMetafileDevice(CMetafileCanvas& canvas, const MfXform& frame, DPoint pixelsPerMm);

    MfDcState& State() { return state_; }
    const MfDcState& State() const { return state_; }
    CMetafileCanvas& Canvas() { return canvas_; }

    // Mapping. Extents of zero are refused (the mapping stays as it was).
    void SetMapMode(int mode);
    void SetWindowOrg(DPoint p);
    void SetWindowExt(DPoint e);
    void SetViewportOrg(DPoint p);
    void SetViewportExt(DPoint e);
    void OffsetWindowOrg(DPoint d);
    void OffsetViewportOrg(DPoint d);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const MfXform& x);
    // mode 1: identity, 2: x applied before the current one, 3: after it, 4: set.
    void ModifyWorldTransform(const MfXform& x, int mode);
    DPoint ToDevice(DPoint logical) const;
    // How many device pixels one logical unit spans (for pen widths).
    double LinearScale() const;

    // Objects and attributes.
    void SelectPen(const MfPen& pen) { state_.pen = pen; }
    void SelectBrush(const MfBrush& brush) { state_.brush = brush; }
    void IntersectClip(DPoint a, DPoint b);
    // A clip rectangle given in the file's device units (regions), or none.
    void SetDeviceClip(const std::optional<std::pair<DPoint, DPoint>>& rect);

    // The save stack, bounded: saves beyond kMaxSaved are counted but keep nothing.
    static constexpr std::size_t kMaxSaved = 1024;
    void Save();
    // A negative level pops that many saved states; a positive one goes back to that
    // saved state (1 is the first). Levels that were never saved are ignored.
    void Restore(std::int64_t level);

    // Drawing.
    void MoveTo(DPoint p);
    void LineTo(DPoint p);
    void Rectangle(DPoint a, DPoint b);
    void Ellipse(DPoint a, DPoint b);
    void RoundRect(DPoint a, DPoint b, DPoint corner);
    // Part of the ellipse inscribed in (a, b), from the ray through start to the ray
    // through end, anticlockwise on the picture (unless the arc direction says
    // otherwise): the curve alone, closed by a chord, or closed through the centre.
    enum ArcKind { kArc, kChord, kPie };
    void Arc(DPoint a, DPoint b, DPoint start, DPoint end, ArcKind kind);
    void SetPixel(DPoint p, std::uint32_t colour);
    // An area painted with the background colour (opaque text boxes).
    void FillBackground(DPoint a, DPoint b);
    // Text in the selected font, colour, alignment and background mode.
    void Text(const MfText& text);
    // Characters a text record draws at most; the rest of a longer one is dropped.
    static constexpr std::size_t kMaxTextChars = std::size_t{1} << 14;
    void SelectFont(const MfFont& font) { state_.font = font; }
    // Makes a pen, brush or font the current one; other objects change nothing.
    void Select(const MfObject& object);
    // Charges reading a picture, a unit a pixel, to the canvas's work budget; false
    // once the budget is spent.
    bool SpendPicture(const PixelBlock& pixels)
    {
        // Both sides are at most 32768.
        return canvas_.Spend(std::uint64_t(pixels.Width()) * std::uint64_t(pixels.Height()));
    }
    void Polygon(const std::vector<DPoint>& points);
    void Polyline(const std::vector<DPoint>& points);
    // Continues from the current position to each point, which becomes the new one.
    void PolylineTo(const std::vector<DPoint>& points);
    void PolyPolygon(const std::vector<std::vector<DPoint>>& polygons);
    void PolyPolyline(const std::vector<std::vector<DPoint>>& lines);
    // Cubic curves: the first point, then three points per curve.
    void PolyBezier(const std::vector<DPoint>& points);
    // The same continuing from the current position: three points per curve.
    void PolyBezierTo(const std::vector<DPoint>& points);
    // A picture copied into the logical rectangle at (x, y) of extent (w, h).
    void Picture(const PixelBlock& pixels, int sx, int sy, int sw, int sh, DPoint at, DPoint extent,
                 std::uint32_t rop);
    void Pattern(DPoint at, DPoint extent, std::uint32_t rop);

    // Records with more points than this are skipped: the points, their copies and
    // the edges made of them stay within a bounded memory.
    static constexpr std::size_t kMaxRecordPoints = std::size_t{1} << 20;
    // Points a curve record becomes at most (beyond one a curve).
    static constexpr std::size_t kMaxFlatPoints = std::size_t{1} << 20;

    // Path bracket: while open, lines and shapes are collected instead of drawn.
    static constexpr std::size_t kMaxPathPoints = std::size_t{1} << 22;
    void BeginPath();
    void EndPath() { pathOpen_ = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    bool PathOpen() const { return pathOpen_; }

private:
    struct Figure {
        std::vector<DPoint> points; // device pixels
        bool closed = false;
    };

    void Recompute();
    CanvasPen DevicePen() const;
    CanvasBrush DeviceBrush() const;
    std::vector<DPoint> ToDevice(const std::vector<DPoint>& points) const;
    std::vector<DPoint> Flatten(DPoint start, const std::vector<DPoint>& controls) const;
    std::vector<DPoint> EllipseOutline(DPoint a, DPoint b) const;
    // Points of an elliptic arc in logical units, from angle from over sweep radians.
    std::vector<DPoint> ArcPoints(DPoint a, DPoint b, double from, double sweep) const;
    void ApplyClip();
    // Path building, device pixels.
    void AddFigure(std::vector<DPoint> points, bool closed);
    void ExtendFigure(DPoint from, const std::vector<DPoint>& points);

    CMetafileCanvas& canvas_;
    MfXform frame_;
    DPoint pixelsPerMm_;
    MfDcState state_;
    MfXform toDevice_;
    std::vector<MfDcState> saved_;
    std::size_t savedBeyond_ = 0; // saves past the bound, popped before the stack
    bool pathOpen_ = false;
    std::vector<Figure> path_;
    std::size_t pathPoints_ = 0;
    CMetafileText text_;
};
