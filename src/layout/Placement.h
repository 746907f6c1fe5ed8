#pragma once

#include <string>

#include "layout/DrawingSurface.h"

class CUserMessages;
class FormatCatalogue;

enum class Side { Left, Right };

// Which covers a job prints.
enum class PrintSelection { Left = 0, Right = 1, Both = 2 };

// Where one integer carries a format position and a side, the right side is the
// position + 1000.
inline constexpr int kRightSideCode = 1000;

// The printer's page in device pixels.
struct PageMetrics {
    int offsetX = 0;      // sheet's left edge to the printable area
    int offsetY = 0;      // sheet's top edge to the printable area
    int rightMargin = 0;  // unprintable strip on the right
    int bottomMargin = 0; // unprintable strip at the bottom
    int printableHeight = 0;
    int printableWidth = 0;
    int halfHeight = 0; // the sheet's horizontal middle line
    int physicalHeight = 0;
    int physicalWidth = 0;

    static PageMetrics FromCaps(const DeviceCaps& caps);
};

// A cover's rectangle on the sheet, in device pixels from the sheet's top-left corner.
struct CoverPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int holeSize = 0;
    bool operator==(const CoverPlacement&) const = default;
};

// What one print job knows while it places covers: the outside-printable-area notice is
// shown at most once per job.
struct PlacementJob {
    CUserMessages* messages = nullptr;
    bool printableMessageShown = false;
};

// Millimetres to device pixels, truncated toward zero; lengths beyond any sheet are held
// at a bound so that later arithmetic cannot overflow.
int MmToPixels(double mm, double pixelsPerInch);

// The cover's rectangle for a format (its position for the left side, position2 for
// the right), following the automatic or manual placement rules, then pulled into the
// printable area when checkPrintableArea is set (with the notice once per job). A
// format position outside the catalogue gives an empty placement.
CoverPlacement ComputePlacement(const DeviceCaps& caps, const FormatCatalogue& catalogue, int formatIndex,
                                Side side, bool singlePage, bool checkPrintableArea, PlacementJob& job);

// Why a format cannot make a printed cover, as a text naming it (in the language of
// messages); "" when it can. A cover needs a size (its own, or for a borrowing kind
// without one the second format's) of finite lengths from 1 mm to 5 m, finite positions
// and a finite hole; an empty catalogue or a position past its end has no format at all.
// Without messages the English texts are used.
std::string WhyFormatCannotPrint(const FormatCatalogue& catalogue, int formatIndex,
                                 const CUserMessages* messages);

// A disc on the square disc page of a tray job: centred at its true size. A manual
// position moves it from the centre by as much as it lies off the centre of the format's
// own paper (negative coordinates measured from the far edge, as on any sheet). The
// printable area is not looked at: the driver's disc page is the disc.
CoverPlacement PlaceOnDiscPage(const DeviceCaps& caps, const FormatCatalogue& catalogue, int formatIndex,
                               Side side);

// Moves a placement by a printer's calibration offsets in millimetres (right and down).
void OffsetPlacement(CoverPlacement& placement, const DeviceCaps& caps, double xMm, double yMm);

// Moves a placement into the printable area, each axis on its own; a cover larger than
// the printable area is centred on it. True when anything moved.
bool CorrectToPrintableArea(CoverPlacement& placement, const PageMetrics& metrics);

// Which pages a job prints.
struct PageRange {
    int first = 1;
    int last = 1;
};
PageRange MakePageRange(PrintSelection selection, bool singlePage, bool preview);

// What a page of the job draws. A side without a picture is never drawn.
struct PageContents {
    bool left = false;
    bool right = false;
};
PageContents ContentsOfPage(int page, PrintSelection selection, bool singlePage, bool hasLeftImage,
                            bool hasRightImage);

// Whether two covers share any part of the sheet (touching edges do not count); an
// empty placement overlaps nothing.
bool CoversOverlap(const CoverPlacement& a, const CoverPlacement& b);
