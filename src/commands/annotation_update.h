// Updating the annotation of a sheet whose plant model changed, instead of annotating it
// again from scratch: what the drafter did by hand stays, what the program placed follows
// the model. Labels find their components by the key they record (label/label_origin.h).
//
// - A label placed or moved by hand never moves. When its text changes it gets the new text
//   where it stands; when its component moved, its leader follows from the new anchor.
// - An automatic label whose component and text are unchanged stays. A new text goes to the
//   same place when that place is still free, else the label moves to a new free place; a
//   label whose component moved goes to a new free place.
// - Labels of components that are gone are removed, unless placed by hand: those stay where
//   they are and are reported.
// - Components without a label get one at a free place (the first free place of the spiral
//   search, whatever the placement rule).
// - Side labels and dimension chains are rebuilt; when they come out as they were, the old
//   ones stay, so that an update right after an update changes nothing.
// - A label from before labels recorded their origin counts as placed by hand when its
//   leader starts at a component's anchor, as a side label when it starts outside every
//   drawing area, and is otherwise left alone.
//
// Units: active-model drawing units.
#pragma once

#include "commands/automatic_placement.h"
#include "commands/label_changes.h"
#include "settings/labeller_module.h"

namespace zkl {

struct UpdateResult {
    PlacementReport placement;  // areas visited, labels placed anew, side labels, dimensions
    LabelChanges changes;
};

// Settings as Automatic Place takes them (key-in arguments or the main dialog); the
// switches leave the sides (placeDimensions) or the labels (placeLabels) as they are.
// Throws as RunAutomaticPlacement does, and std::invalid_argument naming a label cell whose
// recorded placement is not one this program writes, before anything is changed.
UpdateResult RunAnnotationUpdate(mdlOPM_Labeller& module, bool placeDimensions, bool placeLabels,
                                 const PlacementProgress& progress = {});

}  // namespace zkl
