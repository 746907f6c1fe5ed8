// Reading a cover-format catalogue whose sections each name another by REMAP: the time
// must grow with the number of sections, not with its square (target: 100000 sections
// in under a second).
//
//   build-<name>/bench/bench_catalogue

#include <benchmark/benchmark.h>

#include <string>

#include "formats/FormatCatalogue.h"
#include "i18n/UserMessages.h"

namespace {

class CQuietMessages final : public CUserMessages {
public:
    void ShowError(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
};

// n sections, each remapped to the one before it (the first to the last).
std::string RemapCatalogue(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += "[Format " + std::to_string(i) + "]\r\n";
        text +=
            "SIZE       = (120.0 , 120.0)\r\nPOSITION   = AUTO\r\nAUTODETECT = YES\r\nTYPE = CD_FRONT\r\n";
        text += "REMAP      = Format " + std::to_string(i == 0 ? n - 1 : i - 1) + "\r\n";
    }
    return text;
}

void BM_CatalogueRemap(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string bytes = RemapCatalogue(n);
    CQuietMessages messages;
    for (auto _ : state) {
        FormatCatalogue catalogue;
        catalogue.LoadCatalogueBytes(bytes, messages);
        if (catalogue.GetCount() != n || catalogue.GetRemap(0) != n - 1) {
            state.SkipWithError("the catalogue was not read whole");
            break;
        }
        benchmark::DoNotOptimize(catalogue);
    }
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_CatalogueRemap)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
