// Rendering figures: a printed A4 page with two 24-megapixel covers at 600 dpi, on the
// raster surface and through the PDF pipeline; the paper control's screen renderer
// drawing a 24-megapixel cover into a 182 x 263 paper.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

#include "formats/FormatCatalogue.h"
#include "images/RasterImage.h"
#include "layout/CoverRenderer.h"
#include "layout/PdfTarget.h"
#include "layout/PrintJob.h"
#include "layout/RasterPageTarget.h"
#include "surfaces/RasterSurface.h"

namespace {

// A 6000 x 4000 picture with some structure, made once.
const CRasterImage& BigPicture(int which)
{
    static std::unique_ptr<CRasterImage> pictures[2];
    if (!pictures[which]) {
        CRasterSurface s(4000, 6000);
        for (int y = 0; y < s.Height(); ++y) {
            std::uint32_t* row = s.Row(y);
            for (int x = 0; x < s.Width(); ++x)
                row[x] = 0xFF000000u | (std::uint32_t((x * 7 + which * 90) & 0xFF) << 16) |
                         (std::uint32_t((y * 3) & 0xFF) << 8) | std::uint32_t((x ^ y) & 0xFF);
        }
        pictures[which] = std::make_unique<CRasterImage>();
        pictures[which]->CreateFromBitmap(s);
    }
    return *pictures[which];
}

FormatCatalogue Catalogue()
{
    FormatCatalogue c;
    CoverFormat front;
    front.name = "CD Front";
    front.type = "CD_FRONT";
    front.size = {120, 120};
    front.hasSize = true;
    front.lines.Add({kEdgeLeft, 0, 0, 0, true});
    front.lines.Add({kEdgeRight, 0, 0, 0, true});
    c.Append(front);
    CoverFormat inlay = front;
    inlay.name = "Back";
    inlay.type = "CUSTOM";
    inlay.size = {151, 118};
    inlay.lines.Add({6.5, 0, 6.5, 118, false});
    c.Append(inlay);
    return c;
}

PrintJobRequest Both(const FormatCatalogue& c)
{
    PrintJobRequest r;
    r.catalogue = &c;
    r.left = {&BigPicture(0), 0};
    r.right = {&BigPicture(1), 1};
    r.selection = PrintSelection::Left;
    r.singlePage = true;
    r.jobName = "bench";
    return r;
}

void BM_BothCoversA4At600Raster(benchmark::State& state)
{
    const FormatCatalogue c = Catalogue();
    const PrintJobRequest request = Both(c);
    for (auto _ : state) {
        CRasterPageTarget target(CapsForPaper(PaperSize::A4(), 600, {3, 3, 3, 3}));
        target.onPage = [](const CRasterSurface& page, int) {
            benchmark::DoNotOptimize(page.Data());
            return true;
        };
        benchmark::DoNotOptimize(RunPrintJob(target, request).pages);
    }
}
BENCHMARK(BM_BothCoversA4At600Raster)->Unit(benchmark::kMillisecond);

void BM_BothCoversA4At600Pdf(benchmark::State& state)
{
    const FormatCatalogue c = Catalogue();
    const PrintJobRequest request = Both(c);
    const std::string path = "/tmp/sleevit-bench-" + std::to_string(::getpid()) + ".pdf";
    for (auto _ : state) {
        CPdfTarget target(path, PaperSize::A4(), 600);
        benchmark::DoNotOptimize(RunPrintJob(target, request).pages);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_BothCoversA4At600Pdf)->Unit(benchmark::kMillisecond);

void BM_ScreenRendererPaper182x263(benchmark::State& state)
{
    const FormatCatalogue c = Catalogue();
    const CRasterImage& picture = BigPicture(0);
    CRasterSurface paper(182, 263);
    for (auto _ : state) {
        paper.FillRect({0, 0, 182, 263}, kColourWhite);
        RenderScreenCover(paper, {0, 0, 182, 263}, picture, PlaceCoverMm(c, {0, Side::Left}, false, false),
                          true);
        benchmark::DoNotOptimize(paper.Data());
    }
}
BENCHMARK(BM_ScreenRendererPaper182x263)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
