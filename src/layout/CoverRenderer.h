#pragma once

#include "layout/Placement.h"
#include "surfaces/DrawingSurface.h"

class CRasterImage;
class FormatCatalogue;
struct CoverFormat;

// What the print renderer needs to know besides the cover.
struct RenderOptions {
    bool drawCutLines = true; // "Draw Cut / Fold lines"
    bool printBorder = true;  // a thin border around each cover
    bool preview = false;     // guides are drawn, the cover is not counted
};

// Draws one cover on a printer page: the picture cut into the bands its type asks for
// (or into a disc with a hole for a label), the frame, cut and fold lines, rectangles,
// the border and, in a preview, the guides. The placement is in sheet coordinates; the
// surface's origin is the printable area's corner. Returns true when the cover counts
// as printed (a real page, not a preview).
bool RenderCover(CDrawingSurface& dc, const CoverPlacement& placement, const CRasterImage& image,
                 const CoverFormat& format, const RenderOptions& options);

// Draws the cover a paper control shows: the format's paper scaled into paperRect, the
// cover placed there (PlaceCoverMm, without calibration), cut lines first, then the
// picture with its outline. Nothing without a format or a picture.
void RenderScreenCover(CDrawingSurface& dc, const SurfaceRect& paperRect, const CRasterImage& image,
                       const PlacementMm& cover, bool drawCutLines);

// The paper a format is printed on, in millimetres (the tray's sheet for a CD tray
// format, A4 otherwise when the format names none).
struct PaperSizeMm {
    double width = 210.0;
    double height = 297.0;
};
PaperSizeMm PaperOfFormat(const CoverFormat& format);
PaperSizeMm PaperOfFormat(const FormatCatalogue& catalogue, int formatIndex); // A4 for no format

// Pixel counts of the band rules: a pixel count times a fraction, formed in extended
// precision and truncated (so 0.043 x 1000 gives 42, since 0.043 lies below itself).
int ScaledCount(unsigned count, double fraction);
