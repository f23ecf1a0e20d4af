#include "host/property_value.h"

#include <charconv>
#include <cmath>

#include "host/host_error.h"

namespace zkl {

std::string DoubleToText(double value) {
    // Integral values read better without an exponent ("2350", not "2.35e+03").
    if (value == 0.0) return "0";
    char buffer[64];
    if (std::abs(value) < 1e15 && value == static_cast<double>(static_cast<long long>(value))) {
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
        return std::string(buffer, end);
    }
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

std::string PropertyValue::ToText() const {
    if (IsNumber()) return DoubleToText(Number());
    if (IsText()) return Text();
    return {};
}

std::vector<std::string> PropertyHandler::AccessStrings() const {
    std::vector<std::string> names;
    names.reserve(properties_->size());
    for (const auto& property : *properties_) names.push_back(property.accessString);
    return names;
}

void PropertyHandler::Select(std::string_view accessString) {
    selected_ = NotSelected;
    for (std::size_t i = 0; i < properties_->size(); ++i) {
        if ((*properties_)[i].accessString == accessString) {
            selected_ = i;
            return;
        }
    }
    throw HostError("the component has no property '" + std::string(accessString) + "'");
}

const PropertyValue* PropertyHandler::Find(std::string_view accessString) const {
    for (const Property& property : *properties_)
        if (property.accessString == accessString) return &property.value;
    return nullptr;
}

const PropertyValue& PropertyHandler::SelectedValue() const {
    if (selected_ == NotSelected) throw HostError("no property is selected");
    return (*properties_)[selected_].value;
}

}  // namespace zkl
