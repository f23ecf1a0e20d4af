#include "commands/labeller_commands.h"

#include "commands/automatic_placement.h"
#include "commands/manual_labelling.h"
#include "dimension/revise_dimension.h"
#include "host/numbers.h"

namespace zkl {

DialogCommands MakeDialogCommands(mdlOPM_Labeller& module) {
    DialogCommands commands;
    commands.manual = [&module](int labelMode) { RunManualLabelling(module, DoubleToInt16(labelMode)); };
    commands.reviseDimension = [&module] { RunReviseDimension(module); };
    commands.automatic = [&module](bool placeDimensions, bool placeLabels) {
        RunAutomaticPlacement(module, placeDimensions, placeLabels);
    };
    commands.semiAutomatic = [&module] { RunSemiAutomaticPlacement(module); };
    return commands;
}

}  // namespace zkl
