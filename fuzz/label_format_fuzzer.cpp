// Label formats and item-row matching on a plant component made from the input, checked
// against the rules of docs/label-formats.md read once more here: a property token adds the
// component's value or, when it has none, throws away the text built so far and is named
// once in the invalid-property list; a literal adds its text; the last row whose match text
// fits one of its patterns wins, and a match format's elevations add nothing.
//
// The input is lines: the first is the format to evaluate, the others (by their first
// letter) build the rest:
//   R row          an item row as the configuration file writes it (match;patterns;format;frame;class)
//   P NAME=text    a text property        N NAME=number   a number property
//   E NAME         a property without a value
//   O x,y,z        the plant origin offset
//   U factor       the unit factor of the plant model's attachment
//   C name         the component becomes a cell; later properties go to a new part of it
// Other lines change nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/cad_host.h"
#include "component/label_format.h"
#include "component/wildcard.h"
#include "fuzz_check.h"
#include "host/numbers.h"
#include "settings/item_row.h"

namespace zkl::fuzz {
namespace {

constexpr ModelId PlantModel = 1;

struct Component {
    PropertyList properties;  // the component's own
    std::vector<std::pair<std::string, PropertyList>> parts;
    ItemRows rows;
    std::string format;
    std::string originOffset = "0,0,0";
    double unitFactor = 0.01;

    PropertyList& Current() { return parts.empty() ? properties : parts.back().second; }

    Element Build() const {
        Element element = MakeLine({0, 0, 0}, {1, 0, 0});
        if (!parts.empty()) {
            std::vector<Element> components;
            for (const auto& [name, partProperties] : parts) {
                Element part = MakeLine({0, 0, 0}, {1, 0, 0});
                part.properties = partProperties;
                components.push_back(std::move(part));
            }
            element = MakeCell(parts.front().first, std::move(components), {0, 0, 0});
        }
        element.id = 42;
        element.model = PlantModel;
        element.properties = properties;
        return element;
    }
};

Component Read(std::string_view input) {
    Component component;
    std::size_t start = 0;
    bool first = true;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        const std::string_view line = input.substr(start, end - start);
        start = end + 1;
        if (first) {
            component.format = line;
            first = false;
            continue;
        }
        if (line.size() < 2 || line[1] != ' ') continue;
        const std::string_view rest = line.substr(2);
        const std::size_t equals = rest.find('=');
        const std::string name(rest.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos ? "" : rest.substr(equals + 1);
        try {
            switch (line[0]) {
                case 'R':
                    component.rows.push_back(ParseItemRow(rest).row);
                    break;
                case 'P':
                    component.Current().push_back({name, std::string(value)});
                    break;
                case 'N':
                    component.Current().push_back({name, TextToDouble(value)});
                    break;
                case 'E':
                    component.Current().push_back({name, {}});
                    break;
                case 'O':
                    component.originOffset = rest;
                    break;
                case 'U':
                    // A sheet refuses a unit factor that is not a positive number.
                    if (const double factor = TextToDouble(rest); factor > 0) component.unitFactor = factor;
                    break;
                case 'C':
                    component.parts.push_back({std::string(rest), {}});
                    break;
                default:
                    break;
            }
        } catch (const ConversionError&) {
            // Not a number: the line is left out, as a sheet could not carry it either.
        }
    }
    return component;
}

// The rules again, on the tokens SplitLabelFormat gives. Empty when the format holds an
// elevation, which the reference does not compute.
class Reference {
public:
    Reference(const Element& element, const ItemRows& rows) : element_(element), rows_(rows) {}

    std::optional<std::string> Evaluate(std::string_view format, bool inMatchFormat) {
        std::string result;
        for (const FormatToken& token : SplitLabelFormat(format)) {
            if (token.kind == FormatTokenKind::Literal) {
                result += token.text;
            } else if (token.kind == FormatTokenKind::Property) {
                const Property* found = nullptr;
                for (const Property& property : element_.properties)
                    if (!found && property.accessString == token.text) found = &property;
                if (found) {
                    result += found->value.ToText();
                } else {
                    result.clear();
                    if (invalid.find("," + token.text + ",") == std::string::npos)
                        invalid += token.text + ",";
                }
            } else if (token.kind == FormatTokenKind::Elevation && !inMatchFormat) {
                return std::nullopt;
            }
        }
        return result;
    }

    std::optional<std::size_t> FindRow() {
        std::optional<std::size_t> found;
        for (std::size_t index = 0; index < rows_.size(); ++index) {
            const std::string text = *Evaluate(rows_[index].MatchFormat, true);
            const std::string& patterns = rows_[index].MatchPatterns;
            if (patterns.empty()) continue;
            std::size_t from = 0;
            while (from <= patterns.size()) {
                const std::size_t comma = std::min(patterns.find(',', from), patterns.size());
                if (MatchesWildcard(text, std::string_view(patterns).substr(from, comma - from)))
                    found = index;
                from = comma + 1;
            }
        }
        return found;
    }

    std::string invalid = ",";

private:
    const Element& element_;
    const ItemRows& rows_;
};

void CheckSplit(std::string_view format) {
    const std::vector<FormatToken> tokens = SplitLabelFormat(format);
    std::size_t separators = 0;
    for (const char c : format) separators += c == '&' ? 1 : 0;
    Check(tokens.size() == (format.empty() ? 0 : separators + 1),
          "a format split into the wrong number of tokens");
    for (const FormatToken& token : tokens) {
        Check(token.text.find('&') == std::string::npos, "a token holds a '&'");
        if (token.kind == FormatTokenKind::Property)
            for (const char c : token.text)
                Check(!(c >= 'a' && c <= 'z'), "a property name is not upper case");
    }
}

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl;
    using namespace zkl::fuzz;
    const Component component = Read(AsText(data, size));
    const Element element = component.Build();
    const ItemRows& rows = component.rows;
    CheckSplit(component.format);

    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}};
    cad::Attachment plant;
    plant.name = "Plant";
    plant.toActive = Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), {500, 300, 0});
    plant.unitFactor = component.unitFactor;
    drawing.attachments.push_back(std::move(plant));
    cad::CadHost host(std::move(drawing));
    mdlOPM_Labeller module(host);
    module.settings.PlantOriginOffset = component.originOffset;

    Reference reference(element, rows);
    const std::optional<std::size_t> found = FindItemRow(module, element, rows);
    const std::optional<std::size_t> expected = reference.FindRow();
    Check(found == expected, "FindItemRow picked another row than the last matching one");
    Check(module.invalidPropertyList == reference.invalid,
          "the match formats named other invalid properties");
    Check(GetComponentClass(module, element, rows) == (found ? rows[*found].ComponentClass : ""),
          "GetComponentClass disagrees with FindItemRow");

    const std::string text = EvaluateLabelFormat(module, element, rows, component.format);
    if (const std::optional<std::string> expectedText = reference.Evaluate(component.format, false)) {
        Check(text == *expectedText, "the format evaluated to another text");
        Check(module.invalidPropertyList == reference.invalid, "the format named other invalid properties");
    } else {
        Check(EvaluateLabelFormat(module, element, rows, component.format) == text,
              "a format with an elevation evaluated to another text the second time");
    }
    for (const ItemRow& row : rows) (void)EvaluateLabelFormat(module, element, rows, row.LabelFormat);
    const std::string& invalid = module.invalidPropertyList;
    Check(invalid.starts_with(',') && invalid.ends_with(','), "the invalid-property list lost its commas");
    return 0;
}
