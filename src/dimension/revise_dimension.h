// The revise-dimension command: pick a placed dimension chain, then add a point to it or
// remove one, keeping its extension lines in step; Reset ends.
#pragma once

#include "settings/labeller_module.h"
#include "settings/settings_dialog.h"

namespace zkl {

// Reads the settings and rows from the dialog first, as every button's command does.
void RunReviseDimension(mdlOPM_Labeller& module, const SettingsDialog& dialog);

}  // namespace zkl
