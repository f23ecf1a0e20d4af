// Names and defaults that the sheet reader and writer share, so that whatever the writer
// leaves out the reader fills in with the same value. Internal to io/.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "cad/drawing.h"
#include "host/element.h"

namespace zkl::io::sheet {

struct ElementTypeKey {
    ElementType type;
    std::string_view key;
};

inline constexpr std::array<ElementTypeKey, 7> ElementTypeKeys{{
    {ElementType::Line, "line"},
    {ElementType::LineString, "lineString"},
    {ElementType::Shape, "shape"},
    {ElementType::Ellipse, "ellipse"},
    {ElementType::Text, "text"},
    {ElementType::Cell, "cell"},
    {ElementType::Dimension, "dimension"},
}};

// One token of a JSON pointer ("/levels/3/name"): "~" and "/" inside a key are escaped.
inline std::string PointerToken(std::string_view key) {
    std::string token;
    for (char c : key) {
        if (c == '~')
            token += "~0";
        else if (c == '/')
            token += "~1";
        else
            token += c;
    }
    return token;
}

// What the writer refuses to write and the reader refuses to read.
inline bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = (lead >> 5) == 0x6    ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) return false;
        std::uint32_t code = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8 either.
        static constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < Smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

inline std::optional<ElementType> ElementTypeFromKey(std::string_view key) {
    for (const auto& entry : ElementTypeKeys)
        if (entry.key == key) return entry.type;
    return std::nullopt;
}

inline std::string_view KeyOfElementType(ElementType type) {
    for (const auto& entry : ElementTypeKeys)
        if (entry.type == type) return entry.key;
    return "unknown";
}

// A model element without symbology keys stands on the "Default" level in colour 0, solid,
// weight 0; a cell component without them takes its cell's symbology, which keeps
// hand-written cells short.
inline Symbology ModelElementSymbology() { return Symbology{"Default", 0, "0", 0}; }

// A level without an id takes the one after the previous level's (the first takes 1).
inline int DefaultLevelId(const std::optional<int>& previousId) { return previousId ? *previousId + 1 : 1; }

// Texts take height and width from their style when the design file has it.
inline std::pair<double, double> DefaultTextSize(const cad::Drawing& drawing, const std::string& style) {
    for (const auto& textStyle : drawing.textStyles)
        if (textStyle.name == style) return {textStyle.height, textStyle.width};
    return {1.0, 1.0};
}

// Dimensions take their options from their style, as a new dimension of that style does.
inline DimensionOptions DefaultDimensionOptions(const cad::Drawing& drawing, const std::string& style) {
    return drawing.DimensionStyleOrDefault(style).options;
}

}  // namespace zkl::io::sheet
