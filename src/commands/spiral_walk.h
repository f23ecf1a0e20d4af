// The places the free-place search probes, one after the other: rings of radius s, 2s, ...
// around the label box's low corner, arc steps of s along each ring, the probe counter
// starting at floor(start / s) and the walk ending once the counter has passed
// FreePlaceProbeLimit. Searches that look further than the first free place (clear-leader
// placement, the why-here explanation of inspect) walk these same places, so that they see
// exactly the places FindFreeLabelOffset would.
//
// Units: active-model drawing units.
#pragma once

#include <cstdint>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"

namespace zkl {

class SpiralWalk {
public:
    // Throws std::invalid_argument when `step` is not a positive number.
    SpiralWalk(const Host& host, const Point& low, double step, double startCount);

    // Moves to the next probe place; false once the last place was the one whose counter
    // passed the limit (that place is still probed, as FindFreeLabelOffset does).
    bool Next();

    const Point& Offset() const { return offset_; }  // the label box's displacement
    int Ring() const { return ring_; }                // 1 for radius s
    double Radius() const { return ring_ * step_; }
    std::int64_t Step() const { return steps_; }  // 1 for the first place probed

private:
    const Host& host_;
    Point low_;
    double step_;
    std::int64_t counter_;
    std::int64_t steps_ = 0;
    int ring_ = 1;
    std::int64_t stepOnRing_ = 0;
    Element circle_;
    double circumference_;
    Point offset_;
};

// The probe rectangle of FindFreeLabelOffset for the label box moved by `offset`, corners in
// its order.
std::vector<Point> ProbeCorners(const Range& labelBox, const Point& offset);

// Whether the fence of that rectangle takes nothing in. Defines the host's fence; the caller
// sets the fence modes (overlap) for the search.
bool ProbeIsFree(Host& host, const Range& labelBox, const Point& offset);

}  // namespace zkl
