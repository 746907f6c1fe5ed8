#include "images/EmfPlayer.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "images/DibReader.h"
#include "images/MetafileRecords.h"

namespace {

enum EmfType : std::uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetPixelV = 15,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kMoveToEx = 27,
    kIntersectClipRect = 30,
    kScaleViewportExtEx = 31,
    kScaleWindowExtEx = 32,
    kSaveDc = 33,
    kRestoreDc = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kCreatePalette = 49,
    kLineTo = 54,
    kSetArcDirection = 57,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kSelectClipPath = 67,
    kAbortPath = 68,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kSetDiBitsToDevice = 80,
    kStretchDiBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrushPt = 94,
    kExtCreatePen = 95,
    kPolyTextOutA = 96,
    kPolyTextOutW = 97,
    kSmallTextOut = 108,
};

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
// Options of text records beyond those the device reads.
constexpr std::uint32_t kTextNoRectangle = 0x0100;
constexpr std::uint32_t kTextSmallChars = 0x0200;
constexpr std::uint32_t kTextAdvancesBothWays = 0x2000;
constexpr std::size_t kMinHeaderRecord = 88;

// A record's head: its type and its size in bytes (head included).
struct EmfFraming {
    using Kind = std::uint32_t;
    static constexpr std::size_t kHeadBytes = 8;
    static constexpr Kind kEnd = kEof;
    static std::uint64_t Head(CByteCursor& head, Kind& type)
    {
        type = head.U32();
        return head.U32();
    }
};

DPoint ReadPointL(CByteCursor& r)
{
    const double x = r.S32();
    const double y = r.S32();
    return {x, y};
}

struct RectL {
    DPoint a, b;
};

RectL ReadRectL(CByteCursor& r)
{
    const DPoint a = ReadPointL(r);
    const DPoint b = ReadPointL(r);
    return {a, b};
}

MfXform ReadXform(CByteCursor& r)
{
    MfXform x;
    x.a = r.F32();
    x.b = r.F32();
    x.c = r.F32();
    x.d = r.F32();
    x.e = r.F32();
    x.f = r.F32();
    return x;
}

// The objects every context has without creating them, numbered from 0x80000000.
std::optional<MfObject> StockObject(std::uint32_t index)
{
    MfObject object;
    switch (index & 0x7FFFFFFF) {
    case 0:  // white brush
    case 18: // the context's brush, white unless changed
        object.kind = MfObject::kBrush;
        object.brush.colour = 0xFFFFFF;
        return object;
    case 1:
        object.kind = MfObject::kBrush;
        object.brush.colour = 0xC0C0C0;
        return object;
    case 2:
        object.kind = MfObject::kBrush;
        object.brush.colour = 0x808080;
        return object;
    case 3:
        object.kind = MfObject::kBrush;
        object.brush.colour = 0x404040;
        return object;
    case 4:
        object.kind = MfObject::kBrush;
        object.brush.colour = 0;
        return object;
    case 5:
        object.kind = MfObject::kBrush;
        object.brush.style = kBrushNull;
        return object;
    case 6:
        object.kind = MfObject::kPen;
        object.pen.colour = 0xFFFFFF;
        return object;
    case 7:  // black pen
    case 19: // the context's pen, black unless changed
        object.kind = MfObject::kPen;
        return object;
    case 8:
        object.kind = MfObject::kPen;
        object.pen.style = kPenNull;
        return object;
    case 10: // fixed-pitch fonts
    case 11:
    case 16:
        object.kind = MfObject::kFont;
        object.font.face = "monospace";
        return object;
    case 12: // proportional fonts
    case 13:
    case 14:
    case 17:
        object.kind = MfObject::kFont;
        object.font.face = "sans-serif";
        return object;
    default:
        return std::nullopt;
    }
}

} // namespace

bool CEmfPlayer::HasSignature(const std::uint8_t* data, std::size_t size)
{
    CByteCursor r(data, size);
    const std::uint32_t type = r.U32();
    r.Skip(36);
    const std::uint32_t signature = r.U32();
    return r.Ok() && type == kHeader && signature == kSignature;
}

bool CEmfPlayer::ReadHeader(const std::uint8_t* data, std::size_t size, Header& header)
{
    CByteCursor r(data, size);
    const std::uint32_t type = r.U32();
    header.size = r.U32();
    for (auto& v : header.bounds)
        v = r.S32();
    for (auto& v : header.frame)
        v = r.S32();
    const std::uint32_t signature = r.U32();
    r.U32(); // version
    r.U32(); // bytes
    r.U32(); // records
    header.handles = r.U16();
    r.U16(); // reserved
    r.U32(); // description length
    r.U32(); // description offset
    r.U32(); // palette entries
    header.devicePixels[0] = r.S32();
    header.devicePixels[1] = r.S32();
    header.deviceMillimetres[0] = r.S32();
    header.deviceMillimetres[1] = r.S32();
    return r.Ok() && type == kHeader && signature == kSignature && header.size >= kMinHeaderRecord &&
           header.size <= size;
}

bool CEmfPlayer::Check(const std::uint8_t* records, std::size_t size)
{
    return ForEachMetafileRecord<EmfFraming>(records, size, [](std::uint32_t, CByteCursor&) { return true; });
}

bool CEmfPlayer::Play(const std::uint8_t* records, std::size_t size)
{
    return PlayMetafileRecords<EmfFraming>(records, size, device_,
                                           [&](std::uint32_t type, CByteCursor& r) { Record(type, r); });
}

void CEmfPlayer::SelectObject(std::uint32_t index)
{
    std::optional<MfObject> stock;
    const MfObject* object = nullptr;
    if ((index & 0x80000000u) != 0) {
        stock = StockObject(index);
        if (stock)
            object = &*stock;
    } else {
        object = objects_.Get(index);
    }
    if (object != nullptr)
        device_.Select(*object);
}

void CEmfPlayer::Poly(std::uint32_t type, CByteCursor& r)
{
    const bool small = type >= kPolyBezier16;
    r.Skip(16); // bounds
    const std::uint32_t count = r.U32();
    std::vector<DPoint> points;
    if (!r.Ok() || !ReadMetafilePoints(r, count, small, points) || points.empty())
        return;
    switch (small ? type - kPolyBezier16 + kPolyBezier : type) {
    case kPolyBezier:
        device_.PolyBezier(points);
        break;
    case kPolygon:
        device_.Polygon(points);
        break;
    case kPolyline:
        device_.Polyline(points);
        break;
    case kPolyBezierTo:
        device_.PolyBezierTo(points);
        break;
    default:
        device_.PolylineTo(points);
        break;
    }
}

void CEmfPlayer::PolyPoly(std::uint32_t type, CByteCursor& r)
{
    const bool small = type == kPolyPolyline16 || type == kPolyPolygon16;
    r.Skip(16); // bounds
    const std::uint32_t shapes = r.U32();
    const std::uint32_t total = r.U32();
    // Counts take 4 bytes each and points 4 or 8: both checked against the record
    // before anything is reserved.
    if (!r.Ok() || shapes > r.Remaining() / 4 || shapes > CMetafileDevice::kMaxRecordPoints)
        return;
    std::vector<std::uint32_t> counts(shapes);
    std::uint64_t sum = 0;
    for (auto& count : counts) {
        count = r.U32();
        sum += count;
    }
    const std::size_t each = small ? 4 : 8;
    if (sum != total || total > r.Remaining() / each || total > CMetafileDevice::kMaxRecordPoints)
        return;
    std::vector<std::vector<DPoint>> polys(shapes);
    for (std::size_t i = 0; i < shapes; ++i)
        if (!ReadMetafilePoints(r, counts[i], small, polys[i]))
            return;
    if (type == kPolyPolygon || type == kPolyPolygon16)
        device_.PolyPolygon(polys);
    else
        device_.PolyPolyline(polys);
}

void CEmfPlayer::ExtCreatePen(CByteCursor& r)
{
    const std::uint32_t index = r.U32();
    r.Skip(16); // the pattern picture, unused
    const std::uint32_t style = r.U32();
    const std::uint32_t width = r.U32();
    const std::uint32_t brushStyle = r.U32();
    const std::uint32_t colour = r.U32();
    if (!r.Ok())
        return;
    MfObject object;
    object.kind = MfObject::kPen;
    const std::uint32_t base = style & 0x0F;
    // User-defined dashes are drawn solid and the alternate style dotted.
    object.pen.style = base == 7                 ? kPenSolid
                       : base == 8               ? kPenDot
                       : base <= kPenInsideFrame ? int(base)
                                                 : kPenSolid;
    if (brushStyle == 1)
        object.pen.style = kPenNull;
    object.pen.cosmetic = (style & 0x000F0000) == 0;
    object.pen.width = width;
    object.pen.colour = MetafileColour(colour);
    objects_.Put(index, object);
}

void CEmfPlayer::PatternBrush(CByteCursor& r)
{
    const std::uint32_t index = r.U32();
    const std::uint32_t usage = r.U32();
    const std::uint32_t offBmi = r.U32();
    const std::uint32_t cbBmi = r.U32();
    const std::uint32_t offBits = r.U32();
    const std::uint32_t cbBits = r.U32();
    if (!r.Ok())
        return;
    MfObject object;
    object.kind = MfObject::kBrush;
    object.brush.style = kBrushPattern;
    object.brush.colour = 0x808080;
    PixelBlock pattern;
    if (ReadPicture(r, offBmi, cbBmi, offBits, cbBits, usage, pattern, nullptr) &&
        device_.SpendPicture(pattern))
        object.brush.colour = CDibReader::AverageColour(pattern);
    objects_.Put(index, object);
}

bool CEmfPlayer::ReadPicture(const CByteCursor& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                             std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                             PixelBlock& pixels, bool* topDown)
{
    // Each span must lie inside the record; comparing against size - offset avoids
    // any overflow of offset + length.
    const std::size_t size = r.Size();
    if (offBmi > size || cbBmi > size - offBmi || offBits > size || cbBits > size - offBits || cbBmi == 0)
        return false;
    return CDibReader::Read(r.Data() + offBmi, cbBmi, r.Data() + offBits, cbBits, static_cast<int>(usage),
                            pixels, topDown);
}

void CEmfPlayer::BitBlt(std::uint32_t type, CByteCursor& r)
{
    r.Skip(16); // bounds
    const double xDest = r.S32();
    const double yDest = r.S32();
    const double cxDest = r.S32();
    const double cyDest = r.S32();
    const std::uint32_t rop = r.U32();
    const std::int32_t xSrc = r.S32();
    const std::int32_t ySrc = r.S32();
    r.Skip(24); // the source's transform
    r.U32();    // the source's background colour
    const std::uint32_t usage = r.U32();
    const std::uint32_t offBmi = r.U32();
    const std::uint32_t cbBmi = r.U32();
    const std::uint32_t offBits = r.U32();
    const std::uint32_t cbBits = r.U32();
    std::int32_t cxSrc = static_cast<std::int32_t>(cxDest);
    std::int32_t cySrc = static_cast<std::int32_t>(cyDest);
    if (type == kStretchBlt) {
        cxSrc = r.S32();
        cySrc = r.S32();
    }
    if (!r.Ok())
        return;
    if (cbBmi == 0) { // no source: the brush and the destination alone
        device_.Pattern({xDest, yDest}, {cxDest, cyDest}, rop);
        return;
    }
    PixelBlock pixels;
    if (ReadPicture(r, offBmi, cbBmi, offBits, cbBits, usage, pixels, nullptr) &&
        device_.SpendPicture(pixels))
        device_.Picture(pixels, xSrc, ySrc, cxSrc, cySrc, {xDest, yDest}, {cxDest, cyDest}, rop);
}

void CEmfPlayer::StretchDiBits(std::uint32_t type, CByteCursor& r)
{
    r.Skip(16); // bounds
    const double xDest = r.S32();
    const double yDest = r.S32();
    const std::int32_t xSrc = r.S32();
    const std::int32_t ySrc = r.S32();
    const std::int32_t cxSrc = r.S32();
    const std::int32_t cySrc = r.S32();
    const std::uint32_t offBmi = r.U32();
    const std::uint32_t cbBmi = r.U32();
    const std::uint32_t offBits = r.U32();
    const std::uint32_t cbBits = r.U32();
    const std::uint32_t usage = r.U32();
    std::uint32_t rop = 0x00CC0020; // plain copy
    double cxDest = cxSrc;
    double cyDest = cySrc;
    if (type == kStretchDiBits) {
        rop = r.U32();
        cxDest = r.S32();
        cyDest = r.S32();
    }
    PixelBlock pixels;
    bool topDown = false;
    if (!r.Ok() || !ReadPicture(r, offBmi, cbBmi, offBits, cbBits, usage, pixels, &topDown) ||
        !device_.SpendPicture(pixels))
        return;
    device_.Picture(pixels, xSrc, SourceTop(pixels, topDown, ySrc, cySrc), cxSrc, cySrc, {xDest, yDest},
                    {cxDest, cyDest}, rop);
}

void CEmfPlayer::ExtSelectClipRgn(CByteCursor& r)
{
    const std::uint32_t dataSize = r.U32();
    const std::uint32_t mode = r.U32();
    if (!r.Ok() || mode != 5) // only a copied region replaces the clip
        return;
    if (dataSize == 0) {
        device_.SetDeviceClip(std::nullopt);
        return;
    }
    // The region's header ends with its bounding rectangle in device units, which
    // stands for the region.
    r.Skip(16);
    const RectL bound = ReadRectL(r);
    if (r.Ok())
        device_.SetDeviceClip(std::make_pair(bound.a, bound.b));
}

void CEmfPlayer::CreateFont(CByteCursor& r)
{
    const std::uint32_t index = r.U32();
    MfObject object;
    object.kind = MfObject::kFont;
    if (ReadMetafileFont(r, true, object.font))
        objects_.Put(index, object);
}

bool CEmfPlayer::ReadText(const CByteCursor& record, CByteCursor& r, bool wide, MfText& text) const
{
    const DPoint reference = ReadPointL(r);
    const std::uint32_t count = r.U32();
    const std::uint32_t offString = r.U32();
    const std::uint32_t options = r.U32();
    const RectL box = ReadRectL(r);
    const std::uint32_t offDx = r.U32();
    const std::size_t size = record.Size();
    const std::size_t each = wide ? 2 : 1;
    // The characters and advances must lie inside the record; comparing against
    // size - offset avoids any overflow.
    if (!r.Ok() || offString > size || count > (size - offString) / each)
        return false;
    // Advances beyond the characters kept are not read.
    const std::size_t chars = std::min<std::size_t>(count, CMetafileDevice::kMaxTextChars);
    const std::uint8_t* bytes = record.Data() + offString;
    text.reference = reference;
    text.options = options;
    if ((options & (MfText::kOpaque | MfText::kClipped)) != 0)
        text.box = std::make_pair(box.a, box.b);
    // Advances along the baseline, each followed by one across it when asked for.
    const std::size_t per = (options & kTextAdvancesBothWays) != 0 ? 8 : 4;
    if (offDx != 0 && offDx <= size && count <= (size - offDx) / per) {
        CByteCursor dx(record.Data() + offDx, size - offDx);
        text.advances.reserve(chars);
        for (std::size_t i = 0; i < chars; ++i) {
            text.advances.push_back(dx.S32());
            if (per == 8)
                dx.S32();
        }
    }
    // An advance a byte or 16-bit unit, which characters of two add up.
    text.chars = ReadMetafileChars(bytes, count, wide, device_.State().font.charset, &text.advances);
    return true;
}

void CEmfPlayer::ExtTextOut(std::uint32_t type, CByteCursor& r)
{
    r.Skip(16 + 4 + 8); // bounds, graphics mode, scales
    MfText text;
    if (ReadText(r, r, type == kExtTextOutW, text))
        device_.Text(text);
}

void CEmfPlayer::PolyTextOut(std::uint32_t type, CByteCursor& r)
{
    r.Skip(16 + 4 + 8); // bounds, graphics mode, scales
    const std::uint32_t strings = r.U32();
    constexpr std::size_t kTextBytes = 40;
    if (!r.Ok() || strings > r.Remaining() / kTextBytes)
        return;
    for (std::uint32_t i = 0; i < strings && !device_.Canvas().Exhausted(); ++i) {
        CByteCursor one = r; // offsets count from the record's start
        one.Skip(i * kTextBytes);
        MfText text;
        if (ReadText(r, one, type == kPolyTextOutW, text))
            device_.Text(text);
    }
}

void CEmfPlayer::SmallTextOut(CByteCursor& r)
{
    const DPoint reference = ReadPointL(r);
    const std::uint32_t count = r.U32();
    const std::uint32_t options = r.U32();
    r.Skip(4 + 8); // graphics mode, scales
    MfText text;
    text.reference = reference;
    text.options = options;
    if ((options & kTextNoRectangle) == 0) {
        const RectL box = ReadRectL(r);
        if ((options & (MfText::kOpaque | MfText::kClipped)) != 0)
            text.box = std::make_pair(box.a, box.b);
    }
    const bool narrow = (options & kTextSmallChars) != 0;
    if (!r.Ok() || count > r.Remaining() / (narrow ? 1 : 2))
        return;
    text.chars = ReadMetafileChars(r.Data() + r.Tell(), count, !narrow, device_.State().font.charset);
    device_.Text(text);
}

void CEmfPlayer::Record(std::uint32_t type, CByteCursor& r)
{
    switch (type) {
    case kPolyBezier:
    case kPolygon:
    case kPolyline:
    case kPolyBezierTo:
    case kPolylineTo:
    case kPolyBezier16:
    case kPolygon16:
    case kPolyline16:
    case kPolyBezierTo16:
    case kPolylineTo16:
        Poly(type, r);
        break;
    case kPolyPolyline:
    case kPolyPolygon:
    case kPolyPolyline16:
    case kPolyPolygon16:
        PolyPoly(type, r);
        break;
    case kSetWindowExtEx:
    case kSetWindowOrgEx:
    case kSetViewportExtEx:
    case kSetViewportOrgEx:
    case kMoveToEx:
    case kLineTo: {
        const DPoint p = ReadPointL(r);
        if (!r.Ok())
            break;
        if (type == kSetWindowExtEx)
            device_.SetWindowExt(p);
        else if (type == kSetWindowOrgEx)
            device_.SetWindowOrg(p);
        else if (type == kSetViewportExtEx)
            device_.SetViewportExt(p);
        else if (type == kSetViewportOrgEx)
            device_.SetViewportOrg(p);
        else if (type == kMoveToEx)
            device_.MoveTo(p);
        else
            device_.LineTo(p);
        break;
    }
    case kScaleViewportExtEx:
    case kScaleWindowExtEx: {
        const double xNum = r.S32();
        const double xDenom = r.S32();
        const double yNum = r.S32();
        const double yDenom = r.S32();
        if (!r.Ok())
            break;
        if (type == kScaleViewportExtEx)
            device_.ScaleViewportExt(xNum, xDenom, yNum, yDenom);
        else
            device_.ScaleWindowExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case kSetPixelV: {
        const DPoint p = ReadPointL(r);
        const std::uint32_t c = r.U32();
        if (r.Ok())
            device_.SetPixel(p, MetafileColour(c));
        break;
    }
    case kSetMapMode:
    case kSetBkMode:
    case kSetPolyFillMode:
    case kSetBkColor:
    case kSetArcDirection: {
        const std::uint32_t v = r.U32();
        if (!r.Ok())
            break;
        if (type == kSetMapMode)
            device_.SetMapMode(static_cast<int>(v));
        else if (type == kSetBkMode)
            device_.State().bkOpaque = v != 1;
        else if (type == kSetPolyFillMode)
            device_.State().winding = v == 2;
        else if (type == kSetBkColor)
            device_.State().bkColour = MetafileColour(v);
        else
            device_.State().clockwise = v == 2;
        break;
    }
    case kIntersectClipRect: {
        const RectL box = ReadRectL(r);
        if (r.Ok())
            device_.IntersectClip(box.a, box.b);
        break;
    }
    case kSaveDc:
        device_.Save();
        break;
    case kRestoreDc: {
        const std::int32_t level = r.S32();
        if (r.Ok())
            device_.Restore(level);
        break;
    }
    case kSetWorldTransform: {
        const MfXform x = ReadXform(r);
        if (r.Ok())
            device_.SetWorldTransform(x);
        break;
    }
    case kModifyWorldTransform: {
        const MfXform x = ReadXform(r);
        const std::uint32_t mode = r.U32();
        if (r.Ok())
            device_.ModifyWorldTransform(x, static_cast<int>(mode));
        break;
    }
    case kSelectObject: {
        const std::uint32_t index = r.U32();
        if (r.Ok())
            SelectObject(index);
        break;
    }
    case kDeleteObject: {
        const std::uint32_t index = r.U32();
        if (r.Ok())
            objects_.Delete(index);
        break;
    }
    case kCreatePen: {
        const std::uint32_t index = r.U32();
        const std::uint32_t style = r.U32();
        const std::int32_t width = r.S32();
        r.S32(); // unused
        const std::uint32_t colour = r.U32();
        // A 32-bit width's magnitude fits a double exactly.
        if (r.Ok())
            objects_.Put(index, MetafilePen(style, width, colour));
        break;
    }
    case kExtCreatePen:
        ExtCreatePen(r);
        break;
    case kCreateBrushIndirect: {
        const std::uint32_t index = r.U32();
        const std::uint32_t style = r.U32();
        const std::uint32_t colour = r.U32();
        const std::uint32_t hatch = r.U32();
        if (r.Ok())
            objects_.Put(index, MetafileBrush(style, colour, hatch));
        break;
    }
    case kCreateMonoBrush:
    case kCreateDibPatternBrushPt:
        PatternBrush(r);
        break;
    case kExtCreateFontIndirectW:
        CreateFont(r);
        break;
    case kCreatePalette: {
        const std::uint32_t index = r.U32();
        MfObject object;
        object.kind = MfObject::kOther;
        if (r.Ok())
            objects_.Put(index, object);
        break;
    }
    case kEllipse:
    case kRectangle: {
        const RectL box = ReadRectL(r);
        if (!r.Ok())
            break;
        if (type == kEllipse)
            device_.Ellipse(box.a, box.b);
        else
            device_.Rectangle(box.a, box.b);
        break;
    }
    case kRoundRect: {
        const RectL box = ReadRectL(r);
        const double cx = r.S32();
        const double cy = r.S32();
        if (r.Ok())
            device_.RoundRect(box.a, box.b, {cx, cy});
        break;
    }
    case kArc:
    case kChord:
    case kPie: {
        const RectL box = ReadRectL(r);
        const DPoint start = ReadPointL(r);
        const DPoint end = ReadPointL(r);
        if (!r.Ok())
            break;
        const auto kind = type == kArc   ? CMetafileDevice::kArc
                          : type == kPie ? CMetafileDevice::kPie
                                         : CMetafileDevice::kChord;
        device_.Arc(box.a, box.b, start, end, kind);
        break;
    }
    case kBeginPath:
        device_.BeginPath();
        break;
    case kEndPath:
        device_.EndPath();
        break;
    case kCloseFigure:
        device_.CloseFigure();
        break;
    case kFillPath:
        device_.FillPath();
        break;
    case kStrokeAndFillPath:
        device_.StrokeAndFillPath();
        break;
    case kStrokePath:
        device_.StrokePath();
        break;
    case kSelectClipPath:
    case kAbortPath:
        device_.AbortPath();
        break;
    case kExtSelectClipRgn:
        ExtSelectClipRgn(r);
        break;
    case kBitBlt:
    case kStretchBlt:
        BitBlt(type, r);
        break;
    case kSetDiBitsToDevice:
    case kStretchDiBits:
        StretchDiBits(type, r);
        break;
    case kExtTextOutA:
    case kExtTextOutW:
        ExtTextOut(type, r);
        break;
    case kPolyTextOutA:
    case kPolyTextOutW:
        PolyTextOut(type, r);
        break;
    case kSmallTextOut:
        SmallTextOut(r);
        break;
    case kSetTextColor: {
        const std::uint32_t c = r.U32();
        if (r.Ok())
            device_.State().textColour = MetafileColour(c);
        break;
    }
    case kSetTextAlign: {
        const std::uint32_t align = r.U32();
        if (r.Ok())
            device_.State().textAlign = align;
        break;
    }
    default:
        break; // comments, palettes, regions and the unknown
    }
}
