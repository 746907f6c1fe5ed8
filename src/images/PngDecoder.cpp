#include "images/PngDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <png.h>

namespace {

// Ancillary chunks the decoder never needs. Dropping them unread keeps compressed text
// and colour profiles from costing memory or time.
const png_byte kIgnoredChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0sCAL\0sBIT\0sPLT\0sRGB\0tEXt\0"
    "tIME\0zTXt";
constexpr int kIgnoredChunkCount = 16;
constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;

// How rows leave libpng and reach the block.
enum class Mode {
    Direct,      // libpng's rows are the block's rows
    Pack2To4,    // 2-bit palette indices widened to the block's 4 bits
    Composite8,  // 8-bit blue, green, red, alpha laid onto white
    Composite16, // the same with 16-bit samples
};

struct Context {
    png_structp png = nullptr;
    png_infop info = nullptr;
    CByteStream* in = nullptr;
    DecodedImage* out = nullptr;
    char message[96] = {};
    bool tooLarge = false;
    bool rowsDone = false;
    const char* failure = nullptr;
    std::string createError;
    std::vector<png_byte> rows;
};

void ErrorFn(png_structp png, png_const_charp msg)
{
    auto* ctx = static_cast<Context*>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", msg != nullptr ? msg : "PNG decoding failed");
    png_longjmp(png, 1);
}

void WarningFn(png_structp png, png_const_charp msg)
{
    // Warnings are not shown; one of them tells that a side passed the limits.
    auto* ctx = static_cast<Context*>(png_get_error_ptr(png));
    if (msg != nullptr && std::strstr(msg, "exceeds user limit") != nullptr)
        ctx->tooLarge = true;
}

void ReadFn(png_structp png, png_bytep data, png_size_t length)
{
    auto* ctx = static_cast<Context*>(png_get_io_ptr(png));
    if (ctx->in->Read(data, length) != length)
        png_error(png, "Premature end of PNG file");
}

int DpiFromPhys(png_uint_32 perMetre)
{
    const double dpi = std::floor(perMetre * 0.0254 + 0.5);
    return dpi < 1 ? 96 : static_cast<int>(dpi);
}

void Pack2To4(const png_byte* src, std::uint8_t* dst, std::size_t width)
{
    for (std::size_t x = 0; x < width; ++x) {
        const unsigned v = (src[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
        dst[x >> 1] = static_cast<std::uint8_t>(dst[x >> 1] | (x & 1 ? v : v << 4));
    }
}

// White paper behind the picture: colour * alpha + white * (1 - alpha), rounded.
void Composite8(const png_byte* src, std::uint8_t* dst, std::size_t width)
{
    for (std::size_t x = 0; x < width; ++x, src += 4, dst += 3) {
        const unsigned a = src[3];
        for (int i = 0; i < 3; ++i)
            dst[i] = static_cast<std::uint8_t>((src[i] * a + 255 * (255 - a) + 127) / 255);
    }
}

void Composite16(const png_byte* src, std::uint8_t* dst, std::size_t width)
{
    for (std::size_t x = 0; x < width; ++x, src += 8, dst += 3) {
        const std::uint64_t a = (unsigned{src[6]} << 8) | src[7];
        for (int i = 0; i < 3; ++i) {
            const std::uint64_t c = (unsigned{src[2 * i]} << 8) | src[2 * i + 1];
            const std::uint64_t v = (c * a + 65535 * (65535 - a) + 32767) / 65535;
            dst[i] = static_cast<std::uint8_t>((v + 128) / 257);
        }
    }
}

void Convert(Mode mode, const png_byte* src, std::uint8_t* dst, std::size_t width)
{
    switch (mode) {
    case Mode::Pack2To4:
        Pack2To4(src, dst, width);
        break;
    case Mode::Composite8:
        Composite8(src, dst, width);
        break;
    case Mode::Composite16:
        Composite16(src, dst, width);
        break;
    case Mode::Direct:
        break;
    }
}

// The decode proper; a libpng error longjmps back to the setjmp here. Everything that
// changes after it lives in the context.
bool RunDecode(Context& ctx)
{
    png_structp png = ctx.png;
    png_infop info = ctx.info;
    if (setjmp(png_jmpbuf(png)) != 0)
        return ctx.rowsDone; // a fault after the last row (a missing end) loses nothing

    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, ImageLimits::kMaxSide, ImageLimits::kMaxSide);
    png_set_chunk_cache_max(png, 128);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // A damaged ancillary chunk is dropped; a damaged critical chunk fails the file.
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_WARN_DISCARD);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
    png_set_read_fn(png, &ctx, ReadFn);

    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);

    png_colorp palette = nullptr;
    int paletteCount = 0;
    if (colour == PNG_COLOR_TYPE_PALETTE && !png_get_PLTE(png, info, &palette, &paletteCount)) {
        ctx.failure = "PNG palette missing";
        return false;
    }
    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_color_16p transColour = nullptr;
    const bool hasTrns = png_get_tRNS(png, info, &transAlpha, &transCount, &transColour) != 0;

    Mode mode = Mode::Direct;
    int bpp = 24;
    int transIndex = -1;
    switch (colour) {
    case PNG_COLOR_TYPE_PALETTE: {
        int clear = 0, partial = 0, clearIndex = -1;
        const int n = hasTrns && transAlpha != nullptr ? std::min(transCount, paletteCount) : 0;
        for (int i = 0; i < n; ++i) {
            if (transAlpha[i] == 0) {
                ++clear;
                clearIndex = i;
            } else if (transAlpha[i] != 255) {
                ++partial;
            }
        }
        if (partial == 0 && clear <= 1) {
            bpp = PixelBlock::RoundBpp(depth);
            mode = depth == 2 ? Mode::Pack2To4 : Mode::Direct;
            transIndex = clearIndex;
        } else {
            png_set_expand(png);
            png_set_bgr(png);
            mode = Mode::Composite8;
        }
        break;
    }
    case PNG_COLOR_TYPE_GRAY:
        if (!hasTrns) {
            png_set_expand_gray_1_2_4_to_8(png);
            png_set_scale_16(png);
            bpp = 8;
            break;
        }
        png_set_expand(png);
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
        mode = depth == 16 ? Mode::Composite16 : Mode::Composite8;
        break;
    case PNG_COLOR_TYPE_RGB:
        png_set_bgr(png);
        if (!hasTrns) {
            png_set_scale_16(png);
            break;
        }
        png_set_expand(png);
        mode = depth == 16 ? Mode::Composite16 : Mode::Composite8;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
        mode = depth == 16 ? Mode::Composite16 : Mode::Composite8;
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        png_set_bgr(png);
        mode = depth == 16 ? Mode::Composite16 : Mode::Composite8;
        break;
    default:
        ctx.failure = "Unsupported PNG colour type";
        return false;
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    // What libpng will hand over must be what the chosen mode expects.
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const int channels = png_get_channels(png, info);
    const int outDepth = png_get_bit_depth(png, info);
    const bool composite = mode == Mode::Composite8 || mode == Mode::Composite16;
    if ((composite && (channels != 4 || outDepth != (mode == Mode::Composite16 ? 16 : 8))) ||
        (mode == Mode::Pack2To4 && outDepth != 2)) {
        ctx.failure = "Unsupported PNG format";
        return false;
    }

    // libpng has checked both sides against 32768 already; Create checks the block
    // against 1 GiB before anything the size of the picture is allocated.
    PixelBlock& block = ctx.out->pixels;
    if (!block.Create(width, height, bpp, ctx.createError)) {
        ctx.failure = ctx.createError.c_str();
        return false;
    }
    if (mode == Mode::Direct && rowBytes > block.Stride()) {
        ctx.failure = "Unsupported PNG format";
        return false;
    }
    if (colour == PNG_COLOR_TYPE_PALETTE && bpp != 24) {
        RgbQuad* pal = block.Palette();
        const int n = std::min(paletteCount, block.PaletteSize());
        for (int i = 0; i < n; ++i) {
            pal[i].red = palette[i].red;
            pal[i].green = palette[i].green;
            pal[i].blue = palette[i].blue;
        }
        if (transIndex >= 0) {
            ctx.out->transIndex = transIndex;
            ctx.out->transColour = transIndex < n ? (std::uint32_t{palette[transIndex].blue} << 16) |
                                                        (std::uint32_t{palette[transIndex].green} << 8) |
                                                        palette[transIndex].red
                                                  : 0;
        }
    } else if (bpp == 8) {
        RgbQuad* pal = block.Palette();
        for (int i = 0; i < 256; ++i)
            pal[i].red = pal[i].green = pal[i].blue = static_cast<std::uint8_t>(i);
    }
    png_uint_32 xRes = 0, yRes = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &xRes, &yRes, &unit) && unit == PNG_RESOLUTION_METER) {
        ctx.out->xDpi = DpiFromPhys(xRes);
        ctx.out->yDpi = DpiFromPhys(yRes);
    }

    const std::size_t h = height;
    if (mode == Mode::Direct) {
        // Interlaced passes land in the block itself: libpng fills in each pass's
        // pixels and leaves the others of the row as they were.
        for (int pass = 0; pass < passes; ++pass)
            for (std::size_t y = 0; y < h; ++y)
                png_read_row(png, block.TopRow(static_cast<std::int32_t>(y)), nullptr);
    } else if (passes == 1) {
        ctx.rows.assign(rowBytes, 0);
        for (std::size_t y = 0; y < h; ++y) {
            png_read_row(png, ctx.rows.data(), nullptr);
            Convert(mode, ctx.rows.data(), block.TopRow(static_cast<std::int32_t>(y)), width);
        }
    } else {
        // Interlaced rows that need converting are gathered whole first. rowBytes is at
        // most 8 * 32768 and h at most 32768, so the product fits 64 bits; it is held
        // to the block limit.
        if (std::uint64_t{rowBytes} * h > ImageLimits::kMaxBlockBytes) {
            ctx.failure = "Image too large";
            return false;
        }
        ctx.rows.assign(rowBytes * h, 0);
        for (int pass = 0; pass < passes; ++pass)
            for (std::size_t y = 0; y < h; ++y)
                png_read_row(png, ctx.rows.data() + y * rowBytes, nullptr);
        for (std::size_t y = 0; y < h; ++y)
            Convert(mode, ctx.rows.data() + y * rowBytes, block.TopRow(static_cast<std::int32_t>(y)), width);
    }
    ctx.rowsDone = true;
    png_read_end(png, nullptr);
    return true;
}

} // namespace

bool CPngDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    png_byte signature[8];
    if (!in.ReadExact(signature, sizeof signature) || png_sig_cmp(signature, 0, sizeof signature) != 0) {
        error = "Not a PNG file";
        return false;
    }
    Context ctx;
    ctx.in = &in;
    ctx.out = &out;
    ctx.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, ErrorFn, WarningFn);
    if (ctx.png != nullptr)
        ctx.info = png_create_info_struct(ctx.png);
    if (ctx.png == nullptr || ctx.info == nullptr) {
        png_destroy_read_struct(&ctx.png, &ctx.info, nullptr);
        error = "CRasterImage::Create can't allocate memory";
        return false;
    }
    const bool ok = RunDecode(ctx);
    png_destroy_read_struct(&ctx.png, &ctx.info, nullptr);
    if (!ok) {
        if (ctx.failure != nullptr)
            error = ctx.failure;
        else if (ctx.tooLarge)
            error = "Image too large";
        else
            error = ctx.message[0] != '\0' ? ctx.message : "PNG decoding failed";
        out.pixels.Reset();
        return false;
    }
    return true;
}
