// The manual command behind the Manual Place, Pipeline and Equipment buttons: pick a
// component and place its label, or pick a placed label to place it again; Reset ends.
#pragma once

#include <cstdint>

#include "host/geometry.h"
#include "settings/labeller_module.h"

namespace zkl {

// The point a new label's position starts at; its x is not 0, so no Esc hint is shown.
inline constexpr Point ManualPositionSentinel{-987.654321, 0, 0};

enum LabelMode : std::int16_t { ManualMode = 0, PipelineMode = 1, EquipmentMode = 2 };

// Reads the settings and label rows from the module's dialog (which must exist). Pipeline
// and equipment modes label with the dialog's line or equipment format instead of the rows.
void RunManualLabelling(mdlOPM_Labeller& module, std::int16_t labelMode);

}  // namespace zkl
