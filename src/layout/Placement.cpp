#include "layout/Placement.h"

#include <cmath>
#include <string>

#include "formats/FormatCatalogue.h"
#include "i18n/DefaultTexts.h"
#include "i18n/UserMessages.h"
#include "layout/CoverRenderer.h"

namespace {

// Far beyond any sheet at any resolution, far below the int range: sums of a few such
// values cannot overflow.
constexpr double kPixelBound = 1 << 28;

// The format whose size a cover takes: its own, or for a borrowing kind without one the
// catalogue's second format (nullptr when the catalogue has none).
const CoverFormat* SizeSource(const FormatCatalogue& catalogue, const CoverFormat& format)
{
    return format.Traits().borrowsSize && !format.hasSize ? catalogue.Get(1) : &format;
}

} // namespace

int TruncToPixels(double value)
{
    if (!(value == value)) // NaN
        return 0;
    if (value > kPixelBound)
        value = kPixelBound;
    if (value < -kPixelBound)
        value = -kPixelBound;
    return static_cast<int>(value);
}

int MmToPixels(double mm, double pixelsPerInch)
{
    return TruncToPixels(mm / 25.4 * pixelsPerInch);
}

PageMetrics PageMetrics::FromCaps(const DeviceCaps& caps)
{
    PageMetrics m;
    m.offsetX = caps.physicalOffsetX;
    m.offsetY = caps.physicalOffsetY;
    m.physicalWidth = caps.physicalWidth;
    m.physicalHeight = caps.physicalHeight;
    m.printableWidth = caps.horzRes;
    m.printableHeight = caps.vertRes;
    m.rightMargin = caps.physicalWidth - caps.horzRes - caps.physicalOffsetX;
    m.bottomMargin = caps.physicalHeight - caps.physicalOffsetY - caps.vertRes;
    m.halfHeight = caps.physicalHeight / 2;
    return m;
}

PlacementMm PlaceCoverMm(const FormatCatalogue& catalogue, const CoverFormat* format, Side side,
                         bool singlePage, bool applyCalibration)
{
    PlacementMm p;
    p.format = format;
    if (format == nullptr)
        return p;
    const bool right = side == Side::Right;
    FormatCatalogue::Placement mm = catalogue.PlacementOf(*format, right, applyCalibration);
    // Automatic or manual is the format's own choice, also when it borrows a size.
    p.automatic = mm.x == kAutoPosition;
    const CoverKindTraits& kind = format->Traits();
    // A format of a borrowing kind without a size of its own takes the second format's
    // placement; with nothing to borrow from it keeps its own.
    if (const CoverFormat* from = SizeSource(catalogue, *format); from != nullptr && from != format)
        mm = catalogue.PlacementOf(*from, right, applyCalibration);
    p.x = mm.x;
    p.y = mm.y;
    p.width = mm.width;
    p.height = mm.height;
    p.holeSize = mm.holeSize;
    // Two fronts on one sheet meet at the middle line; alone, both stand above it.
    p.middleLine = kind.middleLine;
    p.belowMiddle = kind.middleLine && right && singlePage;
    p.lowerHalf = right;
    return p;
}

PlacementMm PlaceCoverMm(const FormatCatalogue& catalogue, CoverSide cover, bool singlePage,
                         bool applyCalibration)
{
    return PlaceCoverMm(catalogue, catalogue.Get(cover.format), cover.side, singlePage, applyCalibration);
}

int PixelAxis::Length(double mm) const
{
    return ppi > 0 ? MmToPixels(mm, ppi) : TruncToPixels(mm * (sheetPx / sheetMm));
}

int PixelAxis::Position(double mm, double length) const
{
    if (ppi > 0)
        return MmToPixels(mm >= 0 ? mm : mm + sheetMm - length, ppi);
    if (mm >= 0 && nearByScale)
        return TruncToPixels(mm * (sheetPx / sheetMm));
    return TruncToPixels((mm >= 0 ? mm : mm + sheetMm - length) / sheetMm * sheetPx);
}

CoverPlacement PlacementToPixels(const PlacementMm& mm, const PixelAxis& across, const PixelAxis& down,
                                 long long halvesLimit)
{
    CoverPlacement p;
    if (mm.format == nullptr)
        return p;
    p.width = across.Length(mm.width);
    p.height = down.Length(mm.height);
    p.holeSize = across.Length(mm.holeSize);
    if (!mm.automatic) {
        p.x = across.Position(mm.x, mm.width);
        p.y = down.Position(mm.y, mm.height);
        return p;
    }
    const int half = down.sheetPx / 2;
    p.x = (across.sheetPx - p.width) / 2;
    if (mm.middleLine)
        p.y = mm.belowMiddle ? half : half - p.height;
    else if (2 * static_cast<long long>(p.height) <= halvesLimit)
        p.y = (down.sheetPx - 2 * p.height) / 4 + (mm.lowerHalf ? half : 0);
    else
        p.y = (down.sheetPx - p.height) / 2;
    return p;
}

CoverPlacement ComputePlacement(const DeviceCaps& caps, const FormatCatalogue& catalogue,
                                const CoverFormat* format, Side side, bool singlePage,
                                bool checkPrintableArea, PlacementJob& job)
{
    const PageMetrics m = PageMetrics::FromCaps(caps);
    CoverPlacement p =
        PlacementToPixels(PlaceCoverMm(catalogue, format, side, singlePage, true),
                          PixelAxis::Device(caps.physicalWidth, caps.logPixelsX),
                          PixelAxis::Device(caps.physicalHeight, caps.logPixelsY), m.printableHeight);
    if (format == nullptr)
        return p;
    if (checkPrintableArea && CorrectToPrintableArea(p, m) && !job.printableMessageShown) {
        job.printableMessageShown = true;
        if (job.messages != nullptr)
            job.messages->ShowInformation(job.messages->Text(kMsgOutsidePrintableArea));
    }
    return p;
}

CoverPlacement PlaceOnDiscPage(const DeviceCaps& caps, const FormatCatalogue& catalogue,
                               const CoverFormat* format, Side side)
{
    CoverPlacement p;
    if (format == nullptr)
        return p;
    const FormatCatalogue::Placement mm = catalogue.PlacementOf(*format, side == Side::Right, true);
    const PaperSizeMm paper = PaperOfFormat(*format);
    // How far a manual position lies off the centre of the format's own paper.
    const auto offCentre = [](double pos, double length, double sheet) {
        if (pos == kAutoPosition)
            return 0.0;
        const double from = pos >= 0 ? pos : pos + sheet - length;
        return from - (sheet - length) / 2;
    };
    const double dx = offCentre(mm.x, mm.width, paper.width);
    const double dy = mm.x == kAutoPosition ? 0.0 : offCentre(mm.y, mm.height, paper.height);
    const double pageW = caps.physicalWidth * 25.4 / caps.logPixelsX;
    const double pageH = caps.physicalHeight * 25.4 / caps.logPixelsY;
    p.width = MmToPixels(mm.width, caps.logPixelsX);
    p.height = MmToPixels(mm.height, caps.logPixelsY);
    p.holeSize = MmToPixels(mm.holeSize, caps.logPixelsX);
    // Rounded rather than truncated: the centre is what the driver's disc mask meets.
    p.x = int(std::lround(((pageW - mm.width) / 2 + dx) / 25.4 * caps.logPixelsX));
    p.y = int(std::lround(((pageH - mm.height) / 2 + dy) / 25.4 * caps.logPixelsY));
    return p;
}

void OffsetPlacement(CoverPlacement& placement, const DeviceCaps& caps, double xMm, double yMm)
{
    if (!(std::abs(xMm) < 1000 && std::abs(yMm) < 1000))
        return;
    placement.x += int(std::lround(xMm / 25.4 * caps.logPixelsX));
    placement.y += int(std::lround(yMm / 25.4 * caps.logPixelsY));
}

static bool CorrectAxis(int& pos, int length, int offset, int printable)
{
    if (length > printable) {
        pos = offset - (length - printable) / 2;
        return true;
    }
    if (pos < offset) {
        pos = offset;
        return true;
    }
    if (static_cast<long long>(pos) + length > static_cast<long long>(offset) + printable) {
        pos = offset + printable - length;
        return true;
    }
    return false;
}

bool CorrectToPrintableArea(CoverPlacement& placement, const PageMetrics& metrics)
{
    const bool horizontal =
        CorrectAxis(placement.x, placement.width, metrics.offsetX, metrics.printableWidth);
    const bool vertical =
        CorrectAxis(placement.y, placement.height, metrics.offsetY, metrics.printableHeight);
    return horizontal || vertical;
}

PageRange MakePageRange(PrintSelection selection, bool singlePage, bool preview)
{
    PageRange range;
    range.first = (selection == PrintSelection::Right && (!preview || singlePage)) ? 2 : 1;
    range.last = (selection != PrintSelection::Left && !singlePage) ? 2 : 1;
    // The right cover alone with single page on: one page that holds it, not an
    // empty range.
    if (range.last < range.first)
        range.last = range.first;
    return range;
}

PageContents ContentsOfPage(int page, PrintSelection selection, bool singlePage, bool hasLeftImage,
                            bool hasRightImage)
{
    PageContents c;
    if (page == 1 && selection != PrintSelection::Right) {
        c.left = true;
        if (singlePage)
            c.right = true;
    }
    if (page == 2 || selection == PrintSelection::Right)
        c.right = true;
    c.left = c.left && hasLeftImage;
    c.right = c.right && hasRightImage;
    return c;
}

namespace {

// The English text where the language has none: an empty reason would read as none.
std::string ReasonText(const CUserMessages* messages, int key)
{
    std::string t = messages != nullptr ? messages->Text(key) : std::string();
    const char* english = DefaultText(key);
    return t.empty() || t == "???" ? std::string(english != nullptr ? english : "?") : t;
}

} // namespace

std::string WhyFormatCannotPrint(const FormatCatalogue& catalogue, int formatIndex,
                                 const CUserMessages* messages)
{
    if (catalogue.GetCount() == 0)
        return ReasonText(messages, kMsgCatalogueEmpty);
    const CoverFormat* format = catalogue.Get(formatIndex);
    if (format == nullptr)
        return FillPlaceholder(ReasonText(messages, kMsgNoSuchFormat), std::to_string(formatIndex));
    return WhyFormatCannotPrint(catalogue, *format, messages);
}

std::string WhyFormatCannotPrint(const FormatCatalogue& catalogue, const CoverFormat& format,
                                 const CUserMessages* messages)
{
    const auto text = [messages](int key) { return ReasonText(messages, key); };
    const std::string& name = format.name;
    // Lengths beyond any sheet would pass the int range in device pixels.
    constexpr double kMinMm = 1.0;
    constexpr double kMaxMm = 5000.0;
    auto length = [&](double v) { return std::isfinite(v) && v >= kMinMm && v <= kMaxMm; };
    auto coordinate = [&](double v) { return std::isfinite(v) && std::fabs(v) <= kMaxMm; };
    const CoverFormat* sizeFrom = SizeSource(catalogue, format);
    if (sizeFrom == nullptr)
        return FillPlaceholder(text(kMsgNothingToBorrow), name);
    for (const bool right : {false, true}) {
        const FormatCatalogue::Placement own = catalogue.PlacementOf(format, right, true);
        const FormatCatalogue::Placement size = catalogue.PlacementOf(*sizeFrom, right, true);
        if (!length(size.width) || !length(size.height))
            return FillPlaceholder(text(kMsgUnusableSize), name);
        if (!coordinate(own.x) || !coordinate(own.y) || !std::isfinite(size.holeSize) || size.holeSize < 0 ||
            size.holeSize > kMaxMm)
            return FillPlaceholder(text(kMsgUnusablePosition), name);
    }
    return std::string();
}

bool CoversOverlap(const CoverPlacement& a, const CoverPlacement& b)
{
    if (a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0)
        return false;
    const long long ax2 = static_cast<long long>(a.x) + a.width;
    const long long ay2 = static_cast<long long>(a.y) + a.height;
    const long long bx2 = static_cast<long long>(b.x) + b.width;
    const long long by2 = static_cast<long long>(b.y) + b.height;
    return a.x < bx2 && b.x < ax2 && a.y < by2 && b.y < ay2;
}
