// Where a label comes from: which component it belongs to (its key, component/component_key.h)
// and how it was placed. Kept as two properties of the label cell, so that a sheet carries
// them like any other element data and a sheet without them stays what it was. A later
// update of the annotation leaves labels placed or moved by hand where the drafter put them.
#pragma once

#include <string>
#include <string_view>

#include "host/element.h"

namespace zkl {

inline constexpr std::string_view LabelComponentProperty = "ZKL_LABEL.COMPONENT";
inline constexpr std::string_view LabelPlacedProperty = "ZKL_LABEL.PLACED";

enum class LabelPlacement {
    Unrecorded,   // a label from before labels remembered their origin
    Automatic,    // by Automatic Place
    ByHand,       // by Manual Place or Semi-Auto Place
    MovedByHand,  // relocated by hand after it was placed
    Side,         // a side label of the border annotation, which every rebuild replaces
};

struct LabelOrigin {
    std::string component;  // the component's key; empty for side labels and unknown ones
    LabelPlacement placement = LabelPlacement::Unrecorded;

    friend bool operator==(const LabelOrigin&, const LabelOrigin&) = default;
};

// "automatic", "manual", "moved", "side"; "unrecorded" for Unrecorded.
std::string_view LabelPlacementName(LabelPlacement placement);

// What the cell's properties say. Throws std::invalid_argument naming the cell and the
// property when the placement is a word this program does not write.
LabelOrigin ReadLabelOrigin(const Element& labelCell);

// Replaces the cell's origin properties; an Unrecorded origin leaves the cell without them.
void RecordLabelOrigin(Element& labelCell, const LabelOrigin& origin);

// Whether the placement belongs to the drafter: such a label is never moved or removed.
inline bool PlacedByHand(LabelPlacement placement) {
    return placement == LabelPlacement::ByHand || placement == LabelPlacement::MovedByHand;
}

}  // namespace zkl
