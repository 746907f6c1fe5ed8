#include "images/MetafileRecords.h"

#include <algorithm>
#include <cstdint>

#include "images/MetafileCharsets.h"

MfObject MetafilePen(std::uint32_t style, double width, std::uint32_t colorRef)
{
    MfObject object;
    object.kind = MfObject::kPen;
    object.pen.style = (style & 0x0F) <= kPenInsideFrame ? int(style & 0x0F) : kPenSolid;
    object.pen.width = width < 0 ? -width : width;
    object.pen.colour = MetafileColour(colorRef);
    return object;
}

MfObject MetafileBrush(std::uint32_t style, std::uint32_t colorRef, std::uint32_t hatch)
{
    MfObject object;
    object.kind = MfObject::kBrush;
    object.brush.style = style == kBrushNull      ? kBrushNull
                         : style == kBrushHatched ? kBrushHatched
                                                  : kBrushSolid;
    object.brush.colour = MetafileColour(colorRef);
    object.brush.hatch = hatch <= 5 ? int(hatch) : 0;
    return object;
}

int SourceTop(const PixelBlock& pixels, bool topDown, std::int64_t ySrc, std::int64_t height)
{
    const std::int64_t top = topDown ? ySrc : std::int64_t{pixels.Height()} - ySrc - height;
    return static_cast<int>(std::clamp<std::int64_t>(top, INT32_MIN / 2, INT32_MAX / 2));
}

bool ReadMetafilePoints(CByteCursor& r, std::size_t count, bool small, std::vector<DPoint>& points)
{
    points.clear();
    if (count > r.Remaining() / (small ? 4 : 8) || count > CMetafileDevice::kMaxRecordPoints)
        return false;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = small ? r.S16() : r.S32();
        const double y = small ? r.S16() : r.S32();
        points.push_back({x, y});
    }
    return r.Ok();
}

bool ReadMetafileFont(CByteCursor& r, bool wide, MfFont& font)
{
    auto field = [&] { return wide ? r.S32() : std::int32_t{r.S16()}; };
    font.height = field();
    font.width = field();
    font.escapement = field();
    field(); // orientation of each character: drawn along the baseline
    font.weight = field();
    font.italic = r.U8() != 0;
    font.underline = r.U8() != 0;
    font.strikeOut = r.U8() != 0;
    font.charset = r.U8();
    r.Skip(4); // precision, quality, pitch and family
    if (!r.Ok())
        return false;
    // The fuller description that may follow a wide face name is not needed.
    const std::uint8_t* name = r.Data() + r.Tell();
    font.face = FaceNameToUtf8(wide ? DecodeMetafileUtf16(name, std::min<std::size_t>(r.Remaining() / 2, 32))
                                    : DecodeMetafileBytes(name, std::min<std::size_t>(r.Remaining(), 32), 0));
    return true;
}

std::u32string ReadMetafileChars(const std::uint8_t* bytes, std::size_t count, bool wide, int charset,
                                 std::vector<double>* advances)
{
    count = std::min(count, CMetafileDevice::kMaxTextChars);
    if (advances != nullptr && advances->size() > count)
        advances->resize(count);
    std::u32string text = wide ? DecodeMetafileUtf16(bytes, count, advances)
                               : DecodeMetafileBytes(bytes, count, charset, advances);
    if (advances != nullptr && advances->size() > text.size())
        advances->resize(text.size());
    return text;
}
