#pragma once

#include <string>

#include "surfaces/DrawingSurface.h"

class CUserMessages;
class FormatCatalogue;
struct CoverFormat;

enum class Side { Left, Right };

// A format as one side shows it: its position in the catalogue and the side whose
// position it takes.
struct CoverSide {
    int format = -1;
    Side side = Side::Left;
    bool operator==(const CoverSide&) const = default;
};

// Which covers a job prints.
enum class PrintSelection { Left = 0, Right = 1, Both = 2 };

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
// A pixel value truncated toward zero and held at the same bound (NaN gives 0).
int TruncToPixels(double value);

// Where a side's cover goes on a sheet, decided in millimetres before any surface is
// known: the format drawn, the size (the second format's when its kind borrows one and
// it has none), and either its position as written (negative coordinates count from the
// sheet's far edges) or the automatic rule that places it.
struct PlacementMm {
    const CoverFormat* format = nullptr; // nullptr: no such format, nothing to place
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    double holeSize = 0.0;
    bool automatic = false;
    bool middleLine = false;  // automatic: against the sheet's middle line...
    bool belowMiddle = false; // ...below it (else above)
    bool lowerHalf = false;   // automatic otherwise: centred in the lower half (else the upper)
};
// The catalogue gives the size to borrow (its second format) and the calibration.
PlacementMm PlaceCoverMm(const FormatCatalogue& catalogue, const CoverFormat* format, Side side,
                         bool singlePage, bool applyCalibration);
// The same for the format at a side's position in the catalogue.
PlacementMm PlaceCoverMm(const FormatCatalogue& catalogue, CoverSide cover, bool singlePage,
                         bool applyCalibration);

// How millimetres along one axis of a sheet become pixels of a surface: a device by its
// resolution (mm / 25.4 x ppi), or a paper control by its pixels for the format's paper.
struct PixelAxis {
    int sheetPx = 0;
    double sheetMm = 0.0;
    double ppi = 0.0;         // > 0: a device
    bool nearByScale = false; // a paper: near-edge coordinates by the length scale
    static PixelAxis Device(int sheetPx, double ppi) { return {sheetPx, sheetPx * 25.4 / ppi, ppi, false}; }
    int Length(double mm) const;
    // A coordinate as written: negative ones count from the far edge, less the length.
    int Position(double mm, double length) const;
};

// The millimetre placement on a surface's sheet. A cover of the automatic halves rule
// stays in its half while twice its height is at most halvesLimit, else it is centred.
CoverPlacement PlacementToPixels(const PlacementMm& mm, const PixelAxis& across, const PixelAxis& down,
                                 long long halvesLimit);

// The cover's rectangle for a format on a device's sheet (its position for the left
// side, position2 for the right, the catalogue's calibration added), then pulled into the
// printable area when checkPrintableArea is set (with the notice once per job). No
// format (nullptr) gives an empty placement.
CoverPlacement ComputePlacement(const DeviceCaps& caps, const FormatCatalogue& catalogue,
                                const CoverFormat* format, Side side, bool singlePage,
                                bool checkPrintableArea, PlacementJob& job);

// Why a format cannot make a printed cover, as a text naming it (in the language of
// messages); "" when it can. A cover needs a size (its own, or for a borrowing kind
// without one the catalogue's second format's) of finite lengths from 1 mm to 5 m,
// finite positions and a finite hole. Without messages the English texts are used.
std::string WhyFormatCannotPrint(const FormatCatalogue& catalogue, const CoverFormat& format,
                                 const CUserMessages* messages);
// The same for the format at a side's position: an empty catalogue or a position past
// its end has no format at all, and the text says which.
std::string WhyFormatCannotPrint(const FormatCatalogue& catalogue, int formatIndex,
                                 const CUserMessages* messages);

// A disc on the square disc page of a tray job: centred at its true size. A manual
// position moves it from the centre by as much as it lies off the centre of the format's
// own paper (negative coordinates measured from the far edge, as on any sheet). The
// printable area is not looked at: the driver's disc page is the disc. No size is
// borrowed here; the catalogue gives only its calibration. No format: an empty placement.
CoverPlacement PlaceOnDiscPage(const DeviceCaps& caps, const FormatCatalogue& catalogue,
                               const CoverFormat* format, Side side);

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
