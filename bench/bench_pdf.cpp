// Printing pictures to PDF: a 6000 x 6000 JPEG cover cut to a disc label on a tray page,
// an 8000 x 8000 PNG cover (whose pixels must be embedded: peak memory against the
// decoded picture's size), and a batch of 100 pages, each with its own 2-megapixel JPEG,
// in one document. Reports
// the time, the peak memory of each run (VmHWM, reset before it; getrusage's peak as a
// second opinion) and the PDF's size against the JPEG's. The batch's peak memory must not
// grow with the number of pages: compare peak_mb_after_10 with peak_mb_after_100.
//
//   build-<name>/bench/bench_pdf --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "BenchPictures.h"
#include "images/RasterImage.h"
#include "layout/DiscClip.h"
#include "layout/PdfTarget.h"

namespace {

namespace fs = std::filesystem;
using bench::WriteJpeg;

// The benchmark's files, removed when the program ends.
struct ScratchFolder {
    std::string path;
    ScratchFolder()
    {
        path = (fs::temp_directory_path() / "sleevit-bench-pdf-XXXXXX").string();
        if (mkdtemp(path.data()) == nullptr)
            std::abort();
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

const std::string& Folder()
{
    static const ScratchFolder folder;
    return folder.path;
}

// Peak resident memory since the last reset, in MB.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}
double PeakMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}
double RusagePeakMb()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_maxrss) / 1024.0;
}

void BM_DiscLabel_6000x6000Jpeg(benchmark::State& state)
{
    const std::string jpeg = Folder() + "/label-6000.jpg";
    if (!fs::exists(jpeg) && !WriteJpeg(jpeg, 6000, 6000, 7, 90)) {
        state.SkipWithError("cannot write the JPEG");
        return;
    }
    ResetPeak();
    const std::string pdf = Folder() + "/label.pdf";
    double pictures = 0;
    for (auto _ : state) {
        CRasterImage label;
        if (!label.Load(jpeg, kImageJpeg)) {
            state.SkipWithError("cannot decode the JPEG");
            return;
        }
        // A printer's disc tray page, 127 x 127 mm with 1.5 mm margins, at 600 dpi.
        CPdfTarget target(pdf, PaperSize::Custom(127, 127), 600, PaperMargins{1.5, 1.5, 1.5, 1.5});
        target.StartDocument("label");
        CDrawingSurface* page = target.StartPage();
        // A 117.5 mm label with a 41 mm hole.
        const int d = int(117.5 * 600 / 25.4);
        const int hole = int(41.0 * 600 / 25.4);
        const SurfaceRect disc{60, 60, 60 + d, 60 + d};
        ClipToDisc(*page, disc, CentredHole(disc, hole, hole));
        label.DrawStretched(page, disc.left, disc.top, d, d);
        ResetClipPath(*page);
        target.EndPage();
        target.EndDocument();
        pictures = target.Pictures().JpegPictures();
    }
    const double jpegBytes = double(fs::file_size(jpeg));
    const double pdfBytes = double(fs::file_size(pdf));
    state.counters["jpeg_mb"] = jpegBytes / 1e6;
    state.counters["pdf_mb"] = pdfBytes / 1e6;
    state.counters["pdf_per_jpeg"] = pdfBytes / jpegBytes;
    state.counters["jpeg_objects"] = pictures;
    state.counters["peak_mb"] = PeakMb();
    state.counters["rusage_peak_mb"] = RusagePeakMb();
}
BENCHMARK(BM_DiscLabel_6000x6000Jpeg)->Unit(benchmark::kMillisecond)->Iterations(3);

// The yardstick for the disc label: a bare libjpeg decode of the same file to RGB rows,
// which is what djpeg does. The label job should cost at most a quarter of it.
void BM_DiscLabel_BareDecodeOfTheSameFile(benchmark::State& state)
{
    const std::string jpeg = Folder() + "/label-6000.jpg";
    if (!fs::exists(jpeg) && !WriteJpeg(jpeg, 6000, 6000, 7, 90)) {
        state.SkipWithError("cannot write the JPEG");
        return;
    }
    for (auto _ : state) {
        FILE* in = std::fopen(jpeg.c_str(), "rb");
        if (in == nullptr) {
            state.SkipWithError("cannot open the JPEG");
            return;
        }
        jpeg_decompress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_decompress(&c);
        jpeg_stdio_src(&c, in);
        jpeg_read_header(&c, TRUE);
        c.out_color_space = JCS_RGB;
        jpeg_start_decompress(&c);
        std::vector<unsigned char> row(std::size_t(c.output_width) * 3);
        while (c.output_scanline < c.output_height) {
            JSAMPROW r = row.data();
            jpeg_read_scanlines(&c, &r, 1);
        }
        jpeg_finish_decompress(&c);
        jpeg_destroy_decompress(&c);
        std::fclose(in);
        benchmark::DoNotOptimize(row.data());
    }
}
BENCHMARK(BM_DiscLabel_BareDecodeOfTheSameFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// A PNG of w x h colour pixels: soft gradients and hard-edged squares, written with
// light compression (the decode is what counts, not the file's size).
bool WritePng(const std::string& path, int w, int h)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return false;
    }
    png_init_io(png, out);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(std::size_t(w) * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            row[3 * std::size_t(x)] = png_byte(x * 255 / w);
            row[3 * std::size_t(x) + 1] = png_byte(y * 255 / h);
            row[3 * std::size_t(x) + 2] = png_byte((x / 500 + y / 500) % 2 ? 220 : 40);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}

// The whole job as the command-line tool runs it: load, print a DVD-sized cover at 600
// dpi, finish the PDF. Target: peak at most 1.5 x the decoded picture + 50 MB.
void BM_Cover_8000x8000Png(benchmark::State& state)
{
    const std::string png = Folder() + "/cover-8000.png";
    if (!fs::exists(png) && !WritePng(png, 8000, 8000)) {
        state.SkipWithError("cannot write the PNG");
        return;
    }
    const std::string pdf = Folder() + "/cover.pdf";
    double decodedMb = 0;
    double peak = 0;
    for (auto _ : state) {
        ResetPeak();
        CRasterImage cover;
        if (!cover.Load(png, kImagePng)) {
            state.SkipWithError("cannot decode the PNG");
            return;
        }
        decodedMb = double(cover.Pixels().DataSize()) / (1024.0 * 1024.0);
        CPdfTarget target(pdf, PaperSize::A4(), 600, PaperMargins{3, 3, 3, 3});
        target.StartDocument("cover");
        CDrawingSurface* page = target.StartPage();
        const int side = int(180 * 600 / 25.4);
        cover.DrawStretched(page, 100, 100, side, side);
        target.EndPage();
        target.EndDocument();
        peak = std::max(peak, PeakMb());
    }
    state.counters["decoded_mb"] = decodedMb;
    state.counters["peak_mb"] = peak;
    state.counters["peak_per_decoded"] = peak / decodedMb;
    state.counters["target_mb"] = 1.5 * decodedMb + 50;
}
BENCHMARK(BM_Cover_8000x8000Png)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Batch_100Pages_2MPJpegs(benchmark::State& state)
{
    constexpr int kPages = 100;
    std::vector<std::string> files;
    double jpegBytes = 0;
    for (int k = 0; k < kPages; ++k) {
        files.push_back(Folder() + "/batch-" + std::to_string(k) + ".jpg");
        if (!fs::exists(files.back()) && !WriteJpeg(files.back(), 1632, 1224, unsigned(k + 100), 90)) {
            state.SkipWithError("cannot write the JPEGs");
            return;
        }
        jpegBytes += double(fs::file_size(files.back()));
    }
    ResetPeak();
    const std::string pdf = Folder() + "/batch.pdf";
    double peakAfter10 = 0;
    double peakAfter100 = 0;
    double totalMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        CPdfTarget target(pdf, PaperSize::A4(), 600, PaperMargins{3, 3, 3, 3});
        target.StartDocument("batch");
        for (int k = 0; k < kPages; ++k) {
            CRasterImage cover;
            cover.Load(files[std::size_t(k)], kImageJpeg);
            CDrawingSurface* page = target.StartPage();
            // Front cover 120 x 120 mm, in three bands as a zoomed photo would be.
            const int side = int(120 * 600 / 25.4);
            const int w = cover.GetWidth();
            const int h = cover.GetHeight();
            cover.DrawPart(page, 600, 600, side / 4, side, 0, 0, w / 4, h);
            cover.DrawPart(page, 600 + side / 4, 600, side / 2, side, w / 4, 0, w / 2, h);
            cover.DrawPart(page, 600 + side * 3 / 4, 600, side - side * 3 / 4, side, w * 3 / 4, 0,
                           w - w * 3 / 4, h);
            target.EndPage();
            if (k == 9)
                peakAfter10 = PeakMb();
        }
        target.EndDocument();
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        peakAfter100 = PeakMb();
    }
    state.counters["ms_per_page"] = totalMs / (double(kPages) * double(state.iterations()));
    state.counters["pdf_mb"] = double(fs::file_size(pdf)) / 1e6;
    state.counters["pdf_per_jpeg"] = double(fs::file_size(pdf)) / jpegBytes;
    state.counters["peak_mb_after_10"] = peakAfter10;
    state.counters["peak_mb_after_100"] = peakAfter100;
}
BENCHMARK(BM_Batch_100Pages_2MPJpegs)->Unit(benchmark::kMillisecond)->Iterations(2);

// 100 covers of 24 megapixels each (6000 x 4000), as a batch of camera pictures: one file
// is encoded and 99 copies differ from it by a comment segment, so every page has its own
// picture at the cost of a real one. Target: under 10 ms a page, memory flat.
void BM_Batch_100Pages_24MPJpegs(benchmark::State& state)
{
    constexpr int kPages = 100;
    const std::string first = Folder() + "/batch24-0.jpg";
    if (!fs::exists(first) && !WriteJpeg(first, 6000, 4000, 11, 90)) {
        state.SkipWithError("cannot write the JPEG");
        return;
    }
    std::string bytes;
    {
        std::ifstream in(first, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> files{first};
    for (int k = 1; k < kPages; ++k) {
        files.push_back(Folder() + "/batch24-" + std::to_string(k) + ".jpg");
        if (fs::exists(files.back()))
            continue;
        const std::string note = "cover " + std::to_string(k);
        std::string segment = "\xFF\xFE";
        segment += char((note.size() + 2) >> 8);
        segment += char((note.size() + 2) & 0xFF);
        segment += note;
        std::ofstream(files.back(), std::ios::binary) << bytes.substr(0, 2) << segment << bytes.substr(2);
    }
    ResetPeak();
    const std::string pdf = Folder() + "/batch24.pdf";
    double peakAfter10 = 0;
    double peakAfter100 = 0;
    double totalMs = 0;
    double cpuMs = 0;
    int decoded = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        CPdfTarget target(pdf, PaperSize::A4(), 600, PaperMargins{3, 3, 3, 3});
        target.StartDocument("batch");
        for (int k = 0; k < kPages; ++k) {
            CRasterImage cover;
            cover.Load(files[std::size_t(k)], kImageJpeg);
            CDrawingSurface* page = target.StartPage();
            // A DVD sleeve's front, 183 x 130 mm, in three bands.
            const int w = cover.GetWidth();
            const int h = cover.GetHeight();
            const int cw = int(183 * 600 / 25.4);
            const int ch = int(130 * 600 / 25.4);
            cover.DrawPart(page, 300, 300, cw / 4, ch, 0, 0, w / 4, h);
            cover.DrawPart(page, 300 + cw / 4, 300, cw / 2, ch, w / 4, 0, w / 2, h);
            cover.DrawPart(page, 300 + cw * 3 / 4, 300, cw - cw * 3 / 4, ch, w * 3 / 4, 0, w - w * 3 / 4, h);
            target.EndPage();
            decoded += cover.IsDecoded() ? 1 : 0;
            if (k == 9)
                peakAfter10 = PeakMb();
        }
        target.EndDocument();
        cpuMs += 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC;
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        peakAfter100 = PeakMb();
    }
    const double pages = double(kPages) * double(state.iterations());
    state.counters["ms_per_page"] = totalMs / pages;
    state.counters["cpu_ms_per_page"] = cpuMs / pages;
    state.counters["decoded_pages"] = decoded;
    state.counters["pdf_mb"] = double(fs::file_size(pdf)) / 1e6;
    state.counters["peak_mb_after_10"] = peakAfter10;
    state.counters["peak_mb_after_100"] = peakAfter100;
}
BENCHMARK(BM_Batch_100Pages_24MPJpegs)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
