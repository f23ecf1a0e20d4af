// Component properties as a host hands them out: an ordered list of access strings, each
// with a tagged value (a number or a text). The handler is a value: select an access string,
// then read its value.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zkl {

class PropertyValue {
public:
    PropertyValue() = default;
    PropertyValue(double number) : value_(number) {}            // NOLINT: tagged value
    PropertyValue(std::string text) : value_(std::move(text)) {}  // NOLINT: tagged value
    PropertyValue(const char* text) : value_(std::string(text)) {}  // NOLINT: tagged value

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool IsNumber() const { return std::holds_alternative<double>(value_); }
    bool IsText() const { return std::holds_alternative<std::string>(value_); }
    double Number() const { return std::get<double>(value_); }
    const std::string& Text() const { return std::get<std::string>(value_); }

    // The default text form: numbers with "." and the shortest digits that read back to the
    // same double, texts as they are, an empty value as empty text.
    std::string ToText() const;

    friend bool operator==(const PropertyValue&, const PropertyValue&) = default;

private:
    std::variant<std::monostate, double, std::string> value_;
};

struct Property {
    std::string accessString;
    PropertyValue value;

    friend bool operator==(const Property&, const Property&) = default;
};

using PropertyList = std::vector<Property>;

class PropertyHandler {
public:
    // A handler with its own copy of the properties.
    explicit PropertyHandler(PropertyList properties)
        : owned_(std::make_shared<const PropertyList>(std::move(properties))), properties_(owned_.get()) {}
    // A handler that reads the properties where they are, which must outlive it: an
    // element's properties, read while the element is at hand. Reading a few properties of
    // a component is the labeller's most frequent question; copying them all for each
    // read cost more than the answer.
    static PropertyHandler Reading(const PropertyList& properties) { return PropertyHandler(&properties); }

    std::vector<std::string> AccessStrings() const;
    // Throws HostError when the element has no property with this access string.
    void Select(std::string_view accessString);
    // The value of the property with this access string, or null when there is none: for a
    // caller that takes a missing property as an answer, not as a failure.
    const PropertyValue* Find(std::string_view accessString) const;
    // Throws HostError when nothing is selected.
    const PropertyValue& SelectedValue() const;

private:
    explicit PropertyHandler(const PropertyList* properties) : properties_(properties) {}

    std::shared_ptr<const PropertyList> owned_;
    const PropertyList* properties_;
    std::size_t selected_ = NotSelected;
    static constexpr std::size_t NotSelected = static_cast<std::size_t>(-1);
};

// Shortest decimal text that reads back to the same double ("." as separator, no grouping).
std::string DoubleToText(double value);

}  // namespace zkl
