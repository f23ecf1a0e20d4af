// Automatic Place on `generate --components 1000 --seed S`, S = 1 to 3, by the first free
// place (today's rule) and by clear-leader placement, in the same process on the same sheets:
// the whole command as `auto` runs it with the example configuration. The counters give the
// labels placed, the probes made and how many labels found no clear place.
#include <benchmark/benchmark.h>

#include "auto_place_run.h"

namespace {

using namespace zkl;

void Place(benchmark::State& state, PlacementRule rule) {
    const auto seed = static_cast<std::uint32_t>(state.range(0));
    const PlacementReport report = bench::TimeAutomaticPlace(
        state, [&] { return bench::GeneratedSheet(1000, seed); },
        [&](cad::CadHost&, mdlOPM_Labeller& module) { module.placement.rule = rule; });
    state.counters["labels"] = static_cast<double>(report.labels);
    state.counters["probes"] = static_cast<double>(report.probes);
    state.counters["fallbacks"] = static_cast<double>(report.clearLeaderFallbacks);
}

void BM_FirstFreePlace(benchmark::State& state) { Place(state, PlacementRule::FirstFree); }
void BM_ClearLeaderPlace(benchmark::State& state) { Place(state, PlacementRule::ClearLeader); }

BENCHMARK(BM_FirstFreePlace)->DenseRange(1, 3)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ClearLeaderPlace)->DenseRange(1, 3)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
