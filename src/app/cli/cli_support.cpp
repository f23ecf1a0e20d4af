#include "app/cli/cli_support.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <stdexcept>

#include "app/cli/command.h"
#include "host/message_text.h"
#include "io/sheet_file.h"
#include "settings/settings_file.h"

namespace zkl::app {

namespace fs = std::filesystem;

namespace {

std::string CheckExtension(const std::string& path, std::string_view extension, std::string_view what) {
    std::string actual = fs::path(path).extension().string();
    std::transform(actual.begin(), actual.end(), actual.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (actual == extension) return "";
    return QuotedPath(path) + " is not a " + std::string(extension) + " file name; " + std::string(what);
}

}  // namespace

std::string QuotedPath(const fs::path& path) { return "'" + Escaped(path.string()) + "'"; }

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            line += Escaped(std::string_view(&c, 1));
        else
            line += c;
    }
    return line;
}

void CheckOutputs(const std::vector<std::string>& paths) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        io::CheckOutputPath(paths[i]);
        for (std::size_t k = 0; k < i; ++k)
            if (io::SameFile(paths[k], paths[i]))
                throw UsageError("the outputs " + QuotedPath(paths[k]) + " and " + QuotedPath(paths[i]) +
                                 " are the same file");
    }
}

std::string CheckSheetName(const std::string& path) {
    return CheckExtension(path, ".json", "sheets are written as JSON (FILE.json)");
}

void StderrPrompter::MessageBox(std::string_view title, std::string_view text) {
    // A box's lines are separated by CR; any other break in its text is escaped.
    std::string line(text);
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::cerr << ProgramName << ": " << OneLine(title) << ": " << OneLine(line) << "\n";
}

ConfigurationFolder::ConfigurationFolder(const std::optional<std::string>& config, const fs::path& sheet) {
    const fs::path file = config ? fs::path(*config) : sheet.parent_path() / ConfigurationFileName;
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (fs::is_directory(status))
        throw std::runtime_error("the configuration file " + QuotedPath(file) + " is a folder");
    if (!fs::exists(status)) {
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
            throw std::runtime_error("cannot read the configuration file " + QuotedPath(file) + ": " +
                                     ec.message());
        throw std::runtime_error("the configuration file " + QuotedPath(file) +
                                 " does not exist (give one with --config)");
    }
    if (!fs::is_regular_file(status))
        throw std::runtime_error("the configuration file " + QuotedPath(file) + " is not a file");
    if (file.filename() == ConfigurationFileName) {
        folder_ = fs::absolute(file).parent_path();
        return;
    }
    const fs::path copy = fs::temp_directory_path() / ("zkl-labeller-config-" + std::to_string(::getpid()));
    fs::create_directories(copy, ec);
    if (!ec) fs::copy_file(file, copy / ConfigurationFileName, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::error_code ignored;  // the destructor does not run for a constructor that throws
        fs::remove_all(copy, ignored);
        throw std::runtime_error("cannot copy the configuration file " + QuotedPath(file) + " to " +
                                 QuotedPath(copy) + ": " + ec.message());
    }
    temporary_ = copy;
    folder_ = copy;
}

ConfigurationFolder::~ConfigurationFolder() {
    std::error_code ignored;  // a temporary copy left behind is no reason to fail the run
    if (temporary_) fs::remove_all(*temporary_, ignored);
}

std::string ConfigurationFolder::MacroProjectPath() const { return (folder_ / "ZKL_Labeller.mvba").string(); }

}  // namespace zkl::app
