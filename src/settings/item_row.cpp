#include "settings/item_row.h"

#include "host/numbers.h"
#include "settings/config_text.h"

namespace zkl {

namespace {

// Empty text has no parts at all, so every field of its row is missing.
std::vector<std::string> SplitParts(std::string_view text) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(';', start);
        parts.emplace_back(TrimSpaces(text.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

}  // namespace

ParsedItemRow ParseItemRow(std::string_view text) {
    ParsedItemRow parsed;
    parsed.parts = SplitParts(text);
    const auto& parts = parsed.parts;
    // Each field is tried on its own: one bad part must not cost the row its other fields.
    auto textField = [&](std::size_t index, std::string& field) {
        if (index < parts.size())
            field = parts[index];
        else
            parsed.complete = false;
    };
    textField(0, parsed.row.MatchFormat);
    textField(1, parsed.row.MatchPatterns);
    textField(2, parsed.row.LabelFormat);
    if (parts.size() > 3) {
        try {
            parsed.row.FrameStyle = TextToInt16(parts[3]);
        } catch (const ConversionError&) {
            parsed.complete = false;  // the row keeps frame style 0; the caller reports it
        }
    } else {
        parsed.complete = false;
    }
    textField(4, parsed.row.ComponentClass);
    return parsed;
}

std::string FaultyRowMessage(std::string_view heading, const std::vector<std::string>& parts) {
    std::string message(heading);
    message += '\r';
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) message += '\r';
        message += parts[i];
    }
    return message;
}

}  // namespace zkl
