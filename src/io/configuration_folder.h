// The labeller reads "ZKL_Labeller.ini" from the folder of the host's macro project. A front
// end that lets the user name the configuration (a command-line option, a menu item) gives
// the labeller a macro project path from here: the folder of the file named, or of the one
// beside the sheet; a file of another name is copied under the expected name into a folder
// of its own for as long as this object lives.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zkl::io {

class ConfigurationFolder {
public:
    // Throws std::runtime_error naming the file when it is missing, a folder or unreadable;
    // `howToChoose` ends the message for a missing file ("give one with --config").
    ConfigurationFolder(const std::optional<std::filesystem::path>& config, const std::filesystem::path& sheet,
                        std::string_view howToChoose);
    ~ConfigurationFolder();
    ConfigurationFolder(const ConfigurationFolder&) = delete;
    ConfigurationFolder& operator=(const ConfigurationFolder&) = delete;

    std::string MacroProjectPath() const;
    // The file the user chose or the one found beside the sheet.
    const std::filesystem::path& File() const { return file_; }

private:
    std::filesystem::path file_;
    std::filesystem::path folder_;
    std::optional<std::filesystem::path> temporary_;
};

}  // namespace zkl::io
