#include "commands/update_command.h"

#include <optional>
#include <stdexcept>

#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "label/label_cell.h"
#include "label/label_origin.h"

namespace zkl {

namespace {

// The update checks each cell too, but its message cannot say which sheet the cell is in.
void CheckRecordedOrigins(const Host& host, const std::string& sheetName) {
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    for (const Element& cell : host.Scan(criteria)) {
        if (cell.Cell().name != LabelCellName) continue;
        try {
            ReadLabelOrigin(cell);
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument(sheetName + ": " + error.what());
        }
    }
}

}  // namespace

UpdateResult RunUpdateCommand(mdlOPM_Labeller& module, bool asKeyinWithArguments, const std::string& sheetName,
                              const PlacementProgress& progress) {
    if (!sheetName.empty()) CheckRecordedOrigins(module.host, sheetName);
    std::optional<UpdateResult> result;
    const auto update = [&](bool placeDimensions, bool placeLabels) {
        result = RunAnnotationUpdate(module, placeDimensions, placeLabels, progress);
    };
    if (asKeyinWithArguments) {
        update(true, true);
    } else {
        if (!module.dialog) clsOPM_Labeller(module, MakeDialogCommands(module)).Start_Labeller();
        module.dialog->RunAutoPlaceWith(update);
    }
    if (!result) throw std::runtime_error("the update of the annotation did not run");
    return *result;
}

}  // namespace zkl
