// The revise-dimension command: pick a placed dimension chain, then add a point to it or
// remove one, keeping its extension lines in step; Reset ends.
#pragma once

#include "settings/labeller_module.h"

namespace zkl {

// Reads the settings from the module's dialog (which must exist).
void RunReviseDimension(mdlOPM_Labeller& module);

}  // namespace zkl
