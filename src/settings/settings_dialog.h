// What the settings code needs of the main dialog, so that it does not depend on the dialog
// itself: the configuration loader writes into it, and a command copies it into the
// settings record. Controls are addressed by their names ("txtTextHeight", "cmbDimItems").
#pragma once

#include <string>
#include <string_view>

namespace zkl {

class SettingsDialog {
public:
    virtual ~SettingsDialog() = default;

    virtual void SetControlText(std::string_view control, std::string_view text) = 0;
    virtual std::string ControlText(std::string_view control) const = 0;
    // For combos: the value (the selected entry's text, or what was typed).
    virtual std::string ComboValue(std::string_view combo) const = 0;
    virtual void AppendComboEntry(std::string_view combo, std::string_view text) = 0;
    virtual int ComboEntryCount(std::string_view combo) const = 0;
    virtual std::string ComboEntry(std::string_view combo, int index) const = 0;
};

}  // namespace zkl
