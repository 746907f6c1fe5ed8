// The non-drawing members of CRasterImage: loading, rotation, copying, transparency.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "images/DecoderTable.h"
#include "images/EmbeddedResources.h"
#include "images/JpegDecoder.h"
#include "images/RasterImage.h"

namespace {

constexpr char kUnknownFormat[] = "Decode: Unknown or wrong format";
constexpr char kCannotOpen[] = "Unable to open file";
constexpr char kNoResource[] = "Unable to load resource!";
constexpr char kInvalid[] = "Image is empty";
constexpr char kBadAngle[] = "Bad rotation angle";

// A JPEG file up to this size may wait to be decoded; it is held in memory meanwhile.
constexpr std::uint64_t kMaxPendingFile = std::uint64_t{256} << 20;
// The least scan data, in bytes per pixel, for which decoding may wait. Every 8 x 8 block
// costs at least a bit (1/512 byte a pixel); a file with less cannot fill its frame and
// is decoded at once, so that what it lacks is noticed at load.
constexpr double kMinScanBytesPerPixel = 1.0 / 1024.0;

// Tile side, in pixels, for the quarter turns: a 64 x 64 tile of 24-bit pixels is
// 12 KiB on each side, so source and target lines stay in the first-level cache.
constexpr std::int32_t kTile = 64;

// Maps a target pixel to its source pixel for a quarter turn (q = 1, 2, 3 clockwise).
struct QuarterMap {
    int q;
    std::int32_t w; // source width and height
    std::int32_t h;
    void Source(std::int32_t x, std::int32_t y, std::int32_t& sx, std::int32_t& sy) const
    {
        switch (q) {
        case 1: // clockwise: the left column becomes the top row
            sx = w - 1 - y;
            sy = x;
            break;
        case 2:
            sx = w - 1 - x;
            sy = h - 1 - y;
            break;
        default: // anticlockwise: the right column becomes the top row
            sx = y;
            sy = h - 1 - x;
            break;
        }
    }
};

// Byte-aligned pixels (8 or 24 bits), copied tile by tile so that both the rows
// written and the columns read stay in cache.
template <std::size_t N> void TurnBytes(const PixelBlock& src, PixelBlock& dst, const QuarterMap& map)
{
    const std::int32_t dw = dst.Width();
    const std::int32_t dh = dst.Height();
    const std::uint8_t* sbits = src.Bits();
    const std::size_t sstride = src.Stride();
    for (std::int32_t ty = 0; ty < dh; ty += kTile) {
        const std::int32_t yEnd = std::min(dh, ty + kTile);
        for (std::int32_t tx = 0; tx < dw; tx += kTile) {
            const std::int32_t xEnd = std::min(dw, tx + kTile);
            for (std::int32_t y = ty; y < yEnd; ++y) {
                std::uint8_t* d = dst.Row(y) + std::size_t(tx) * N;
                std::int32_t sx = 0;
                std::int32_t sy = 0;
                map.Source(tx, y, sx, sy);
                // Along a target row the source moves by one row (q = 1, 3) or one
                // pixel (q = 2); both steps are constant.
                const std::uint8_t* s = sbits + sstride * static_cast<std::size_t>(sy) + std::size_t(sx) * N;
                const std::ptrdiff_t step = map.q == 1   ? static_cast<std::ptrdiff_t>(sstride)
                                            : map.q == 3 ? -static_cast<std::ptrdiff_t>(sstride)
                                                         : -static_cast<std::ptrdiff_t>(N);
                std::int32_t x = tx;
                if constexpr (N == 3 && std::endian::native == std::endian::little) {
                    // Whole words: four bytes read from one before the pixel (still inside
                    // the block, which starts with its header) and four written, the
                    // fourth overwritten by the next pixel; the row's last pixel of the
                    // tile is copied byte by byte so that nothing is written past it.
                    for (; x + 1 < xEnd; ++x) {
                        std::uint32_t v = 0;
                        std::memcpy(&v, s - 1, 4);
                        v >>= 8;
                        std::memcpy(d, &v, 4);
                        d += N;
                        s += step;
                    }
                }
                for (; x < xEnd; ++x) {
                    for (std::size_t i = 0; i < N; ++i)
                        d[i] = s[i];
                    d += N;
                    s += step;
                }
            }
        }
    }
}

void SetPixel(PixelBlock& p, std::int32_t x, std::int32_t y, std::uint32_t v)
{
    std::uint8_t* row = p.Row(y);
    switch (p.Bpp()) {
    case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
        if (v & 1u)
            row[x >> 3] |= bit;
        else
            row[x >> 3] &= static_cast<std::uint8_t>(~bit);
        break;
    }
    case 4: {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (v & 0x0F))
                    : static_cast<std::uint8_t>((b & 0x0F) | ((v & 0x0F) << 4));
        break;
    }
    case 8:
        row[x] = static_cast<std::uint8_t>(v);
        break;
    default: {
        std::uint8_t* q = row + std::size_t(x) * 3;
        q[0] = static_cast<std::uint8_t>(v);
        q[1] = static_cast<std::uint8_t>(v >> 8);
        q[2] = static_cast<std::uint8_t>(v >> 16);
        break;
    }
    }
}

// Turns a block by q quarter turns clockwise (1..3) into turned; palette copied.
bool TurnQuarters(const PixelBlock& pixels, int q, PixelBlock& turned, std::string& error)
{
    const std::int32_t w = pixels.Width();
    const std::int32_t h = pixels.Height();
    const bool swap = q != 2;
    if (!turned.Create(swap ? h : w, swap ? w : h, pixels.Bpp(), error))
        return false;
    const QuarterMap map{q, w, h};
    if (pixels.Bpp() == 24) {
        TurnBytes<3>(pixels, turned, map);
    } else if (pixels.Bpp() == 8) {
        TurnBytes<1>(pixels, turned, map);
    } else {
        for (std::int32_t y = 0; y < turned.Height(); ++y) {
            for (std::int32_t x = 0; x < turned.Width(); ++x) {
                std::int32_t sx = 0;
                std::int32_t sy = 0;
                map.Source(x, y, sx, sy);
                SetPixel(turned, x, y, pixels.GetPixel(sx, sy));
            }
        }
    }
    if (pixels.PaletteSize() > 0)
        std::memcpy(turned.Palette(), pixels.Palette(), std::size_t(pixels.PaletteSize()) * sizeof(RgbQuad));
    return true;
}

// A JPEG's bytes may stand for its pixels until they are needed: the file is complete
// (an end marker after the scan data), its data can fill its frame, and a PDF can carry it.
bool MayWait(const std::string& bytes, const CJpegDecoder::Header& header)
{
    if (!header.plain || header.scanOffset >= bytes.size())
        return false;
    const std::uint64_t scanBytes = bytes.size() - header.scanOffset;
    if (double(scanBytes) < double(header.width) * double(header.height) * kMinScanBytesPerPixel)
        return false;
    // Scan data never holds 0xFF 0xD9 (0xFF is stuffed), so the pair is the end marker;
    // it is looked for near the end, where it is, allowing for trailing bytes.
    const std::size_t from = std::max<std::size_t>(
        std::size_t(header.scanOffset), bytes.size() - std::min<std::size_t>(bytes.size(), 64 * 1024));
    for (std::size_t i = bytes.size() - 1; i > from; --i)
        if (std::uint8_t(bytes[i]) == 0xD9 && std::uint8_t(bytes[i - 1]) == 0xFF)
            return true;
    return false;
}

} // namespace

bool CRasterImage::LoadPending(const std::string& path)
{
    CFileStream file;
    if (!file.Open(path) || file.Size() < 4 || file.Size() > kMaxPendingFile)
        return false;
    std::uint8_t magic[3] = {0, 0, 0};
    if (file.Read(magic, 3) != 3 || magic[0] != 0xFF || magic[1] != 0xD8 || magic[2] != 0xFF)
        return false;
    auto bytes = std::make_shared<std::string>(std::size_t(file.Size()), '\0');
    if (!file.Seek(0) || file.Read(bytes->data(), bytes->size()) != bytes->size())
        return false;
    CMemoryStream in(bytes->data(), bytes->size());
    DecodedImage info;
    CJpegDecoder::Header header;
    std::string error;
    if (!CJpegDecoder::ReadHeader(in, info, header, error) || !MayWait(*bytes, header))
        return false;
    Adopt(std::move(info), kImageJpeg);
    const bool turned = info.exifOrientation >= 5;
    pending_ = true;
    pendingWidth_ = turned ? header.height : header.width;
    pendingHeight_ = turned ? header.width : header.height;
    pendingBpp_ = header.components == 1 ? 8 : 24;
    jpegData_ = std::move(bytes);
    sourcePath_ = path;
    return true;
}

void CRasterImage::DropPending()
{
    pending_ = false;
    jpegData_.reset();
    screen_.Reset();
    screenDenom_ = 0;
}

const PixelBlock& CRasterImage::Pixels() const
{
    if (pending_)
        DecodePending();
    return pixels_;
}

void CRasterImage::DecodePending() const
{
    pending_ = false;
    CMemoryStream in(jpegData_->data(), jpegData_->size());
    DecodedImage decoded;
    std::string error;
    if (!CJpegDecoder::Decode(in, decoded, error)) {
        error_ = error.empty() ? kUnknownFormat : error;
        return;
    }
    notice_ = std::move(decoded.partial);
    if (quarterTurns_ != 0) {
        PixelBlock turned;
        if (!TurnQuarters(decoded.pixels, quarterTurns_, turned, error_))
            return;
        decoded.pixels = std::move(turned);
    }
    pixels_ = std::move(decoded.pixels);
}

const PixelBlock& CRasterImage::ScreenPixels(int cx, int cy, int& sx, int& sy, int& sw, int& sh) const
{
    if (!jpegData_ || sw == 0 || sh == 0)
        return Pixels();
    // The largest reduction that keeps at least one source pixel for every pixel shown.
    const double across = std::abs(double(sw)) / std::max(1, std::abs(cx));
    const double down = std::abs(double(sh)) / std::max(1, std::abs(cy));
    int denom = 1;
    while (denom < 8 && across >= 2.0 * denom && down >= 2.0 * denom)
        denom *= 2;
    if (denom == 1)
        return Pixels();
    if (screenDenom_ != denom) {
        screen_.Reset();
        screenDenom_ = 0;
        CMemoryStream in(jpegData_->data(), jpegData_->size());
        DecodedImage decoded;
        std::string error;
        if (!CJpegDecoder::DecodeScaled(in, denom, decoded, error))
            return Pixels();
        if (quarterTurns_ != 0) {
            PixelBlock turned;
            if (!TurnQuarters(decoded.pixels, quarterTurns_, turned, error))
                return Pixels();
            decoded.pixels = std::move(turned);
        }
        screen_ = std::move(decoded.pixels);
        screenDenom_ = denom;
    }
    // The source rectangle in the reduced picture's pixels (which round the size up).
    auto scale = [](int v, std::int32_t full, std::int32_t reduced) {
        return int(std::llround(double(v) * reduced / std::max<std::int32_t>(1, full)));
    };
    const std::int32_t w = GetWidth();
    const std::int32_t h = GetHeight();
    const int x0 = scale(sx, w, screen_.Width());
    const int y0 = scale(sy, h, screen_.Height());
    // A mirrored (negative) extent stays negative; none becomes empty.
    auto extent = [](int from, int to, int was) { return to != from ? to - from : (was < 0 ? -1 : 1); };
    sw = extent(x0, scale(sx + sw, w, screen_.Width()), sw);
    sh = extent(y0, scale(sy + sh, h, screen_.Height()), sh);
    sx = x0;
    sy = y0;
    return screen_;
}

bool CRasterImage::Decode(CByteStream& in, int type)
{
    if (IsImageType(type)) {
        const DecodeFunction decode = DecoderFor(type);
        if (decode == nullptr) {
            error_ = kUnknownFormat;
            return false;
        }
        DecodedImage decoded;
        std::string error;
        if (!decode(in, decoded, error)) {
            error_ = error.empty() ? kUnknownFormat : error;
            return false;
        }
        Adopt(std::move(decoded), type);
        return true;
    }
    for (const int candidate : TrialOrder()) {
        const DecodeFunction decode = DecoderFor(candidate);
        if (decode == nullptr || !in.Rewind())
            continue;
        DecodedImage decoded;
        std::string error;
        if (decode(in, decoded, error)) {
            Adopt(std::move(decoded), candidate);
            return true;
        }
    }
    error_ = kUnknownFormat;
    return false;
}

void CRasterImage::Adopt(DecodedImage&& decoded, int type)
{
    DropPending();
    pixels_ = std::move(decoded.pixels);
    type_ = type;
    // The transparency belongs to the new picture: what the decoder found, or none.
    transIndex_ = decoded.transIndex;
    transColour_ = decoded.transColour;
    xDpi_ = decoded.xDpi >= 1 ? decoded.xDpi : 96;
    yDpi_ = decoded.yDpi >= 1 ? decoded.yDpi : 96;
    exifOrientation_ = decoded.exifOrientation;
    notice_ = std::move(decoded.partial);
    quarterTurns_ = 0;
    sourcePath_.clear();
}

bool CRasterImage::Load(const std::string& path, int type)
{
    // Whatever the type code, a JPEG file is what the trial order would end with.
    if (LoadPending(path))
        return true;
    const bool typed = type >= kImageBmp && type <= kImageWmf;
    if (typed) {
        CFileStream file;
        if (!file.Open(path)) {
            error_ = kCannotOpen;
            return false;
        }
        if (Decode(file, type)) {
            // A file read only in part cannot stand for its pixels in print.
            if (type_ == kImageJpeg && notice_.empty())
                sourcePath_ = path;
            return true;
        }
    }
    const std::string firstError = error_;
    CFileStream file;
    if (!file.Open(path)) {
        error_ = kCannotOpen;
        return false;
    }
    const bool ok = Decode(file, kImageAny);
    if (ok && type_ == kImageJpeg && notice_.empty())
        sourcePath_ = path;
    if (!ok && typed)
        error_ = firstError;
    return ok;
}

bool CRasterImage::LoadMemory(const void* data, std::size_t size, int type)
{
    const bool typed = type >= kImageBmp && type <= kImageWmf;
    if (typed) {
        CMemoryStream in(data, size);
        if (Decode(in, type))
            return true;
    }
    const std::string firstError = error_;
    CMemoryStream in(data, size);
    const bool ok = Decode(in, kImageAny);
    if (!ok && typed)
        error_ = firstError;
    return ok;
}

bool CRasterImage::LoadResource(const char* name, int type)
{
    const EmbeddedResource* res = name != nullptr ? FindEmbeddedResource(name) : nullptr;
    if (res == nullptr || res->data == nullptr) {
        error_ = kNoResource;
        return false;
    }
    return LoadMemory(res->data, res->size, type);
}

bool CRasterImage::Destroy()
{
    DropPending();
    pixels_.Reset();
    quarterTurns_ = 0;
    sourcePath_.clear();
    return true;
}

bool CRasterImage::Rotate(float degrees)
{
    if (pending_ && std::isfinite(degrees) && std::fmod(double(degrees), 90.0) == 0.0) {
        // Only the size changes for now; the turn is applied when the pixels are decoded.
        const int q = static_cast<int>(std::fmod(std::fmod(double(degrees) / 90.0, 4.0) + 4.0, 4.0));
        if (q % 2 == 1) {
            std::swap(pendingWidth_, pendingHeight_);
            std::swap(xDpi_, yDpi_);
        }
        quarterTurns_ = (quarterTurns_ + q) % 4;
        screen_.Reset();
        screenDenom_ = 0;
        return true;
    }
    Pixels();
    if (!pixels_.IsValid()) {
        error_ = kInvalid;
        return false;
    }
    if (!std::isfinite(degrees)) {
        error_ = kBadAngle;
        return false;
    }
    const double a = static_cast<double>(degrees);
    const std::int32_t w = pixels_.Width();
    const std::int32_t h = pixels_.Height();
    PixelBlock turned;

    if (std::fmod(a, 90.0) == 0.0) {
        // Quarter turns are exact: the pixels are moved, not resampled.
        const int q = static_cast<int>(std::fmod(std::fmod(a / 90.0, 4.0) + 4.0, 4.0));
        if (q == 0)
            return true;
        const bool swap = q != 2;
        if (!TurnQuarters(pixels_, q, turned, error_))
            return false;
        quarterTurns_ = (quarterTurns_ + q) % 4;
        screen_.Reset();
        screenDenom_ = 0;
        if (swap)
            std::swap(xDpi_, yDpi_); // the axes change places
    } else {
        // Any other angle: nearest neighbour about the centres, the target sized to hold
        // the turned corners; pixels that come from outside the picture stay zero.
        const double t = -a * 3.14159265358979323846 / 180.0;
        const double c = std::cos(t);
        const double s = std::sin(t);
        const double nw = std::round(std::fabs(w * c) + std::fabs(h * s));
        const double nh = std::round(std::fabs(w * s) + std::fabs(h * c));
        // Both are at most 1.5 * 32768 * 2, well inside int64; Create checks the limits.
        if (!turned.Create(std::max<std::int64_t>(1, static_cast<std::int64_t>(nw)),
                           std::max<std::int64_t>(1, static_cast<std::int64_t>(nh)), pixels_.Bpp(), error_))
            return false;
        const double ocx = (w - 1) / 2.0;
        const double ocy = (h - 1) / 2.0;
        const double ncx = (turned.Width() - 1) / 2.0;
        const double ncy = (turned.Height() - 1) / 2.0;
        for (std::int32_t y = 0; y < turned.Height(); ++y) {
            const double dy = y - ncy;
            for (std::int32_t x = 0; x < turned.Width(); ++x) {
                const double dx = x - ncx;
                const double fx = std::round(dx * c + dy * s + ocx);
                const double fy = std::round(dy * c - dx * s + ocy);
                if (fx < 0 || fy < 0 || fx >= w || fy >= h)
                    continue;
                SetPixel(turned, x, y,
                         pixels_.GetPixel(static_cast<std::int32_t>(fx), static_cast<std::int32_t>(fy)));
            }
        }
        // The pixels no longer match the file, so it cannot stand in for them.
        sourcePath_.clear();
        DropPending();
        if (pixels_.PaletteSize() > 0) {
            std::memcpy(turned.Palette(), pixels_.Palette(),
                        std::size_t(pixels_.PaletteSize()) * sizeof(RgbQuad));
        }
    }
    pixels_ = std::move(turned);
    return true;
}

void CRasterImage::Copy(const CRasterImage& source, bool copyPixels, bool /*copySelection*/,
                        bool /*copyAlpha*/)
{
    // This image has no selection and no alpha channel, so those two flags change nothing.
    if (&source == this)
        return;
    if (source.pending_ && copyPixels) {
        // The bytes are shared; each image decodes them when it needs to.
        DropPending();
        pixels_.Reset();
        pending_ = true;
        pendingWidth_ = source.pendingWidth_;
        pendingHeight_ = source.pendingHeight_;
        pendingBpp_ = source.pendingBpp_;
        jpegData_ = source.jpegData_;
        sourcePath_ = source.sourcePath_;
    } else {
        source.Pixels();
        DropPending();
    }
    type_ = source.type_;
    transIndex_ = source.transIndex_;
    transColour_ = source.transColour_;
    enabled_ = source.enabled_;
    xDpi_ = source.xDpi_;
    yDpi_ = source.yDpi_;
    quarterTurns_ = source.quarterTurns_;
    exifOrientation_ = source.exifOrientation_;
    error_ = source.error_;
    notice_ = source.notice_;
    if (pending_)
        return;
    if (!source.pixels_.IsValid()) {
        pixels_.Reset();
        sourcePath_.clear();
        return;
    }
    if (copyPixels) {
        PixelBlock copy = source.pixels_.Clone();
        if (!copy.IsValid()) {
            error_ = "CRasterImage::Create can't allocate memory";
            return;
        }
        pixels_ = std::move(copy);
        sourcePath_ = source.sourcePath_;
        if (source.jpegData_ && !sourcePath_.empty()) {
            jpegData_ = source.jpegData_;
        }
        return;
    }
    // Same size, depth and palette, pixels cleared.
    PixelBlock blank;
    if (!blank.Create(source.pixels_.Width(), source.pixels_.Height(), source.pixels_.Bpp(), error_))
        return;
    if (blank.PaletteSize() > 0)
        std::memcpy(blank.Palette(), source.pixels_.Palette(),
                    std::size_t(blank.PaletteSize()) * sizeof(RgbQuad));
    pixels_ = std::move(blank);
    sourcePath_.clear();
}

std::uint32_t CRasterImage::GetPixelIndex(std::int32_t x, std::int32_t yFromBottom) const
{
    // A 24-bit picture has no palette, so it has no index either.
    if (!Pixels().IsValid() || pixels_.Bpp() == 24)
        return 0;
    return pixels_.GetPixel(x, yFromBottom);
}

void CRasterImage::SetTransIndex(int index)
{
    transIndex_ = index < 0 ? -1 : std::min(index, 255);
}

std::uint32_t CRasterImage::GetTransColour() const
{
    if (transIndex_ >= 0 && Pixels().IsValid() && transIndex_ < pixels_.PaletteSize()) {
        const RgbQuad q = pixels_.Palette()[transIndex_];
        return (std::uint32_t{q.blue} << 16) | (std::uint32_t{q.green} << 8) | q.red;
    }
    return transColour_;
}
