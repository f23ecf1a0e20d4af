#include "settings/placement_options.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/message_text.h"
#include "settings/config_text.h"
#include "settings/settings_file.h"

namespace zkl {

namespace {

std::string_view Blankless(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool ParseSwitch(std::string_view text) {
    const std::string upper = ToUpperAscii(Blankless(text));
    if (upper == "1" || upper == "TRUE" || upper == "YES") return true;
    if (upper == "0" || upper == "FALSE" || upper == "NO") return false;
    throw std::invalid_argument("'" + Escaped(std::string(text)) + "' is not 1 or 0 (TRUE/FALSE, YES/NO)");
}

std::string FileText(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        throw SettingsFileError("cannot read the configuration file '" + Escaped(file.string()) +
                                "': it is a folder");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw SettingsFileError("cannot read the configuration file '" + Escaped(file.string()) + "'");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return DecodeConfigurationText(bytes.str());
}

}  // namespace

std::string_view PlacementRuleName(PlacementRule rule) {
    return rule == PlacementRule::ClearLeader ? "clear" : "first";
}

PlacementRule ParsePlacementRule(std::string_view text) {
    const std::string lower = [&] {
        std::string word(Blankless(text));
        for (char& c : word)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return word;
    }();
    if (lower == "first") return PlacementRule::FirstFree;
    if (lower == "clear") return PlacementRule::ClearLeader;
    throw std::invalid_argument("unknown placement '" + Escaped(std::string(text)) +
                                "': the placements are 'first' (the first free place of the spiral, "
                                "the default) and 'clear' (clear leaders)");
}

PlacementOptions ReadPlacementOptions(const std::filesystem::path& file) {
    PlacementOptions options;
    std::size_t lineNumber = 0;
    for (const std::string& line : SplitLines(FileText(file))) {
        ++lineNumber;
        const std::string_view text = line;
        if (TrimSpaces(text).starts_with('#')) continue;
        const std::size_t equals = text.find('=');
        const std::string key = ToUpperAscii(TrimSpaces(text.substr(0, equals)));
        // The keys belong to the general part; a style section cannot change how labels
        // are placed.
        if (key == "LABEL STYLE") break;
        if (equals == std::string_view::npos) continue;
        const std::string_view value = TrimSpaces(text.substr(equals + 1));
        try {
            if (key == PlacementRuleKey) options.rule = ParsePlacementRule(value);
            if (key == KeepInsideAreaKey) options.keepInsideArea = ParseSwitch(value);
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument(Escaped(file.filename().string()) + " line " +
                                        std::to_string(lineNumber) + ": " + key + ": " + error.what());
        }
    }
    return options;
}

}  // namespace zkl
