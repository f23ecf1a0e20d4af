// The clear places one label could take, gathered before any label of the pass stands: the
// free places of the spiral from the first free one on whose leader meets nothing already on
// the sheet, shortest leader first. The assignment (clear_place_assignment.h) then chooses
// one for each label so that they keep clear of each other.
//
// Units: active-model drawing units. Uses the host's fence under overlap modes (put back at
// the end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "commands/clear_leader_placement.h"
#include "commands/leader_clearance.h"
#include "host/geometry.h"
#include "host/host.h"

namespace zkl {

// At most this many places are kept for a label. More let the assignment untangle denser
// crowds, but each costs about ten probes on the generated sheets of 1,000 components (most
// places near a pipe run are not free): 16 leave a fifth fewer labels without a clear place
// than 8 and take the placement a quarter longer.
inline constexpr std::size_t ClearPlaceOptionLimit = 8;

struct ClearPlaceOption {
    Point offset;
    Point attach;  // where the leader ends on the moved body
    double leaderLength = 0.0;
    std::int64_t step = 0;
};

struct ClearPlaceOptions {
    std::vector<ClearPlaceOption> options;  // shortest leader first, equal ones in walking order
    std::int64_t firstFreeStep = 0;         // 0 when the walk found no free place
    std::int64_t probes = 0;
};

// Walks the spiral as FindClearLeaderPlace does, up to ClearLeaderExtraRings rings beyond
// the first free place, and keeps the first `limit` places that are free, clear of what
// `clearance` holds and (with an area) inside it.
ClearPlaceOptions FindClearPlaceOptions(Host& host, const LeaderClearance& clearance,
                                        const ClearLeaderRequest& request,
                                        std::size_t limit = ClearPlaceOptionLimit);

}  // namespace zkl
