#include "app/cli/cli_support.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <stdexcept>

#include "app/cli/command.h"
#include "settings/settings_file.h"

namespace zkl::app {

namespace fs = std::filesystem;

namespace {

std::string CheckExtension(const std::string& path, std::string_view extension, std::string_view what) {
    std::string actual = fs::path(path).extension().string();
    std::transform(actual.begin(), actual.end(), actual.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (actual == extension) return "";
    return "'" + path + "' is not a " + std::string(extension) + " file name; " + std::string(what);
}

}  // namespace

std::string CheckPictureName(const std::string& path) {
    return CheckExtension(path, ".svg", "pictures are written as SVG (FILE.svg)");
}

std::string CheckSheetName(const std::string& path) {
    return CheckExtension(path, ".json", "sheets are written as JSON (FILE.json)");
}

void StderrPrompter::MessageBox(std::string_view title, std::string_view text) {
    std::string line(text);
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::cerr << ProgramName << ": " << title << ": " << line << "\n";
}

ConfigurationFolder::ConfigurationFolder(const std::optional<std::string>& config, const fs::path& sheet) {
    const fs::path file = config ? fs::path(*config) : sheet.parent_path() / ConfigurationFileName;
    if (!fs::is_regular_file(file))
        throw std::runtime_error("the configuration file '" + file.string() +
                                 "' does not exist (give one with --config)");
    if (file.filename() == ConfigurationFileName) {
        folder_ = fs::absolute(file).parent_path();
        return;
    }
    temporary_ = fs::temp_directory_path() / ("zkl-labeller-config-" + std::to_string(::getpid()));
    fs::create_directories(*temporary_);
    fs::copy_file(file, *temporary_ / ConfigurationFileName, fs::copy_options::overwrite_existing);
    folder_ = *temporary_;
}

ConfigurationFolder::~ConfigurationFolder() {
    std::error_code ignored;  // a temporary copy left behind is no reason to fail the run
    if (temporary_) fs::remove_all(*temporary_, ignored);
}

std::string ConfigurationFolder::MacroProjectPath() const { return (folder_ / "ZKL_Labeller.mvba").string(); }

}  // namespace zkl::app
