// Automatic Place and the quality check on any sheet the loader accepts, with the example
// configuration; the input's length picks the run: by the first free place, by clear
// leaders, or an update of the annotation the sheet carries (labels of any origin it
// records). A run may refuse the sheet with an error a user can read; it must not crash,
// hang or read out of bounds, and the sheet it leaves saves and loads again.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "cad/cad_host.h"
#include "command_checks.h"
#include "commands/annotation_update.h"
#include "commands/automatic_placement.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_file.h"
#include "quality/quality_report.h"
#include "settings/labeller_module.h"
#include "settings/read_settings_from_dialog.h"

namespace zkl::fuzz {
namespace {

const std::filesystem::path Folder = "/fuzz/sheets";

// Placement on a sheet that makes no sense must end in an error that says so; an index out
// of range is the program's own fault, whatever the sheet held.
void Run(mdlOPM_Labeller& module, bool update) {
    DialogCommands commands = MakeDialogCommands(module);
    commands.automatic = [&](bool placeDimensions, bool placeLabels) {
        if (update)
            (void)RunAnnotationUpdate(module, placeDimensions, placeLabels);
        else
            (void)RunAutomaticPlacement(module, placeDimensions, placeLabels);
    };
    clsOPM_Labeller labeller(module, commands);
    labeller.Start_Labeller();
    module.dialog->cmdAutoPlace_Click();
    ItemRows labelItems;
    ItemRows dimItems;
    ReadSettingsFromDialog(module, *module.dialog, labelItems, dimItems);
    (void)CheckAnnotation(module, labelItems);
}

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl;
    using namespace zkl::fuzz;
    cad::Drawing drawing;
    try {
        drawing = io::ParseSheet(AsText(data, size), "fuzz.json", Folder);
    } catch (const io::SheetError&) {
        return 0;
    }
    drawing.macroProjectPath = ZKL_EXAMPLES_DIR "/ZKL_Labeller.mvba";
    cad::CadHost host(std::move(drawing));
    mdlOPM_Labeller module(host);
    module.placement.rule = size % 3 == 1 ? PlacementRule::ClearLeader : PlacementRule::FirstFree;
    if (!RunsOrRefuses([&] { Run(module, size % 3 == 2); })) return 0;
    CheckSavesAndLoads(host.GetDrawing(), Folder);
    return 0;
}
