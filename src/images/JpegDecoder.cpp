#include "images/JpegDecoder.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
// jerror.h after jpeglib.h: it needs its types.
#include <jerror.h>

namespace {

// How much of a file is read per refill, and how many rows are decoded at once when
// they cannot go straight into the pixel block.
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr int kStripRows = 16;
// A progressive file with more scans than this is hostile: each scan walks the whole
// coefficient buffer, so thousands of tiny scans would take minutes.
constexpr int kMaxScans = 500;
// Progressive and multi-scan files keep every coefficient in memory; beyond this much
// libjpeg gives up instead of allocating without bound.
constexpr long kMaxLibjpegMemory = 512L * 1024 * 1024;

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

struct Source {
    jpeg_source_mgr pub;
    CByteStream* stream;
    bool inMemory;  // the whole rest of a memory stream is the buffer
    bool hitEnd;    // the data ran out and an end marker was made up
    JOCTET* buffer; // kChunkBytes for a file
};

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool dataShort; // the picture data ran out: what follows was made up by libjpeg
    bool damaged;   // data that made no sense was skipped
    // The file ended before its end marker. A cut progressive or arithmetic-coded scan
    // gives no other sign: libjpeg shows the scans it has, blurred or grey.
    bool ended;
};

// Everything the decode touches after setjmp lives here, in the caller's frame, so a
// longjmp neither skips a destructor nor leaves a stale register copy behind.
struct Context {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    Source src;
    jpeg_progress_mgr progress;
    std::vector<JOCTET> chunk;
    std::vector<std::uint8_t> strip;
    std::string createError;
    DecodedImage* out;
    const char* failure;                    // a fixed text of ours, or nullptr to use err.message
    int denom = 1;                          // decode at 1 / denom of the size
    CJpegDecoder::Header* header = nullptr; // set: read the header only
};

void ErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    // Coefficient buffers beyond the memory cap end in a request for backing store,
    // which for the user means the picture is too large.
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE)
        std::snprintf(err->message, sizeof err->message, "Image too large");
    else
        (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level)
{
    // Warnings (corrupt data, a premature end) are counted, never printed: the picture
    // decoded so far is still shown, with a notice of what was wrong.
    if (level < 0) {
        cinfo->err->num_warnings++;
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        const int code = cinfo->err->msg_code;
        if (code == JWRN_HIT_MARKER)
            err->dataShort = true;
        else if (code == JWRN_MUST_RESYNC || code == JWRN_NOT_SEQUENTIAL || code == JWRN_HUFF_BAD_CODE)
            err->damaged = true;
        else if (code == JWRN_JPEG_EOF)
            err->ended = true;
    }
}

void OutputMessage(j_common_ptr) {}

void Progress(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "Too many scans in JPEG file");
        std::longjmp(err->jump, 1);
    }
}

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    std::size_t got = 0;
    if (!src->inMemory && !src->hitEnd)
        got = src->stream->Read(src->buffer, kChunkBytes);
    if (got == 0) {
        // Out of data: end the picture here, so that what was decoded stays and the
        // rest is filled by libjpeg. A warning records the premature end.
        if (!src->hitEnd)
            WARNMS(cinfo, JWRN_JPEG_EOF);
        src->hitEnd = true;
        src->pub.next_input_byte = kFakeEoi;
        src->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    if (count <= 0)
        return;
    const auto n = static_cast<std::size_t>(count);
    if (n <= src->pub.bytes_in_buffer) {
        src->pub.next_input_byte += n;
        src->pub.bytes_in_buffer -= n;
        return;
    }
    // Past the buffer: a file seeks forward (never past its end), memory is used up.
    const std::uint64_t beyond = n - src->pub.bytes_in_buffer;
    src->pub.bytes_in_buffer = 0;
    if (!src->inMemory) {
        // Remaining() bounds the target, so the sum cannot pass Size().
        const std::uint64_t step = std::min<std::uint64_t>(beyond, src->stream->Remaining());
        src->stream->Seek(src->stream->Tell() + step);
    }
}

void TermSource(j_decompress_ptr) {}

// Turns a row of CMYK samples into BGR in place (3 bytes written for every 4 read,
// so the writes never overtake the reads). Files with an Adobe marker store the inks
// inverted, as Photoshop writes them; plain CMYK stores ink amounts.
void CmykToBgr(std::uint8_t* row, std::size_t width, bool inverted)
{
    const std::uint8_t* s = row;
    std::uint8_t* d = row;
    for (std::size_t x = 0; x < width; ++x, s += 4, d += 3) {
        unsigned c = s[0], m = s[1], y = s[2], k = s[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const unsigned r = (c * k + 127) / 255;
        const unsigned g = (m * k + 127) / 255;
        const unsigned b = (y * k + 127) / 255;
        d[0] = static_cast<std::uint8_t>(b);
        d[1] = static_cast<std::uint8_t>(g);
        d[2] = static_cast<std::uint8_t>(r);
    }
}

void MirrorRow(std::uint8_t* row, std::size_t width, std::size_t bytes)
{
    if (width < 2)
        return;
    std::uint8_t* a = row;
    std::uint8_t* b = row + (width - 1) * bytes;
    while (a < b) {
        for (std::size_t i = 0; i < bytes; ++i)
            std::swap(a[i], b[i]);
        a += bytes;
        b -= bytes;
    }
}

// Where the stored pixel (sx, sy), counted from the top left, is shown for an EXIF
// orientation, in a picture of the shown size.
struct Placement {
    int orientation;
    std::size_t w, h; // stored size
    void Map(std::size_t sx, std::size_t sy, std::size_t& dx, std::size_t& dy) const
    {
        switch (orientation) {
        case 2:
            dx = w - 1 - sx;
            dy = sy;
            break;
        case 3:
            dx = w - 1 - sx;
            dy = h - 1 - sy;
            break;
        case 4:
            dx = sx;
            dy = h - 1 - sy;
            break;
        case 5:
            dx = sy;
            dy = sx;
            break;
        case 6:
            dx = h - 1 - sy;
            dy = sx;
            break;
        case 7:
            dx = h - 1 - sy;
            dy = w - 1 - sx;
            break;
        case 8:
            dx = sy;
            dy = w - 1 - sx;
            break;
        default:
            dx = sx;
            dy = sy;
            break;
        }
    }
};

// Copies decoded rows (top-down, `bytes` per pixel, already in block order) to their
// places in the block. Quarter turns walk the stored columns in the outer loop, so each
// block row receives a run of neighbouring pixels from the strip.
void PlaceStrip(PixelBlock& block, const Placement& place, const std::uint8_t* strip, std::size_t stripStride,
                std::size_t rows, std::size_t firstRow, std::size_t bytes)
{
    const std::size_t w = place.w;
    if (place.orientation <= 4) {
        for (std::size_t r = 0; r < rows; ++r) {
            std::size_t dx = 0, dy = 0;
            place.Map(0, firstRow + r, dx, dy);
            std::uint8_t* dst = block.TopRow(static_cast<std::int32_t>(dy));
            std::memcpy(dst, strip + r * stripStride, w * bytes);
            if (place.orientation == 2 || place.orientation == 3)
                MirrorRow(dst, w, bytes);
        }
        return;
    }
    for (std::size_t sx = 0; sx < w; ++sx) {
        std::size_t dx0 = 0, dy = 0;
        place.Map(sx, firstRow, dx0, dy);
        std::uint8_t* dst = block.TopRow(static_cast<std::int32_t>(dy));
        // Along a strip column the target column moves by one per row: forwards for 5
        // and 8, backwards for 6 and 7.
        const bool forwards = place.orientation == 5 || place.orientation == 8;
        for (std::size_t r = 0; r < rows; ++r) {
            const std::size_t dx = forwards ? dx0 + r : dx0 - r;
            std::memcpy(dst + dx * bytes, strip + r * stripStride + sx * bytes, bytes);
        }
    }
}

std::uint32_t Read16(const std::uint8_t* p, bool little)
{
    return little ? (p[0] | (p[1] << 8)) : ((p[0] << 8) | p[1]);
}

std::uint32_t Read32(const std::uint8_t* p, bool little)
{
    return little ? (std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
                     (std::uint32_t{p[3]} << 24))
                  : ((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
                     std::uint32_t{p[3]});
}

int DpiFromDensity(unsigned unit, unsigned density)
{
    double dpi = 0;
    if (unit == 1)
        dpi = density;
    else if (unit == 2)
        dpi = std::floor(density * 2.54 + 0.5);
    return dpi < 1 ? 96 : static_cast<int>(dpi);
}

// The header's part of a decode: what it says, the limits a decode would check, and no
// pixels. Plain (PDF-ready) means Huffman-coded 8-bit samples, grey or three components.
bool ReadHeaderOnly(Context& ctx, int orientation, int bpp)
{
    jpeg_decompress_struct& cinfo = ctx.cinfo;
    const std::int64_t w = cinfo.image_width;
    const std::int64_t h = cinfo.image_height;
    const bool turned = orientation >= 5;
    const std::int64_t bw = turned ? h : w;
    const std::int64_t bh = turned ? w : h;
    if (bw < 1 || bh < 1 || bw > ImageLimits::kMaxSide || bh > ImageLimits::kMaxSide ||
        PixelBlock::StrideFor(bw, bpp) * std::uint64_t(bh) > ImageLimits::kMaxBlockBytes) {
        ctx.failure = "Image too large";
        return false;
    }
    CJpegDecoder::Header& header = *ctx.header;
    header.width = static_cast<std::int32_t>(w);
    header.height = static_cast<std::int32_t>(h);
    header.components = cinfo.num_components;
    header.plain = !cinfo.arith_code && cinfo.data_precision == 8 &&
                   ((cinfo.num_components == 1 && cinfo.jpeg_color_space == JCS_GRAYSCALE) ||
                    (cinfo.num_components == 3 && cinfo.jpeg_color_space == JCS_YCbCr));
    ctx.out->exifOrientation = orientation;
    if (cinfo.saw_JFIF_marker) {
        ctx.out->xDpi = DpiFromDensity(cinfo.density_unit, cinfo.X_density);
        ctx.out->yDpi = DpiFromDensity(cinfo.density_unit, cinfo.Y_density);
    }
    return true;
}

// The decode proper. Only plain data lives in this frame: a libjpeg error longjmps
// back to the setjmp here.
bool RunDecode(Context& ctx)
{
    jpeg_decompress_struct& cinfo = ctx.cinfo;
    if (setjmp(ctx.err.jump) != 0)
        return false;

    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibjpegMemory;
    cinfo.src = &ctx.src.pub;
    cinfo.progress = &ctx.progress;
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);

    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        ctx.failure = "Not a JPEG file";
        return false;
    }
    // A file cut right after its scan header holds no picture at all.
    const bool noData = ctx.src.hitEnd || (ctx.src.pub.bytes_in_buffer == 0 &&
                                           (ctx.src.inMemory || ctx.src.stream->Remaining() == 0));
    if (noData) {
        ctx.failure = "Premature end of JPEG file";
        return false;
    }

    int orientation = 1;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            orientation = CJpegDecoder::ExifOrientation(m->data, m->data_length);
            break;
        }
    }

    bool cmyk = false;
    bool adobeInverted = false;
    int bpp = 24;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        bpp = 8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        adobeInverted = cinfo.saw_Adobe_marker != 0;
        break;
    default:
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
    }

    if (ctx.header != nullptr)
        return ReadHeaderOnly(ctx, orientation, bpp);
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(ctx.denom);
    jpeg_calc_output_dimensions(&cinfo);

    // Checked against the limits before libjpeg allocates anything for the picture:
    // Create refuses a side above 32768 or a block above 1 GiB.
    const std::size_t w = cinfo.output_width;
    const std::size_t h = cinfo.output_height;
    const bool turned = orientation >= 5;
    PixelBlock& block = ctx.out->pixels;
    if (!block.Create(static_cast<std::int64_t>(turned ? h : w), static_cast<std::int64_t>(turned ? w : h),
                      bpp, ctx.createError)) {
        ctx.failure = ctx.createError.c_str();
        return false;
    }
    if (bpp == 8) {
        RgbQuad* pal = block.Palette();
        for (int i = 0; i < 256; ++i)
            pal[i].red = pal[i].green = pal[i].blue = static_cast<std::uint8_t>(i);
    }
    ctx.out->exifOrientation = orientation;
    if (cinfo.saw_JFIF_marker) {
        ctx.out->xDpi = DpiFromDensity(cinfo.density_unit, cinfo.X_density);
        ctx.out->yDpi = DpiFromDensity(cinfo.density_unit, cinfo.Y_density);
    }

    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != w || cinfo.output_height != h) {
        ctx.failure = "Unsupported JPEG scaling";
        return false;
    }
    const std::size_t outBytes = static_cast<std::size_t>(cinfo.output_components);
    const std::size_t blockBytes = bpp == 8 ? 1 : 3;
    const Placement place{orientation, w, h};

    // Rows go straight into the block when they need no conversion and no quarter turn.
    const bool direct = !cmyk && orientation <= 4;
    std::size_t stripStride = 0;
    if (!direct) {
        // w <= 32768 and outBytes <= 4, so the strip stays below 2.2 MB.
        stripStride = w * outBytes;
        ctx.strip.resize(stripStride * kStripRows);
    }

    // A single-scan file is decoded as it is read, so the strip in which its data ran
    // out tells how many rows are real; a multi-scan file was read whole by now.
    const bool shortBeforeRows = ctx.err.dataShort;
    std::size_t realRows = h;
    JSAMPROW rows[kStripRows];
    while (cinfo.output_scanline < cinfo.output_height) {
        const std::size_t first = cinfo.output_scanline;
        const std::size_t count = std::min<std::size_t>(kStripRows, h - first);
        for (std::size_t r = 0; r < count; ++r) {
            if (direct) {
                std::size_t dx = 0, dy = 0;
                place.Map(0, first + r, dx, dy);
                rows[r] = block.TopRow(static_cast<std::int32_t>(dy));
            } else {
                rows[r] = ctx.strip.data() + r * stripStride;
            }
        }
        std::size_t done = 0;
        while (done < count) {
            const JDIMENSION got =
                jpeg_read_scanlines(&cinfo, rows + done, static_cast<JDIMENSION>(count - done));
            if (got == 0)
                break; // cannot happen with a data source that never suspends
            done += got;
        }
        if (done == 0)
            break;
        if (direct) {
            if (orientation == 2 || orientation == 3)
                for (std::size_t r = 0; r < done; ++r)
                    MirrorRow(rows[r], w, blockBytes);
        } else {
            if (cmyk)
                for (std::size_t r = 0; r < done; ++r)
                    CmykToBgr(rows[r], w, adobeInverted);
            PlaceStrip(block, place, ctx.strip.data(), stripStride, done, first, blockBytes);
        }
        if (ctx.err.dataShort && !shortBeforeRows && realRows == h) {
            realRows = first;
            // The rows libjpeg would make up are grey; beyond a modest amount they are
            // not worth their memory, and the picture keeps only the rows really read.
            if ((h - realRows) * block.Stride() > ImageLimits::kMaxUnfilledBytes)
                break;
        }
    }
    if (cinfo.output_scanline < cinfo.output_height) {
        // Cut at the last strip the data reached, which lies at the top of the block
        // while the picture keeps its stored row order (orientations 1 and 2).
        if (realRows == 0 || orientation > 2) {
            ctx.failure = "Premature end of JPEG file";
            return false;
        }
        jpeg_abort_decompress(&cinfo);
        PixelBlock cut;
        if (!cut.Create(static_cast<std::int64_t>(w), static_cast<std::int64_t>(realRows), bpp,
                        ctx.createError)) {
            ctx.failure = ctx.createError.c_str();
            return false;
        }
        if (bpp == 8)
            std::memcpy(cut.Palette(), block.Palette(), 256 * sizeof(RgbQuad));
        for (std::int32_t y = 0; y < cut.Height(); ++y)
            std::memcpy(cut.TopRow(y), block.TopRow(y), cut.Stride());
        block = std::move(cut);
        ctx.out->partial = "The JPEG data ends after " + std::to_string(realRows) + " of " +
                           std::to_string(h) + " rows; the picture is cut there";
        return true;
    }
    jpeg_finish_decompress(&cinfo);
    if (ctx.err.dataShort)
        ctx.out->partial = "The JPEG data ends early; the rest of the picture is missing";
    else if (ctx.err.ended) // also a whole picture whose file lacks only the end marker
        ctx.out->partial = "The JPEG file ends before its end marker; part of the picture may be missing";
    else if (ctx.err.damaged)
        ctx.out->partial = "The JPEG data is damaged in places";
    return true;
}

bool Run(Context& ctx, CByteStream& in, DecodedImage& out, std::string& error);

} // namespace

int CJpegDecoder::ExifOrientation(const std::uint8_t* data, std::size_t size)
{
    // "Exif\0\0", then a TIFF header: byte order, 42, offset of the first directory.
    if (data == nullptr || size < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    const std::uint8_t* tiff = data + 6;
    const std::size_t tiffSize = size - 6;
    bool little = false;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (!(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    if (Read16(tiff + 2, little) != 42)
        return 1;
    const std::uint32_t ifd = Read32(tiff + 4, little);
    // The count needs 2 bytes at ifd; ifd < tiffSize keeps ifd + 2 from overflowing.
    if (ifd >= tiffSize || tiffSize - ifd < 2)
        return 1;
    const std::uint32_t entries = Read16(tiff + ifd, little);
    // Only the entries really present are read: each is 12 bytes after the count.
    const std::size_t room = (tiffSize - ifd - 2) / 12;
    const std::size_t n = std::min<std::size_t>(entries, room);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* e = tiff + ifd + 2 + i * 12;
        if (Read16(e, little) != 0x0112)
            continue;
        const std::uint32_t type = Read16(e + 2, little);
        const std::uint32_t count = Read32(e + 4, little);
        if (type != 3 || count < 1)
            return 1;
        const std::uint32_t value = Read16(e + 8, little);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

bool CJpegDecoder::Decode(CByteStream& in, DecodedImage& out, std::string& error)
{
    return DecodeScaled(in, 1, out, error);
}

bool CJpegDecoder::ReadHeader(CByteStream& in, DecodedImage& out, Header& header, std::string& error)
{
    const std::uint64_t start = in.Tell();
    Context ctx{};
    ctx.header = &header;
    if (!Run(ctx, in, out, error))
        return false;
    header.scanOffset = in.Tell() - start;
    return true;
}

bool CJpegDecoder::DecodeScaled(CByteStream& in, int denom, DecodedImage& out, std::string& error)
{
    Context ctx{};
    ctx.denom = denom == 2 || denom == 4 || denom == 8 ? denom : 1;
    return Run(ctx, in, out, error);
}

namespace {

bool Run(Context& ctx, CByteStream& in, DecodedImage& out, std::string& error)
{
    ctx.out = &out;
    ctx.failure = nullptr;
    ctx.cinfo.err = jpeg_std_error(&ctx.err.pub);
    ctx.err.pub.error_exit = ErrorExit;
    ctx.err.pub.emit_message = EmitMessage;
    ctx.err.pub.output_message = OutputMessage;
    ctx.err.message[0] = '\0';
    ctx.err.dataShort = false;
    ctx.err.ended = false;
    ctx.err.damaged = false;
    ctx.progress.progress_monitor = Progress;

    Source& src = ctx.src;
    src.stream = &in;
    src.pub.init_source = InitSource;
    src.pub.fill_input_buffer = FillInputBuffer;
    src.pub.skip_input_data = SkipInputData;
    src.pub.resync_to_restart = jpeg_resync_to_restart;
    src.pub.term_source = TermSource;
    if (auto* mem = dynamic_cast<CMemoryStream*>(&in)) {
        // Memory is read where it lies: the whole rest is one buffer.
        src.inMemory = true;
        src.pub.next_input_byte = mem->Current();
        src.pub.bytes_in_buffer = static_cast<std::size_t>(mem->Remaining());
    } else {
        ctx.chunk.resize(kChunkBytes);
        src.buffer = ctx.chunk.data();
        src.pub.next_input_byte = nullptr;
        src.pub.bytes_in_buffer = 0;
    }

    const bool ok = RunDecode(ctx);
    if (src.inMemory) {
        // Leave a memory stream just after the bytes libjpeg consumed.
        auto* mem = static_cast<CMemoryStream*>(&in);
        mem->Seek(mem->Size() - src.pub.bytes_in_buffer);
        if (src.hitEnd)
            mem->Seek(mem->Size());
    }
    jpeg_destroy_decompress(&ctx.cinfo);
    if (!ok) {
        if (ctx.failure != nullptr)
            error = ctx.failure;
        else if (ctx.err.message[0] != '\0')
            error = ctx.err.message;
        else
            error = "JPEG decoding failed";
        out.pixels.Reset();
        return false;
    }
    return true;
}

} // namespace
