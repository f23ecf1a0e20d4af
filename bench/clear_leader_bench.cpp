// Automatic Place on `generate --components 1000 --seed S`, S = 1 to 3, by the first free
// place (today's rule) and by clear-leader placement, in the same process on the same sheets:
// the whole command as `auto` runs it with the example configuration. The counters give the
// labels placed, the probes made and how many labels found no clear place.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "cad/cad_host.h"
#include "commands/automatic_placement.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_generator.h"
#include "settings/labeller_module.h"

namespace {

using namespace zkl;

std::string ExampleMacroProject() {
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "ZKL_Labeller.mvba")
        .string();
}

cad::Drawing Sheet(int seed) {
    io::SheetGeneratorOptions options;
    options.components = 1000;
    options.seed = static_cast<std::uint32_t>(seed);
    options.macroProjectPath = ExampleMacroProject();
    return io::GenerateSheet(options);
}

void Place(benchmark::State& state, PlacementRule rule) {
    const int seed = static_cast<int>(state.range(0));
    PlacementReport report;
    for (auto _ : state) {
        state.PauseTiming();
        auto host = std::make_unique<cad::CadHost>(Sheet(seed));
        auto module = std::make_unique<mdlOPM_Labeller>(*host);
        module->placement.rule = rule;
        DialogCommands commands = MakeDialogCommands(*module);
        commands.automatic = [&](bool placeDimensions, bool placeLabels) {
            report = RunAutomaticPlacement(*module, placeDimensions, placeLabels);
        };
        clsOPM_Labeller labeller(*module, commands);
        labeller.Start_Labeller();
        state.ResumeTiming();
        module->dialog->cmdAutoPlace_Click();
        state.PauseTiming();
        module.reset();
        host.reset();
        state.ResumeTiming();
    }
    state.counters["labels"] = static_cast<double>(report.labels);
    state.counters["probes"] = static_cast<double>(report.probes);
    state.counters["fallbacks"] = static_cast<double>(report.clearLeaderFallbacks);
}

void BM_FirstFreePlace(benchmark::State& state) { Place(state, PlacementRule::FirstFree); }
void BM_ClearLeaderPlace(benchmark::State& state) { Place(state, PlacementRule::ClearLeader); }

BENCHMARK(BM_FirstFreePlace)->DenseRange(1, 3)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ClearLeaderPlace)->DenseRange(1, 3)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
