// The update of an annotation from the command line: `--args` become the host's key-in
// arguments, and the sheet's file name goes into the error for a faulty label cell; the
// rest is the command both front ends run (commands/update_command.h).
#pragma once

#include <optional>
#include <string>

#include "cad/cad_host.h"
#include "commands/update_command.h"
#include "settings/labeller_module.h"

namespace zkl::app {

// `sheetName` is the sheet's file; empty for a sheet checked already.
UpdateResult RunUpdate(mdlOPM_Labeller& module, cad::CadHost& host, const std::optional<std::string>& keyinArguments,
                       const std::string& sheetName, const PlacementProgress& progress = {});

}  // namespace zkl::app
