// One plant component cell per PCF component, as the labeller reads plant cells (see
// docs/label-formats.md and the example sheet): EC_CLASS_NAME in the classes the example
// configuration's rows match, PIPELINE, the diameters, the piping class, design lengths in
// metres and a placement matrix in millimetres whose key points fall on the PCF's own
// points; drawn in plan with outlines at the outside diameter and centre lines.
//
// Units: the component's points are PCF millimetres; the cell's graphics are attached-
// model units, (mm - local origin) / 100 in x and y, mm / 100 in z (never shifted: it is
// the elevation). The placement matrix holds the same shifted millimetres.
#pragma once

#include <optional>
#include <string>

#include "host/element.h"
#include "io/pcf_model.h"

namespace zkl::io {

struct ComponentCellSource {
    const pcf::Component* component = nullptr;
    std::string pipeline;
    std::string pipingClass;  // empty when neither the component nor its pipeline names one
    std::string material;     // the MATERIALS description, empty when there is none
    // The run a component sits on or continues (olets, set-on tees, supports, caps,
    // reducers), when one was found: a unit vector.
    std::optional<Point> runDirection;
    // For a component whose points carry no bore: a connected neighbour's.
    std::optional<pcf::Bore> bore;
};

struct ComponentCell {
    Element cell;
    std::string className;               // its EC_CLASS_NAME
    std::optional<std::string> warning;  // for the component's line
};

// The class name a component gets: "PIPE", "PIPE_ELBOW_90_DEGREE_LONG_RADIUS",
// "PIPE_REDUCING_TEE", "ECCENTRIC_PIPE_REDUCER", "VALVE", "PIPE_SUPPORT", ...
std::string ComponentClassName(const pcf::Component& component);

// `localOrigin` is subtracted from x and y (its z is ignored).
ComponentCell MakeComponentCell(const ComponentCellSource& source, const Point& localOrigin);

// Millimetres of the plant -> attached-model units, with the local origin taken off x and
// y; -0 never comes out.
Point PlantToModel(const Point& millimetres, const Point& localOrigin);

}  // namespace zkl::io
