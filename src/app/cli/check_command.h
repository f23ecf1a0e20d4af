// `zkl-labeller check SHEET.json [--config INI] [--style NAME] [--json] [--strict]`: the
// quality of an annotated sheet (overlapping bodies, crossing leaders, bodies outside their
// area, components without a label, side labels too close, leader lengths), judged from the
// sheet alone (quality/quality_report.h, docs/quality.md). The label rows are the ones
// `auto` uses: the dialog's as it opens (general part and first label style), or with
// --style those of that style ("" the general part alone, as `auto --args`).
#pragma once

#include <ostream>

#include "app/cli/command.h"
#include "quality/quality_report.h"
#include "settings/labeller_module.h"

namespace zkl::app {

Command AddCheckCommand(CLI::App& program);

// One line per finding kind with its count, then the leaders: what `check` prints first
// and `auto --check` prints after a run.
void PrintQualitySummary(std::ostream& out, const QualityReport& report);

// Checks the drawing of `module` after an Automatic Place run with the label rows that run
// read: the dialog's when it has one, else the configuration's general part.
QualityReport CheckAfterRun(mdlOPM_Labeller& module);

}  // namespace zkl::app
