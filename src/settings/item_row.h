// Item rows: which components get a label or a dimension, how they are recognised and what
// they get. A row's text is five fields separated by ";" (match format; patterns; label
// format; frame style code; class keyword), spaces around each field ignored, parts after
// the fifth dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zkl {

struct ItemRow {
    std::string MatchFormat;
    std::string MatchPatterns;
    std::string LabelFormat;
    std::int16_t FrameStyle = 0;
    std::string ComponentClass;

    friend bool operator==(const ItemRow&, const ItemRow&) = default;
};

// A row list starts as one empty row; an empty row matches nothing.
using ItemRows = std::vector<ItemRow>;

struct ParsedItemRow {
    ItemRow row;
    std::vector<std::string> parts;  // the trimmed ";" parts as written
    bool complete = true;            // false when a field could not be set
};

// Fills the fields one by one; a missing part or a frame style that is not a 16-bit number
// leaves that field empty (0) and marks the row incomplete.
ParsedItemRow ParseItemRow(std::string_view text);

// The message-box text for an incomplete row: the heading (for example "Please check row 12")
// then each part on its own line, lines separated by "\r".
std::string FaultyRowMessage(std::string_view heading, const std::vector<std::string>& parts);

}  // namespace zkl
