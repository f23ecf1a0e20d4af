// `zkl-labeller settings [--config INI] [--style NAME] [--json]`: shows what the labeller
// reads from a configuration file. Without --style, the settings record and both item-row
// lists as the automatic command gets them, with the messages a user would see; with
// --style, what the main dialog receives when that style is chosen (--style "" as when
// the dialog opens).
#pragma once

#include "app/cli/command.h"

namespace zkl::app {

Command AddSettingsCommand(CLI::App& program);

}  // namespace zkl::app
