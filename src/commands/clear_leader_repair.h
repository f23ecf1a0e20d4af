// The repair after a clear-leader pass. A label falls back to the first free place when the
// labels placed before it, its neighbours on the same pipe run, already stand across every
// leader it could have; one label at a time cannot see that coming. The repair takes such a
// label out together with the labels standing across its shortest blocked leaders, places
// it first, then places the others again by the rule, and keeps the change only when fewer
// of them are left without a clear leader; otherwise everything goes back exactly as it
// stood. Bounded rounds over the labels still without one, in pass order: deterministic.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zkl {

class ClearLeaderPass;

// Rounds over the labels left without a clear leader; a round that repairs none ends it.
inline constexpr int ClearLeaderRepairRounds = 3;
// The blocked places whose leaders' obstacles are moved: the shortest few, where a clear
// leader would be worth having.
inline constexpr std::size_t RepairBlockedPlaces = 4;
// At most this many labels are moved for one label: a bigger group is more likely to leave
// one of its own without a clear place and costs a search each.
inline constexpr std::size_t RepairGroupLimit = 6;

// Only labels whose first free place lies within this many spiral steps are repaired. Further
// out the anchor sits in a crowd of bodies: every search there walks that many fence probes
// before the first free place, and a group moved there seldom comes out better (one in
// twenty on the generated sheets, against one in three nearer).
inline constexpr std::int64_t RepairFirstFreeSteps = 100;
// The repair's fence probes stop at this share of the pass's own, whatever is left: each
// attempt also walks the rings beyond the first free place for every label it moves, so
// a larger share takes the placement past twice the first-free rule's time on the
// generated sheets of 1,000 components.
inline constexpr double RepairProbeShare = 0.1;

struct ClearLeaderRepair {
    int rounds = 0;
    std::size_t tried = 0;     // labels a group was moved for
    std::size_t repaired = 0;  // changes kept
    std::int64_t probes = 0;   // fence probes of its searches
};

ClearLeaderRepair RepairClearLeaders(ClearLeaderPass& pass);

}  // namespace zkl
