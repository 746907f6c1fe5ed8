#include "images/GifDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "images/BufferedReader.h"
#include "images/ByteCursor.h"

namespace {

constexpr unsigned kMaxCodes = 4096;                           // codes are at most 12 bits wide
constexpr std::uint64_t kMaxPixelsPerByte = 4096 * 8 / 12 + 1; // see the screen check
constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControl = 0xF9;

bool Fail(std::string& error, const char* text)
{
    error = text;
    return false;
}

// A colour table of 2 to 256 entries, stored as red, green, blue triples.
bool ReadColourTable(CBufferedReader& r, int count, RgbQuad* dst)
{
    std::uint8_t rgb[256 * 3];
    // count is 2 << (flags & 7), at most 256, so count * 3 fits the buffer.
    if (!r.ReadExact(rgb, std::size_t(count) * 3))
        return false;
    for (int i = 0; i < count; ++i) {
        dst[i].red = rgb[3 * i];
        dst[i].green = rgb[3 * i + 1];
        dst[i].blue = rgb[3 * i + 2];
        dst[i].reserved = 0;
    }
    return true;
}

// Skips a chain of data sub-blocks up to its zero-length terminator. Every pass
// consumes at least one byte, so the loop ends with the stream.
bool SkipSubBlocks(CBufferedReader& r)
{
    for (;;) {
        std::uint8_t len = 0;
        if (!r.Byte(len))
            return false;
        if (len == 0)
            return true;
        if (!r.Skip(len))
            return false;
    }
}

// The bytes held in a chain of data sub-blocks from the reader's position, which is
// kept; the count stops where the chain or the stream ends.
std::uint64_t SubBlockBytes(CBufferedReader& r)
{
    const std::uint64_t start = r.Tell();
    std::uint64_t total = 0;
    std::uint8_t len = 0;
    while (r.Byte(len) && len != 0 && r.Skip(len))
        total += len;
    r.Seek(start);
    return total;
}

// The bits of the picture data, taken from its sub-blocks least significant bit first.
class CCodeReader {
public:
    explicit CCodeReader(CBufferedReader& r) : r_(r) {}

    // The next code of `width` bits (at most 12); false once the data has ended, by the
    // block terminator or by the end of the stream.
    bool Next(int width, unsigned& code)
    {
        while (count_ < width) {
            if (blockLeft_ == 0) {
                std::uint8_t len = 0;
                if (ended_ || !r_.Byte(len) || len == 0) {
                    ended_ = true;
                    return false;
                }
                blockLeft_ = len;
            }
            std::uint8_t b = 0;
            if (!r_.Byte(b)) {
                ended_ = true;
                return false;
            }
            --blockLeft_;
            // count_ < width <= 12 here, so the accumulator never holds more than 20 bits.
            bits_ |= std::uint32_t{b} << count_;
            count_ += 8;
        }
        code = bits_ & ((1u << width) - 1);
        bits_ >>= width;
        count_ -= width;
        return true;
    }

private:
    CBufferedReader& r_;
    std::uint32_t bits_ = 0;
    int count_ = 0;
    unsigned blockLeft_ = 0;
    bool ended_ = false;
};

// Receives the frame's pixels in stream order and puts each finished row where it
// belongs on the screen, in interlaced order when asked, dropping what lies outside.
class CFrameWriter {
public:
    CFrameWriter(PixelBlock& screen, unsigned left, unsigned top, unsigned width, unsigned height,
                 bool interlaced)
        : screen_(screen), left_(left), top_(top), height_(height), interlaced_(interlaced), row_(width)
    {
        const unsigned screenWidth = static_cast<unsigned>(screen.Width());
        visible_ = left < screenWidth ? std::min(width, screenWidth - left) : 0;
    }

    bool Done() const { return rowsDone_ >= height_; }
    unsigned RowsDone() const { return rowsDone_; }

    // Appends one pixel; true when the frame is complete.
    bool Put(std::uint8_t index)
    {
        row_[x_++] = index;
        if (x_ < row_.size())
            return false;
        FlushRow();
        return Done();
    }

    // Shows the pixels of a row the data ended in.
    void Finish()
    {
        if (x_ > 0 && visible_ > 0 && !Done()) {
            const unsigned screenY = top_ + y_;
            if (screenY < static_cast<unsigned>(screen_.Height()))
                std::memcpy(screen_.TopRow(static_cast<std::int32_t>(screenY)) + left_, row_.data(),
                            std::min<std::size_t>(x_, visible_));
        }
    }

private:
    void FlushRow()
    {
        const unsigned screenY = top_ + y_; // both below 65536
        if (visible_ > 0 && screenY < static_cast<unsigned>(screen_.Height()))
            std::memcpy(screen_.TopRow(static_cast<std::int32_t>(screenY)) + left_, row_.data(), visible_);
        x_ = 0;
        ++rowsDone_;
        if (!interlaced_) {
            ++y_;
            return;
        }
        // Interlaced rows come in four passes: every 8th row from 0, every 8th from 4,
        // every 4th from 2, every 2nd from 1. rowsDone_ bounds the passes.
        static constexpr unsigned kStart[4] = {0, 4, 2, 1};
        static constexpr unsigned kStep[4] = {8, 8, 4, 2};
        y_ += kStep[pass_];
        while (y_ >= height_ && pass_ < 3) {
            ++pass_;
            y_ = kStart[pass_];
        }
    }

    PixelBlock& screen_;
    unsigned left_, top_, height_;
    bool interlaced_;
    std::vector<std::uint8_t> row_;
    unsigned visible_ = 0;
    std::size_t x_ = 0;
    unsigned y_ = 0;
    unsigned rowsDone_ = 0;
    unsigned pass_ = 0;
};

// Decodes the LZW data until the frame is full, the data ends or a code makes no
// sense; whatever was decoded until then stays.
void DecodeLzw(CBufferedReader& r, int minCodeSize, CFrameWriter& frame)
{
    std::uint16_t prefix[kMaxCodes];
    std::uint8_t suffix[kMaxCodes];
    std::uint8_t stack[kMaxCodes + 1];

    CCodeReader codes(r);
    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    unsigned next = clear + 2;
    int width = minCodeSize + 1;
    unsigned prev = kMaxCodes; // none
    std::uint8_t prevFirst = 0;

    unsigned code = 0;
    // Every pass reads at least one bit of input, so the loop ends with the data.
    while (!frame.Done() && codes.Next(width, code)) {
        if (code == clear) {
            next = clear + 2;
            width = minCodeSize + 1;
            prev = kMaxCodes;
            continue;
        }
        if (code == end)
            return;
        if (prev == kMaxCodes) {
            if (code >= clear)
                return; // the first code after a clear must be a plain colour
            prevFirst = static_cast<std::uint8_t>(code);
            prev = code;
            if (frame.Put(prevFirst))
                return;
            continue;
        }
        unsigned sp = 0;
        unsigned c = code;
        if (code == next && next < kMaxCodes) {
            // The code being defined right now: the previous string plus its first byte.
            stack[sp++] = prevFirst;
            c = prev;
        } else if (code >= next) {
            return; // a code that is not in the table
        }
        // Each table entry's prefix is a smaller code, so the chain ends within
        // kMaxCodes steps and the stack (kMaxCodes + 1) cannot overflow.
        while (c > end) {
            stack[sp++] = suffix[c];
            c = prefix[c];
        }
        stack[sp++] = static_cast<std::uint8_t>(c);
        const std::uint8_t first = static_cast<std::uint8_t>(c);
        if (next < kMaxCodes) {
            prefix[next] = static_cast<std::uint16_t>(prev);
            suffix[next] = first;
            ++next;
            if (next == (1u << width) && width < 12)
                ++width;
        }
        prev = code;
        prevFirst = first;
        while (sp > 0) {
            if (frame.Put(stack[--sp]))
                return;
        }
    }
}

} // namespace

bool CGifDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    CBufferedReader r(in);
    std::uint8_t screen[13];
    const std::size_t got = r.Read(screen, sizeof screen);
    if (got < 6 || (std::memcmp(screen, "GIF87a", 6) != 0 && std::memcmp(screen, "GIF89a", 6) != 0))
        return Fail(error, "Not a GIF");
    if (got < sizeof screen)
        return Fail(error, "Truncated GIF");

    CByteCursor sizes(screen + 6, 4);
    unsigned screenWidth = sizes.U16();
    unsigned screenHeight = sizes.U16();
    const std::uint8_t screenFlags = screen[10];
    const std::uint8_t background = screen[11];

    RgbQuad globalTable[256];
    int globalCount = 0;
    if (screenFlags & 0x80) {
        globalCount = 2 << (screenFlags & 7);
        if (!ReadColourTable(r, globalCount, globalTable))
            return Fail(error, "Truncated GIF");
    }

    // Blocks before the first image: extensions are skipped, the last graphic control
    // extension gives the transparent index. Each pass consumes at least one byte.
    int transIndex = -1;
    for (;;) {
        std::uint8_t kind = 0;
        if (!r.Byte(kind))
            return Fail(error, "Truncated GIF");
        if (kind == kImage)
            break;
        if (kind == kTrailer)
            return Fail(error, "No image in GIF");
        if (kind != kExtension)
            return Fail(error, "Bad GIF block");
        std::uint8_t label = 0;
        if (!r.Byte(label))
            return Fail(error, "Truncated GIF");
        if (label == kGraphicControl) {
            std::uint8_t len = 0;
            if (!r.Byte(len))
                return Fail(error, "Truncated GIF");
            if (len >= 4) {
                std::uint8_t gce[4];
                if (!r.ReadExact(gce, 4) || !r.Skip(len - 4u))
                    return Fail(error, "Truncated GIF");
                transIndex = (gce[0] & 1) ? gce[3] : -1;
            } else if (!r.Skip(len)) {
                return Fail(error, "Truncated GIF");
            }
            if (len == 0)
                continue; // that length byte was already the terminator
        }
        if (!SkipSubBlocks(r))
            return Fail(error, "Truncated GIF");
    }

    std::uint8_t desc[9];
    if (!r.ReadExact(desc, sizeof desc))
        return Fail(error, "Truncated GIF");
    CByteCursor place(desc, 8);
    unsigned left = place.U16();
    unsigned top = place.U16();
    const unsigned frameWidth = place.U16();
    const unsigned frameHeight = place.U16();
    const std::uint8_t frameFlags = desc[8];
    if (frameWidth == 0 || frameHeight == 0)
        return Fail(error, "Bad GIF frame");

    RgbQuad localTable[256];
    int localCount = 0;
    if (frameFlags & 0x80) {
        localCount = 2 << (frameFlags & 7);
        if (!ReadColourTable(r, localCount, localTable))
            return Fail(error, "Truncated GIF");
    }
    std::uint8_t minCodeSize = 0;
    if (!r.Byte(minCodeSize))
        return Fail(error, "Truncated GIF");
    // Pixel values must fit a byte: at most 8 bits, and 12-bit codes leave room above.
    if (minCodeSize < 1 || minCodeSize > 8)
        return Fail(error, "Bad LZW code size");

    // A screen of no size takes the frame's extent (each term below 65536).
    if (screenWidth == 0 || screenHeight == 0) {
        screenWidth = left + frameWidth;
        screenHeight = top + frameHeight;
    }
    if (screenWidth > ImageLimits::kMaxSide || screenHeight > ImageLimits::kMaxSide)
        return Fail(error, "Image too large");
    // A screen far larger than its picture would be mostly background: the picture is
    // then shown alone. Sides are below 65536, so the areas stay below 2^32.
    const unsigned visibleWidth = left < screenWidth ? std::min(frameWidth, screenWidth - left) : 0;
    const unsigned visibleHeight = top < screenHeight ? std::min(frameHeight, screenHeight - top) : 0;
    const std::uint64_t visibleArea = std::uint64_t{visibleWidth} * visibleHeight;
    if (std::uint64_t{screenWidth} * screenHeight - visibleArea > ImageLimits::kMaxUnfilledBytes) {
        if (frameWidth > ImageLimits::kMaxSide || frameHeight > ImageLimits::kMaxSide)
            return Fail(error, "Image too large");
        out.partial = "The GIF's screen is far larger than its picture; only the picture is shown";
        screenWidth = frameWidth;
        screenHeight = frameHeight;
        left = top = 0;
    }
    // However well LZW packs, a 12-bit code gives at most 4096 pixels, so each byte of
    // data fills at most kMaxPixelsPerByte of them: a screen far larger than the data
    // could ever fill is refused before it is allocated. The area is below 2^32, the
    // division keeps clear of any overflow.
    const std::uint64_t area = std::uint64_t{screenWidth} * screenHeight;
    if (area / kMaxPixelsPerByte > r.Remaining())
        return Fail(error, "Truncated GIF");
    // The same bound with the picture data alone, which padding after it cannot inflate:
    // rows that data could never reach are not kept when they would cost much. At most
    // 2^32 * 2731, inside 64 bits.
    const bool interlaced = (frameFlags & 0x40) != 0;
    bool cutByData = false;
    const std::uint64_t reachable = SubBlockBytes(r) * kMaxPixelsPerByte;
    const std::uint64_t frameArea =
        std::uint64_t{frameWidth} * std::min(frameHeight, screenHeight - std::min(top, screenHeight));
    if (frameArea > reachable && frameArea - reachable > ImageLimits::kMaxUnfilledBytes) {
        const std::uint64_t rows = reachable / frameWidth;
        // Interlaced rows are spread over the whole height, so nothing can be cut off.
        if (interlaced || top + rows == 0)
            return Fail(error, "Truncated GIF");
        if (top + rows < screenHeight) {
            screenHeight = static_cast<unsigned>(top + rows);
            cutByData = true;
        }
    }
    // Create checks both sides against the limits before it allocates.
    if (!out.pixels.Create(screenWidth, screenHeight, 8, error))
        return false;

    RgbQuad* palette = out.pixels.Palette();
    if (localCount > 0) {
        std::memcpy(palette, localTable, sizeof(RgbQuad) * std::size_t(localCount));
    } else if (globalCount > 0) {
        std::memcpy(palette, globalTable, sizeof(RgbQuad) * std::size_t(globalCount));
    } else {
        // No colour table at all: show the values as shades of grey.
        const int levels = 1 << minCodeSize;
        for (int i = 0; i < levels; ++i) {
            const auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
            palette[i] = RgbQuad{v, v, v, 0};
        }
    }

    // What the frame leaves uncovered shows the transparent colour when there is one,
    // else the background colour.
    const std::uint8_t fill = transIndex >= 0   ? static_cast<std::uint8_t>(transIndex)
                              : globalCount > 0 ? background
                                                : 0;
    // The block starts cleared, so a fill of zero leaves pages untouched until rows land.
    if (fill != 0)
        std::memset(out.pixels.Bits(), fill, out.pixels.BitsSize());

    CFrameWriter frame(out.pixels, left, top, frameWidth, frameHeight, interlaced);
    DecodeLzw(r, minCodeSize, frame);
    frame.Finish();
    if (!frame.Done()) {
        const unsigned rows = frame.RowsDone();
        const std::uint64_t picturedRows = std::uint64_t{top} + rows + 1; // with the row the data ended in
        if (interlaced) {
            out.partial = "The GIF data ends before the picture is complete";
        } else if (cutByData ||
                   (picturedRows < screenHeight &&
                    (screenHeight - picturedRows) * out.pixels.Stride() > ImageLimits::kMaxUnfilledBytes)) {
            // Most of the block would stand for rows the data never reached: keep the rest.
            if (picturedRows < screenHeight) {
                PixelBlock cut;
                if (!cut.Create(screenWidth, static_cast<std::int64_t>(picturedRows), 8, error))
                    return false;
                std::memcpy(cut.Palette(), out.pixels.Palette(), 256 * sizeof(RgbQuad));
                for (std::int32_t y = 0; y < cut.Height(); ++y)
                    std::memcpy(cut.TopRow(y), out.pixels.TopRow(y), cut.Stride());
                out.pixels = std::move(cut);
            }
            out.partial = "The GIF data ends after " + std::to_string(rows) + " of " +
                          std::to_string(frameHeight) + " rows; the picture is cut there";
        } else {
            out.partial = "The GIF data ends after " + std::to_string(rows) + " of " +
                          std::to_string(frameHeight) + " rows";
        }
    }
    palette = out.pixels.Palette(); // the block may have been cut
    out.transIndex = transIndex;
    if (transIndex >= 0) {
        const RgbQuad q = palette[transIndex];
        out.transColour = (std::uint32_t{q.blue} << 16) | (std::uint32_t{q.green} << 8) | q.red;
    }
    return true;
}
