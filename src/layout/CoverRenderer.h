#pragma once

#include "layout/Placement.h"
#include "surfaces/DrawingSurface.h"

class CRasterImage;
class FormatCatalogue;

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
// as printed (a real page with a valid format position).
bool RenderCover(CDrawingSurface& dc, const CoverPlacement& placement, const CRasterImage& image,
                 const FormatCatalogue& catalogue, int formatIndex, const RenderOptions& options);

// Draws the cover a paper control shows: the sheet scaled into paperRect, the cover
// placed by the format without calibration, cut lines first, then the picture.
// formatCode is the format position, + 1000 for the right side; bothOnPage says the
// paper shows both covers of a single-page print.
void RenderScreenCover(CDrawingSurface& dc, const SurfaceRect& paperRect, const CRasterImage& image,
                       const FormatCatalogue& catalogue, int formatCode, bool bothOnPage, bool drawCutLines);

// The paper a format is printed on, in millimetres (the tray's sheet for a CD tray
// format, A4 otherwise when the format names none).
struct PaperSizeMm {
    double width = 210.0;
    double height = 297.0;
};
PaperSizeMm PaperOfFormat(const FormatCatalogue& catalogue, int formatIndex);

// Pixel counts of the band rules: a pixel count times a fraction, formed in extended
// precision and truncated (so 0.043 x 1000 gives 42, since 0.043 lies below itself).
int ScaledCount(unsigned count, double fraction);
