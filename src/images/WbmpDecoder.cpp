#include "images/WbmpDecoder.h"

#include <cstdint>
#include <vector>

namespace {

constexpr char kNotWbmp[] = "Not a WBMP";
constexpr char kTooLarge[] = "Image too large";
constexpr char kTruncated[] = "Truncated WBMP";

// A multi-byte integer: seven bits a byte, high bit set on every byte but the last.
// At most five bytes are read, so the value stays below 2^35 and cannot overflow.
bool ReadUintVar(CByteStream& in, std::uint64_t& value)
{
    value = 0;
    for (int i = 0; i < 5; ++i) {
        std::uint8_t b = 0;
        if (!in.ReadExact(&b, 1))
            return false;
        value = (value << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0)
            return true;
    }
    return false;
}

} // namespace

bool CWbmpDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    std::uint64_t type = 0;
    std::uint8_t fixHeader = 0;
    if (!ReadUintVar(in, type) || type != 0 || !in.ReadExact(&fixHeader, 1) || fixHeader != 0) {
        error = kNotWbmp;
        return false;
    }
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    if (!ReadUintVar(in, width) || !ReadUintVar(in, height) || width == 0 || height == 0) {
        error = kNotWbmp;
        return false;
    }
    if (width > ImageLimits::kMaxSide || height > ImageLimits::kMaxSide) {
        error = kTooLarge;
        return false;
    }
    // Both sides are at most 32768 here, so the product is below 2^28.
    const std::uint64_t rowBytes = (width + 7) / 8;
    if (in.Remaining() < rowBytes * height) {
        error = kTruncated;
        return false;
    }
    PixelBlock block;
    if (!block.Create(static_cast<std::int64_t>(width), static_cast<std::int64_t>(height), 1, error))
        return false;
    RgbQuad* pal = block.Palette();
    pal[1].red = pal[1].green = pal[1].blue = 255; // entry 0 stays black
    for (std::int32_t y = 0; y < block.Height(); ++y) {
        // The block's rows are padded to four bytes, so rowBytes fit in each.
        if (!in.ReadExact(block.TopRow(y), static_cast<std::size_t>(rowBytes))) {
            error = kTruncated;
            return false;
        }
    }
    out.pixels = std::move(block);
    return true;
}
