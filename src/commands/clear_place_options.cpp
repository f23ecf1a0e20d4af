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
    // Up to the first free place the probe decides, as the first-free rule does. The places
    // of the rings beyond it are then tried shortest leader first, as FindClearLeaderPlace
    // takes them, the cheap tests before the probe.
    std::vector<LeaderPlace> places;
    int lastRing = 0;
    while (walk.Next()) {
        if (result.firstFreeStep != 0) {
            if (walk.Ring() > lastRing) break;
            const Point attach = preview.AttachPoint(walk.Offset());
            places.push_back({Distance(request.anchor, attach), walk.Step(), walk.Offset(), attach});
            continue;
        }
        if (clearance.BodyTouchesBody(Moved(request.labelBox, walk.Offset()))) continue;
        ++result.probes;
        if (!ProbeIsFree(host, request.labelBox, walk.Offset())) continue;
        result.firstFreeStep = walk.Step();
        lastRing = walk.Ring() + ClearPlaceOptionRings;
        const Point attach = preview.AttachPoint(walk.Offset());
        places.push_back({Distance(request.anchor, attach), walk.Step(), walk.Offset(), attach});
    }
    SortShortestLeaderFirst(places);
    for (const LeaderPlace& place : places) {
        if (result.options.size() == limit) break;
        const Range box = Moved(request.labelBox, place.offset);
        if (request.area && !BoxInsidePolygon2d(box, *request.area)) continue;
        if (place.step != result.firstFreeStep && clearance.BodyTouchesBody(box)) continue;
        if (clearance.FirstObstacle(request.anchor, place.attach)) continue;
        if (place.step != result.firstFreeStep) {
            ++result.probes;
            if (!ProbeIsFree(host, request.labelBox, place.offset)) continue;
        }
        result.options.push_back({place.offset, place.attach, place.length, place.step});
    }
    return result;
}

}  // namespace zkl
