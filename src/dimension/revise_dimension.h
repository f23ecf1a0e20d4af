// The revise-dimension command: pick a placed dimension chain, then add a point to it or
// remove one, keeping its extension lines in step; Reset ends.
#pragma once

#include "settings/labeller_module.h"

namespace zkl {

// Uses the settings as they are (the dialog is not read); sets DimMode to the mode of each
// chain it revises, which later dimension placement keeps using.
void RunReviseDimension(mdlOPM_Labeller& module);

}  // namespace zkl
