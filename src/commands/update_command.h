// The update of an annotation as a command, run the way Automatic Place runs: as the key-in
// with arguments (the host's), or behind the main dialog's Automatic Place button, so that
// the dialog's settings apply and the whole update is one undo step behind the dialog's
// mark. The command line and the desktop program both start it here.
#pragma once

#include <string>

#include "commands/annotation_update.h"
#include "settings/labeller_module.h"

namespace zkl {

// Through the dialog a module without one gets it (started with the labeller's usual
// commands); a module with one uses it as the user left it. `sheetName` (quoted as the
// caller likes) names the sheet in the error for a label cell whose recorded placement is
// not one this program writes, which stops the update before anything changes; empty for a
// sheet checked already.
UpdateResult RunUpdateCommand(mdlOPM_Labeller& module, bool asKeyinWithArguments, const std::string& sheetName,
                              const PlacementProgress& progress = {});

}  // namespace zkl
