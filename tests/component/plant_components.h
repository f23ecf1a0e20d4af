// Plant components for the component tests: a drawing whose plant model is attached through
// a chosen transform and unit factor, component elements carrying a placement matrix and
// design properties, and item rows that classify components by their EC class name.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "cad/cad_host.h"
#include "cad/drawing.h"
#include "cad/test_drawings.h"
#include "host/element.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl::test {

inline constexpr ModelId PlantModel = 1;
inline constexpr ElementId ComponentId = 42;

// The placement of a component in the plant model: its origin (as stored, before the
// division by 100) and the local axes as rows.
struct Placement {
    Point origin;
    Point xAxis{1, 0, 0};
    Point yAxis{0, 1, 0};
    Point zAxis{0, 0, 1};
};

// A line of the plant model with the twelve "TRANSFORMATION_MATRIX.Mij" entries of the
// placement followed by the given properties.
inline Element PlantComponent(const Placement& placement, PropertyList properties) {
    const Point rows[3] = {placement.xAxis, placement.yAxis, placement.zAxis};
    const double origin[3] = {placement.origin.x, placement.origin.y, placement.origin.z};
    PropertyList all;
    // Entry Mij: i is the coordinate (x, y, z), j the column (x axis, y axis, z axis, origin).
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            const Point& axis = rows[j < 3 ? j : 0];
            const double coordinate[3] = {axis.x, axis.y, axis.z};
            const double value = j == 3 ? origin[i] : coordinate[i];
            const int index = i * 4 + j;
            std::string name = "TRANSFORMATION_MATRIX.M";
            name += static_cast<char>('0' + index / 10);
            name += static_cast<char>('0' + index % 10);
            all.push_back({name, value});
        }
    }
    all.insert(all.end(), properties.begin(), properties.end());
    Element element = MakeLine({0, 0, 0}, {1, 0, 0});
    element.id = ComponentId;
    element.model = PlantModel;
    element.properties = std::move(all);
    return element;
}

// A drawing whose attachment 1 holds the plant model.
inline cad::Drawing PlantDrawing(const Transform3d& toActive, double attachmentUnitFactor = 1.0,
                                 double activeUnitFactor = 1.0) {
    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}};
    drawing.activeUnitFactor = activeUnitFactor;
    cad::Attachment attachment;
    attachment.name = "Plant";
    attachment.toActive = toActive;
    attachment.unitFactor = attachmentUnitFactor;
    drawing.attachments.push_back(std::move(attachment));
    return drawing;
}

// A host and a labeller module on it, with the plant origin at zero.
struct PlantSession {
    explicit PlantSession(cad::Drawing drawing) : host(std::move(drawing)), module(host) {
        module.settings.PlantOriginOffset = "0,0,0";
    }
    cad::CadHost host;
    mdlOPM_Labeller module;
};

// Rows giving each EC class name its class keyword.
inline ItemRows ClassRows() {
    return {
        {"[EC_CLASS_NAME]", "PIPE", "[PIPELINE]", 0, "STRAIGHT"},
        {"[EC_CLASS_NAME]", "PIPE_ELBOW*", "", 0, "TURN90"},
        {"[EC_CLASS_NAME]", "PIPE_TEE", "", 0, "TEE"},
        {"[EC_CLASS_NAME]", "ECCENTRIC_PIPE_REDUCER", "", 0, "ECC"},
        {"[EC_CLASS_NAME]", "PUMP", "", 0, "EQUIPMENT"},
        {"[EC_CLASS_NAME]", "GATE_VALVE", "", 0, "straight"},
    };
}

inline void ExpectNear(const Point& actual, const Point& expected, double tolerance = 1e-6) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

}  // namespace zkl::test
