// Drawing a large picture: a 6000 x 4000 (24 megapixel) 24-bit cover shown small on
// screen must stay well under 2 ms; the same picture stretched over a whole 600 dpi page
// shows what printing costs.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "images/RasterImage.h"
#include "surfaces/RasterSurface.h"

namespace {

constexpr int kPictureWidth = 6000;
constexpr int kPictureHeight = 4000;

// One shared picture for every benchmark, built once from a patterned surface.
const CRasterImage& BigPicture()
{
    static const std::unique_ptr<CRasterImage> image = [] {
        auto img = std::make_unique<CRasterImage>();
        CRasterSurface source(kPictureWidth, kPictureHeight);
        for (int y = 0; y < kPictureHeight; ++y) {
            std::uint32_t* row = source.Row(y);
            for (int x = 0; x < kPictureWidth; ++x)
                row[x] = 0xFF000000u | (std::uint32_t(x * 7) & 0xFF) << 16 |
                         (std::uint32_t(y * 3) & 0xFF) << 8 | (std::uint32_t(x ^ y) & 0xFF);
        }
        img->CreateFromBitmap(source);
        return img;
    }();
    return *image;
}

void BM_DrawStretched_24MP_Into200x300(benchmark::State& state)
{
    const CRasterImage& image = BigPicture();
    CRasterSurface screen(400, 400);
    for (auto _ : state) {
        image.DrawStretched(&screen, 100, 50, 200, 300);
        benchmark::DoNotOptimize(screen.Data());
    }
}
BENCHMARK(BM_DrawStretched_24MP_Into200x300)->Unit(benchmark::kMicrosecond);

void BM_Draw_24MP_Into200x300(benchmark::State& state)
{
    const CRasterImage& image = BigPicture();
    CRasterSurface screen(400, 400);
    for (auto _ : state) {
        image.Draw(&screen, 100, 50, 200, 300);
        benchmark::DoNotOptimize(screen.Data());
    }
}
BENCHMARK(BM_Draw_24MP_Into200x300)->Unit(benchmark::kMicrosecond);

// A paper control on screen: most of a cover lies outside the window.
void BM_Draw_24MP_Into2000x3000_ClippedTo200x300(benchmark::State& state)
{
    const CRasterImage& image = BigPicture();
    CRasterSurface screen(200, 300);
    for (auto _ : state) {
        image.Draw(&screen, -900, -1300, 2000, 3000);
        benchmark::DoNotOptimize(screen.Data());
    }
}
BENCHMARK(BM_Draw_24MP_Into2000x3000_ClippedTo200x300)->Unit(benchmark::kMicrosecond);

// The whole picture stretched over an A4 page at 600 dpi (4960 x 7016 printable pixels).
void BM_DrawStretched_24MP_OverA4At600dpi(benchmark::State& state)
{
    const CRasterImage& image = BigPicture();
    DeviceCaps caps;
    caps.logPixelsX = caps.logPixelsY = 600;
    caps.horzRes = caps.physicalWidth = 4960;
    caps.vertRes = caps.physicalHeight = 7016;
    CRasterSurface page(caps);
    for (auto _ : state) {
        image.DrawStretched(&page, 0, 0, 4960, 7016);
        benchmark::DoNotOptimize(page.Data());
    }
    state.SetItemsProcessed(state.iterations() * 4960 * 7016);
}
BENCHMARK(BM_DrawStretched_24MP_OverA4At600dpi)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
