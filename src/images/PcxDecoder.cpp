#include "images/PcxDecoder.h"

#include <cstring>
#include <vector>

#include "images/BufferedReader.h"
#include "images/ByteCursor.h"

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTrailerSize = 769; // marker 0x0C and 256 red, green, blue triples
constexpr std::uint8_t kTrailerMarker = 0x0C;
constexpr const char* kCantRead = "Can't read PCX image";
constexpr const char* kTruncated = "Truncated PCX";

bool Fail(std::string& error, const char* text)
{
    error = text;
    return false;
}

// The run-length data of the scan lines. A run may go on into the next line (some
// writers do that); it is carried over, never written past the line.
class CRunReader {
public:
    explicit CRunReader(CBufferedReader& r) : r_(r) {}

    // Fills one scan line; false when the data ends first.
    bool Line(std::uint8_t* dst, std::size_t n)
    {
        std::size_t i = 0;
        while (i < n) {
            if (runLeft_ > 0) {
                const std::size_t take = std::min<std::size_t>(runLeft_, n - i);
                std::memset(dst + i, runValue_, take);
                i += take;
                runLeft_ -= static_cast<unsigned>(take);
                continue;
            }
            std::uint8_t b = 0;
            if (!r_.Byte(b))
                return false;
            if ((b & 0xC0) != 0xC0) {
                dst[i++] = b;
                continue;
            }
            // Each run costs two bytes of input, so the loop ends with the data.
            if (!r_.Byte(runValue_))
                return false;
            runLeft_ = b & 0x3Fu;
        }
        return true;
    }

private:
    CBufferedReader& r_;
    unsigned runLeft_ = 0;
    std::uint8_t runValue_ = 0;
};

} // namespace

bool CPcxDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    std::uint8_t h[kHeaderSize];
    // The maker byte 10 and run-length encoding 1 are what makes a file a PCX at all.
    if (!in.ReadExact(h, sizeof h) || h[0] != 10 || h[2] != 1)
        return Fail(error, kCantRead);
    const unsigned version = h[1];
    const unsigned bits = h[3];
    CByteCursor fields(h + 4, 12);
    const unsigned xMin = fields.U16(), yMin = fields.U16(), xMax = fields.U16(), yMax = fields.U16();
    const unsigned xDpi = fields.U16(), yDpi = fields.U16();
    const unsigned planes = h[65];
    const unsigned bytesPerLine = CByteCursor(h + 66, 2).U16();
    if (version > 5 || version == 1)
        return Fail(error, "Unknown PCX version");
    if ((bits != 1 && bits != 2 && bits != 4 && bits != 8) || planes == 0)
        return Fail(error, "Unsupported PCX bit depth");
    if (planes > 4)
        return Fail(error, "Can't handle more than 4 planes");
    const bool trueColour = bits == 8 && planes >= 3;
    if (bits > 1 && planes > 1 && !trueColour)
        return Fail(error, "Can't handle packed pixels with more than 1 plane.");
    if (xMax < xMin || yMax < yMin)
        return Fail(error, "Bad PCX picture size");
    // Both differences are below 65536, so the sides fit easily.
    const unsigned width = xMax - xMin + 1;
    const unsigned height = yMax - yMin + 1;
    // A plane's line must hold the pixels of a row (products below 2^20).
    if (std::uint64_t{bytesPerLine} * 8 < std::uint64_t{width} * bits)
        return Fail(error, "PCX lines too short for the picture's width");

    // Each input byte gives at most 63 bytes of scan lines, so a file much smaller than
    // the lines it claims is refused before anything is allocated. The line size is at
    // most 4 * 65535, the total below 2^35.
    const std::size_t lineBytes = std::size_t{bytesPerLine} * planes;
    const std::uint64_t dataBytes = std::uint64_t{lineBytes} * height;
    if (dataBytes / 63 > in.Remaining())
        return Fail(error, kTruncated);

    // The 256-colour palette of an 8-bit picture sits at the very end, after its marker.
    std::uint8_t trailer[kTrailerSize];
    bool hasTrailer = false;
    if (bits == 8 && planes == 1 && in.Remaining() >= kTrailerSize) {
        const std::uint64_t dataStart = in.Tell();
        hasTrailer = in.Seek(in.Size() - kTrailerSize) && in.ReadExact(trailer, sizeof trailer) &&
                     trailer[0] == kTrailerMarker;
        if (!in.Seek(dataStart))
            return Fail(error, kTruncated);
    }

    const int outBpp = trueColour ? 24 : (planes == 1 ? static_cast<int>(bits) : 4);
    if (!out.pixels.Create(width, height, outBpp, error))
        return false;

    RgbQuad* palette = out.pixels.Palette();
    if (bits == 8 && planes == 1) {
        for (int i = 0; i < 256; ++i) {
            if (hasTrailer)
                palette[i] = RgbQuad{trailer[1 + 3 * i + 2], trailer[1 + 3 * i + 1], trailer[1 + 3 * i], 0};
            else
                palette[i] = RgbQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                     static_cast<std::uint8_t>(i), 0};
        }
    } else if (!trueColour) {
        const int colours = 1 << (bits * planes); // at most 16
        for (int i = 0; i < colours; ++i)
            palette[i] = RgbQuad{h[16 + 3 * i + 2], h[16 + 3 * i + 1], h[16 + 3 * i], 0};
        // A one-bit picture whose header gives two equal colours (often none at all) is
        // plain black on white.
        if (colours == 2 && std::memcmp(h + 16, h + 19, 3) == 0) {
            palette[0] = RgbQuad{0, 0, 0, 0};
            palette[1] = RgbQuad{255, 255, 255, 0};
        }
    }

    // A resolution equal to the picture's size is a screen size, not dots per inch.
    if (xDpi >= 1 && yDpi >= 1 && !(xDpi == width && yDpi == height)) {
        out.xDpi = static_cast<int>(xDpi);
        out.yDpi = static_cast<int>(yDpi);
    }

    CBufferedReader r(in);
    CRunReader runs(r);
    std::vector<std::uint8_t> line(lineBytes);
    for (unsigned y = 0; y < height; ++y) {
        if (!runs.Line(line.data(), line.size())) {
            // A picture cut short keeps the lines it has; without any it is unreadable.
            if (y == 0)
                return Fail(error, kTruncated);
            out.partial =
                "The PCX data ends after " + std::to_string(y) + " of " + std::to_string(height) + " rows";
            break;
        }
        std::uint8_t* row = out.pixels.TopRow(static_cast<std::int32_t>(y));
        if (trueColour) {
            const std::uint8_t* red = line.data();
            const std::uint8_t* green = red + bytesPerLine;
            const std::uint8_t* blue = green + bytesPerLine;
            for (unsigned x = 0; x < width; ++x) {
                row[3 * x] = blue[x];
                row[3 * x + 1] = green[x];
                row[3 * x + 2] = red[x];
            }
        } else if (planes == 1) {
            // One plane packs pixels as the block does (1, 4 or 8 bits), apart from 2 bits,
            // which become 4. Bytes past the row's pixels are padding.
            if (bits == 2) {
                for (unsigned x = 0; x < width; ++x) {
                    const unsigned v = (line[x / 4] >> (6 - 2 * (x % 4))) & 3u;
                    row[x / 2] = static_cast<std::uint8_t>(row[x / 2] | (x % 2 ? v : v << 4));
                }
            } else {
                std::memcpy(row, line.data(), (std::size_t{width} * bits + 7) / 8);
            }
        } else {
            // One bit per plane: plane p gives bit p of the colour index.
            for (unsigned x = 0; x < width; ++x) {
                unsigned v = 0;
                const unsigned shift = 7 - (x % 8);
                for (unsigned p = 0; p < planes; ++p)
                    v |= ((line[p * bytesPerLine + x / 8] >> shift) & 1u) << p;
                row[x / 2] = static_cast<std::uint8_t>(row[x / 2] | (x % 2 ? v : v << 4));
            }
        }
    }
    // A palette marker right after the lines whose palette is not whole at the end of
    // the file: the file was cut inside its palette, and the grey shown is not the picture.
    std::uint8_t next = 0;
    if (bits == 8 && planes == 1 && !hasTrailer && out.partial.empty() && r.Byte(next) &&
        next == kTrailerMarker)
        out.partial = "The PCX palette is cut short; the picture is shown in grey";
    return true;
}
