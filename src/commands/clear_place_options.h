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

// At most this many places are kept for a label, the shortest leaders among those of
// ClearPlaceOptionRings rings beyond the first free place. More places let the assignment
// untangle denser crowds but each costs probes (most places near a pipe run are not free);
// on the generated sheets of 1,000 components 8, 12 and 16 places within 3 rings left 98,
// 98 and 89 labels of seed 1 without a clear place, 10 rings instead of 3 a few less for
// half as much time again.
inline constexpr std::size_t ClearPlaceOptionLimit = 16;
inline constexpr int ClearPlaceOptionRings = 3;

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

// Walks the spiral as FindClearLeaderPlace does, up to ClearPlaceOptionRings rings beyond
// the first free place, and keeps the `limit` places with the shortest leaders (equal ones in
// walking order) that are free, clear of what `clearance` holds and (with an area) inside it.
// The first free place is among them when it qualifies.
ClearPlaceOptions FindClearPlaceOptions(Host& host, const LeaderClearance& clearance,
                                        const ClearLeaderRequest& request,
                                        std::size_t limit = ClearPlaceOptionLimit);

}  // namespace zkl
