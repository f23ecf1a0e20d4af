// A drawing for the layout tests: the tables the labeller's settings name, a plant
// attachment without a transform (attached coordinates = active coordinates), a border
// from (0, 0) to (200, 100), and makers for plant cells whose properties put their key
// points exactly where a test says, in active-model units.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/cad_host.h"
#include "cad/prompter.h"
#include "host/element.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl::layout_test {

inline constexpr ModelId PlantModel = 1;

inline cad::Drawing LayoutDrawing() {
    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}, {2, "ZKL_Dim"}, {3, "ZKL_Border"}};
    drawing.textStyles = {{"ZKL_Text", 2.5, 2.0, "monospace"}};
    drawing.dimensionStyles = {DimensionStyle{"ZKL_Dim", 2.5, 0, {}}};
    drawing.lineStyles = {{"0", {}}, {"2", {3, 1.5}}};
    drawing.activeSymbology = {"Default", 3, "0", 1};
    drawing.attachments.push_back(cad::Attachment{"Plant", {}, {}, 1.0, 1.0, true});
    return drawing;
}

// D1 5, D2 3, U 1, H 10: labels stand W = 18 outside their side.
inline LabellerSettings LayoutSettings() {
    LabellerSettings s;
    s.IgnoreDN = 25;
    s.DimStyleName = "ZKL_Dim";
    s.DimLevelName = "ZKL_Dim";
    s.TextStyleName = "ZKL_Text";
    s.LabelDistance1 = 5;
    s.LabelDistance2 = 3;
    s.UnderlineDistance = 1;
    s.TextHeight = 2.5;
    s.TextWidth = 2;
    s.DimHeight = 10;
    s.GridCellName = "GRID*";
    return s;
}

// A plant cell placed at `start` with its x axis along `axis` (unit length). The plant
// stores millimetres (drawing units x 100) and design lengths in metres (x 10).
inline Element PlantCell(const std::string& className, const Point& start, const Point& axis,
                         PropertyValue nominalDiameter, const std::string& pipeline,
                         std::vector<Element> graphics) {
    const Point helper = std::abs(axis.z) > 0.9 ? Point{1, 0, 0} : Point{0, 0, 1};
    const Point y = Cross(helper, axis) * (1.0 / Length(Cross(helper, axis)));
    const Point z = Cross(axis, y);
    const double m[12] = {axis.x, y.x,           z.x,    start.x * 100, axis.y, y.y,
                          z.y,    start.y * 100, axis.z, y.z,           z.z,    start.z * 100};
    Element cell = MakeCell(className, std::move(graphics), start);
    cell.properties = {{"EC_CLASS_NAME", PropertyValue(className)},
                       {"PIPELINE", PropertyValue(pipeline)},
                       {"NOMINAL_DIAMETER", std::move(nominalDiameter)}};
    for (int i = 0; i < 12; ++i)
        cell.properties.push_back(
            {"TRANSFORMATION_MATRIX.M" + std::string(i < 10 ? "0" : "") + std::to_string(i), m[i]});
    return cell;
}

inline Element Pipe(const Point& start, const Point& end, PropertyValue nominalDiameter,
                    const std::string& pipeline) {
    const double length = Distance(start, end);
    Element pipe = PlantCell("PIPE", start, (end - start) * (1.0 / length), std::move(nominalDiameter),
                             pipeline, {MakeLine(start, end)});
    pipe.properties.push_back({"LENGTH_EFFECTIVE", length / 10});
    return pipe;
}

// "ELBOW" or "TEE" in plan, entering along +x 5 before `anchor` (the elbow's corner, the
// tee's centre).
inline Element Fitting(const std::string& className, const Point& anchor, double nominalDiameter,
                       const std::string& pipeline) {
    const Point start = anchor - Point{5, 0, 0};
    Element fitting = PlantCell(className, start, {1, 0, 0}, nominalDiameter, pipeline,
                                {MakeLine(start, anchor), MakeLine(anchor, anchor + Point{0, 5, 0})});
    for (const char* length : {"RUN", "OUTLET", "BRANCH"})
        fitting.properties.push_back(
            {std::string("DESIGN_LENGTH_CENTER_TO_") + length + "_END_EFFECTIVE", PropertyValue(0.5)});
    return fitting;
}

// The texts in the given order, and a short line inside the border so that a fence over
// the border takes the cell in.
inline Element GridCell(const std::vector<std::pair<std::string, Point>>& names) {
    std::vector<Element> components;
    for (const auto& [name, origin] : names) components.push_back(MakeText(name, origin));
    components.push_back(MakeLine({10, 10, 0}, {20, 10, 0}));
    return MakeCell("GRID_1", std::move(components), {0, 0, 0});
}

inline ItemRows DimensionRows() {
    return {ItemRow{"[EC_CLASS_NAME]", "PIPE", "[PIPELINE]", 0, "STRAIGHT"},
            ItemRow{"[EC_CLASS_NAME]", "ELBOW", "[PIPELINE]", 0, "TURN90"},
            ItemRow{"[EC_CLASS_NAME]", "TEE", "[PIPELINE]", 0, "TEE"}};
}

class LayoutTest : public ::testing::Test {
protected:
    LayoutTest() : host_(LayoutDrawing()), module_(host_) {
        host_.SetPrompter(prompter_);
        module_.settings = LayoutSettings();
        border_ = MakeShape({{0, 0, 0}, {200, 0, 0}, {200, 100, 0}, {0, 100, 0}});
        host_.AddElement(border_);
    }

    Element AddPlant(Element cell) {
        host_.GetDrawing().Add(PlantModel, cell);
        return cell;
    }

    std::vector<Element> ActiveOfType(ElementType type) const {
        std::vector<Element> elements;
        for (const auto& [id, entry] : host_.GetDrawing().activeModel.Entries())
            if (entry.element.type == type) elements.push_back(entry.element);
        return elements;
    }
    std::vector<Element> LabelCells() const {
        std::vector<Element> cells;
        for (const Element& cell : ActiveOfType(ElementType::Cell))
            if (cell.Cell().name == "ZKL_Label") cells.push_back(cell);
        return cells;
    }

    static Range BorderRange() { return {{0, 0, 0}, {200, 100, 0}}; }

    cad::CadHost host_;
    mdlOPM_Labeller module_;
    std::shared_ptr<cad::RecordingPrompter> prompter_ = std::make_shared<cad::RecordingPrompter>();
    Element border_;
};

}  // namespace zkl::layout_test
