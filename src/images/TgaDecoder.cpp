#include "images/TgaDecoder.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "images/BufferedReader.h"
#include "images/ByteCursor.h"

namespace {

constexpr int kHeaderSize = 18;

enum TgaKind { kMapped, kTrueColour, kGrey };

struct TgaHeader {
    unsigned idLength = 0;
    unsigned mapType = 0;
    unsigned imageType = 0;
    unsigned mapFirst = 0;
    unsigned mapLength = 0;
    unsigned mapBits = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned depth = 0;
    unsigned descriptor = 0;

    TgaKind Kind() const
    {
        return (imageType & 3) == 1 ? kMapped : (imageType & 3) == 2 ? kTrueColour : kGrey;
    }
    bool Rle() const { return imageType >= 9; }
    unsigned AlphaBits() const { return descriptor & 0x0F; }
    bool TopDown() const { return (descriptor & 0x20) != 0; }
    bool RightToLeft() const { return (descriptor & 0x10) != 0; }
    unsigned PixelBytes() const { return (depth + 7) / 8; }
    unsigned MapEntryBytes() const { return (mapBits + 7) / 8; }
};

bool Fail(std::string& error, const char* text)
{
    error = text;
    return false;
}

bool IsMapEntrySize(unsigned bits)
{
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// What is wrong with a header, or nullptr when it describes a picture we can read.
// With no signature to go by, every field with a closed set of values must hold one of
// them, so that other files (which the trial order may hand to this decoder) are
// turned away.
const char* HeaderFault(const TgaHeader& h)
{
    if (h.mapType > 1)
        return "Not a TGA";
    if (h.imageType != 1 && h.imageType != 2 && h.imageType != 3 && h.imageType != 9 && h.imageType != 10 &&
        h.imageType != 11)
        return "Not a TGA";
    if (h.width == 0 || h.height == 0)
        return "TGA picture of no size";
    // Interleaved rows are obsolete; no pixel holds more than 8 alpha bits.
    if ((h.descriptor & 0xC0) != 0)
        return "Interleaved TGA rows are not supported";
    if (h.AlphaBits() > 8)
        return "Bad TGA alpha bits";
    if (h.mapType == 1) {
        if (!IsMapEntrySize(h.mapBits) || h.mapLength == 0)
            return "Bad TGA colour map";
    } else if (h.mapFirst != 0 || h.mapLength != 0 || (h.mapBits != 0 && !IsMapEntrySize(h.mapBits))) {
        return "Bad TGA colour map";
    }
    bool depthFits = false;
    switch (h.Kind()) {
    case kMapped:
        if (h.mapType != 1)
            return "Colour-mapped TGA without a colour map";
        depthFits = h.depth == 8;
        break;
    case kTrueColour:
        depthFits = h.depth == 15 || h.depth == 16 || h.depth == 24 || h.depth == 32;
        break;
    case kGrey:
        depthFits = h.depth == 8 || h.depth == 16;
        break;
    }
    return depthFits ? nullptr : "Unsupported TGA pixel depth";
}

std::uint8_t Expand5(unsigned v)
{
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}

// Colour and alpha of one 15/16, 24 or 32-bit value (blue first, as stored).
void Unpack(const std::uint8_t* src, unsigned bytes, std::uint8_t* bgr, std::uint8_t& alpha)
{
    if (bytes == 2) {
        const unsigned v = CByteCursor(src, 2).U16();
        bgr[0] = Expand5(v & 31);
        bgr[1] = Expand5((v >> 5) & 31);
        bgr[2] = Expand5((v >> 10) & 31);
        alpha = (v & 0x8000) ? 255 : 0;
    } else {
        bgr[0] = src[0];
        bgr[1] = src[1];
        bgr[2] = src[2];
        alpha = bytes == 4 ? src[3] : 255;
    }
}

// A colour laid over white paper with the given opacity.
std::uint8_t OverWhite(std::uint8_t c, std::uint8_t a)
{
    // At most 255 * 255 + 255 * 255 + 127, far inside unsigned.
    return static_cast<std::uint8_t>((unsigned{c} * a + 255u * (255u - a) + 127u) / 255u);
}

// Puts pixels where the file's order says, row after row from the stated origin.
class CPlacer {
public:
    CPlacer(PixelBlock& block, const TgaHeader& h, unsigned outBytes)
        : block_(block), width_(h.width), topDown_(h.TopDown()), rightToLeft_(h.RightToLeft()),
          outBytes_(outBytes)
    {
        StartRow();
    }

    // The position, counted from the top-left corner of the stored rows, of the next pixel.
    std::uint8_t* Next()
    {
        const unsigned x = rightToLeft_ ? width_ - 1 - col_ : col_;
        std::uint8_t* p = row_ + std::size_t{x} * outBytes_;
        if (++col_ == width_) {
            col_ = 0;
            ++fileRow_;
            if (fileRow_ < static_cast<unsigned>(block_.Height()))
                StartRow();
        }
        return p;
    }

    // Index of the same pixel in a plane of one byte per pixel, bottom row first.
    std::size_t PlaneIndex() const
    {
        const unsigned x = rightToLeft_ ? width_ - 1 - col_ : col_;
        return std::size_t{storedRow_} * width_ + x;
    }

private:
    void StartRow()
    {
        storedRow_ = topDown_ ? static_cast<unsigned>(block_.Height()) - 1 - fileRow_ : fileRow_;
        row_ = block_.Row(static_cast<std::int32_t>(storedRow_));
    }

    PixelBlock& block_;
    unsigned width_;
    bool topDown_, rightToLeft_;
    unsigned outBytes_;
    unsigned col_ = 0, fileRow_ = 0, storedRow_ = 0;
    std::uint8_t* row_ = nullptr;
};

} // namespace

bool CTgaDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    CBufferedReader r(in);
    std::uint8_t raw[kHeaderSize];
    if (!r.ReadExact(raw, sizeof raw))
        return Fail(error, "Truncated TGA header");
    TgaHeader h;
    h.idLength = raw[0];
    h.mapType = raw[1];
    h.imageType = raw[2];
    CByteCursor mapFields(raw + 3, 4);
    h.mapFirst = mapFields.U16();
    h.mapLength = mapFields.U16();
    h.mapBits = raw[7];
    CByteCursor size(raw + 12, 4);
    h.width = size.U16();
    h.height = size.U16();
    h.depth = raw[16];
    h.descriptor = raw[17];
    if (const char* fault = HeaderFault(h))
        return Fail(error, fault);

    if (!r.Skip(h.idLength))
        return Fail(error, "Truncated TGA");

    // The colour map: at most 65535 entries of at most 4 bytes, present in full.
    std::vector<std::uint8_t> map;
    if (h.mapType == 1) {
        const std::uint64_t mapBytes = std::uint64_t{h.mapLength} * h.MapEntryBytes();
        if (mapBytes > r.Remaining())
            return Fail(error, "Truncated TGA colour map");
        map.resize(static_cast<std::size_t>(mapBytes));
        if (!r.ReadExact(map.data(), map.size()))
            return Fail(error, "Truncated TGA colour map");
    }

    // Enough data for the pixels the header claims: every stored pixel, or for run-length
    // data one packet per 128 pixels at the least. Sides are below 65536, bytes per
    // pixel at most 4, so these products stay below 2^35.
    const unsigned pixelBytes = h.PixelBytes();
    const std::uint64_t total = std::uint64_t{h.width} * h.height;
    const std::uint64_t minData = h.Rle() ? (total + 127) / 128 * (1 + pixelBytes) : total * pixelBytes;
    if (minData > r.Remaining())
        return Fail(error, "Truncated TGA");

    const TgaKind kind = h.Kind();
    const unsigned outBytes = kind == kTrueColour ? 3 : 1;
    if (!out.pixels.Create(h.width, h.height, kind == kTrueColour ? 24 : 8, error))
        return false;

    RgbQuad* palette = out.pixels.Palette();
    if (kind == kMapped) {
        // Pixel value v shows map entry v - first; values outside the map stay black.
        const unsigned entryBytes = h.MapEntryBytes();
        std::uint8_t alphas[256] = {};
        bool anyAlpha = false;
        for (unsigned v = h.mapFirst; v < 256 && v - h.mapFirst < h.mapLength; ++v) {
            std::uint8_t bgr[3];
            Unpack(map.data() + std::size_t{v - h.mapFirst} * entryBytes, entryBytes, bgr, alphas[v]);
            palette[v] = RgbQuad{bgr[0], bgr[1], bgr[2], 0};
            anyAlpha = anyAlpha || alphas[v] != 0;
        }
        // 32-bit entries carry alpha; 16-bit ones only when the descriptor says so. A
        // map whose alpha is zero throughout carries none in truth.
        const bool useAlpha = anyAlpha && (entryBytes == 4 || (entryBytes == 2 && h.AlphaBits() > 0));
        for (unsigned v = 0; useAlpha && v < 256; ++v) {
            if (v >= h.mapFirst && v - h.mapFirst < h.mapLength) {
                palette[v].blue = OverWhite(palette[v].blue, alphas[v]);
                palette[v].green = OverWhite(palette[v].green, alphas[v]);
                palette[v].red = OverWhite(palette[v].red, alphas[v]);
            }
        }
    } else if (kind == kGrey) {
        for (int i = 0; i < 256; ++i) {
            const auto g = static_cast<std::uint8_t>(i);
            palette[i] = RgbQuad{g, g, g, 0};
        }
    }

    // Pictures that can carry alpha keep it in a plane of one byte per pixel until the
    // end, when it is known whether it is real: alpha that is zero everywhere is unset.
    const bool alphaCapable =
        (kind == kTrueColour && (h.depth == 32 || (h.depth == 16 && h.AlphaBits() > 0))) ||
        (kind == kGrey && h.depth == 16);
    std::unique_ptr<std::uint8_t[]> alpha;
    if (alphaCapable) {
        // total is at most the block's own pixel count, which Create bounded.
        alpha.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(total)]);
        if (!alpha)
            return Fail(error, "CRasterImage::Create can't allocate memory");
    }
    bool anyAlpha = false;
    // A 32-bit pixel with fewer than 8 alpha bits keeps its alpha in the low bits; the
    // others are attribute bits of no meaning here.
    const unsigned alphaMax =
        h.depth == 32 && h.AlphaBits() > 0 && h.AlphaBits() < 8 ? (1u << h.AlphaBits()) - 1 : 255;

    CPlacer place(out.pixels, h, outBytes);
    std::uint8_t src[4] = {};
    unsigned packetLeft = 0;
    bool repeat = false;
    // One pass per pixel of the picture; a packet reaching past the last pixel is cut
    // there, and the rest of the file is left unread.
    for (std::uint64_t n = 0; n < total; ++n) {
        if (h.Rle()) {
            if (packetLeft == 0) {
                std::uint8_t head = 0;
                if (!r.Byte(head))
                    return Fail(error, "Truncated TGA");
                packetLeft = (head & 0x7Fu) + 1;
                repeat = (head & 0x80) != 0;
                if (repeat && !r.ReadExact(src, pixelBytes))
                    return Fail(error, "Truncated TGA");
            }
            --packetLeft;
            if (!repeat && !r.ReadExact(src, pixelBytes))
                return Fail(error, "Truncated TGA");
        } else if (!r.ReadExact(src, pixelBytes)) {
            return Fail(error, "Truncated TGA");
        }

        std::uint8_t a = 255;
        if (kind == kTrueColour) {
            const std::size_t at = alphaCapable ? place.PlaneIndex() : 0;
            Unpack(src, pixelBytes, place.Next(), a);
            if (alphaMax < 255)
                a = static_cast<std::uint8_t>((a & alphaMax) * 255u / alphaMax);
            if (alphaCapable) {
                alpha[at] = a;
                anyAlpha = anyAlpha || a != 0;
            }
        } else {
            if (alphaCapable) {
                a = src[1];
                alpha[place.PlaneIndex()] = a;
                anyAlpha = anyAlpha || a != 0;
            }
            *place.Next() = src[0];
        }
    }

    if (anyAlpha) {
        const auto height = static_cast<std::size_t>(h.height);
        for (std::size_t y = 0; y < height; ++y) {
            std::uint8_t* row = out.pixels.Row(static_cast<std::int32_t>(y));
            const std::uint8_t* rowAlpha = alpha.get() + y * h.width;
            for (std::size_t i = 0; i < std::size_t{h.width} * outBytes; ++i)
                row[i] = OverWhite(row[i], rowAlpha[i / outBytes]);
        }
    }
    return true;
}
