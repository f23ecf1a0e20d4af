#include "label/label_origin.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace zkl {

namespace {

constexpr std::array<std::pair<LabelPlacement, std::string_view>, 4> PlacementWords{{
    {LabelPlacement::Automatic, "automatic"},
    {LabelPlacement::ByHand, "manual"},
    {LabelPlacement::MovedByHand, "moved"},
    {LabelPlacement::Side, "side"},
}};

const PropertyValue* Find(const Element& element, std::string_view name) {
    for (const Property& property : element.properties)
        if (property.accessString == name) return &property.value;
    return nullptr;
}

void Erase(Element& element, std::string_view name) {
    std::erase_if(element.properties, [&](const Property& p) { return p.accessString == name; });
}

}  // namespace

std::string_view LabelPlacementName(LabelPlacement placement) {
    for (const auto& [value, word] : PlacementWords)
        if (value == placement) return word;
    return "unrecorded";
}

LabelOrigin ReadLabelOrigin(const Element& labelCell) {
    LabelOrigin origin;
    if (const PropertyValue* component = Find(labelCell, LabelComponentProperty))
        origin.component = component->ToText();
    const PropertyValue* placed = Find(labelCell, LabelPlacedProperty);
    if (!placed) return origin;
    const std::string word = placed->ToText();
    const auto known = std::find_if(PlacementWords.begin(), PlacementWords.end(),
                                    [&](const auto& entry) { return entry.second == word; });
    if (known == PlacementWords.end())
        throw std::invalid_argument(labelCell.Describe() + ": property " + std::string(LabelPlacedProperty) +
                                    " is '" + word +
                                    "'; a label is placed 'automatic', 'manual', 'moved' or 'side'");
    origin.placement = known->first;
    return origin;
}

void RecordLabelOrigin(Element& labelCell, const LabelOrigin& origin) {
    Erase(labelCell, LabelComponentProperty);
    Erase(labelCell, LabelPlacedProperty);
    if (origin.placement == LabelPlacement::Unrecorded) return;
    if (!origin.component.empty())
        labelCell.properties.push_back({std::string(LabelComponentProperty), PropertyValue(origin.component)});
    labelCell.properties.push_back(
        {std::string(LabelPlacedProperty), PropertyValue(std::string(LabelPlacementName(origin.placement)))});
}

}  // namespace zkl
