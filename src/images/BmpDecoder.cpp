#include "images/BmpDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr char kNotBmp[] = "Not a BMP";
constexpr char kBadHeader[] = "Bad BMP header";
constexpr char kUnsupported[] = "Unsupported BMP";
constexpr char kTruncated[] = "Truncated BMP";
constexpr char kTooLarge[] = "Image too large";

// Compression codes as the info header stores them; the OS/2 codes 3 and 4 are
// renumbered to the last two on reading.
enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6,
    kOs2Huffman = 100,
    kOs2Rle24 = 101,
};

std::uint16_t Le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// Info header sizes we read: core (12), OS/2 v2 (16..64), V1 (40), V2 (52), V3 (56),
// V4 (108), V5 (124).
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

struct Header {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // rows of the picture, always positive
    bool topDown = false;
    int bpp = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colours = 0; // clrUsed
    std::uint32_t masks[4] = {0, 0, 0, 0};
    int xDpi = 96;
    int yDpi = 96;
    bool core = false;
};

// Reads the info header (and the bit-field masks after a 40-byte header) from the
// stream's position. icon: the height counts colour and mask rows together.
bool ReadInfoHeader(CByteStream& in, bool icon, Header& h, std::string& error)
{
    std::uint8_t buf[124] = {};
    if (!in.ReadExact(buf, 4)) {
        error = kTruncated;
        return false;
    }
    h.headerSize = Le32(buf);
    if (!IsKnownHeaderSize(h.headerSize)) {
        error = kBadHeader;
        return false;
    }
    // headerSize <= 124 was checked above, so the read stays inside buf.
    if (!in.ReadExact(buf + 4, h.headerSize - 4)) {
        error = kTruncated;
        return false;
    }
    std::int64_t rawHeight = 0;
    if (h.headerSize == 12) {
        h.core = true;
        h.width = Le16(buf + 4);
        rawHeight = Le16(buf + 6);
        h.bpp = Le16(buf + 10);
    } else {
        h.width = static_cast<std::int32_t>(Le32(buf + 4));
        rawHeight = static_cast<std::int32_t>(Le32(buf + 8));
        h.bpp = Le16(buf + 14);
        h.compression = Le32(buf + 16);
        h.xDpi = DpiFromPpm(static_cast<std::int32_t>(Le32(buf + 24)));
        h.yDpi = DpiFromPpm(static_cast<std::int32_t>(Le32(buf + 28)));
        h.colours = Le32(buf + 32);
        if (IsOs2V2HeaderSize(h.headerSize)) {
            if (h.compression == 3)
                h.compression = kOs2Huffman;
            else if (h.compression == 4)
                h.compression = kOs2Rle24;
        }
        if (h.headerSize >= 52) {
            for (int i = 0; i < 3; ++i)
                h.masks[i] = Le32(buf + 40 + 4 * i);
        }
        if (h.headerSize >= 56)
            h.masks[3] = Le32(buf + 52);
        if (h.headerSize == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields)) {
            const std::size_t count = h.compression == kBitFields ? 3 : 4;
            std::uint8_t m[16];
            if (!in.ReadExact(m, count * 4)) {
                error = kTruncated;
                return false;
            }
            for (std::size_t i = 0; i < count; ++i)
                h.masks[i] = Le32(m + 4 * i);
        }
    }
    if (rawHeight < 0) {
        h.topDown = true;
        rawHeight = -rawHeight; // from a 32-bit value, so the negation cannot overflow int64
    }
    if (icon) {
        if (h.topDown) {
            error = kBadHeader;
            return false;
        }
        rawHeight /= 2;
    }
    h.height = rawHeight;
    if (h.width < 1 || h.height < 1) {
        error = kBadHeader;
        return false;
    }
    if (h.width > ImageLimits::kMaxSide || h.height > ImageLimits::kMaxSide) {
        error = kTooLarge;
        return false;
    }

    // Which depth goes with which compression.
    const bool paletted = h.bpp == 1 || h.bpp == 2 || h.bpp == 4 || h.bpp == 8;
    bool ok = false;
    switch (h.compression) {
    case kRgb:
        ok = paletted || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
        break;
    case kRle8:
        ok = h.bpp == 8;
        break;
    case kRle4:
        ok = h.bpp == 4;
        break;
    case kBitFields:
    case kAlphaBitFields:
        ok = h.bpp == 16 || h.bpp == 32;
        break;
    case kOs2Rle24:
        ok = h.bpp == 24;
        break;
    default:
        ok = false; // JPEG, PNG and Huffman payloads are not read
        break;
    }
    if (!ok) {
        error = kUnsupported;
        return false;
    }
    const bool rle = h.compression == kRle8 || h.compression == kRle4 || h.compression == kOs2Rle24;
    if (rle && h.topDown) {
        error = kBadHeader; // run-length data is always stored bottom-up
        return false;
    }
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
        if (!icon)
            h.masks[3] = 0;
        else if (h.bpp == 32)
            h.masks[3] = 0xFF000000; // icons keep an alpha channel in the spare byte
    } else if (h.compression != kAlphaBitFields && h.headerSize < 56 && !icon) {
        h.masks[3] = 0;
    }
    return true;
}

// Reads up to entries palette entries of entrySize (3 or 4) bytes.
bool ReadPalette(CByteStream& in, PixelBlock& block, std::uint32_t entries, int entrySize, std::string& error)
{
    RgbQuad* pal = block.Palette();
    const std::uint32_t keep =
        std::min<std::uint32_t>(entries, static_cast<std::uint32_t>(block.PaletteSize()));
    for (std::uint32_t i = 0; i < keep; ++i) {
        std::uint8_t e[4];
        if (!in.ReadExact(e, static_cast<std::size_t>(entrySize))) {
            error = kTruncated;
            return false;
        }
        pal[i].blue = e[0];
        pal[i].green = e[1];
        pal[i].red = e[2];
        pal[i].reserved = 0;
    }
    return true;
}

void Set4(std::uint8_t* row, std::int64_t x, std::uint8_t v)
{
    std::uint8_t& b = row[x >> 1];
    b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (v & 0x0F))
                : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
}

// Converts one uncompressed file row into the block's row.
void ConvertRow(const Header& h, const Channel* ch, const std::uint8_t* src, std::uint8_t* dst,
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
    case 32:
        for (std::int64_t x = 0; x < w; ++x) {
            const std::uint32_t v = h.bpp == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
            dst[3 * x + 0] = ch[2].Get(v);
            dst[3 * x + 1] = ch[1].Get(v);
            dst[3 * x + 2] = ch[0].Get(v);
            if (alphaRow != nullptr)
                alphaRow[x] = ch[3].Get(v);
        }
        break;
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
// at least two bytes, so the loop ends within data.size() / 2 rounds. Returns what was
// wrong with the data (it ended before the picture was complete, or runs reached past
// a row's end, whose pixels are dropped), or nullptr.
const char* DecodeRle(const std::vector<std::uint8_t>& data, std::uint32_t compression, PixelBlock& block)
{
    const std::int64_t w = block.Width();
    const std::int64_t h = block.Height();
    const std::size_t n = data.size();
    const std::uint8_t* d = data.data();
    std::size_t p = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool spilled = false;
    bool endCode = false;
    constexpr const char* kEnded = "The BMP's run-length data ends before the picture is complete";

    auto put = [&](std::uint8_t* row, std::int64_t at, const std::uint8_t* value) {
        switch (compression) {
        case kRle8:
            row[at] = value[0];
            break;
        case kRle4:
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
            if (compression == kOs2Rle24) {
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
                if (compression == kRle4)
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
            std::size_t bytes = compression == kRle8   ? code
                                : compression == kRle4 ? (code + 1u) / 2
                                                       : 3u * code;
            const std::size_t avail = std::min(bytes, n - p);
            spilled = spilled || x + code > w;
            std::uint8_t* row = block.Row(static_cast<std::int32_t>(y));
            for (int i = 0; i < code && x < w; ++i, ++x) {
                std::uint8_t v[3] = {0, 0, 0};
                if (compression == kRle8) {
                    if (static_cast<std::size_t>(i) >= avail)
                        break;
                    v[0] = d[p + i];
                } else if (compression == kRle4) {
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

// The common part of files and icons: header at the stream's position. pixelOffset is
// the absolute position of the rows (files), or 0 when they follow the palette (icons).
bool DecodeDib(CByteStream& in, std::uint64_t pixelOffset, bool icon, DecodedImage& out,
               CBmpDecoder::IconExtra* extra, std::string& error)
{
    Header h;
    if (!ReadInfoHeader(in, icon, h, error))
        return false;

    const int entrySize = h.core ? 3 : 4;
    std::uint32_t entries = 0;
    if (h.bpp <= 8) {
        const std::uint32_t full = 1u << h.bpp;
        entries = h.colours == 0 || h.core ? full : h.colours;
        if (icon && entries > 256) {
            error = kBadHeader;
            return false;
        }
    }
    const std::uint64_t paletteStart = in.Tell();
    if (pixelOffset != 0) {
        if (pixelOffset < paletteStart) {
            error = kBadHeader;
            return false;
        }
        // A palette shorter than its header says ends where the rows begin.
        const std::uint64_t room = (pixelOffset - paletteStart) / static_cast<std::uint64_t>(entrySize);
        entries = static_cast<std::uint32_t>(std::min<std::uint64_t>(entries, room));
    }

    const bool rle = h.compression == kRle8 || h.compression == kRle4 || h.compression == kOs2Rle24;
    // bpp <= 32 and width <= 32768, so the stride is at most 131072 bytes.
    const std::uint64_t fileStride = PixelBlock::StrideFor(h.width, h.bpp);
    const std::uint64_t lastRow =
        (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.bpp) + 7) / 8;
    // At most 131072 * 32767 + 131072 bytes: far below 2^64.
    const std::uint64_t needed = fileStride * static_cast<std::uint64_t>(h.height - 1) + lastRow;
    const int outBpp = h.bpp == 2 ? 4 : h.bpp > 8 ? 24 : h.bpp;
    // Sides are at most 32768, so the block's size stays below 2^47.
    const std::uint64_t blockBytes =
        PixelBlock::kHeaderSize + (outBpp == 24 ? 0u : 4u << outBpp) +
        PixelBlock::StrideFor(h.width, outBpp) * static_cast<std::uint64_t>(h.height);
    if (blockBytes > ImageLimits::kMaxBlockBytes) {
        error = kTooLarge; // before the data check: the header alone rules the file out
        return false;
    }
    const std::uint64_t dataStart =
        pixelOffset != 0 ? pixelOffset : paletteStart + std::uint64_t{entries} * entrySize;
    if (dataStart > in.Size()) {
        error = kTruncated;
        return false;
    }
    const std::uint64_t available = in.Size() - dataStart;
    if (rle ? available < 2 : available < needed) {
        error = kTruncated;
        return false;
    }

    PixelBlock block;
    if (!block.Create(h.width, h.height, outBpp, error))
        return false;
    if (h.bpp <= 8 && !ReadPalette(in, block, entries, entrySize, error))
        return false;
    if (!in.Seek(dataStart)) {
        error = kTruncated;
        return false;
    }

    if (rle) {
        std::vector<std::uint8_t> data;
        // available is bounded by the stream's size; refuse more than a block could need.
        if (!in.ReadRest(data, ImageLimits::kMaxBlockBytes)) {
            error = kTooLarge;
            return false;
        }
        if (const char* notice = DecodeRle(data, h.compression, block))
            out.partial = notice;
    } else {
        const Channel ch[4] = {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2]),
                               Channel(h.masks[3])};
        const bool wantAlpha = (h.bpp == 16 || h.bpp == 32) && h.masks[3] != 0;
        std::vector<std::uint8_t> alpha;
        if (wantAlpha) {
            // width * height <= 2^30 pixels, checked by the block above.
            alpha.assign(static_cast<std::size_t>(h.width * h.height), 0);
        }
        std::vector<std::uint8_t> row(static_cast<std::size_t>(fileStride));
        for (std::int64_t r = 0; r < h.height; ++r) {
            const std::size_t want = r + 1 < h.height ? row.size() : static_cast<std::size_t>(lastRow);
            if (!in.ReadExact(row.data(), want)) {
                error = kTruncated; // cannot happen after the size check, unless the file shrank
                return false;
            }
            const auto y = static_cast<std::int32_t>(h.topDown ? h.height - 1 - r : r);
            std::uint8_t* alphaRow =
                wantAlpha ? alpha.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(h.width)
                          : nullptr;
            ConvertRow(h, ch, row.data(), block.Row(y), alphaRow);
        }
        // An alpha channel that is zero everywhere is a spare byte, not transparency.
        const bool alphaUsed = std::any_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a != 0; });
        if (extra != nullptr) {
            extra->alphaUsed = alphaUsed;
            extra->alpha = std::move(alpha);
        } else if (alphaUsed) {
            BlendOverWhite(block, alpha);
        }
        if (icon && h.height > 0 && lastRow < fileStride) {
            // Step over the last row's padding to where the mask starts (it may be missing).
            in.Seek(std::min(in.Tell() + (fileStride - lastRow), in.Size()));
        }
    }

    out.pixels = std::move(block);
    out.xDpi = h.xDpi;
    out.yDpi = h.yDpi;
    return true;
}

} // namespace

bool CBmpDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    const std::uint64_t base = in.Tell();
    std::uint8_t fh[14];
    if (!in.ReadExact(fh, sizeof fh) || fh[0] != 'B' || fh[1] != 'M') {
        error = kNotBmp;
        return false;
    }
    // The rows' offset counts from the file header; base <= Size(), so no wrap.
    const std::uint64_t offset = base + Le32(fh + 10);
    if (offset < base + sizeof fh + 12) {
        error = kBadHeader;
        return false;
    }
    return DecodeDib(in, offset, false, out, nullptr, error);
}

bool CBmpDecoder::DecodeIconImage(CByteStream& in, DecodedImage& out, IconExtra& extra, std::string& error)
{
    return DecodeDib(in, 0, true, out, &extra, error);
}
