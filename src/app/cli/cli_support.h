// What the subcommands that run the labeller on a sheet share: checks of output file names,
// message boxes shown on stderr, the configuration file put where the dialog looks, and the
// text helpers that keep every error on one line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "cad/prompter.h"
#include "io/atomic_file.h"

namespace zkl::app {

// A path for a message: between single quotes, with line breaks, quotes and control
// characters escaped.
std::string QuotedPath(const std::filesystem::path& path);

// The text with what would break it over lines (line breaks, control characters) escaped;
// quotes and backslashes stay, so a message already built with zkl::Quoted is unchanged.
std::string OneLine(std::string_view text);

// Refuses, before any work is done, outputs that cannot be written (FileError) and two
// outputs that are one file (UsageError).
void CheckOutputs(const std::vector<std::string>& paths);

// CLI11 validators: empty text when `path` ends in the extension (any case), else why not.
std::string CheckSheetName(const std::string& path);
std::string CheckReportName(const std::string& path);
// Empty text when `rule` names a placement rule (first or clear), else why not.
std::string CheckPlacementRule(const std::string& rule);

// A command-line run cannot wait for an OK click: each box is one line on stderr.
class StderrPrompter : public cad::Prompter {
public:
    void MessageBox(std::string_view title, std::string_view text) override;
};

}  // namespace zkl::app
