// Automatic Place as `zkl-labeller auto` runs it on `generate --components N --seed 1`: the
// settings the dialog opens with, the whole command (side labels, dimensions and a label
// for every component). Each size runs with the engine's fence query as it is now (the R-tree,
// asking first the element the previous query found) and as it was (the R-tree alone), and
// up to 10,000 components with the linear scan the R-tree replaced, in the same process on
// the same sheets; all give the same labels. The counters give the labels placed, the probes
// made, the probe rate and the process's peak memory so far.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

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
    options.seed = 1;
    options.macroProjectPath = ExampleMacroProject();
    return io::GenerateSheet(options);
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void AutomaticPlace(benchmark::State& state, cad::FenceProbeMethod method) {
    const int components = static_cast<int>(state.range(0));
    PlacementReport report;
    for (auto _ : state) {
        state.PauseTiming();
        auto host = std::make_unique<cad::CadHost>(Sheet(components));
        host->SetFenceProbeMethod(method);
        auto module = std::make_unique<mdlOPM_Labeller>(*host);
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
