// `zkl-labeller auto SHEET.json [--config INI] [--args "TEXT"] -o OUT.json [--svg OUT.svg]
// [--report REPORT.json]`:
// Automatic Place on a sheet, exactly as the dialog's button (settings from the dialog as it
// opens with the configuration file) or, with --args, as the key-in with arguments
// (settings from the configuration file; "FALSE" first: no dimensions, second: no labels).
// The configuration defaults to ZKL_Labeller.ini beside the sheet. Progress goes to stderr,
// a one-line summary to stdout; nothing is written when anything fails, but for the report,
// which then says why (run_report.h).
#pragma once

#include "app/cli/command.h"

namespace zkl::app {

Command AddAutoCommand(CLI::App& program);

}  // namespace zkl::app
