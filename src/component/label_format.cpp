#include "component/label_format.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "component/elevation_text.h"
#include "component/wildcard.h"
#include "host/host_error.h"
#include "settings/config_text.h"

namespace zkl {

namespace {

bool EnclosedBy(std::string_view token, char first, char last) {
    return token.size() >= 2 && token.front() == first && token.back() == last;
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t found = text.find(separator, start);
        parts.push_back(
            text.substr(start, found == std::string_view::npos ? std::string_view::npos : found - start));
        if (found == std::string_view::npos) break;
        start = found + 1;
    }
    return parts;
}

// Whether elevation tokens are computed. A match format is evaluated to classify the
// component, and an elevation needs that class, so inside a match format an elevation
// token would ask for itself without end; there it adds nothing.
enum class Elevations { Computed, Skipped };

std::string Evaluate(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows,
                     std::string_view format, Elevations elevations) {
    std::string result;
    for (const FormatToken& token : SplitLabelFormat(format)) {
        switch (token.kind) {
            case FormatTokenKind::Property:
            {
                // Many components lack a property some row asks for: that is an answer here,
                // found without an exception (a host may still fail to give properties).
                std::optional<PropertyHandler> handler;
                const PropertyValue* value = nullptr;
                try {
                    handler.emplace(module.host.GetPropertyHandler(element));
                    value = handler->Find(token.text);
                } catch (const HostError&) {
                }
                if (value) {
                    result += value->ToText();
                } else {
                    // A label must not show values next to a gap where one is missing, so
                    // what was built so far goes; the name is kept for the user's report.
                    result.clear();
                    RecordInvalidProperty(module.invalidPropertyList, token.text);
                }
                break;
            }
            case FormatTokenKind::Literal:
                result += token.text;
                break;
            case FormatTokenKind::Elevation:
                if (elevations == Elevations::Skipped) break;
                try {
                    result += GetElevationText(module, element, token.text, rows);
                } catch (const std::exception&) {
                    // The elevation cannot be computed for this component (a missing or
                    // non-numeric value, no attachment): it adds nothing.
                }
                break;
            case FormatTokenKind::Ignored:
                break;
        }
    }
    return result;
}

}  // namespace

std::vector<FormatToken> SplitLabelFormat(std::string_view format) {
    std::vector<FormatToken> tokens;
    if (format.empty()) return tokens;
    for (std::string_view part : SplitAt(format, '&')) {
        const std::string_view token = TrimSpaces(part);
        const std::string_view inner =
            token.size() >= 2 ? token.substr(1, token.size() - 2) : std::string_view{};
        if (EnclosedBy(token, '[', ']')) {
            tokens.push_back({FormatTokenKind::Property, ToUpperAscii(inner)});
        } else if (EnclosedBy(token, '"', '"')) {
            tokens.push_back({FormatTokenKind::Literal, std::string(inner)});
        } else if (EnclosedBy(token, '{', '}')) {
            tokens.push_back({FormatTokenKind::Elevation, std::string(inner)});
        } else {
            tokens.push_back({FormatTokenKind::Ignored, std::string(token)});
        }
    }
    return tokens;
}

std::string EvaluateLabelFormat(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows,
                                std::string_view format) {
    return Evaluate(module, element, rows, format, Elevations::Computed);
}

std::optional<std::size_t> FindItemRow(mdlOPM_Labeller& module, const Element& element,
                                       const ItemRows& rows) {
    std::optional<std::size_t> found;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const ItemRow& row = rows[index];
        // Evaluated even when no pattern could match, so its unreadable properties are
        // reported like any other.
        const std::string matchText = Evaluate(module, element, rows, row.MatchFormat, Elevations::Skipped);
        if (row.MatchPatterns.empty()) continue;
        for (std::string_view pattern : SplitAt(row.MatchPatterns, ',')) {
            if (MatchesWildcard(matchText, pattern)) {
                found = index;
                break;
            }
        }
    }
    return found;
}

std::string GetComponentClass(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows) {
    const std::optional<std::size_t> index = FindItemRow(module, element, rows);
    return index ? rows[*index].ComponentClass : std::string();
}

void RecordInvalidProperty(std::string& invalidPropertyList, std::string_view accessString) {
    const std::string name(accessString);
    if (invalidPropertyList.find("," + name + ",") != std::string::npos) return;
    invalidPropertyList += name + ",";
}

}  // namespace zkl
