// Reading a plant cell of a sheet back the way the labeller does (placement matrix in
// millimetres, model coordinates a hundredth of that), so sheet tests can check that a
// cell's graphics agree with its properties.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "host/element.h"
#include "host/geometry.h"

namespace zkl::testing {

inline std::optional<PropertyValue> Find(const Element& element, const std::string& name) {
    for (const auto& property : element.properties)
        if (property.accessString == name) return property.value;
    return std::nullopt;
}

inline double NumberOf(const Element& element, const std::string& name) {
    const auto value = Find(element, name);
    if (!value || !value->IsNumber()) throw std::runtime_error(element.Describe() + " has no number " + name);
    return value->Number();
}

struct Frame {
    Point origin, x, y, z;  // origin in mm
};

inline Frame FrameOf(const Element& cell) {
    const auto m = [&](int index) {
        return NumberOf(cell,
                        "TRANSFORMATION_MATRIX.M" + std::string(index < 10 ? "0" : "") + std::to_string(index));
    };
    return {{m(3), m(7), m(11)}, {m(0), m(4), m(8)}, {m(1), m(5), m(9)}, {m(2), m(6), m(10)}};
}

inline Point ToModel(const Point& millimetres) {
    return {millimetres.x / 100, millimetres.y / 100, millimetres.z / 100};
}

inline bool Near(const Point& a, const Point& b) { return Distance(a, b) < 1e-5; }

// Whether some linear component runs from `from` to `to` (attached-model coordinates).
inline bool HasLineBetween(const Element& cell, const Point& from, const Point& to) {
    for (const auto& component : cell.Cell().components)
        if (component.IsLinear() && Near(component.Linear().vertices.front(), from) &&
            Near(component.Linear().vertices.back(), to))
            return true;
    return false;
}

}  // namespace zkl::testing
