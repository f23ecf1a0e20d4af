// Automatic Place as `zkl-labeller auto` runs it on `generate --components N --seed 1`: the
// settings the dialog opens with, the whole command (side labels, dimensions and a label
// for every component). Each size runs with the engine's fence query as it is now (the R-tree,
// asking first the element the previous query found) and as it was (the R-tree alone), and
// up to 10,000 components with the linear scan the R-tree replaced, in the same process on
// the same sheets; all give the same labels. The counters give the labels placed, the probes
// made, the probe rate and the process's peak memory so far.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "auto_place_run.h"

namespace {

using namespace zkl;

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void AutomaticPlace(benchmark::State& state, cad::FenceProbeMethod method) {
    const int components = static_cast<int>(state.range(0));
    const PlacementReport report = bench::TimeAutomaticPlace(
        state, [&] { return bench::GeneratedSheet(components, 1); },
        [&](cad::CadHost& host, mdlOPM_Labeller&) { host.SetFenceProbeMethod(method); });
    state.counters["labels"] = static_cast<double>(report.labels);
    state.counters["probes"] = static_cast<double>(report.probes);
    state.counters["probes_per_s"] = benchmark::Counter(
        static_cast<double>(report.probes) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_AutomaticPlace(benchmark::State& state) {
    AutomaticPlace(state, cad::FenceProbeMethod::IndexAskingLastFirst);
}
void BM_AutomaticPlaceRTreeAlone(benchmark::State& state) {
    AutomaticPlace(state, cad::FenceProbeMethod::SpatialIndex);
}
void BM_AutomaticPlaceLinearScan(benchmark::State& state) {
    AutomaticPlace(state, cad::FenceProbeMethod::LinearScan);
}

BENCHMARK(BM_AutomaticPlace)->Arg(100)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AutomaticPlaceRTreeAlone)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_AutomaticPlaceLinearScan)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
