// How Automatic Place chooses a label's place among the free places its spiral search
// reaches: the first one (the labeller's own rule and the default), or the one whose leader
// runs clear of every other leader and label body, the shortest such leader first.
//
// The choice lives in the configuration file's general part (LABELPLACEMENT and
// KEEPLABELSINSIDE, see examples/ZKL_Labeller.ini) and on the command line (auto
// --placement, --keep-inside); the command line wins.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zkl {

enum class PlacementRule { FirstFree, ClearLeader };

struct PlacementOptions {
    PlacementRule rule = PlacementRule::FirstFree;
    // Clear-leader placement only: a place whose body reaches beyond the drawing area does
    // not count as clear.
    bool keepInsideArea = false;

    friend bool operator==(const PlacementOptions&, const PlacementOptions&) = default;
};

inline constexpr std::string_view PlacementRuleKey = "LABELPLACEMENT";
inline constexpr std::string_view KeepInsideAreaKey = "KEEPLABELSINSIDE";

// "first" or "clear", as written in the file and on the command line.
std::string_view PlacementRuleName(PlacementRule rule);

// "first" or "clear" in any letter case, blanks around allowed. Throws std::invalid_argument
// naming the value and the values there are.
PlacementRule ParsePlacementRule(std::string_view text);

// Both keys from the general part of the configuration file (before the first "LABEL
// STYLE" line); a key that is missing keeps its default. KEEPLABELSINSIDE takes 1/0,
// TRUE/FALSE or YES/NO. Throws SettingsFileError when the file cannot be read and
// std::invalid_argument naming file, line and key for a value that is neither.
PlacementOptions ReadPlacementOptions(const std::filesystem::path& file);

}  // namespace zkl
