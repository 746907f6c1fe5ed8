#include "images/IcoDecoder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "images/BmpDecoder.h"
#include "images/ByteCursor.h"
#include "images/PngDecoder.h"

namespace {

constexpr char kNotIco[] = "Not an ICO";
constexpr char kTruncated[] = "Truncated ICO";

std::uint32_t Be32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// A window [begin, begin + size) of another stream, seen as a stream of its own, so
// that an entry's decoder cannot read past the entry.
class CWindowStream final : public CByteStream {
public:
    CWindowStream(CByteStream& in, std::uint64_t begin, std::uint64_t size)
        : in_(in), begin_(begin), size_(size)
    {
    }
    std::size_t Read(void* dst, std::size_t n) override
    {
        const std::uint64_t left = size_ - pos_;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, left));
        if (want == 0 || !in_.Seek(begin_ + pos_))
            return 0;
        const std::size_t got = in_.Read(dst, want);
        pos_ += got;
        return got;
    }
    bool Seek(std::uint64_t pos) override
    {
        if (pos > size_)
            return false;
        pos_ = pos;
        return true;
    }
    std::uint64_t Tell() const override { return pos_; }
    std::uint64_t Size() const override { return size_; }

private:
    CByteStream& in_;
    std::uint64_t begin_;
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
};

struct Entry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = 0;
    std::uint64_t offset = 0; // absolute
    std::uint64_t size = 0;   // clipped to the data present
    bool cut = false;         // the file ends before the size the directory gives
    bool png = false;
};

const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Fills in what the entry's own data says: PNG or bitmap, and its depth. A cursor's
// directory holds the hot spot where an icon's holds the depth, so the data decides.
void Inspect(CByteStream& in, Entry& e, int directoryDepth)
{
    std::uint8_t head[32] = {};
    CWindowStream w(in, e.offset, e.size);
    const std::size_t got = w.Read(head, sizeof head);
    if (got >= 8 && std::equal(kPngSignature, kPngSignature + 8, head)) {
        e.png = true;
        // IHDR: bit depth at 24, colour type at 25.
        static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
        const int type = head[25] <= 6 ? head[25] : 1;
        e.depth = got >= 26 ? head[24] * std::max(1, kChannels[type]) : directoryDepth;
        if (got >= 24 && e.width == 256 && e.height == 256) {
            // A directory can only say 256 for anything that large.
            e.width = std::min<std::uint32_t>(Be32(head + 16), 65536);
            e.height = std::min<std::uint32_t>(Be32(head + 20), 65536);
        }
        return;
    }
    CByteCursor info(head, got);
    const std::uint32_t headerSize = info.U32();
    if (got >= 16 && headerSize >= 40)
        e.depth = info.Seek(14) ? info.U16() : directoryDepth;
    else if (got >= 12 && headerSize == 12)
        e.depth = info.Seek(10) ? info.U16() : directoryDepth;
    else
        e.depth = directoryDepth;
}

bool Masked(const std::vector<std::uint8_t>& mask, std::uint64_t stride, std::int32_t x, std::int32_t y)
{
    const std::uint64_t at = stride * static_cast<std::uint64_t>(y) + static_cast<std::uint64_t>(x >> 3);
    return at < mask.size() && ((mask[static_cast<std::size_t>(at)] >> (7 - (x & 7))) & 1) != 0;
}

// A bitmap entry: colour rows, then the AND mask; see-through parts become white.
bool DecodeBitmapEntry(CByteStream& in, DecodedImage& out, std::string& error)
{
    CBmpDecoder::IconExtra extra;
    DecodedImage colour;
    if (!CBmpDecoder::DecodeIconImage(in, colour, extra, error))
        return false;
    const PixelBlock& src = colour.pixels;
    const std::int32_t w = src.Width();
    const std::int32_t h = src.Height();

    // The mask rows are bottom-up like the colour rows; what is missing is not masked.
    const std::uint64_t maskStride = PixelBlock::StrideFor(w, 1);
    std::vector<std::uint8_t> mask;
    if (!extra.alphaUsed) {
        // Both sides are at most 32768, so this is at most 128 MiB.
        const std::uint64_t want =
            std::min<std::uint64_t>(maskStride * static_cast<std::uint64_t>(h), in.Remaining());
        mask.resize(static_cast<std::size_t>(want));
        mask.resize(in.Read(mask.data(), mask.size()));
    }
    bool anyMasked = extra.alphaUsed;
    for (std::int32_t y = 0; y < h && !anyMasked; ++y) {
        for (std::int32_t x = 0; x < w && !anyMasked; ++x)
            anyMasked = Masked(mask, maskStride, x, y);
    }
    if (!anyMasked) {
        out = std::move(colour);
        return true;
    }

    PixelBlock rgb;
    if (!rgb.Create(w, h, 24, error))
        return false;
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = rgb.Row(y);
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint32_t c = src.GetColour(x, y); // 0x00BBGGRR
            std::uint32_t r = c & 0xFF;
            std::uint32_t g = (c >> 8) & 0xFF;
            std::uint32_t b = (c >> 16) & 0xFF;
            if (extra.alphaUsed) {
                const std::uint32_t a =
                    extra.alpha[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                static_cast<std::size_t>(x)];
                r = (r * a + 255 * (255 - a) + 127) / 255;
                g = (g * a + 255 * (255 - a) + 127) / 255;
                b = (b * a + 255 * (255 - a) + 127) / 255;
            } else if (Masked(mask, maskStride, x, y)) {
                r = g = b = 255;
            }
            row[3 * x + 0] = static_cast<std::uint8_t>(b);
            row[3 * x + 1] = static_cast<std::uint8_t>(g);
            row[3 * x + 2] = static_cast<std::uint8_t>(r);
        }
    }
    out.pixels = std::move(rgb);
    out.xDpi = colour.xDpi;
    out.yDpi = colour.yDpi;
    return true;
}

} // namespace

bool CIcoDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    const std::uint64_t base = in.Tell();
    std::uint8_t head[6];
    if (!in.ReadExact(head, sizeof head)) {
        error = kNotIco;
        return false;
    }
    CByteCursor fields(head, sizeof head);
    const std::uint16_t reserved = fields.U16();
    const std::uint16_t type = fields.U16();
    const std::uint16_t count = fields.U16();
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) {
        error = kNotIco;
        return false;
    }
    // count < 2^16, so the directory is below 1 MiB.
    std::vector<std::uint8_t> dir(std::size_t{count} * 16);
    if (!in.ReadExact(dir.data(), dir.size())) {
        error = kTruncated;
        return false;
    }
    const std::uint64_t end = in.Size();
    std::vector<Entry> entries;
    // Whether the end of the file cuts into any entry: the one that would have been
    // chosen may be among them, and a picture shown in its place says so.
    bool anyCut = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* d = dir.data() + 16 * i;
        Entry e;
        e.width = d[0] == 0 ? 256 : d[0];
        e.height = d[1] == 0 ? 256 : d[1];
        CByteCursor rest(d + 6, 10);
        const std::uint16_t depth = rest.U16();
        const std::uint32_t size = rest.U32();
        // base <= end and the offset is below 2^32, so the sum cannot wrap.
        e.offset = base + rest.U32();
        e.cut = e.offset >= end || size > end - e.offset;
        anyCut = anyCut || e.cut;
        if (e.offset >= end)
            continue; // nothing of this entry is in the file
        e.size = std::min<std::uint64_t>(size, end - e.offset);
        Inspect(in, e, type == 1 ? depth : 0);
        entries.push_back(e);
    }
    if (entries.empty()) {
        error = kTruncated;
        return false;
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const std::uint64_t pa = std::uint64_t{a.width} * a.height;
        const std::uint64_t pb = std::uint64_t{b.width} * b.height;
        return pa != pb ? pa > pb : a.depth > b.depth;
    });

    std::string firstError;
    for (const Entry& e : entries) {
        CWindowStream window(in, e.offset, e.size);
        DecodedImage candidate;
        std::string entryError;
        bool ok = false;
        if (e.png) {
            ok = CPngDecoder::Decode(window, candidate, entryError);
        } else {
            ok = DecodeBitmapEntry(window, candidate, entryError);
        }
        if (ok) {
            if (candidate.partial.empty() && e.cut)
                candidate.partial = "The icon file ends early; part of the picture may be missing";
            else if (candidate.partial.empty() && anyCut)
                candidate.partial = "The icon file ends early; the picture shown may not be its best";
            out = std::move(candidate);
            return true;
        }
        if (firstError.empty())
            firstError = entryError;
    }
    error = firstError.empty() ? kTruncated : firstError;
    return false;
}
