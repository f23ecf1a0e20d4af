// `zkl-labeller inspect SHEET.json [--config INI] [--style NAME] [--element ID] [--json]`:
// what the labeller reads from each component of a sheet (class name, matched rows, key
// points, label text, unreadable properties) — the tool to reach for when a label does not
// say what was expected.
#pragma once

#include "app/cli/command.h"

namespace zkl::app {

Command AddInspectCommand(CLI::App& program);

}  // namespace zkl::app
