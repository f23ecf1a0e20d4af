// The label format language: tokens joined by "&" — [PROPERTY], "literal", {ELEVATION} —
// evaluated for one component; and the item-row matching that classifies a component.
// Evaluation never fails: an unreadable property empties the text built so far and is
// recorded once in the module's invalid-property list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

enum class FormatTokenKind { Property, Literal, Elevation, Ignored };

struct FormatToken {
    FormatTokenKind kind = FormatTokenKind::Ignored;
    // The access string (upper case), the literal text or the elevation keyword; for an
    // ignored token the trimmed token as written.
    std::string text;

    friend bool operator==(const FormatToken&, const FormatToken&) = default;
};

// Splits at every "&" (there is no escape) and recognises each trimmed token by its first
// and last character. An empty format gives no tokens.
std::vector<FormatToken> SplitLabelFormat(std::string_view format);

std::string EvaluateLabelFormat(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows,
                                std::string_view format);

// The index of the last row whose match format, evaluated for the element, fits one of its
// comma-separated patterns; none when no row does. Every row's match format is evaluated.
std::optional<std::size_t> FindItemRow(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows);

// The class keyword of the row FindItemRow picks, empty when none matches.
std::string GetComponentClass(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows);

// Adds "NAME," to the list unless ",NAME," is already in it.
void RecordInvalidProperty(std::string& invalidPropertyList, std::string_view accessString);

}  // namespace zkl
