#include "app/cli/update_run.h"

#include <stdexcept>

#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"

namespace zkl::app {

UpdateResult RunUpdate(mdlOPM_Labeller& module, cad::CadHost& host, const std::optional<std::string>& keyinArguments,
                       const PlacementProgress& progress) {
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
