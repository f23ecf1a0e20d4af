// The labelling commands wired to the main dialog's buttons: the manual, pipeline and
// equipment buttons start the manual command in their mode, "Revise Dimension" the
// revise-dimension command. The returned callables refer to the module, which must outlive
// them (the dialog that holds them belongs to the module).
#pragma once

#include "dialog/dialog_commands.h"
#include "settings/labeller_module.h"

namespace zkl {

DialogCommands MakeDialogCommands(mdlOPM_Labeller& module);

}  // namespace zkl
