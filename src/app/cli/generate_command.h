// `zkl-labeller generate --components N --seed S [--no-border] -o SHEET.json`: writes a
// synthetic plant sheet (io/sheet_generator.h) for demos, tests and benchmarks. The sheet's
// macro project lies beside it, so `auto` finds a ZKL_Labeller.ini copied there.
#pragma once

#include "app/cli/command.h"

namespace zkl::app {

Command AddGenerateCommand(CLI::App& program);

}  // namespace zkl::app
