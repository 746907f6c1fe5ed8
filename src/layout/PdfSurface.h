#pragma once

#include <optional>
#include <string>

#include <cairo.h>

#include "surfaces/DrawingSurface.h"

class CPdfPictures;

// One page of a PDF document as a drawing surface, in device pixels of the job's
// resolution: one unit is one device pixel, (0, 0) is the top-left corner of the
// printable area, and everything is cut to the printable area.
//
// The page follows the raster surface's pixel conventions as far as a vector page can:
// - an outline (a, b)-(c, d) is stroked through the centres of columns a and c - 1 and
//   rows b and d - 1 with a pen one device pixel wide, so that it covers those pixels;
//   a fill covers (a, b) up to (c, d);
// - lines cover their first pixel and stop at the edge of their last one;
// - the dotted pen paints runs of 3 device pixels with gaps of 3, starting afresh with
//   every line and at the top-left corner of a rectangle;
// - a pen of width w covers the band the raster surface paints, reaching w / 2 pixels
//   up and left of the one-pixel outline;
// - an ellipse is the one inscribed in its rectangle through the outer pixel edges.
// Pictures are placed exactly on their target rectangle and never smoothed; each
// picture is embedded once per document (see CPdfPictures). RasterOp Or, And and Xor
// need the page's pixels, which a vector page does not have: they paint as Copy. The
// program combines pictures that way only on off-screen raster surfaces.
class CPdfSurface final : public CDrawingSurface {
public:
    // Draws on cr (a context of a cairo PDF surface whose units are points) with the
    // measurements of caps; pictures go through the document's picture store. The
    // context's state is saved here and restored when the surface goes away.
    CPdfSurface(cairo_t* cr, const DeviceCaps& caps, CPdfPictures& pictures);
    ~CPdfSurface() override;

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

    // Cuts every following drawing operation to the ellipse inscribed in disc minus the
    // ellipse inscribed in hole (even-odd), both through the outer pixel edges of their
    // rectangles; an empty hole cuts to the whole disc. Works together with the clipping
    // rectangle. False (and no change) when disc is empty.
    bool ClipToDisc(const SurfaceRect& disc, const SurfaceRect& hole) override;
    // Lifts the disc cut.
    void ResetClipPath() override;
    bool TakesJpegData() const override { return true; }
    bool HasClipPath() const { return disc_.has_value(); }

    // Whether a picture that should show could not be put into the document (too large
    // for cairo, or no memory for it), with the reason.
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }

protected:
    void DrawLine(int x0, int y0, int x1, int y1) override;

private:
    // Saves the context and cuts it to the clip box and the disc; false when nothing can
    // be reached (the context is then left as it was).
    bool Begin();
    void End();
    void SetColour(SurfaceColour c);
    void ClipToPictureRect(const SurfaceRect& r);
    // Strokes the current path with the current pen.
    void StrokeWithPen(bool closed);
    void Picture(int x, int y, int cx, int cy, const PixelBlock& pixels, int sx, int sy, int sw, int sh,
                 const CRasterImage* origin, std::optional<SurfaceColour> key, int keyIndex = -1);

    cairo_t* cr_;
    CPdfPictures& pictures_;
    std::optional<SurfaceRect> disc_;
    SurfaceRect hole_;
    std::string error_;
};
