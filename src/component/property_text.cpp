#include "component/property_text.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/host_error.h"
#include "host/numbers.h"

namespace zkl {

namespace {

// The element's own value of the property as text; a missing property, an element without
// properties or any other host failure reads as empty text, which the callers treat as
// "not found here".
std::string OwnPropertyText(const Host& host, const Element& element, std::string_view accessString) {
    try {
        const PropertyHandler handler = host.GetPropertyHandler(element);
        const PropertyValue* value = handler.Find(accessString);
        return value ? value->ToText() : std::string();
    } catch (const HostError&) {
        return {};
    }
}

// The element's own value of the property when the host keeps it as a finite number.
std::optional<double> OwnFiniteNumber(const Host& host, const Element& element, std::string_view accessString) {
    try {
        const PropertyHandler handler = host.GetPropertyHandler(element);
        const PropertyValue* value = handler.Find(accessString);
        if (value && value->IsNumber() && std::isfinite(value->Number())) return value->Number();
    } catch (const HostError&) {
    }
    return std::nullopt;
}

std::vector<std::string> SplitAtComma(const std::string& text) {
    std::vector<std::string> items;
    if (text.empty()) return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

bool ListContains(const std::string& list, const std::string& item) {
    return ("," + list + ",").find("," + item + ",") != std::string::npos;
}

// Only cells are searched further; a cell-typed element without cell geometry has no parts.
const std::vector<Element>* ComponentsOf(const Element& element) {
    if (element.type != ElementType::Cell) return nullptr;
    const auto* cell = std::get_if<CellGeometry>(&element.geometry);
    return cell ? &cell->components : nullptr;
}

}  // namespace

std::string GetPropertyText(const Host& host, const Element& element, std::string_view accessString,
                            bool acceptZero, bool collectAll) {
    const std::string own = OwnPropertyText(host, element, accessString);
    std::string result;
    bool searchOn = true;
    if (own == "0") {
        if (acceptZero) {
            result = own;
            searchOn = collectAll;
        }
    } else if (!own.empty()) {
        result = own;
        searchOn = collectAll;
    }

    const std::vector<Element>* components = ComponentsOf(element);
    if (!components || !searchOn) return result;

    for (const Element& component : *components) {
        const std::string text = GetPropertyText(host, component, accessString, acceptZero, collectAll);
        for (const std::string& item : SplitAtComma(text)) {
            // An empty item is no value; appending it would leave a stray comma in the list.
            if (!item.empty() && !ListContains(result, item))
                result = result.empty() ? item : result + "," + item;
            if (collectAll || item.empty()) continue;
            if (item == "0" && !acceptZero) continue;
            return result;
        }
    }
    return result;
}

std::string GetObjectClassName(const Host& host, const Element& element) {
    std::optional<PropertyHandler> handler;
    std::ptrdiff_t lastIndex = -1;
    std::vector<std::string> accessStrings;
    try {
        handler.emplace(host.GetPropertyHandler(element));
        accessStrings = handler->AccessStrings();
        lastIndex = static_cast<std::ptrdiff_t>(accessStrings.size()) - 1;
    } catch (const HostError&) {
        // An element without properties is decided by the property reads below, which fail too.
    }

    // The grouping objects of the plant model have no class name of their own; they are
    // told apart by how many properties they carry, and an area from a unit (both 25) by
    // where "DESIGN_STATE" stands.
    switch (lastIndex) {
        case 24:
            if (accessStrings[0] == "DESIGN_STATE") return "AREA";
            if (accessStrings[10] == "DESIGN_STATE") return "UNIT";
            return "UNKNOWN";
        case 31:
            return "SERVICE";
        case 33:
            return "ISO";
        case 72:
            return "SEG";
        case 78:
            return "PIPELINE";
        default:
            break;
    }
    if (!handler) return "UNKNOWN";
    try {
        handler->Select("EC_CLASS_NAME");
        return handler->SelectedValue().ToText();
    } catch (const HostError&) {
        // No class name: an equipment is recognised by its location property alone.
    }
    try {
        handler->Select("EQUIPMENT_LOCATION");
        handler->SelectedValue();
        return "EQUIPMENT";
    } catch (const HostError&) {
        return "UNKNOWN";
    }
}

double GetPropertyNumber(const Host& host, const Element& element, std::string_view accessString,
                         bool acceptZero) {
    // A number kept as a number reads back as itself: its text is the shortest that reads
    // back to it. Zero reads as "0" (so -0 as 0), which only counts where zero is accepted;
    // elsewhere the search goes on to the parts as for any text.
    if (const std::optional<double> own = OwnFiniteNumber(host, element, accessString);
        own && (*own != 0.0 || acceptZero))
        return *own == 0.0 ? 0.0 : *own;
    const std::string text = GetPropertyText(host, element, accessString, acceptZero, false);
    try {
        return TextToDouble(text);
    } catch (const ConversionError&) {
        throw ConversionError(PropertyValueProblem(element, accessString, text, "not a number"));
    }
}

std::string PropertyValueProblem(const Element& element, std::string_view accessString, std::string_view text,
                                 std::string_view problem) {
    return "property " + std::string(accessString) + " of element " + std::to_string(element.id) + " is '" +
           std::string(text) + "' (" + std::string(problem) + ")";
}

}  // namespace zkl
