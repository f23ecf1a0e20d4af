#include "commands/clear_place_options.h"

#include <algorithm>
#include <stdexcept>

#include "commands/spiral_walk.h"
#include "host/fence_modes_guard.h"

namespace zkl {

namespace {

Range Moved(const Range& box, const Point& by) { return {box.low + by, box.high + by}; }

}  // namespace

ClearPlaceOptions FindClearPlaceOptions(Host& host, const LeaderClearance& clearance,
                                        const ClearLeaderRequest& request, std::size_t limit) {
    if (request.body == nullptr || request.body->empty())
        throw std::invalid_argument("clear-leader placement needs the label body");
    FenceModesGuard modes(host, OverlapFenceModes);
    const LeaderPreview preview(host, *request.body, request.anchor);
    SpiralWalk walk(host, request.labelBox.low, request.step, request.startCount);

    ClearPlaceOptions result;
    int lastRing = 0;
    while (result.options.size() < limit && walk.Next()) {
        if (result.firstFreeStep != 0 && walk.Ring() > lastRing) break;
        const Range box = Moved(request.labelBox, walk.Offset());
        // Up to the first free place the probe decides; after it the cheap tests go first.
        if (clearance.BodyTouchesBody(box)) continue;
        if (result.firstFreeStep == 0) {
            ++result.probes;
            if (!ProbeIsFree(host, request.labelBox, walk.Offset())) continue;
            result.firstFreeStep = walk.Step();
            lastRing = walk.Ring() + ClearLeaderExtraRings;
        }
        if (request.area && !BoxInsidePolygon2d(box, *request.area)) continue;
        const Point attach = preview.AttachPoint(walk.Offset());
        if (clearance.FirstObstacle(request.anchor, attach)) continue;
        if (walk.Step() != result.firstFreeStep) {
            ++result.probes;
            if (!ProbeIsFree(host, request.labelBox, walk.Offset())) continue;
        }
        result.options.push_back({walk.Offset(), attach, Distance(request.anchor, attach), walk.Step()});
    }
    std::stable_sort(result.options.begin(), result.options.end(),
                     [](const ClearPlaceOption& a, const ClearPlaceOption& b) { return a.leaderLength < b.leaderLength; });
    return result;
}

}  // namespace zkl
