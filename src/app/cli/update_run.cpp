#include "app/cli/update_run.h"

#include <stdexcept>

#include "app/cli/cli_support.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "label/label_cell.h"
#include "label/label_origin.h"

namespace zkl::app {

namespace {

void CheckRecordedOrigins(const cad::CadHost& host, const std::string& sheetName) {
    for (const auto& [id, entry] : host.GetDrawing().activeModel.Entries()) {
        if (!entry.element.IsCell() || entry.element.Cell().name != LabelCellName) continue;
        try {
            ReadLabelOrigin(entry.element);
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument(QuotedPath(sheetName) + ": " + error.what());
        }
    }
}

}  // namespace

UpdateResult RunUpdate(mdlOPM_Labeller& module, cad::CadHost& host, const std::optional<std::string>& keyinArguments,
                       const std::string& sheetName, const PlacementProgress& progress) {
    if (!sheetName.empty()) CheckRecordedOrigins(host, sheetName);
    std::optional<UpdateResult> result;
    if (keyinArguments && !keyinArguments->empty()) {
        host.SetKeyinArguments(*keyinArguments);
        result = RunAnnotationUpdate(module, true, true, progress);
    } else {
        DialogCommands commands = MakeDialogCommands(module);
        commands.automatic = [&](bool placeDimensions, bool placeLabels) {
            result = RunAnnotationUpdate(module, placeDimensions, placeLabels, progress);
        };
        clsOPM_Labeller labeller(module, commands);
        labeller.Start_Labeller();
        module.dialog->cmdAutoPlace_Click();
    }
    if (!result) throw std::runtime_error("the update of the annotation did not run");
    return *result;
}

}  // namespace zkl::app
