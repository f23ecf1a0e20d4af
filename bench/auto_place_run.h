// What the Automatic Place benchmarks share: a sheet as `zkl-labeller generate` makes it with
// the example configuration, and one timed run of the whole command as `auto` runs it (the
// settings the dialog opens with), the sheet made and the labeller started outside the
// timed part.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "cad/cad_host.h"
#include "commands/automatic_placement.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_generator.h"
#include "settings/labeller_module.h"

namespace zkl::bench {

// Drawings are not copied (their spatial indexes are not copyable), so every run gets a
// freshly generated sheet; a seed always gives the same sheet.
inline cad::Drawing GeneratedSheet(int components, std::uint32_t seed) {
    io::SheetGeneratorOptions options;
    options.components = components;
    options.seed = seed;
    // The example configuration, found from this file's place in the source tree.
    options.macroProjectPath =
        (std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "ZKL_Labeller.mvba").string();
    return io::GenerateSheet(options);
}

// Runs Automatic Place once per iteration on a fresh `sheet()`; `setUp` may change the host
// and the module before the labeller starts. Returns the last run's report.
inline PlacementReport TimeAutomaticPlace(benchmark::State& state, const std::function<cad::Drawing()>& sheet,
                                          const std::function<void(cad::CadHost&, mdlOPM_Labeller&)>& setUp) {
    PlacementReport report;
    for (auto _ : state) {
        state.PauseTiming();
        auto host = std::make_unique<cad::CadHost>(sheet());
        auto module = std::make_unique<mdlOPM_Labeller>(*host);
        setUp(*host, *module);
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
    return report;
}

}  // namespace zkl::bench
