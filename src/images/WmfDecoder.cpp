#include "images/WmfDecoder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "images/ByteCursor.h"
#include "images/EmfPlayer.h"
#include "images/MetafileCanvas.h"
#include "images/MetafileDevice.h"
#include "images/WmfPlayer.h"

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableBytes = 22;
constexpr std::size_t kWmfHeaderBytes = 18;
constexpr double kScreenPixelsPerMm = 96 / 25.4;

const char* const kNotMetafile = "Not a WMF";
const char* const kCorruptWmf = "corrupted WMF";
const char* const kCorruptEmf = "corrupted EMF";
const char* const kTooLarge = "Metafile too large";
const char* const kNoMemory = "CRasterImage::Create can't allocate memory";

struct Placeable {
    std::int16_t left = 0, top = 0, right = 0, bottom = 0;
    std::uint16_t unitsPerInch = 0;
};

struct WmfHeader {
    std::uint16_t objects = 0;
};

bool HasPlaceableKey(const std::uint8_t* data, std::size_t size)
{
    CByteCursor r(data, size);
    return r.U32() == kPlaceableKey && r.Ok();
}

bool ReadPlaceable(const std::uint8_t* data, std::size_t size, Placeable& p)
{
    CByteCursor r(data, size);
    r.U32(); // key
    r.U16(); // handle
    p.left = r.S16();
    p.top = r.S16();
    p.right = r.S16();
    p.bottom = r.S16();
    p.unitsPerInch = r.U16();
    // The reserved word and the checksum follow; the checksum is not checked, as
    // files with a wrong one are common and otherwise sound.
    r.Skip(6);
    return r.Ok();
}

// The 18-byte header of the 16-bit format: type 1 (memory) or 2 (disk), a header of
// 9 words, version 1.0 or 3.0.
bool ReadWmfHeader(const std::uint8_t* data, std::size_t size, WmfHeader& h)
{
    CByteCursor r(data, size);
    const std::uint16_t type = r.U16();
    const std::uint16_t headerWords = r.U16();
    const std::uint16_t version = r.U16();
    r.U32(); // size in words: the data itself is what counts
    h.objects = r.U16();
    r.U32(); // largest record
    r.U16(); // unused
    return r.Ok() && (type == 1 || type == 2) && headerWords == kWmfHeaderBytes / 2 &&
           (version == 0x0100 || version == 0x0300);
}

// Scales a size down so that its longer side is at most kMaxSide; false when it is
// empty or not a number.
bool FitSize(double w, double h, int& width, int& height)
{
    if (!(w > 0 && h > 0) || !std::isfinite(w) || !std::isfinite(h))
        return false;
    const double scale = std::min(1.0, CWmfDecoder::kMaxSide / std::max(w, h));
    width = std::clamp(static_cast<int>(std::lround(w * scale)), 1, CWmfDecoder::kMaxSide);
    height = std::clamp(static_cast<int>(std::lround(h * scale)), 1, CWmfDecoder::kMaxSide);
    return true;
}

std::uint64_t WorkBudget(int width, int height)
{
    // Both sides are at most kMaxSide: no overflow.
    return CWmfDecoder::kBaseWork + CWmfDecoder::kWorkPerPixel * static_cast<std::uint64_t>(width) *
                                        static_cast<std::uint64_t>(height);
}

bool ToPixels(const CRasterSurface& surface, DecodedImage& out, std::string& error)
{
    PixelBlock block;
    if (!block.Create(surface.Width(), surface.Height(), 24, error))
        return false;
    for (int y = 0; y < surface.Height(); ++y) {
        const std::uint32_t* src = surface.Row(y);
        std::uint8_t* dst = block.TopRow(y);
        for (int x = 0; x < surface.Width(); ++x, dst += 3) {
            const std::uint32_t p = src[x];
            dst[0] = static_cast<std::uint8_t>(p);
            dst[1] = static_cast<std::uint8_t>(p >> 8);
            dst[2] = static_cast<std::uint8_t>(p >> 16);
        }
    }
    out.pixels = std::move(block);
    out.xDpi = 96;
    out.yDpi = 96;
    return true;
}

// Plays a picture's records onto a white surface of width x height pixels and turns it
// into pixels. play(device) returns false when the records are malformed, which fails
// the decode with the format's message.
template <class Play>
bool Render(int width, int height, const MfXform& frame, DPoint pixelsPerMm, const char* corrupt,
            DecodedImage& out, std::string& error, Play&& play)
{
    CRasterSurface surface(width, height, kColourWhite);
    if (!surface.IsValid()) {
        error = kNoMemory;
        return false;
    }
    CMetafileCanvas canvas(surface, WorkBudget(width, height));
    CMetafileDevice device(canvas, frame, pixelsPerMm);
    if (!play(device)) {
        error = corrupt;
        return false;
    }
    return ToPixels(surface, out, error);
}

bool DecodeWmf(const std::vector<std::uint8_t>& data, DecodedImage& out, std::string& error)
{
    std::size_t offset = 0;
    Placeable placeable;
    const bool hasPlaceable = HasPlaceableKey(data.data(), data.size());
    if (hasPlaceable) {
        if (!ReadPlaceable(data.data(), data.size(), placeable)) {
            error = kCorruptWmf;
            return false;
        }
        offset = kPlaceableBytes;
    }
    WmfHeader header;
    if (data.size() - offset < kWmfHeaderBytes ||
        !ReadWmfHeader(data.data() + offset, data.size() - offset, header)) {
        error = kCorruptWmf;
        return false;
    }
    const std::uint8_t* records = data.data() + offset + kWmfHeaderBytes;
    const std::size_t recordBytes = data.size() - offset - kWmfHeaderBytes;
    CWmfPlayer::Scan scan;
    if (!CWmfPlayer::ScanRecords(records, recordBytes, scan)) {
        error = kCorruptWmf;
        return false;
    }

    DPoint windowOrg;
    DPoint windowExt;
    double width = 0;
    double height = 0;
    if (hasPlaceable) {
        windowOrg = {double(placeable.left), double(placeable.top)};
        windowExt = {double(placeable.right) - placeable.left, double(placeable.bottom) - placeable.top};
        if (placeable.unitsPerInch == 0) {
            error = kCorruptWmf;
            return false;
        }
        width = std::abs(windowExt.x) * 96 / placeable.unitsPerInch;
        height = std::abs(windowExt.y) * 96 / placeable.unitsPerInch;
    } else {
        if (!scan.windowFound) {
            error = kCorruptWmf; // nothing tells the picture's size
            return false;
        }
        windowOrg = scan.windowOrg;
        windowExt = scan.windowExt;
        width = std::abs(windowExt.x);
        height = std::abs(windowExt.y);
    }
    int w = 0;
    int h = 0;
    if (!FitSize(width, height, w, h)) {
        error = kCorruptWmf;
        return false;
    }
    const DPoint pixelsPerMm{kScreenPixelsPerMm, kScreenPixelsPerMm};
    return Render(w, h, MfXform{}, pixelsPerMm, kCorruptWmf, out, error, [&](CMetafileDevice& device) {
        // The window the file names is stretched over the whole picture.
        device.SetMapMode(kMapAnisotropic);
        device.SetWindowOrg(windowOrg);
        device.SetWindowExt(windowExt);
        device.SetViewportOrg({0, 0});
        device.SetViewportExt({double(w), double(h)});
        // Every object needs a record that creates it, so the table never needs more
        // slots than there are records.
        const auto slots = static_cast<std::uint32_t>(std::min<std::size_t>(header.objects, scan.count));
        return CWmfPlayer(device, slots).Play(records, recordBytes);
    });
}

bool DecodeEmf(const std::vector<std::uint8_t>& data, DecodedImage& out, std::string& error)
{
    CEmfPlayer::Header header;
    if (!CEmfPlayer::ReadHeader(data.data(), data.size(), header)) {
        error = kCorruptEmf;
        return false;
    }
    const std::uint8_t* records = data.data() + header.size;
    const std::size_t recordBytes = data.size() - header.size;
    if (!CEmfPlayer::Check(records, recordBytes)) {
        error = kCorruptEmf;
        return false;
    }
    DPoint pixelsPerMm{kScreenPixelsPerMm, kScreenPixelsPerMm};
    if (header.devicePixels[0] > 0 && header.devicePixels[1] > 0 && header.deviceMillimetres[0] > 0 &&
        header.deviceMillimetres[1] > 0) {
        pixelsPerMm = {double(header.devicePixels[0]) / header.deviceMillimetres[0],
                       double(header.devicePixels[1]) / header.deviceMillimetres[1]};
    }
    // The part of the reference device the picture shows: its bounds (inclusive), or
    // its frame when the bounds are empty. 32-bit values in doubles: exact, no overflow.
    double left = 0, top = 0, right = 0, bottom = 0;
    const std::int32_t* b = header.bounds;
    const std::int32_t* f = header.frame;
    if (b[2] > b[0] && b[3] > b[1]) {
        left = b[0];
        top = b[1];
        right = double(b[2]) + 1;
        bottom = double(b[3]) + 1;
    } else if (f[2] > f[0] && f[3] > f[1]) {
        left = f[0] / 100.0 * pixelsPerMm.x;
        top = f[1] / 100.0 * pixelsPerMm.y;
        right = f[2] / 100.0 * pixelsPerMm.x;
        bottom = f[3] / 100.0 * pixelsPerMm.y;
    }
    int w = 0;
    int h = 0;
    if (!FitSize(right - left, bottom - top, w, h)) {
        error = kCorruptEmf;
        return false;
    }
    MfXform frame;
    frame.a = w / (right - left);
    frame.d = h / (bottom - top);
    frame.e = -left * frame.a;
    frame.f = -top * frame.d;
    return Render(w, h, frame, pixelsPerMm, kCorruptEmf, out, error, [&](CMetafileDevice& device) {
        return CEmfPlayer(device, header.handles).Play(records, recordBytes);
    });
}

} // namespace

bool CWmfDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    const std::uint64_t start = in.Tell();
    std::uint8_t head[44] = {};
    const std::size_t got = in.Read(head, sizeof head);
    WmfHeader plain;
    const bool emf = CEmfPlayer::HasSignature(head, got);
    const bool wmf = HasPlaceableKey(head, got) || ReadWmfHeader(head, got, plain);
    if (!emf && !wmf) {
        error = kNotMetafile;
        return false;
    }
    std::vector<std::uint8_t> data;
    if (in.Size() - start > kMaxFileBytes) {
        error = kTooLarge;
        return false;
    }
    if (!in.Seek(start) || !in.ReadRest(data, kMaxFileBytes)) {
        error = emf ? kCorruptEmf : kCorruptWmf;
        return false;
    }
    return emf ? DecodeEmf(data, out, error) : DecodeWmf(data, out, error);
}
