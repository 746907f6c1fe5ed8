// Turning a 6000 x 4000 (24 megapixel) 24-bit cover a quarter turn, beside a plain copy
// of the same pixel block: the turn should cost no more than about three copies.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "images/RasterImage.h"

namespace {

constexpr std::int32_t kWidth = 6000;
constexpr std::int32_t kHeight = 4000;

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A patterned 24-bit bitmap file, loaded through the ordinary decoder.
std::unique_ptr<CRasterImage> MakePicture()
{
    const std::size_t stride = (static_cast<std::size_t>(kWidth) * 3 + 3) / 4 * 4;
    const std::size_t bits = stride * kHeight;
    std::vector<std::uint8_t> file(54 + bits, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, static_cast<std::uint32_t>(file.size()));
    Put32(file, 10, 54);
    Put32(file, 14, 40);
    Put32(file, 18, kWidth);
    Put32(file, 22, kHeight);
    file[26] = 1;
    file[28] = 24;
    for (std::size_t y = 0; y < kHeight; ++y) {
        std::uint8_t* row = file.data() + 54 + y * stride;
        for (std::size_t x = 0; x < kWidth; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x * 7);
            row[3 * x + 1] = static_cast<std::uint8_t>(y * 3);
            row[3 * x + 2] = static_cast<std::uint8_t>(x ^ y);
        }
    }
    auto image = std::make_unique<CRasterImage>();
    image->LoadMemory(file.data(), file.size(), kImageBmp);
    return image;
}

CRasterImage& Picture()
{
    static const std::unique_ptr<CRasterImage> image = MakePicture();
    return *image;
}

void BM_Memcpy_24MP(benchmark::State& state)
{
    const PixelBlock& block = Picture().Pixels();
    std::vector<std::uint8_t> target(block.BitsSize());
    for (auto _ : state) {
        std::memcpy(target.data(), block.Bits(), block.BitsSize());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(block.BitsSize()));
}
BENCHMARK(BM_Memcpy_24MP)->Unit(benchmark::kMillisecond);

// A copy into a fresh block each time, as a turn makes one: the page faults of a new
// block are part of what a turn costs.
void BM_MemcpyFreshBlock_24MP(benchmark::State& state)
{
    const PixelBlock& block = Picture().Pixels();
    for (auto _ : state) {
        PixelBlock fresh;
        std::string error;
        fresh.Create(block.Width(), block.Height(), block.Bpp(), error);
        std::memcpy(fresh.Bits(), block.Bits(), block.BitsSize());
        benchmark::DoNotOptimize(fresh.Bits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(block.BitsSize()));
}
BENCHMARK(BM_MemcpyFreshBlock_24MP)->Unit(benchmark::kMillisecond);

void BM_Rotate90_24MP(benchmark::State& state)
{
    CRasterImage& image = Picture();
    const std::int64_t bytes = static_cast<std::int64_t>(image.Pixels().BitsSize());
    for (auto _ : state) {
        if (!image.Rotate(90.0f))
            state.SkipWithError("Rotate failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
}
BENCHMARK(BM_Rotate90_24MP)->Unit(benchmark::kMillisecond);

void BM_RotateMinus90_24MP(benchmark::State& state)
{
    CRasterImage& image = Picture();
    const std::int64_t bytes = static_cast<std::int64_t>(image.Pixels().BitsSize());
    for (auto _ : state) {
        if (!image.Rotate(-90.0f))
            state.SkipWithError("Rotate failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
}
BENCHMARK(BM_RotateMinus90_24MP)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
