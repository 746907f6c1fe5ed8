#include "images/WmfPlayer.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "images/DibReader.h"
#include "images/MetafileRecords.h"

namespace {

enum WmfFunction : std::uint16_t {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetPolyFillMode = 0x0106,
    kSetTextCharExtra = 0x0108,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kOffsetViewportOrg = 0x0211,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kCreatePalette = 0x00F7,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kScaleViewportExt = 0x0412,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kSetPixel = 0x041F,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kCreateRegion = 0x06FF,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kBitBlt = 0x0922,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kStretchBlt = 0x0B23,
    kDibStretchBlt = 0x0B41,
    kStretchDib = 0x0F43,
};

// A record's head: its size in 16-bit words (head included) and its function.
struct WmfFraming {
    using Kind = std::uint16_t;
    static constexpr std::size_t kHeadBytes = 6;
    static constexpr Kind kEnd = kEof;
    static std::uint64_t Head(CByteCursor& head, Kind& function)
    {
        const std::uint64_t words = head.U32();
        function = head.U16();
        return words * 2;
    }
};

// The parameters of a record: what follows its head.
CByteCursor Parameters(CByteCursor& record)
{
    return record.Sub(record.Remaining());
}

} // namespace

bool CWmfPlayer::ScanRecords(const std::uint8_t* records, std::size_t size, Scan& scan)
{
    scan = Scan{};
    bool orgFound = false;
    return ForEachMetafileRecord<WmfFraming>(records, size, [&](std::uint16_t function, CByteCursor& record) {
        CByteCursor r = Parameters(record);
        ++scan.count;
        if (function == kSetWindowOrg && !orgFound) {
            const double y = r.S16();
            const double x = r.S16();
            if (r.Ok()) {
                scan.windowOrg = {x, y};
                orgFound = true;
            }
        } else if (function == kSetWindowExt && !scan.windowFound) {
            const double y = r.S16();
            const double x = r.S16();
            if (r.Ok() && x != 0 && y != 0) {
                scan.windowExt = {x, y};
                scan.windowFound = true;
            }
        }
        return true;
    });
}

bool CWmfPlayer::Play(const std::uint8_t* records, std::size_t size)
{
    return PlayMetafileRecords<WmfFraming>(records, size, device_,
                                           [&](std::uint16_t function, CByteCursor& record) {
                                               CByteCursor r = Parameters(record);
                                               Record(function, r, record.Size() / 2);
                                           });
}

void CWmfPlayer::CreateObject(const MfObject& object)
{
    // A full table drops the object, as the platform does.
    objects_.AddToFreeSlot(object);
}

void CWmfPlayer::SelectObject(std::uint32_t index)
{
    if (const MfObject* object = objects_.Get(index))
        device_.Select(*object);
}

void CWmfPlayer::CreateFont(CByteCursor& r)
{
    MfObject object;
    object.kind = MfObject::kFont;
    if (!ReadMetafileFont(r, false, object.font))
        object.kind = MfObject::kOther; // still takes its slot
    CreateObject(object);
}

void CWmfPlayer::Text(std::uint16_t function, CByteCursor& r)
{
    MfText text;
    std::size_t length = 0;
    const std::uint8_t* chars = nullptr;
    if (function == kTextOut) {
        length = r.U16();
        if (!r.Ok() || !r.Has(length))
            return;
        chars = r.Data() + r.Tell();
        r.Skip(length + length % 2);
        const double y = r.S16();
        const double x = r.S16();
        if (!r.Ok())
            return;
        text.reference = {x, y};
    } else {
        const double y = r.S16();
        const double x = r.S16();
        length = r.U16();
        text.options = r.U16();
        text.reference = {x, y};
        if ((text.options & (MfText::kOpaque | MfText::kClipped)) != 0) {
            const double left = r.S16();
            const double top = r.S16();
            const double right = r.S16();
            const double bottom = r.S16();
            text.box = std::make_pair(DPoint{left, top}, DPoint{right, bottom});
        }
        if (!r.Ok())
            return;
        // Writers disagree on the string's length; what the record holds bounds it.
        length = std::min(length, r.Remaining());
        chars = r.Data() + r.Tell();
        r.Skip(length + length % 2);
        // Character advances, when the record goes on far enough to hold them.
        if (r.Ok() && r.Remaining() >= 2 * length) {
            text.advances.reserve(length);
            for (std::size_t i = 0; i < length; ++i)
                text.advances.push_back(r.S16());
        }
    }
    text.chars = ReadMetafileChars(chars, length, false, device_.State().font.charset, &text.advances);
    device_.Text(text);
}

void CWmfPlayer::Record(std::uint16_t function, CByteCursor& r, std::size_t words)
{
    switch (function) {
    case kSetBkColor: {
        const std::uint32_t c = r.U32();
        if (r.Ok())
            device_.State().bkColour = MetafileColour(c);
        break;
    }
    case kSetBkMode: {
        const std::uint16_t mode = r.U16();
        if (r.Ok())
            device_.State().bkOpaque = mode != 1;
        break;
    }
    case kSetMapMode: {
        // The window is always stretched over the picture frame; only the isotropic
        // mode changes that, by keeping the aspect.
        const std::uint16_t mode = r.U16();
        if (r.Ok())
            device_.SetMapMode(mode == kMapIsotropic ? kMapIsotropic : kMapAnisotropic);
        break;
    }
    case kSetPolyFillMode: {
        const std::uint16_t mode = r.U16();
        if (r.Ok())
            device_.State().winding = mode == 2;
        break;
    }
    case kSetWindowOrg:
    case kSetWindowExt:
    case kOffsetWindowOrg:
    case kMoveTo:
    case kLineTo: {
        const double y = r.S16();
        const double x = r.S16();
        if (!r.Ok())
            break;
        if (function == kSetWindowOrg)
            device_.SetWindowOrg({x, y});
        else if (function == kSetWindowExt)
            device_.SetWindowExt({x, y});
        else if (function == kOffsetWindowOrg)
            device_.OffsetWindowOrg({x, y});
        else if (function == kMoveTo)
            device_.MoveTo({x, y});
        else
            device_.LineTo({x, y});
        break;
    }
    case kScaleWindowExt: {
        const double yDenom = r.S16();
        const double yNum = r.S16();
        const double xDenom = r.S16();
        const double xNum = r.S16();
        if (r.Ok())
            device_.ScaleWindowExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case kSetViewportOrg:
    case kSetViewportExt:
    case kOffsetViewportOrg:
    case kScaleViewportExt:
        break; // the picture frame is the viewport
    case kSaveDc:
        device_.Save();
        break;
    case kRestoreDc: {
        const std::int16_t level = r.S16();
        if (r.Ok())
            device_.Restore(level);
        break;
    }
    case kIntersectClipRect:
    case kRectangle:
    case kEllipse: {
        const double bottom = r.S16();
        const double right = r.S16();
        const double top = r.S16();
        const double left = r.S16();
        if (!r.Ok())
            break;
        if (function == kIntersectClipRect)
            device_.IntersectClip({left, top}, {right, bottom});
        else if (function == kRectangle)
            device_.Rectangle({left, top}, {right, bottom});
        else
            device_.Ellipse({left, top}, {right, bottom});
        break;
    }
    case kRoundRect: {
        const double height = r.S16();
        const double width = r.S16();
        const double bottom = r.S16();
        const double right = r.S16();
        const double top = r.S16();
        const double left = r.S16();
        if (r.Ok())
            device_.RoundRect({left, top}, {right, bottom}, {width, height});
        break;
    }
    case kArc:
    case kPie:
    case kChord: {
        const double yEnd = r.S16();
        const double xEnd = r.S16();
        const double yStart = r.S16();
        const double xStart = r.S16();
        const double bottom = r.S16();
        const double right = r.S16();
        const double top = r.S16();
        const double left = r.S16();
        if (!r.Ok())
            break;
        const auto kind = function == kArc   ? CMetafileDevice::kArc
                          : function == kPie ? CMetafileDevice::kPie
                                             : CMetafileDevice::kChord;
        device_.Arc({left, top}, {right, bottom}, {xStart, yStart}, {xEnd, yEnd}, kind);
        break;
    }
    case kSetPixel: {
        const std::uint32_t c = r.U32();
        const double y = r.S16();
        const double x = r.S16();
        if (r.Ok())
            device_.SetPixel({x, y}, MetafileColour(c));
        break;
    }
    case kPolygon:
    case kPolyline: {
        const std::uint16_t count = r.U16();
        std::vector<DPoint> points;
        if (!r.Ok() || !ReadMetafilePoints(r, count, true, points))
            break;
        if (function == kPolygon)
            device_.Polygon(points);
        else
            device_.Polyline(points);
        break;
    }
    case kPolyPolygon: {
        const std::uint16_t polygons = r.U16();
        // Two bytes a count, checked against the record before anything is reserved.
        if (!r.Ok() || polygons > r.Remaining() / 2)
            break;
        std::vector<std::uint16_t> counts(polygons);
        for (auto& count : counts)
            count = r.U16();
        std::size_t total = 0;
        for (const auto count : counts)
            total += count; // at most 65535 counts of at most 65535
        if (total > r.Remaining() / 4 || total > CMetafileDevice::kMaxRecordPoints)
            break;
        std::vector<std::vector<DPoint>> shapes(polygons);
        bool ok = true;
        for (std::size_t i = 0; i < counts.size() && ok; ++i)
            ok = ReadMetafilePoints(r, counts[i], true, shapes[i]);
        if (ok)
            device_.PolyPolygon(shapes);
        break;
    }
    case kCreatePenIndirect: {
        const std::uint16_t style = r.U16();
        const double width = r.S16();
        r.S16(); // the height of the width point is unused
        const std::uint32_t c = r.U32();
        if (r.Ok())
            CreateObject(MetafilePen(style, width, c));
        break;
    }
    case kCreateBrushIndirect: {
        const std::uint16_t style = r.U16();
        const std::uint32_t c = r.U32();
        const std::uint16_t hatch = r.U16();
        MfObject object;
        object.kind = MfObject::kBrush; // a short record still takes its slot
        CreateObject(r.Ok() ? MetafileBrush(style, c, hatch) : object);
        break;
    }
    case kDibCreatePatternBrush: {
        const std::uint16_t style = r.U16();
        const std::uint16_t usage = r.U16();
        MfObject object;
        object.kind = MfObject::kBrush;
        object.brush.style = kBrushPattern;
        object.brush.colour = 0x808080;
        PixelBlock pattern;
        const bool read = style == 3
                              ? CDibReader::ReadDeviceBitmap(r.Data() + r.Tell(), r.Remaining(), pattern)
                              : CDibReader::ReadPacked(r.Data() + r.Tell(), r.Remaining(), usage, pattern);
        if (r.Ok() && read && device_.SpendPicture(pattern))
            object.brush.colour = CDibReader::AverageColour(pattern);
        CreateObject(object);
        break;
    }
    case kCreatePatternBrush: {
        MfObject object;
        object.kind = MfObject::kBrush;
        object.brush.style = kBrushPattern;
        object.brush.colour = 0x808080;
        CreateObject(object);
        break;
    }
    case kCreateFontIndirect:
        CreateFont(r);
        break;
    case kCreatePalette:
    case kCreateRegion: {
        MfObject object;
        object.kind = MfObject::kOther;
        CreateObject(object);
        break;
    }
    case kSelectObject: {
        const std::uint16_t index = r.U16();
        if (r.Ok())
            SelectObject(index);
        break;
    }
    case kDeleteObject: {
        const std::uint16_t index = r.U16();
        if (r.Ok())
            objects_.Delete(index);
        break;
    }
    case kExtTextOut:
    case kTextOut:
        Text(function, r);
        break;
    case kSetTextColor: {
        const std::uint32_t c = r.U32();
        if (r.Ok())
            device_.State().textColour = MetafileColour(c);
        break;
    }
    case kSetTextAlign: {
        const std::uint16_t align = r.U16();
        if (r.Ok())
            device_.State().textAlign = align;
        break;
    }
    case kSetTextCharExtra: {
        const std::int16_t extra = r.S16();
        if (r.Ok())
            device_.State().charExtra = extra;
        break;
    }
    case kPatBlt: {
        const std::uint32_t rop = r.U32();
        const double height = r.S16();
        const double width = r.S16();
        const double y = r.S16();
        const double x = r.S16();
        if (r.Ok())
            device_.Pattern({x, y}, {width, height}, rop);
        break;
    }
    case kBitBlt:
    case kDibBitBlt:
    case kStretchBlt:
    case kDibStretchBlt:
    case kStretchDib:
        Bitmap(function, r, words);
        break;
    default:
        break; // regions, palettes, escapes and the unknown
    }
}

void CWmfPlayer::Bitmap(std::uint16_t function, CByteCursor& r, std::size_t words)
{
    const std::uint32_t rop = r.U32();
    if (function == kStretchDib) {
        const std::uint16_t usage = r.U16();
        const int srcHeight = r.S16();
        const int srcWidth = r.S16();
        const int ySrc = r.S16();
        const int xSrc = r.S16();
        const double destHeight = r.S16();
        const double destWidth = r.S16();
        const double yDest = r.S16();
        const double xDest = r.S16();
        PixelBlock pixels;
        bool topDown = false;
        if (!r.Ok() || !CDibReader::ReadPacked(r.Data() + r.Tell(), r.Remaining(), usage, pixels, &topDown) ||
            !device_.SpendPicture(pixels))
            return;
        const int sy = SourceTop(pixels, topDown, ySrc, srcHeight);
        device_.Picture(pixels, xSrc, sy, srcWidth, srcHeight, {xDest, yDest}, {destWidth, destHeight}, rop);
        return;
    }
    const bool stretch = function == kStretchBlt || function == kDibStretchBlt;
    int srcHeight = 0;
    int srcWidth = 0;
    if (stretch) {
        srcHeight = r.S16();
        srcWidth = r.S16();
    }
    const int ySrc = r.S16();
    const int xSrc = r.S16();
    // A record that is exactly as long as its function's high byte says, plus the head,
    // carries no picture and a reserved word in its place.
    const bool withoutPicture = words == (function >> 8) + 3u;
    if (withoutPicture)
        r.U16();
    const double destHeight = r.S16();
    const double destWidth = r.S16();
    const double yDest = r.S16();
    const double xDest = r.S16();
    if (!r.Ok())
        return;
    if (withoutPicture) {
        device_.Pattern({xDest, yDest}, {destWidth, destHeight}, rop);
        return;
    }
    if (!stretch) {
        srcWidth = static_cast<int>(destWidth);
        srcHeight = static_cast<int>(destHeight);
    }
    PixelBlock pixels;
    const bool dib = function == kDibBitBlt || function == kDibStretchBlt;
    const bool read =
        dib ? CDibReader::ReadPacked(r.Data() + r.Tell(), r.Remaining(), CDibReader::kRgbColours, pixels)
            : CDibReader::ReadDeviceBitmap(r.Data() + r.Tell(), r.Remaining(), pixels);
    if (read && device_.SpendPicture(pixels))
        device_.Picture(pixels, xSrc, ySrc, srcWidth, srcHeight, {xDest, yDest}, {destWidth, destHeight},
                        rop);
}
