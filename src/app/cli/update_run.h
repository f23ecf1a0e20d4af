// Running the update of an annotation from the command line the way `auto` runs Automatic
// Place: as the key-in with arguments when there are any, otherwise through the main
// dialog's Automatic Place button, so that the dialog's settings apply and the whole update
// is one undo step behind the dialog's mark.
#pragma once

#include <optional>
#include <string>

#include "cad/cad_host.h"
#include "commands/annotation_update.h"
#include "settings/labeller_module.h"

namespace zkl::app {

// `sheetName` names the sheet in the error for a label cell whose recorded placement is not
// one this program writes, which stops the update before it starts; empty for a sheet
// checked already.
UpdateResult RunUpdate(mdlOPM_Labeller& module, cad::CadHost& host, const std::optional<std::string>& keyinArguments,
                       const std::string& sheetName, const PlacementProgress& progress = {});

}  // namespace zkl::app
