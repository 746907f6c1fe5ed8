#pragma once

#include "surfaces/DrawingSurface.h"

// Cutting a disc label out of a picture on surfaces that can clip to a path.
//
// A vector page (the PDF surface) cuts the label with an even-odd clip of two ellipses
// and keeps the picture as it is (an untouched JPEG stays JPEG data); a pixel surface
// cannot, and the renderer then builds the label mask in memory instead. Usage:
//
//     if (ClipToDisc(surface, disc, hole)) {
//         image.DrawStretched(&surface, x, y, w, h);
//         ResetClipPath(surface);
//     } else {
//         ...the mask path...
//     }
//
// Both ellipses are inscribed in their rectangles through the outer pixel edges, the
// same ellipse the surfaces' Ellipse outlines and fills.

// Cuts every following drawing operation of the surface to disc minus hole; false (and
// nothing changed) when the surface cannot clip to a path or the disc is empty.
inline bool ClipToDisc(CDrawingSurface& surface, const SurfaceRect& disc, const SurfaceRect& hole)
{
    return surface.ClipToDisc(disc, hole);
}

// Lifts the cut of ClipToDisc (nothing happens on surfaces without one).
inline void ResetClipPath(CDrawingSurface& surface)
{
    surface.ResetClipPath();
}

// The hole's rectangle centred in the disc's rectangle, holeWidth x holeHeight pixels
// (integer halves truncate); empty when either size is not positive.
inline SurfaceRect CentredHole(const SurfaceRect& disc, int holeWidth, int holeHeight)
{
    if (holeWidth <= 0 || holeHeight <= 0)
        return {};
    const int cx = disc.left + disc.Width() / 2;
    const int cy = disc.top + disc.Height() / 2;
    return {cx - holeWidth / 2, cy - holeHeight / 2, cx + holeWidth / 2, cy + holeHeight / 2};
}
