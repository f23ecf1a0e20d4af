// `zkl-labeller import-pcf FILE.pcf... -o SHEET.json [--scale 1:N] [--paper A3|A2|A1|A0|auto]
// [--per-pipeline] [--grid GRID.txt]`: turns PCF files into a plan sheet (io/pcf_sheet.h)
// that `auto` labels with the configuration beside it. With --per-pipeline each pipeline
// gets a sheet of its own, SHEET_<pipeline>.json. Warnings go to stderr as FILE:LINE, a
// one-line summary to stdout; nothing is written when a file cannot be read.
#pragma once

#include "app/cli/command.h"

namespace zkl::app {

Command AddImportPcfCommand(CLI::App& program);

}  // namespace zkl::app
