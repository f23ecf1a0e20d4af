// Why a component's label stands where it does: the free-place search recomputed for that
// label on the sheet as it is now, with the label and every label added after it (higher
// ids) taken out, which is the sheet the pass saw when it placed that label. It tells which spiral
// step found the place, what the fence probes of the earlier steps met (the nearest few
// elements of each ring), and, under clear-leader placement, how the places looked at beyond
// the first free one fared against the chosen one.
//
// Units: active-model drawing units. The label cell is removed from the host's active model
// and those after it (the caller works on a copy of the sheet it does not save).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/clear_leader_placement.h"
#include "host/element.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

// An element a probe met.
struct Blocker {
    ModelId model = ActiveModelId;
    ElementId id = NoElementId;
    std::string type;  // "cell 'ZKL_Label'", "line", ...
    double distance = 0.0;
};

// The probes of one ring before the first free place.
struct BlockedRing {
    int ring = 0;
    std::int64_t firstStep = 0;
    std::int64_t lastStep = 0;
    std::vector<Blocker> nearest;  // the nearest few, nearest first, each once
};

struct PlacementExplanation {
    std::optional<ElementId> labelCell;  // the label found at the component's anchor
    std::optional<Point> labelOffset;    // where that label's body stands, from its built place (plan)
    std::size_t labelsTakenOut = 0;      // that label and the labels placed after it
    Point anchor;
    std::int64_t firstFreeStep = 0;  // 0: no free place within the probe limit
    int firstFreeRing = 0;
    Point firstFreeOffset;
    std::vector<BlockedRing> blocked;
    PlacementRule rule = PlacementRule::FirstFree;
    std::optional<ClearLeaderPlace> clear;  // clear-leader placement, with its candidates
    // Under clear-leader placement the labels of an area are given their places together, so a
    // label can stand at a clear place other than the one a search for it alone takes: where
    // it stands on the spiral and whether its leader is clear of the labels placed before it.
    struct StandingPlace {
        std::int64_t step = 0;  // 0: no step of the spiral reaches it
        int ring = 0;
        double leaderLength = 0.0;
        std::optional<LeaderObstacle> obstacle;
    };
    std::optional<StandingPlace> standing;  // only when the label does not stand where the search goes
    // Whether the label stands at the place the recomputation gives.
    bool standsThere = false;
};

// How many blocking elements each ring names.
inline constexpr std::size_t BlockersPerRing = 3;

// Throws std::invalid_argument when no label row gives the component a body.
PlacementExplanation ExplainPlacement(mdlOPM_Labeller& module, const Element& component, const ItemRows& labelItems);

}  // namespace zkl
