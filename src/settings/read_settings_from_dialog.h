// Copies the main dialog into the settings record and turns its two item lists into row
// lists; every interactive command does this before it starts. The caller owns the module,
// the dialog and both row lists.
#pragma once

#include "settings/item_row.h"
#include "settings/labeller_module.h"
#include "settings/settings_dialog.h"

namespace zkl {

// Resets invalidPropertyList to ",". The scalar settings are copied in a fixed order; a
// numeric box that does not convert throws ConversionError naming the box, and the fields
// copied before it keep their new values. A drop-down list without a selection gives
// empty text. Each list entry becomes one row (an empty list gives one empty row); a faulty
// entry keeps the fields that could be set and is reported in an "Error!" box naming its
// position, counted from 1.
void ReadSettingsFromDialog(mdlOPM_Labeller& module, const SettingsDialog& dialog, ItemRows& labelItems,
                            ItemRows& dimItems);

}  // namespace zkl
