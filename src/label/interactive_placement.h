// Placing one label by hand: the body hangs on the cursor (through the host's "move"
// drag), Ctrl+Reset turns it by a quarter turn, a data point places it, Reset cancels and
// Esc ends the whole labelling run. The body is in the active model only while it is being
// dragged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "label/label_origin.h"
#include "settings/labeller_module.h"

namespace zkl {

enum class PlacementOutcome {
    Placed,     // a label cell was added; `elements` holds the body and the leader
    NotPlaced,  // cancelled; `elements` holds the unchanged body
    Quit,       // Esc: the run ends; `elements` is empty (a label may have been placed)
};

// What the placed cell records (label/label_origin.h): `placed` after a data point, `putBack`
// when a relocated label goes back where it was without one.
struct PlacementOrigins {
    LabelOrigin placed;
    LabelOrigin putBack;
};

// `elements` is a body built around the origin. With `placeOnReset` a reset, an Esc or
// another command still places the label at `position` (relocation puts a label back where
// it was). After a data point `position` is that point. `frameStyle` is passed through.
PlacementOutcome PlaceLabelInteractive(mdlOPM_Labeller& module, std::vector<Element>& elements,
                                       bool placeOnReset, const Point& anchor, Point& position,
                                       std::int16_t frameStyle, const Point& kneeOffset,
                                       const PlacementOrigins& origins = {});

// The closing message of every labelling command, naming the properties that could not be
// read.
std::string RunSummary(const std::string& invalidPropertyList);
void PostRunSummary(mdlOPM_Labeller& module);

}  // namespace zkl
