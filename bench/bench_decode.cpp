// Decode throughput of GIF and BMP pictures held in memory, in megapixels per second.
// The pictures are made here: a GIF through the tests' LZW encoder, a 24-bit bitmap
// written field by field.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "GifBuilder.h"
#include "images/BmpDecoder.h"
#include "images/ByteStream.h"
#include "images/GifDecoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture with smooth areas and some noise, roughly like a scanned cover.
std::uint8_t Shade(unsigned x, unsigned y, std::mt19937& gen)
{
    return static_cast<std::uint8_t>((x / 4 + y / 6 + (gen() % 8 == 0 ? gen() % 16 : 0)) & 0xFF);
}

Bytes MakeGif(unsigned width, unsigned height)
{
    testgif::Picture s;
    for (int i = 0; i < 256; ++i)
        s.globalPalette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                   static_cast<std::uint8_t>(i / 2)});
    s.width = width;
    s.height = height;
    std::mt19937 gen(1);
    s.pixels.resize(std::size_t{width} * height);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            s.pixels[std::size_t{y} * width + x] = Shade(x, y, gen);
    return testgif::Make(s);
}

void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

Bytes MakeBmp24(unsigned width, unsigned height)
{
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t bits = stride * height;
    Bytes b = {'B', 'M'};
    Put32(b, 54 + bits);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, width);
    Put32(b, height);
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, bits);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    std::mt19937 gen(2);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            b.push_back(Shade(x, y, gen));
            b.push_back(Shade(y, x, gen));
            b.push_back(Shade(x + y, y, gen));
        }
        b.resize(b.size() + (stride - width * 3), 0);
    }
    return b;
}

void RunDecode(benchmark::State& state, DecodeFunction decode, const Bytes& file, unsigned width,
               unsigned height)
{
    for (auto _ : state) {
        CMemoryStream in(file.data(), file.size());
        DecodedImage out;
        std::string error;
        if (!decode(in, out, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(out.pixels.Bits());
    }
    const double pixels = double(width) * height * double(state.iterations());
    state.counters["MPix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
    state.counters["file_KiB"] = double(file.size()) / 1024.0;
}

void BM_DecodeGif(benchmark::State& state)
{
    const auto width = static_cast<unsigned>(state.range(0));
    const auto height = static_cast<unsigned>(state.range(1));
    static const Bytes file = MakeGif(width, height);
    RunDecode(state, &CGifDecoder::Decode, file, width, height);
}

void BM_DecodeBmp24(benchmark::State& state)
{
    const auto width = static_cast<unsigned>(state.range(0));
    const auto height = static_cast<unsigned>(state.range(1));
    static const Bytes file = MakeBmp24(width, height);
    RunDecode(state, &CBmpDecoder::Decode, file, width, height);
}

} // namespace

BENCHMARK(BM_DecodeGif)->Args({2400, 2400})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp24)->Args({2400, 2400})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
