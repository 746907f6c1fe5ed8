#include "images/DibReader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "images/RecordReader.h"

namespace {

enum Compression : std::uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
    kBiAlphaBitfields = 6,
};

struct DibHeader {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // positive; topDown tells the row order
    bool topDown = false;
    int bpp = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t masks[3] = {0, 0, 0};
    std::uint32_t coloursUsed = 0;
    std::size_t maskBytes = 0; // masks stored after a 40-byte header
    std::size_t colourEntrySize = 4;
};

bool IsAllowedDepth(int bpp)
{
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

bool ReadHeader(CRecordReader& r, DibHeader& h)
{
    h.headerSize = r.U32();
    if (!r.Ok())
        return false;
    if (h.headerSize == 12) {
        h.width = r.U16();
        h.height = r.U16();
        r.U16(); // planes
        h.bpp = r.U16();
        h.colourEntrySize = 3;
    } else {
        // The information headers of later versions only add fields after these;
        // 124 bytes is the longest one written.
        if (h.headerSize < 40 || h.headerSize > 124 || !r.Has(h.headerSize - 4))
            return false;
        h.width = r.S32();
        const std::int32_t height = r.S32();
        r.U16(); // planes
        h.bpp = r.U16();
        h.compression = r.U32();
        r.U32(); // image size
        r.U32(); // resolution
        r.U32();
        h.coloursUsed = r.U32();
        r.U32(); // colours important
        // height is a 32-bit value, so its magnitude fits in 64 bits even for INT32_MIN.
        h.topDown = height < 0;
        h.height = h.topDown ? -std::int64_t{height} : std::int64_t{height};
        if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
            if (h.headerSize == 40) {
                // A plain header keeps the three masks just after itself.
                h.maskBytes = 12;
                h.masks[0] = r.U32();
                h.masks[1] = r.U32();
                h.masks[2] = r.U32();
                if (h.compression == kBiAlphaBitfields) {
                    r.U32();
                    h.maskBytes = 16;
                }
            } else if (h.headerSize >= 52) {
                h.masks[0] = r.U32();
                h.masks[1] = r.U32();
                h.masks[2] = r.U32();
            } else {
                return false;
            }
        }
    }
    if (!r.Ok() || !IsAllowedDepth(h.bpp))
        return false;
    if (h.width < 1 || h.height < 1 || h.width > ImageLimits::kMaxSide || h.height > ImageLimits::kMaxSide)
        return false;
    switch (h.compression) {
    case kBiRgb:
        break;
    case kBiRle8:
        if (h.bpp != 8 || h.topDown)
            return false;
        break;
    case kBiRle4:
        if (h.bpp != 4 || h.topDown)
            return false;
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        if (h.bpp != 16 && h.bpp != 32)
            return false;
        break;
    default:
        return false;
    }
    return true;
}

// Entries in the colour table that precede the rows. An indexed picture has up to
// 2^bpp of them; the others may carry an optional table that is skipped.
bool ColourTableEntries(const DibHeader& h, std::uint32_t& entries)
{
    if (h.bpp <= 8) {
        const std::uint32_t full = 1u << h.bpp;
        if (h.coloursUsed > full)
            return false;
        entries = h.coloursUsed == 0 ? full : h.coloursUsed;
    } else {
        // A table beside true-colour pixels is only a hint for palette devices; more
        // than 256 entries is not a table anyone writes.
        if (h.coloursUsed > 256)
            return false;
        entries = h.coloursUsed;
    }
    return true;
}

struct ChannelMask {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0; // the mask shifted down

    explicit ChannelMask(std::uint32_t m) : mask(m)
    {
        if (m == 0)
            return;
        while (((m >> shift) & 1u) == 0)
            ++shift;
        max = m >> shift;
    }

    std::uint8_t Extract(std::uint32_t v) const
    {
        if (max == 0)
            return 0;
        // max < 2^32 and the value <= max, so value * 255 fits in 64 bits.
        const std::uint64_t value = (v & mask) >> shift;
        return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
    }
};

std::uint32_t Le(const std::uint8_t* p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void DecodeTrueColourRows(const DibHeader& h, const std::uint8_t* bits, std::uint64_t stride, PixelBlock& out)
{
    std::uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
    if (h.compression == kBiRgb && h.bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (h.compression == kBiRgb && h.bpp == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }
    const ChannelMask red(masks[0]), green(masks[1]), blue(masks[2]);
    const int bytesPerPixel = h.bpp / 8;
    for (std::int64_t y = 0; y < h.height; ++y) {
        const std::uint8_t* src = bits + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y);
        const auto rowFromBottom = static_cast<std::int32_t>(h.topDown ? h.height - 1 - y : y);
        std::uint8_t* dst = out.Row(rowFromBottom);
        for (std::int64_t x = 0; x < h.width; ++x, src += bytesPerPixel, dst += 3) {
            if (h.bpp == 24) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                continue;
            }
            const std::uint32_t v = Le(src, bytesPerPixel);
            dst[0] = blue.Extract(v);
            dst[1] = green.Extract(v);
            dst[2] = red.Extract(v);
        }
    }
}

// Run-length pixels: pairs of (count, index) runs and escapes (end of row, end of
// picture, a jump, literal pixels). Each step consumes at least two bytes, so the loop
// ends with the data; pixels outside the picture are dropped.
void DecodeRle(const DibHeader& h, const std::uint8_t* data, std::size_t size, PixelBlock& out)
{
    const bool four = h.compression == kBiRle4;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t pos = 0;
    auto put = [&](std::uint8_t index) {
        if (x < h.width && y < h.height) {
            std::uint8_t* row = out.Row(static_cast<std::int32_t>(y));
            if (four) {
                std::uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 0x0F))
                            : static_cast<std::uint8_t>((b & 0x0F) | (index << 4));
            } else {
                row[x] = index;
            }
        }
        ++x;
    };
    while (pos + 2 <= size && y < h.height) {
        const std::uint8_t count = data[pos];
        const std::uint8_t value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? static_cast<std::uint8_t>((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) { // end of row
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // jump right and up
            if (pos + 2 > size)
                break;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else { // literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2u : value;
            const std::size_t padded = (bytes + 1u) & ~std::size_t{1};
            if (padded > size - pos)
                break;
            for (int i = 0; i < value; ++i) {
                const std::uint8_t b = data[pos + static_cast<std::size_t>(four ? i / 2 : i)];
                put(four ? static_cast<std::uint8_t>((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            pos += padded;
        }
    }
}

} // namespace

bool CDibReader::Read(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                      std::size_t bitsSize, int usage, PixelBlock& out, bool* topDown)
{
    CRecordReader r(info, infoSize);
    DibHeader h;
    if (!ReadHeader(r, h))
        return false;
    std::uint32_t entries = 0;
    if (!ColourTableEntries(h, entries))
        return false;
    const std::size_t entrySize = usage == kPaletteIndices ? 2 : h.colourEntrySize;
    // The table starts after the header and any masks kept after it; entries <= 256.
    if (!r.Seek(h.headerSize + h.maskBytes) || !r.Has(std::size_t{entries} * entrySize))
        return false;

    // Both sides are at most 32768, so the product fits easily in 64 bits.
    const std::uint64_t pixels = static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height);
    if (pixels > kMaxPixels)
        return false;
    const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
    // bitsSize is a memory size, far below 2^54, so the product cannot wrap.
    if (rle && pixels > kRleFreePixels + kRlePixelsPerByte * std::uint64_t{bitsSize})
        return false;
    // width <= 32768 and bpp <= 32: the stride is at most 128 KiB, and stride * height
    // at most 2^32, well inside 64 bits.
    const std::uint64_t stride = PixelBlock::StrideFor(h.width, h.bpp);
    if (!rle && stride * static_cast<std::uint64_t>(h.height) > bitsSize)
        return false;

    std::string error;
    PixelBlock block;
    if (!block.Create(h.width, h.height, h.bpp <= 8 ? h.bpp : 24, error))
        return false;
    if (h.bpp <= 8) {
        RgbQuad* palette = block.Palette();
        for (std::uint32_t i = 0; i < entries; ++i) {
            if (usage == kPaletteIndices) {
                const auto grey = static_cast<std::uint8_t>(r.U16());
                palette[i].red = palette[i].green = palette[i].blue = grey;
            } else {
                palette[i].blue = r.U8();
                palette[i].green = r.U8();
                palette[i].red = r.U8();
                if (entrySize == 4)
                    r.U8();
            }
        }
        if (rle) {
            DecodeRle(h, bits, bitsSize, block);
        } else {
            // An indexed row is laid out as the block's own row.
            for (std::int64_t y = 0; y < h.height; ++y) {
                const auto rowFromBottom = static_cast<std::int32_t>(h.topDown ? h.height - 1 - y : y);
                std::memcpy(block.Row(rowFromBottom),
                            bits + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y),
                            block.Stride());
            }
        }
    } else {
        DecodeTrueColourRows(h, bits, stride, block);
    }
    if (!r.Ok())
        return false;
    out = std::move(block);
    if (topDown != nullptr)
        *topDown = h.topDown;
    return true;
}

bool CDibReader::ReadPacked(const std::uint8_t* data, std::size_t size, int usage, PixelBlock& out,
                            bool* topDown)
{
    CRecordReader r(data, size);
    DibHeader h;
    if (!ReadHeader(r, h))
        return false;
    std::uint32_t entries = 0;
    if (!ColourTableEntries(h, entries))
        return false;
    const std::size_t entrySize = usage == kPaletteIndices ? 2 : h.colourEntrySize;
    // headerSize <= 124, maskBytes <= 16 and entries <= 256: no overflow.
    const std::size_t infoSize = h.headerSize + h.maskBytes + std::size_t{entries} * entrySize;
    if (infoSize > size)
        return false;
    return Read(data, infoSize, data + infoSize, size - infoSize, usage, out, topDown);
}

bool CDibReader::ReadDeviceBitmap(const std::uint8_t* data, std::size_t size, PixelBlock& out)
{
    CRecordReader r(data, size);
    r.S16(); // type
    const std::int32_t width = r.S16();
    const std::int32_t height = r.S16();
    const std::int32_t widthBytes = r.S16();
    const int planes = r.U8();
    const int bpp = r.U8();
    if (!r.Ok() || planes != 1 || (bpp != 1 && bpp != 24 && bpp != 32))
        return false;
    if (width < 1 || height < 1 || widthBytes < 1)
        return false;
    // width <= 32767 and bpp <= 32: the row needs at most 128 KiB, and widthBytes *
    // height stays below 2^31.
    const std::int64_t rowBits = std::int64_t{width} * bpp;
    if (std::int64_t{widthBytes} * 8 < rowBits)
        return false;
    if (std::uint64_t(widthBytes) * std::uint64_t(height) > r.Remaining())
        return false;
    if (std::uint64_t(width) * std::uint64_t(height) > kMaxPixels)
        return false;
    std::string error;
    PixelBlock block;
    if (!block.Create(width, height, bpp == 1 ? 1 : 24, error))
        return false;
    const std::uint8_t* bits = data + r.Tell();
    if (bpp == 1) {
        RgbQuad* palette = block.Palette();
        palette[1].red = palette[1].green = palette[1].blue = 0xFF;
    }
    const int bytesPerPixel = bpp / 8;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* src = bits + std::size_t(widthBytes) * std::size_t(y);
        std::uint8_t* dst = block.TopRow(y);
        if (bpp == 1) {
            std::memcpy(dst, src, static_cast<std::size_t>((width + 7) / 8));
            continue;
        }
        for (std::int32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
    out = std::move(block);
    return true;
}

std::uint32_t CDibReader::AverageColour(const PixelBlock& pixels)
{
    if (!pixels.IsValid())
        return 0;
    const std::int32_t stepX = std::max(1, pixels.Width() / 64);
    const std::int32_t stepY = std::max(1, pixels.Height() / 64);
    std::uint64_t sum[3] = {0, 0, 0};
    std::uint64_t count = 0;
    for (std::int32_t y = 0; y < pixels.Height(); y += stepY) {
        for (std::int32_t x = 0; x < pixels.Width(); x += stepX) {
            const std::uint32_t c = pixels.GetColour(x, y);
            sum[0] += c & 0xFF;
            sum[1] += (c >> 8) & 0xFF;
            sum[2] += (c >> 16) & 0xFF;
            ++count;
        }
    }
    return static_cast<std::uint32_t>(sum[0] / count) | static_cast<std::uint32_t>(sum[1] / count) << 8 |
           static_cast<std::uint32_t>(sum[2] / count) << 16;
}
