#include "images/DibReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "images/ByteCursor.h"

namespace {

using Fault = CDibReader::Fault;
using Holder = CDibReader::Holder;

// Header sizes of the versions written: core (12), OS/2 v2 (16..64), V1 (40), V2 (52),
// V3 (56), V4 (108), V5 (124).
bool IsKnownHeaderSize(std::uint32_t size)
{
    return size == 12 || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

bool IsOs2V2HeaderSize(std::uint32_t size)
{
    return size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56;
}

// Pixels per metre to dots per inch; 96 for a missing or absurd value.
int DpiFromPpm(std::int32_t ppm)
{
    const double dpi = std::round(static_cast<double>(ppm) * 0.0254);
    if (dpi < 1 || dpi > 1000000)
        return 96;
    return static_cast<int>(dpi);
}

// Which depth goes with which compression.
bool DepthFits(std::uint32_t compression, int bpp)
{
    switch (compression) {
    case CDibReader::kRgb:
        return bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    case CDibReader::kRle8:
        return bpp == 8;
    case CDibReader::kRle4:
        return bpp == 4;
    case CDibReader::kBitFields:
    case CDibReader::kAlphaBitFields:
        return bpp == 16 || bpp == 32;
    case CDibReader::kOs2Rle24:
        return bpp == 24;
    default:
        return false; // JPEG, PNG and Huffman payloads are not read
    }
}

// One colour channel of a 16- or 32-bit pixel, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (mask == 0)
            return;
        while (((mask >> shift) & 1u) == 0)
            ++shift; // mask != 0, so this stops below 32
        max = mask >> shift;
    }
    std::uint8_t Get(std::uint32_t v) const
    {
        if (max == 0)
            return 0;
        // The product is below 2^40, far from overflowing 64 bits.
        const std::uint64_t c = (v & mask) >> shift;
        return static_cast<std::uint8_t>((c * 255 + max / 2) / max);
    }
};

void Set4(std::uint8_t* row, std::int64_t x, std::uint8_t v)
{
    std::uint8_t& b = row[x >> 1];
    b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (v & 0x0F))
                : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
}

// Converts one stored uncompressed row into the block's row.
void ConvertRow(const CDibReader::Layout& h, const Channel* ch, const std::uint8_t* src, std::uint8_t* dst,
                std::uint8_t* alphaRow)
{
    const std::int64_t w = h.width;
    switch (h.bpp) {
    case 1:
    case 4:
    case 8:
        // Same layout in file and block; the row is (w * bpp + 7) / 8 bytes.
        std::memcpy(dst, src, static_cast<std::size_t>((w * h.bpp + 7) / 8));
        break;
    case 2:
        for (std::int64_t x = 0; x < w; ++x)
            Set4(dst, x, static_cast<std::uint8_t>((src[x >> 2] >> (6 - 2 * (x & 3))) & 3));
        break;
    case 24:
        std::memcpy(dst, src, static_cast<std::size_t>(w * 3));
        break;
    case 16:
    case 32: {
        const std::size_t bytes = static_cast<std::size_t>(h.bpp / 8);
        CByteCursor r(src, bytes * static_cast<std::size_t>(w));
        for (std::int64_t x = 0; x < w; ++x) {
            const std::uint32_t v = h.bpp == 16 ? r.U16() : r.U32();
            dst[3 * x + 0] = ch[2].Get(v);
            dst[3 * x + 1] = ch[1].Get(v);
            dst[3 * x + 2] = ch[0].Get(v);
            if (alphaRow != nullptr)
                alphaRow[x] = ch[3].Get(v);
        }
        break;
    }
    default:
        break;
    }
}

// A picture meant for paper: see-through pixels show the white page beneath.
void BlendOverWhite(PixelBlock& block, const std::vector<std::uint8_t>& alpha)
{
    const std::size_t w = static_cast<std::size_t>(block.Width());
    for (std::int32_t y = 0; y < block.Height(); ++y) {
        std::uint8_t* row = block.Row(y);
        const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(y) * w;
        for (std::size_t x = 0; x < w; ++x) {
            const unsigned k = a[x];
            for (std::size_t c = 0; c < 3; ++c) {
                std::uint8_t& v = row[3 * x + c];
                v = static_cast<std::uint8_t>((v * k + 255 * (255 - k) + 127) / 255);
            }
        }
    }
}

// Run-length data (RLE4, RLE8, RLE24) into a cleared bottom-up block. Every code takes
// at least two bytes, so the loop ends within n / 2 rounds. Returns what was wrong with
// the data (it ended before the picture was complete, or runs reached past a row's
// end, whose pixels are dropped), or nullptr.
const char* DecodeRle(const std::uint8_t* d, std::size_t n, std::uint32_t compression, PixelBlock& block)
{
    const std::int64_t w = block.Width();
    const std::int64_t h = block.Height();
    std::size_t p = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool spilled = false;
    bool endCode = false;
    constexpr const char* kEnded = "The BMP's run-length data ends before the picture is complete";

    auto put = [&](std::uint8_t* row, std::int64_t at, const std::uint8_t* value) {
        switch (compression) {
        case CDibReader::kRle8:
            row[at] = value[0];
            break;
        case CDibReader::kRle4:
            Set4(row, at, value[0]);
            break;
        default:
            std::memcpy(row + 3 * at, value, 3);
            break;
        }
    };

    while (y < h && p + 2 <= n) {
        const std::uint8_t count = d[p];
        if (count > 0) {
            std::uint8_t colour[3] = {d[p + 1], 0, 0};
            if (compression == CDibReader::kOs2Rle24) {
                if (p + 4 > n)
                    return kEnded;
                std::memcpy(colour, d + p + 1, 3);
                p += 4;
            } else {
                p += 2;
            }
            std::uint8_t* row = block.Row(static_cast<std::int32_t>(y));
            spilled = spilled || x + count > w;
            for (int i = 0; i < count && x < w; ++i, ++x) {
                std::uint8_t v[3] = {colour[0], colour[1], colour[2]};
                if (compression == CDibReader::kRle4)
                    v[0] = (i & 1) ? (colour[0] & 0x0F) : (colour[0] >> 4);
                put(row, x, v);
            }
            continue;
        }
        const std::uint8_t code = d[p + 1];
        p += 2;
        if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            endCode = true;
            break;
        } else if (code == 2) { // delta: move right and up
            if (p + 2 > n)
                return kEnded;
            x = std::min<std::int64_t>(x + d[p], w);
            y += d[p + 1];
            p += 2;
        } else { // absolute run of `code` pixels, padded to a 16-bit boundary
            std::size_t bytes = compression == CDibReader::kRle8   ? code
                                : compression == CDibReader::kRle4 ? (code + 1u) / 2
                                                                   : 3u * code;
            const std::size_t avail = std::min(bytes, n - p);
            spilled = spilled || x + code > w;
            std::uint8_t* row = block.Row(static_cast<std::int32_t>(y));
            for (int i = 0; i < code && x < w; ++i, ++x) {
                std::uint8_t v[3] = {0, 0, 0};
                if (compression == CDibReader::kRle8) {
                    if (static_cast<std::size_t>(i) >= avail)
                        break;
                    v[0] = d[p + i];
                } else if (compression == CDibReader::kRle4) {
                    if (static_cast<std::size_t>(i / 2) >= avail)
                        break;
                    v[0] = (i & 1) ? (d[p + i / 2] & 0x0F) : (d[p + i / 2] >> 4);
                } else {
                    if (3u * i + 3 > avail)
                        break;
                    std::memcpy(v, d + p + 3 * i, 3);
                }
                put(row, x, v);
            }
            bytes += bytes & 1;
            if (bytes > n - p)
                return kEnded; // the run went past the end of the data
            p += bytes;
        }
    }
    if (spilled)
        return "The BMP's run-length data reaches past the ends of its rows";
    // Complete at its end code, when every row was reached, or when the last one was
    // filled without its end code.
    return endCode || y >= h || (y == h - 1 && x >= w) ? nullptr : kEnded;
}

// Makes the block and fills its palette from the colour table.
Fault StartBlock(const CDibReader::Layout& h, const std::uint8_t* table, std::size_t tableSize, int usage,
                 PixelBlock& block, std::string& error)
{
    if (!block.Create(h.width, h.height, h.OutBpp(), error))
        return Fault::kNoBlock;
    if (h.bpp > 8)
        return Fault::kNone;
    RgbQuad* pal = block.Palette();
    const std::uint32_t keep =
        std::min<std::uint32_t>(h.tableEntries, static_cast<std::uint32_t>(block.PaletteSize()));
    CByteCursor r(table, tableSize);
    for (std::uint32_t i = 0; i < keep; ++i) {
        if (usage == CDibReader::kPaletteIndices) {
            const auto grey = static_cast<std::uint8_t>(r.U16());
            pal[i].red = pal[i].green = pal[i].blue = grey;
        } else {
            pal[i].blue = r.U8();
            pal[i].green = r.U8();
            pal[i].red = r.U8();
            if (h.entrySize == 4)
                r.U8();
        }
        pal[i].reserved = 0;
    }
    return r.Ok() ? Fault::kNone : Fault::kTruncated;
}

// The uncompressed rows, each fetched by row(index, bytes) in stored order (null when
// it is not there).
template <class NextRow> Fault DecodeRows(const CDibReader::Layout& h, NextRow&& row, CDibReader::Pixels& out)
{
    const Channel ch[4] = {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2]),
                           Channel(h.masks[3])};
    const bool wantAlpha = (h.bpp == 16 || h.bpp == 32) && h.masks[3] != 0;
    std::vector<std::uint8_t> alpha;
    if (wantAlpha) {
        // width * height <= 2^30 pixels, checked by the block.
        alpha.assign(static_cast<std::size_t>(h.width * h.height), 0);
    }
    const std::uint64_t lastRow =
        (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.bpp) + 7) / 8;
    for (std::int64_t r = 0; r < h.height; ++r) {
        const std::size_t want = static_cast<std::size_t>(r + 1 < h.height ? h.stride : lastRow);
        const std::uint8_t* src = row(r, want);
        if (src == nullptr)
            return Fault::kTruncated;
        const auto y = static_cast<std::int32_t>(h.topDown ? h.height - 1 - r : r);
        std::uint8_t* alphaRow =
            wantAlpha ? alpha.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(h.width)
                      : nullptr;
        ConvertRow(h, ch, src, out.block.Row(y), alphaRow);
    }
    // An alpha channel that is zero everywhere is a spare byte, not transparency.
    out.alphaUsed = std::any_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a != 0; });
    if (h.holder == Holder::kIcon)
        out.alpha = std::move(alpha);
    else if (out.alphaUsed)
        BlendOverWhite(out.block, alpha);
    return Fault::kNone;
}

} // namespace

std::uint64_t CDibReader::Layout::BlockBytes() const
{
    const int out = OutBpp();
    // Sides are at most 32768, so the block's size stays below 2^47.
    return PixelBlock::kHeaderSize + (out == 24 ? 0u : 4u << out) +
           PixelBlock::StrideFor(width, out) * static_cast<std::uint64_t>(height);
}

CDibReader::Fault CDibReader::ReadLayout(const std::uint8_t* info, std::size_t infoSize, Holder holder,
                                         int usage, Layout& h)
{
    h = Layout{};
    h.holder = holder;
    CByteCursor r(info, infoSize);
    h.headerSize = r.U32();
    if (!r.Ok())
        return Fault::kTruncated;
    if (!IsKnownHeaderSize(h.headerSize))
        return Fault::kBadHeader;
    if (!r.Has(h.headerSize - 4))
        return Fault::kTruncated;
    const bool core = h.headerSize == 12;
    // The fields a shorter OS/2 header leaves out read as zero.
    std::uint8_t buf[124] = {};
    std::memcpy(buf, info, h.headerSize);
    CByteCursor f(buf, sizeof buf);
    f.Skip(4);
    std::size_t maskBytes = 0; // masks kept after a plain header
    std::int64_t rawHeight = 0;
    std::uint32_t colours = 0;
    if (core) {
        h.width = f.U16();
        rawHeight = f.U16();
        f.U16(); // planes
        h.bpp = f.U16();
    } else {
        h.width = f.S32();
        rawHeight = f.S32();
        f.U16(); // planes
        h.bpp = f.U16();
        h.compression = f.U32();
        f.U32(); // image size
        h.xDpi = DpiFromPpm(f.S32());
        h.yDpi = DpiFromPpm(f.S32());
        colours = f.U32();
        f.U32(); // colours important
        if (IsOs2V2HeaderSize(h.headerSize)) {
            if (h.compression == 3)
                h.compression = kOs2Huffman;
            else if (h.compression == 4)
                h.compression = kOs2Rle24;
        }
        // Later versions keep the masks inside the header, a plain one just after itself.
        const bool bitFields = h.compression == kBitFields || h.compression == kAlphaBitFields;
        std::size_t masks = h.headerSize >= 56 ? 4 : h.headerSize >= 52 ? 3 : 0;
        if (h.headerSize == 40 && bitFields)
            masks = h.compression == kBitFields ? 3 : 4;
        if (masks > 0) {
            r.Seek(40);
            for (std::size_t i = 0; i < masks; ++i)
                h.masks[i] = r.U32();
            if (!r.Ok())
                return Fault::kTruncated;
            if (h.headerSize == 40)
                maskBytes = 4 * masks;
        }
        // A bit-field picture without masks has no colours.
        if (bitFields && masks == 0)
            return Fault::kBadHeader;
    }
    // The colour table follows the header and the masks kept after a plain one.
    r.Seek(h.headerSize + maskBytes);
    if (rawHeight < 0) {
        h.topDown = true;
        rawHeight = -rawHeight; // from a 32-bit value, so the negation cannot overflow int64
    }
    if (holder == Holder::kIcon) {
        if (h.topDown)
            return Fault::kBadHeader;
        rawHeight /= 2;
    }
    h.height = rawHeight;
    if (h.width < 1 || h.height < 1)
        return Fault::kBadHeader;
    if (h.width > ImageLimits::kMaxSide || h.height > ImageLimits::kMaxSide)
        return Fault::kTooLarge;
    if (!DepthFits(h.compression, h.bpp))
        return Fault::kUnsupported;
    if (h.Rle() && h.topDown)
        return Fault::kBadHeader; // run-length data is always stored bottom-up

    if (h.compression == kRgb) {
        // The default layouts of 16 and 32 bits: 5-5-5 and 8-8-8.
        if (h.bpp == 16) {
            h.masks[0] = 0x7C00;
            h.masks[1] = 0x03E0;
            h.masks[2] = 0x001F;
        } else if (h.bpp == 32) {
            h.masks[0] = 0x00FF0000;
            h.masks[1] = 0x0000FF00;
            h.masks[2] = 0x000000FF;
        }
        // Icons keep an alpha channel in the spare byte.
        h.masks[3] = holder == Holder::kIcon && h.bpp == 32 ? 0xFF000000 : 0;
    }
    if (holder == Holder::kMetafile)
        h.masks[3] = 0; // a bitmap drawn into a page covers what lies beneath

    h.entrySize = usage == kPaletteIndices ? 2 : core ? 3 : 4;
    h.tableOffset = r.Tell();
    if (h.bpp <= 8) {
        const std::uint32_t full = 1u << h.bpp;
        h.tableEntries = colours == 0 || core ? full : colours;
        // A file says where its rows are, so a table longer than the depth needs ends
        // there. An icon's rows follow the table: entries beyond the depth's are
        // skipped, up to 256. A metafile's bitmap with such a count is refused.
        if ((holder == Holder::kMetafile && h.tableEntries > full) ||
            (holder == Holder::kIcon && h.tableEntries > 256))
            return Fault::kBadHeader;
    } else if (holder != Holder::kFile) {
        // A table beside true-colour pixels is only a hint for palette devices, skipped
        // to reach the rows; more than 256 entries is not a table anyone writes.
        if (colours > 256)
            return Fault::kBadHeader;
        h.tableEntries = colours;
    }
    // bpp <= 32 and width <= 32768, so the stride is at most 131072 bytes, and all rows
    // at most 131072 * 32768 bytes: far below 2^64.
    h.stride = PixelBlock::StrideFor(h.width, h.bpp);
    const std::uint64_t lastRow =
        (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.bpp) + 7) / 8;
    h.rowBytes = h.stride * static_cast<std::uint64_t>(h.height - 1) + lastRow;
    return Fault::kNone;
}

CDibReader::Fault CDibReader::ReadPixels(const Layout& h, const std::uint8_t* table, std::size_t tableSize,
                                         int usage, const std::uint8_t* bits, std::size_t bitsSize,
                                         Pixels& out, std::string& error)
{
    if (h.Rle() ? bitsSize < 2 : bitsSize < h.rowBytes)
        return Fault::kTruncated;
    if (const Fault f = StartBlock(h, table, tableSize, usage, out.block, error); f != Fault::kNone)
        return f;
    if (h.Rle()) {
        out.notice = DecodeRle(bits, bitsSize, h.compression, out.block);
        return Fault::kNone;
    }
    return DecodeRows(
        h,
        [&](std::int64_t r, std::size_t) {
            return bits + static_cast<std::size_t>(h.stride) * static_cast<std::size_t>(r);
        },
        out);
}

CDibReader::Fault CDibReader::ReadPixels(const Layout& h, const std::uint8_t* table, std::size_t tableSize,
                                         int usage, CByteStream& in, Pixels& out, std::string& error)
{
    if (h.Rle() ? in.Remaining() < 2 : in.Remaining() < h.rowBytes)
        return Fault::kTruncated;
    if (h.Rle()) {
        std::vector<std::uint8_t> data;
        // What is left is bounded by the stream; refuse more than a block could need.
        if (!in.ReadRest(data, ImageLimits::kMaxBlockBytes))
            return Fault::kTooLarge;
        return ReadPixels(h, table, tableSize, usage, data.data(), data.size(), out, error);
    }
    if (const Fault f = StartBlock(h, table, tableSize, usage, out.block, error); f != Fault::kNone)
        return f;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(h.stride));
    return DecodeRows(
        h,
        [&](std::int64_t, std::size_t want) -> const std::uint8_t* {
            // Cannot fail after the size check, unless the file shrank.
            return in.ReadExact(row.data(), want) ? row.data() : nullptr;
        },
        out);
}

bool CDibReader::Read(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                      std::size_t bitsSize, int usage, PixelBlock& out, bool* topDown)
{
    Layout h;
    if (ReadLayout(info, infoSize, Holder::kMetafile, usage, h) != Fault::kNone || h.TableEnd() > infoSize)
        return false;
    // Both sides are at most 32768, so the product fits easily in 64 bits.
    const std::uint64_t pixels = static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height);
    if (pixels > kMaxPixels)
        return false;
    // bitsSize is a memory size, far below 2^54, so the product cannot wrap.
    if (h.Rle() && pixels > kRleFreePixels + kRlePixelsPerByte * std::uint64_t{bitsSize})
        return false;
    Pixels read;
    std::string error;
    if (ReadPixels(h, info + h.tableOffset, infoSize - h.tableOffset, usage, bits, bitsSize, read, error) !=
        Fault::kNone)
        return false;
    out = std::move(read.block);
    if (topDown != nullptr)
        *topDown = h.topDown;
    return true;
}

bool CDibReader::ReadPacked(const std::uint8_t* data, std::size_t size, int usage, PixelBlock& out,
                            bool* topDown)
{
    Layout h;
    if (ReadLayout(data, size, Holder::kMetafile, usage, h) != Fault::kNone)
        return false;
    // headerSize <= 124, masks <= 16 bytes and entries <= 256: no overflow.
    const std::size_t infoSize = h.TableEnd();
    if (infoSize > size)
        return false;
    return Read(data, infoSize, data + infoSize, size - infoSize, usage, out, topDown);
}

bool CDibReader::ReadDeviceBitmap(const std::uint8_t* data, std::size_t size, PixelBlock& out)
{
    CByteCursor r(data, size);
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
