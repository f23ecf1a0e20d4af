// The configuration file "ZKL_Labeller.ini" and its loader. The file lies in the folder of
// the host's macro project and is only ever read. A load either fills the settings record
// and the two item-row lists (settings mode) or fills the main dialog's controls and lists
// (dialog mode, where only the four style and level names go into the record).
//
// The caller owns the module, the dialog and both row lists; the loader keeps nothing.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "settings/item_row.h"
#include "settings/labeller_module.h"
#include "settings/settings_dialog.h"

namespace zkl {

inline constexpr std::string_view ConfigurationFileName = "ZKL_Labeller.ini";

// The configuration file is missing or cannot be read; the message names the full path.
class SettingsFileError : public std::runtime_error {
public:
    explicit SettingsFileError(const std::string& message) : std::runtime_error(message) {}
};

// The folder of the macro project path (up to its last "\" or "/") followed by the file
// name; a project path without a folder gives the bare name, found in the current folder.
std::string ConfigurationFilePath(std::string_view macroProjectPath);

// Loads the file beside the host's active macro project (see ConfigurationFilePath).
// `styleName` empty loads the general part alone; otherwise the general part and every
// section of that style (name compared ignoring case). `intoSettings` false is dialog mode
// and needs a dialog. Both row lists restart as one empty row, and invalidPropertyList as
// ",". Throws SettingsFileError when the file cannot be read, and ConversionError (naming
// file, line and key) for a number that does not convert in settings mode; keys applied
// before that keep their new values. Faulty item rows are reported in an "Error!" message
// box, one per row, and the load goes on.
void LoadSettingsFile(mdlOPM_Labeller& module, SettingsDialog* dialog, ItemRows& labelItems,
                      ItemRows& dimItems, std::string_view styleName, bool intoSettings);

// The same for a file given by path.
void LoadSettingsFile(const std::filesystem::path& file, mdlOPM_Labeller& module, SettingsDialog* dialog,
                      ItemRows& labelItems, ItemRows& dimItems, std::string_view styleName,
                      bool intoSettings);

}  // namespace zkl
