// `zkl-labeller run SHEET.json --command manual|pipeline|equipment|revise-dim --input SCRIPT
// [--config INI] -o OUT.json [--svg OUT.svg]`: runs one interactive command on a sheet as a
// user would start it from the main dialog, fed by the inputs of a script
// (docs/input-scripts.md), then writes the sheet (and a picture) and prints the messages the
// command posted, one a line.
#pragma once

#include "app/cli/command.h"

namespace zkl::app {

Command AddRunCommand(CLI::App& program);

}  // namespace zkl::app
