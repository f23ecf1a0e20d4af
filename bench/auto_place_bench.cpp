// Automatic Place on generated sheets of 100, 1,000 and 10,000 components, once with the
// engine's R-tree fence probes and once with the linear scan it replaces, in the same
// process on the same sheets. Each run is the whole command (side labels, dimensions and a
// label for every component); the counters give the labels placed, the fence probes made
// and the probe rate. The ratio of the two times is the figure docs/performance.md quotes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "cad/cad_host.h"
#include "commands/automatic_placement.h"
#include "io/sheet_generator.h"
#include "settings/labeller_module.h"

namespace {

using namespace zkl;

// The example configuration, found from this file's place in the source tree.
std::string ExampleMacroProject() {
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "ZKL_Labeller.mvba")
        .string();
}

// Drawings are not copied (their spatial indexes are not copyable), so every run gets a
// freshly generated sheet, outside the timed part; a seed always gives the same sheet.
cad::Drawing Sheet(int components) {
    io::SheetGeneratorOptions options;
    options.components = components;
    options.seed = 2024;
    options.macroProjectPath = ExampleMacroProject();
    return io::GenerateSheet(options);
}

void AutomaticPlace(benchmark::State& state, cad::FenceProbeMethod method) {
    const int components = static_cast<int>(state.range(0));
    PlacementReport report;
    for (auto _ : state) {
        state.PauseTiming();
        auto host = std::make_unique<cad::CadHost>(Sheet(components));
        host->SetFenceProbeMethod(method);
        host->SetKeyinArguments("TRUE,TRUE");
        mdlOPM_Labeller module(*host);
        state.ResumeTiming();
        report = RunAutomaticPlacement(module, true, true);
        benchmark::DoNotOptimize(report);
        state.PauseTiming();
        host.reset();
        state.ResumeTiming();
    }
    state.counters["labels"] = static_cast<double>(report.labels);
    state.counters["free"] = static_cast<double>(report.freePlaces);
    state.counters["side_labels"] = static_cast<double>(report.sideLabels);
    state.counters["probes"] = static_cast<double>(report.probes);
    state.counters["probes_per_s"] = benchmark::Counter(
        static_cast<double>(report.probes) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_AutomaticPlaceRTree(benchmark::State& state) {
    AutomaticPlace(state, cad::FenceProbeMethod::SpatialIndex);
}
void BM_AutomaticPlaceLinearScan(benchmark::State& state) {
    AutomaticPlace(state, cad::FenceProbeMethod::LinearScan);
}

BENCHMARK(BM_AutomaticPlaceRTree)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutomaticPlaceLinearScan)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
