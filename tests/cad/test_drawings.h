// Small drawings for the cad tests: a design file with a few levels and styles, elements
// added to a model by value, and attachments with a transform. Everything is built in code so
// a test shows the geometry it relies on.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cad/drawing.h"
#include "host/element.h"

namespace zkl::cad::test {

// Levels "Default" (1), "Piping" (2) and "Border" (5); one text, dimension and line style;
// every view shows (0, 0) to (100, 100).
inline Drawing BasicDrawing() {
    Drawing drawing;
    drawing.levels = {{1, "Default"}, {2, "Piping"}, {5, "Border"}};
    drawing.textStyles = {{"Label", 2.5, 2.0, "monospace"}};
    drawing.dimensionStyles = {DimensionStyle{"Dim", 2.5, 0, {}}};
    drawing.lineStyles = {{"0", {}}};
    drawing.activeSymbology = {"Default", 3, "0", 1};
    drawing.macroProjectPath = "/opt/zkl/macros/ZKL_Labeller.mvba";
    return drawing;
}

inline Element OnLevel(Element element, std::string level) {
    element.symbology.level = std::move(level);
    return element;
}

// Adds a copy of the element to the model and returns it as stored (with id and model).
inline Element AddTo(Drawing& drawing, ModelId model, Element element) {
    drawing.Add(model, element);
    return element;
}

inline Transform3d Translation(const Point& by) {
    return Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), by);
}

// A quarter turn counter-clockwise about the origin, then a shift.
inline Transform3d QuarterTurnThenShift(const Point& by) {
    return Transform3d::FromMatrixAndTranslation(Matrix3d::RotationAboutAxisIndex(2, Pi / 2), by);
}

// Appends an empty attachment and returns its model id.
inline ModelId Attach(Drawing& drawing, std::string name, const Transform3d& toActive,
                      bool displayed = true) {
    Attachment attachment;
    attachment.name = std::move(name);
    attachment.toActive = toActive;
    attachment.displayed = displayed;
    drawing.attachments.push_back(std::move(attachment));
    return drawing.ModelCount() - 1;
}

inline Element Square(const Point& low, double size) {
    return MakeShape({low,
                      {low.x + size, low.y, low.z},
                      {low.x + size, low.y + size, low.z},
                      {low.x, low.y + size, low.z}});
}

// The elements of a model in id order, for comparing whole states.
inline std::vector<Element> Contents(const ElementStore& store) {
    std::vector<Element> elements;
    for (const auto& [id, entry] : store.Entries()) elements.push_back(entry.element);
    return elements;
}

inline std::vector<ElementId> Ids(const std::vector<Element>& elements) {
    std::vector<ElementId> ids;
    for (const Element& element : elements) ids.push_back(element.id);
    return ids;
}

}  // namespace zkl::cad::test
