// The JPEG and PNG decoders against bare libjpeg and libpng decoding the same files into
// a malloc'd buffer: a 6000 x 4000 baseline JPEG (quality 90) and a 4000 x 3000 RGB PNG,
// both made at start-up in the temporary folder.
//
// Two extra modes measure peak memory of one decode in a fresh process:
//   bench_jpegpng --make-jpeg=PATH      writes the 24-megapixel JPEG and exits
//   bench_jpegpng --peak-memory=PATH    decodes it once and prints the peak resident
//                                       size against the pixel block's size
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "images/ByteStream.h"
#include "images/JpegDecoder.h"
#include "images/PngDecoder.h"

namespace {

// A picture with structure: smooth gradients, rings and a little noise, so that the
// encoders meet something like a photograph rather than a flat field.
void PatternRow(int y, int width, int height, std::uint8_t* rgb)
{
    std::uint32_t seed = static_cast<std::uint32_t>(y) * 2654435761u + 1;
    const double cy = y - height / 2.0;
    for (int x = 0; x < width; ++x) {
        seed = seed * 1103515245u + 12345u;
        const int noise = static_cast<int>((seed >> 16) & 15) - 8;
        const double cx = x - width / 2.0;
        const double ring = 127.5 + 127.5 * std::sin(std::sqrt(cx * cx + cy * cy) / 40.0);
        const int r = (x * 255 / width) + noise;
        const int g = static_cast<int>(ring) + noise;
        const int b = (y * 255 / height + (x / 64 % 2) * 40) + noise;
        rgb[x * 3] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
        rgb[x * 3 + 1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
        rgb[x * 3 + 2] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
    }
}

void WriteJpeg(const std::string& path, int width, int height)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(std::size_t(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        PatternRow(static_cast<int>(cinfo.next_scanline), width, height, row.data());
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

void WritePng(const std::string& path, int width, int height)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::uint8_t> row(std::size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        PatternRow(y, width, height, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

const std::string& JpegFile()
{
    static const std::string path = [] {
        const std::string p = TempPath("sleevit_bench_24mp.jpg");
        WriteJpeg(p, 6000, 4000);
        return p;
    }();
    return path;
}

const std::string& PngFile()
{
    static const std::string path = [] {
        const std::string p = TempPath("sleevit_bench_12mp.png");
        WritePng(p, 4000, 3000);
        return p;
    }();
    return path;
}

void DecodeWith(benchmark::State& state, DecodeFunction decode, const std::string& path)
{
    for (auto _ : state) {
        CFileStream in;
        if (!in.Open(path))
            state.SkipWithError("cannot open the test file");
        DecodedImage image;
        std::string error;
        if (!decode(in, image, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(image.pixels.Bits());
    }
}

void BM_JpegOurs(benchmark::State& state)
{
    DecodeWith(state, &CJpegDecoder::Decode, JpegFile());
}

void BM_JpegBareLibjpeg(benchmark::State& state)
{
    const std::string& path = JpegFile();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = std::size_t(cinfo.output_width) * cinfo.output_components;
        auto* pixels = static_cast<std::uint8_t*>(std::malloc(stride * cinfo.output_height));
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
    }
}

void BM_PngOurs(benchmark::State& state)
{
    DecodeWith(state, &CPngDecoder::Decode, PngFile());
}

void BM_PngBareLibpng(benchmark::State& state)
{
    const std::string& path = PngFile();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, f);
        png_read_info(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        const std::size_t stride = png_get_rowbytes(png, info);
        auto* pixels = static_cast<std::uint8_t*>(std::malloc(stride * height));
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, pixels + stride * y, nullptr);
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
    }
}

BENCHMARK(BM_JpegOurs)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_JpegBareLibjpeg)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PngOurs)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PngBareLibpng)->Unit(benchmark::kMillisecond)->MinTime(3.0);

long MaxRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int PeakMemory(const std::string& path)
{
    const long before = MaxRssKiB();
    CFileStream in;
    if (!in.Open(path)) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    DecodedImage image;
    std::string error;
    if (!CJpegDecoder::Decode(in, image, error)) {
        std::fprintf(stderr, "decode failed: %s\n", error.c_str());
        return 1;
    }
    const long after = MaxRssKiB();
    const double block = static_cast<double>(image.pixels.DataSize()) / 1024.0;
    std::printf("picture %dx%d, pixel block %.0f KiB\n", image.pixels.Width(), image.pixels.Height(), block);
    std::printf("peak resident before decode %ld KiB, after %ld KiB, growth %ld KiB = %.3f x block\n", before,
                after, after - before, static_cast<double>(after - before) / block);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--make-jpeg=", 0) == 0) {
            WriteJpeg(arg.substr(12), 6000, 4000);
            return 0;
        }
        if (arg.rfind("--peak-memory=", 0) == 0)
            return PeakMemory(arg.substr(14));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(TempPath("sleevit_bench_24mp.jpg").c_str());
    std::remove(TempPath("sleevit_bench_12mp.png").c_str());
    return 0;
}
