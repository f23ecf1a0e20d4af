#include "commands/labeller_commands.h"

#include <stdexcept>

#include "commands/automatic_placement.h"
#include "dialog/frm_main.h"
#include "commands/manual_labelling.h"
#include "dimension/revise_dimension.h"
#include "host/numbers.h"

namespace zkl {

namespace {

const SettingsDialog& OpenDialog(const mdlOPM_Labeller& module) {
    if (!module.dialog) throw std::logic_error("the command needs the main dialog, and it is not open");
    return *module.dialog;
}

}  // namespace

DialogCommands MakeDialogCommands(mdlOPM_Labeller& module) {
    DialogCommands commands;
    commands.manual = [&module](int labelMode) { RunManualLabelling(module, DoubleToInt16(labelMode)); };
    commands.reviseDimension = [&module] { RunReviseDimension(module, OpenDialog(module)); };
    commands.automatic = [&module](bool placeDimensions, bool placeLabels) {
        RunAutomaticPlacement(module, placeDimensions, placeLabels);
    };
    commands.semiAutomatic = [&module] { RunSemiAutomaticPlacement(module); };
    return commands;
}

}  // namespace zkl
