#include "app/cli/cli_support.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <stdexcept>

#include "app/cli/command.h"
#include "host/message_text.h"
#include "io/sheet_file.h"
#include "settings/placement_options.h"
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

std::string CheckReportName(const std::string& path) {
    return CheckExtension(path, ".json", "reports are written as JSON (FILE.json)");
}

std::string CheckPlacementRule(const std::string& rule) {
    try {
        ParsePlacementRule(rule);
        return {};
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
}

void StderrPrompter::MessageBox(std::string_view title, std::string_view text) {
    // A box's lines are separated by CR; any other break in its text is escaped.
    std::string line(text);
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::cerr << ProgramName << ": " << OneLine(title) << ": " << OneLine(line) << "\n";
}

}  // namespace zkl::app
