#include "layout/PdfPictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define SLEEVIT_LSAN 1
#endif

#include "images/RasterImage.h"
#include "surfaces/PixelBlock.h"
#include "surfaces/RasterSurface.h"

namespace {

// cairo's image surfaces hold at most 32767 pixels a side.
constexpr std::int32_t kMaxCairoSide = 32767;
// A pixel picture whose cairo copy would pass this many bytes goes to cairo in strips
// of about kStripBytes each (see CPdfPictures::Strip).
constexpr std::uint64_t kStripAbove = std::uint64_t{16} << 20;
constexpr std::uint64_t kStripBytes = std::uint64_t{2} << 20;

constexpr std::uint64_t kP1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kP2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kP3 = 0x165667B19E3779F9ull;

std::uint64_t Rotl(std::uint64_t v, int r)
{
    return (v << r) | (v >> (64 - r));
}
std::uint64_t Round(std::uint64_t acc, std::uint64_t in)
{
    return Rotl(acc + in * kP2, 31) * kP1;
}
std::uint64_t Avalanche(std::uint64_t h)
{
    h ^= h >> 33;
    h *= kP2;
    h ^= h >> 29;
    h *= kP3;
    h ^= h >> 32;
    return h;
}

// Two 64-bit hashes of the bytes, from four lanes of 8-byte words.
std::array<std::uint64_t, 2> HashBytes(const void* data, std::size_t size, std::uint64_t seed)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::uint64_t v[4] = {seed + kP1 + kP2, seed + kP2, seed, seed - kP1};
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        for (int k = 0; k < 4; ++k) {
            std::uint64_t w = 0;
            std::memcpy(&w, p + i + 8 * std::size_t(k), 8);
            v[k] = Round(v[k], w);
        }
    }
    std::uint64_t tail[4] = {0, 0, 0, 0};
    std::memcpy(tail, p + i, size - i); // fewer than 32 bytes remain
    for (int k = 0; k < 4; ++k)
        v[k] = Round(v[k], tail[k] ^ (std::uint64_t(size) * kP3));
    const std::uint64_t a = Avalanche(Rotl(v[0], 1) + Rotl(v[1], 7) + Rotl(v[2], 12) + Rotl(v[3], 18));
    const std::uint64_t b = Avalanche((v[0] * kP3) ^ Rotl(v[1], 23) ^ (v[2] * kP1) ^ Rotl(v[3], 41) ^ size);
    return {a, b};
}

std::string Hex(const std::array<std::uint64_t, 2>& h)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%016llx%016llx", static_cast<unsigned long long>(h[0]),
                  static_cast<unsigned long long>(h[1]));
    return buf;
}

// The picture's pixels, its palette and its size in one name.
std::string PixelName(const PixelBlock& px)
{
    const auto bits = HashBytes(px.Bits(), px.BitsSize(), 0);
    const auto pal = HashBytes(px.Palette(), std::size_t(px.PaletteSize()) * sizeof(RgbQuad), 1);
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s-%s-%dx%dx%d", Hex(bits).c_str(), Hex(pal).c_str(), px.Width(),
                  px.Height(), px.Bpp());
    return buf;
}

// One row of a block (counted from the top) as 0xFFRRGGBB values, the layout of cairo's
// RGB24 format. Palette indices beyond the palette give black, as on the raster surface.
void DecodeRow(const PixelBlock& px, std::int32_t fromTop, std::uint32_t* out)
{
    const std::uint8_t* src = px.TopRow(fromTop);
    const std::int32_t w = px.Width();
    const int bpp = px.Bpp();
    if (bpp == 24) {
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint8_t* p = src + std::size_t(x) * 3;
            out[x] = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
        return;
    }
    std::array<std::uint32_t, 256> pal;
    pal.fill(0xFF000000u);
    const RgbQuad* q = px.Palette();
    for (int k = 0; k < px.PaletteSize() && k < 256; ++k)
        pal[std::size_t(k)] =
            0xFF000000u | (std::uint32_t{q[k].red} << 16) | (std::uint32_t{q[k].green} << 8) | q[k].blue;
    for (std::int32_t x = 0; x < w; ++x) {
        unsigned index = 0;
        if (bpp == 8)
            index = src[x];
        else if (bpp == 4)
            index = (x & 1) ? (src[x >> 1] & 0x0Fu) : (src[x >> 1] >> 4);
        else
            index = (src[x >> 3] >> (7 - (x & 7))) & 1u;
        out[x] = pal[index];
    }
}

// Where the decoder's EXIF orientation put the stored pixels: a map of the continuous
// plane from the stored picture (w x h) to the shown one.
cairo_matrix_t ExifMatrix(int orientation, double w, double h)
{
    cairo_matrix_t m;
    switch (orientation) {
    case 2:
        cairo_matrix_init(&m, -1, 0, 0, 1, w, 0);
        break;
    case 3:
        cairo_matrix_init(&m, -1, 0, 0, -1, w, h);
        break;
    case 4:
        cairo_matrix_init(&m, 1, 0, 0, -1, 0, h);
        break;
    case 5:
        cairo_matrix_init(&m, 0, 1, 1, 0, 0, 0);
        break;
    case 6:
        cairo_matrix_init(&m, 0, 1, -1, 0, h, 0);
        break;
    case 7:
        cairo_matrix_init(&m, 0, -1, -1, 0, h, w);
        break;
    case 8:
        cairo_matrix_init(&m, 0, -1, 1, 0, 0, w);
        break;
    default:
        cairo_matrix_init_identity(&m);
        break;
    }
    return m;
}

} // namespace

// Walks the marker segments up to the first frame header.
JpegFrame ReadJpegFrame(const std::string& bytes)
{
    JpegFrame f;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t n = bytes.size();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return f;
    std::size_t i = 2;
    // Each step moves past one segment of at least 2 bytes, so the loop ends.
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return f;
        const std::uint8_t marker = p[i + 1];
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;
            continue;
        }
        const std::size_t len = (std::size_t{p[i + 2]} << 8) | p[i + 3];
        if (len < 2 || len > n - i - 2) // the segment must lie inside the file
            return f;
        const bool huffmanFrame = marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
        const bool otherFrame =
            (marker >= 0xC3 && marker <= 0xCF) && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (otherFrame || marker == 0xDA || marker == 0xD9)
            return f;
        if (huffmanFrame) {
            if (len < 8)
                return f;
            const std::uint8_t* s = p + i + 4;
            f.height = (s[1] << 8) | s[2];
            f.width = (s[3] << 8) | s[4];
            f.components = s[5];
            f.ok = s[0] == 8 && (f.components == 1 || f.components == 3) && f.width > 0 && f.height > 0;
            return f;
        }
        i += 2 + len;
    }
    return f;
}

namespace {

void FreeString(void* p)
{
    delete static_cast<std::string*>(p);
}

bool AttachString(cairo_surface_t* s, const char* mime, std::string&& data)
{
    auto* owned = new std::string(std::move(data));
    const auto* bytes = reinterpret_cast<const unsigned char*>(owned->data());
    if (cairo_surface_set_mime_data(s, mime, bytes, owned->size(), FreeString, owned) !=
        CAIRO_STATUS_SUCCESS) {
        delete owned;
        return false;
    }
    return true;
}

cairo_surface_t* NewSurface(cairo_format_t format, std::int32_t w, std::int32_t h)
{
    if (w <= 0 || h <= 0 || w > kMaxCairoSide || h > kMaxCairoSide)
        return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(format, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

std::uint32_t* SurfaceRow(cairo_surface_t* s, std::int32_t y)
{
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                            std::size_t(cairo_image_surface_get_stride(s)) * std::size_t(y));
}

} // namespace

CairoStripLeakScope::CairoStripLeakScope(bool active) : active_(active)
{
#ifdef SLEEVIT_LSAN
    if (active_)
        __lsan_disable();
#endif
}

CairoStripLeakScope::~CairoStripLeakScope()
{
#ifdef SLEEVIT_LSAN
    if (active_)
        __lsan_enable();
#endif
}

std::string HashBytesHex(const void* data, std::size_t size, std::uint64_t seed)
{
    return Hex(HashBytes(data, size, seed));
}

namespace {

// Makes the keyed pixels of row y (from the top) transparent: those of palette entry
// keyIndex when there is one, so that an opaque entry of the same colour stays, else
// those of the key colour. Premultiplied: a transparent pixel is all zero.
void ClearKeyed(const PixelBlock& px, std::int32_t y, std::uint32_t* out,
                const std::optional<SurfaceColour>& key, int keyIndex)
{
    if (keyIndex >= 0) {
        for (std::int32_t x = 0; x < px.Width(); ++x)
            if (px.GetPixel(x, px.Height() - 1 - y) == std::uint32_t(keyIndex))
                out[x] = 0;
    } else if (key) {
        const std::uint32_t k = CRasterSurface::ToStored(*key);
        for (std::int32_t x = 0; x < px.Width(); ++x)
            if (out[x] == k)
                out[x] = 0;
    }
}

cairo_surface_t* AcquireStrip(cairo_pattern_t*, void* data, cairo_surface_t*, const cairo_rectangle_int_t*)
{
    auto* strip = static_cast<CPdfPictures::StripData*>(data);
    const PixelBlock& px = strip->pixels;
    cairo_surface_t* surface =
        NewSurface(strip->key ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, px.Width(), strip->rows);
    if (surface == nullptr) {
        // cairo cannot take "no surface" here (it stops the program), so it gets one
        // pixel, and the page is failed once cairo is done with it.
        strip->failed = true;
        return cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    }
    cairo_surface_flush(surface);
    for (std::int32_t y = 0; y < strip->rows; ++y) {
        std::uint32_t* out = SurfaceRow(surface, y);
        DecodeRow(px, strip->top + y, out);
        ClearKeyed(px, strip->top + y, out, strip->key, strip->keyIndex);
    }
    cairo_surface_mark_dirty(surface);
    // The strip's name makes cairo write it once for the whole document.
    AttachString(surface, CAIRO_MIME_TYPE_UNIQUE_ID, "sleevit-" + strip->id);
    return surface;
}

void ReleaseJpegBytes(void* p)
{
    delete static_cast<std::shared_ptr<const std::string>*>(p);
}

// A surface that carries a JPEG file's data is never read: cairo writes the PDF from that
// data. Its pixels are never touched, but cairo copies them once for its own snapshot of
// the surface when the surface goes; one bit a pixel keeps that copy small.
cairo_surface_t* CarryJpeg(const std::shared_ptr<const std::string>& jpeg, std::int32_t w, std::int32_t h,
                           const std::string& id)
{
    cairo_surface_t* surface = NewSurface(CAIRO_FORMAT_A1, w, h);
    if (surface == nullptr)
        return nullptr;
    // Marking a surface dirty is refused once it carries mime data, so it comes first.
    cairo_surface_mark_dirty(surface);
    auto* owner = new std::shared_ptr<const std::string>(jpeg);
    if (cairo_surface_set_mime_data(surface, CAIRO_MIME_TYPE_JPEG,
                                    reinterpret_cast<const unsigned char*>((*owner)->data()),
                                    (*owner)->size(), ReleaseJpegBytes, owner) != CAIRO_STATUS_SUCCESS) {
        delete owner;
        cairo_surface_destroy(surface);
        return nullptr;
    }
    AttachString(surface, CAIRO_MIME_TYPE_UNIQUE_ID, "sleevit-" + id);
    return surface;
}

void ReleaseStrip(cairo_pattern_t*, void*, cairo_surface_t* surface)
{
    cairo_surface_destroy(surface);
}

} // namespace

void CPdfPictures::Source::Release()
{
    cairo_surface_destroy(surface);
    surface = nullptr;
    for (const Strip& s : strips)
        cairo_pattern_destroy(s.pattern);
    strips.clear();
}

CPdfPictures::~CPdfPictures()
{
    EndPage();
}

void CPdfPictures::EndPage()
{
    // Names of JPEG data that is gone are forgotten (its address may be reused).
    std::erase_if(jpegNames_, [](const auto& entry) { return entry.second.bytes.expired(); });
    for (auto& [name, surface] : page_)
        cairo_surface_destroy(surface);
    page_.clear();
    pageStrips_.clear();
}

bool CPdfPictures::PageStripFailed() const
{
    for (const auto& [id, strips] : pageStrips_)
        for (const auto& strip : strips)
            if (strip->failed)
                return true;
    return false;
}

CPdfPictures::Source CPdfPictures::Strips(const std::string& id, const PixelBlock& pixels,
                                          std::optional<SurfaceColour> key, int keyIndex)
{
    auto held = pageStrips_.find(id);
    if (held == pageStrips_.end()) {
        const std::int32_t w = pixels.Width();
        const std::int32_t h = pixels.Height();
        const auto step = std::int32_t(std::max<std::uint64_t>(1, kStripBytes / (std::uint64_t(w) * 4)));
        std::vector<std::unique_ptr<StripData>> strips;
        for (std::int32_t top = 0; top < h; top += step) {
            auto d = std::make_unique<StripData>();
            d->pixels = pixels.Share();
            d->width = w;
            d->top = top;
            d->rows = std::min(h - top, step + 1);
            d->key = key;
            d->keyIndex = keyIndex;
            d->id = id + "-s" + std::to_string(top);
            strips.push_back(std::move(d));
        }
        if (!written_.count(id))
            ++pixelPictures_;
        written_.insert(id);
        held = pageStrips_.emplace(id, std::move(strips)).first;
    }
    return Patterns(held->second, key.has_value());
}

CPdfPictures::Source CPdfPictures::Patterns(const std::vector<std::unique_ptr<StripData>>& strips, bool alpha)
{
    Source s;
    for (const auto& d : strips) {
        cairo_pattern_t* p = cairo_pattern_create_raster_source(
            d.get(), alpha ? CAIRO_CONTENT_COLOR_ALPHA : CAIRO_CONTENT_COLOR, d->width, d->rows);
        if (cairo_pattern_status(p) != CAIRO_STATUS_SUCCESS) {
            cairo_pattern_destroy(p);
            s.Release();
            return {};
        }
        cairo_raster_source_pattern_set_acquire(p, AcquireStrip, ReleaseStrip);
        s.strips.push_back({p, d->top});
    }
    return s;
}

CPdfPictures::Source CPdfPictures::Hold(const std::string& id, cairo_surface_t* surface,
                                        const cairo_matrix_t& m)
{
    // The name makes cairo write the picture once for the whole document.
    AttachString(surface, CAIRO_MIME_TYPE_UNIQUE_ID, "sleevit-" + id);
    page_[id] = cairo_surface_reference(surface);
    written_.insert(id);
    return {surface, m, {}};
}

CPdfPictures::Source CPdfPictures::GetJpeg(const CRasterImage& origin,
                                           const std::shared_ptr<const std::string>& data)
{
    const std::string& bytes = *data;
    // Stored -> shown: the EXIF placement, then the quarter turns clockwise.
    const std::int32_t w = origin.GetWidth();
    const std::int32_t h = origin.GetHeight();
    const int exif = origin.ExifOrientation();
    const int turns = ((origin.QuarterTurns() % 4) + 4) % 4;
    const bool swapExif = exif >= 5 && exif <= 8;
    const bool swap = swapExif != (turns % 2 == 1);
    const std::int32_t storedW = swap ? h : w;
    const std::int32_t storedH = swap ? w : h;
    cairo_matrix_t storedToShown = ExifMatrix(exif, storedW, storedH);
    double cw = swapExif ? storedH : storedW;
    double ch = swapExif ? storedW : storedH;
    for (int t = 0; t < turns; ++t) {
        cairo_matrix_t turn;
        cairo_matrix_init(&turn, 0, 1, -1, 0, ch, 0); // (x, y) -> (ch - y, x)
        cairo_matrix_multiply(&storedToShown, &storedToShown, &turn);
        std::swap(cw, ch);
    }
    cairo_matrix_t shownToStored = storedToShown;
    cairo_matrix_invert(&shownToStored);

    // The bytes must be a frame every PDF reader decodes, of the picture's size and depth.
    const JpegFrame frame = ReadJpegFrame(bytes);
    if (!frame.ok || frame.width != storedW || frame.height != storedH ||
        (frame.components == 3) != (origin.GetBpp() == 24))
        return {};
    char dims[48];
    std::snprintf(dims, sizeof dims, "-%dx%d-jpeg", storedW, storedH);
    // The bytes never change, so they are hashed once while they live.
    auto known = jpegNames_.find(data.get());
    if (known == jpegNames_.end() || known->second.bytes.expired()) {
        const JpegName name{data, HashBytesHex(bytes.data(), bytes.size(), 2)};
        known = jpegNames_.insert_or_assign(data.get(), name).first;
    }
    const std::string id = known->second.hash + dims;
    if (auto held = page_.find(id); held != page_.end())
        return {cairo_surface_reference(held->second), shownToStored, {}};
    cairo_surface_t* surface = CarryJpeg(data, storedW, storedH, id);
    if (surface == nullptr)
        return {};
    if (!written_.count(id))
        ++jpegPictures_;
    written_.insert(id);
    page_[id] = cairo_surface_reference(surface);
    return {surface, shownToStored, {}};
}

CPdfPictures::Source CPdfPictures::Get(const PixelBlock& pixels, const CRasterImage* origin,
                                       std::optional<SurfaceColour> key, int keyIndex)
{
    // A JPEG whose pixels are still those of its file: the file's own bytes.
    if (!key && origin != nullptr && origin->JpegData() != nullptr) {
        Source s = GetJpeg(*origin, origin->JpegData());
        if (!s.Empty())
            return s;
    }
    // Otherwise the pixels, decoded now if they were put off.
    const PixelBlock& px = pixels.IsValid() || origin == nullptr ? pixels : origin->Pixels();
    if (!px.IsValid())
        return {};
    const std::int32_t w = px.Width();
    const std::int32_t h = px.Height();
    std::string id = PixelName(px);
    if (!key || keyIndex >= px.PaletteSize())
        keyIndex = -1;
    if (key) {
        char buf[24];
        if (keyIndex >= 0)
            std::snprintf(buf, sizeof buf, "-i%d", keyIndex);
        else
            std::snprintf(buf, sizeof buf, "-k%06x", unsigned(*key & 0xFFFFFFu));
        id += buf;
    }
    if (std::uint64_t(w) * std::uint64_t(h) * 4 > kStripAbove)
        return Strips(id, px, key, keyIndex);
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    if (auto held = page_.find(id); held != page_.end())
        return {cairo_surface_reference(held->second), identity, {}};

    cairo_surface_t* surface = NewSurface(key ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h);
    if (surface == nullptr)
        return {};
    cairo_surface_flush(surface);
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint32_t* out = SurfaceRow(surface, y);
        DecodeRow(px, y, out);
        ClearKeyed(px, y, out, key, keyIndex);
    }
    cairo_surface_mark_dirty(surface);
    if (!written_.count(id))
        ++pixelPictures_;
    return Hold(id, surface, identity);
}

CPdfPictures::Source CPdfPictures::GetSurfacePart(const CRasterSurface& source, int sx, int sy, int cx,
                                                  int cy, int& x0, int& y0)
{
    if (!source.IsValid() || cx <= 0 || cy <= 0)
        return {};
    // Cut the rectangle to the picture (64-bit: the ends may pass the int range).
    const std::int64_t l = std::max<std::int64_t>(sx, 0);
    const std::int64_t t = std::max<std::int64_t>(sy, 0);
    const std::int64_t r = std::min<std::int64_t>(std::int64_t{sx} + cx, source.Width());
    const std::int64_t b = std::min<std::int64_t>(std::int64_t{sy} + cy, source.Height());
    if (l >= r || t >= b)
        return {};
    x0 = int(l);
    y0 = int(t);
    const auto w = std::int32_t(r - l);
    const auto h = std::int32_t(b - t);
    cairo_surface_t* surface = NewSurface(CAIRO_FORMAT_RGB24, w, h);
    if (surface == nullptr)
        return {};
    cairo_surface_flush(surface);
    for (std::int32_t y = 0; y < h; ++y)
        std::memcpy(SurfaceRow(surface, y), source.Row(int(t) + y) + l, std::size_t(w) * 4);
    cairo_surface_mark_dirty(surface);
    // The name is the content, so the same mask drawn twice is one object.
    std::string id;
    {
        std::array<std::uint64_t, 2> acc{0, 0};
        for (std::int32_t y = 0; y < h; ++y) {
            const auto rh = HashBytes(SurfaceRow(surface, y), std::size_t(w) * 4, acc[0] ^ Rotl(acc[1], 17));
            acc = {rh[0] ^ Rotl(acc[0], 5), rh[1] + acc[1] * kP1};
        }
        char dims[40];
        std::snprintf(dims, sizeof dims, "-%dx%d-surface", w, h);
        id = Hex(acc) + dims;
    }
    if (auto held = page_.find(id); held != page_.end()) {
        cairo_surface_destroy(surface);
        return {cairo_surface_reference(held->second), cairo_matrix_t{1, 0, 0, 1, 0, 0}, {}};
    }
    if (!written_.count(id))
        ++pixelPictures_;
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    return Hold(id, surface, identity);
}
