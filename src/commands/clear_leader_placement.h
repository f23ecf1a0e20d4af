// Clear-leader placement of one label. Among the free places the spiral search reaches, it
// takes the one whose leader (anchor straight to the body, as the label cell draws it with no
// knee) meets no other leader and no label body, and among those the shortest leader; equal
// leaders keep the earlier place. Optionally a place counts only when the body stays inside
// the drawing area.
//
// How far it looks: the walk probes every place up to the first free one, exactly as
// FindFreeLabelOffset does, and then at most ClearLeaderExtraRings rings further, probing only
// the places whose leader would be clear and shorter than the best so far (the leader is
// known before the probe, so most places cost no fence query). It stops early once no place
// further out can have a shorter leader, and never goes past the spiral's probe limit. When
// no clear place turns up, the label takes the first free place, today's choice, and the
// result says so; under this rule a place where the body would touch another label's body
// does not count as free.
//
// Units: active-model drawing units. Uses the host's fence under overlap modes (put back at
// the end) and shows "Placing label" in the status field while it searches.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "commands/labelling_pass.h"
#include "commands/leader_clearance.h"
#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"

namespace zkl {

// Rings looked at beyond the one of the first free place. A clear place further out than
// this has a leader several label heights longer than the first free place's, which is
// what a drafter would call a worse label, and each ring costs as many probes as the label
// size allows; ten rings kept the placement time within twice the first-free rule's on
// the generated sheets of 1,000 components (docs/quality.md).
inline constexpr int ClearLeaderExtraRings = 10;

struct ClearLeaderRequest {
    const std::vector<Element>* body = nullptr;  // built at the component, not yet moved
    Range labelBox;                              // LabelBox of that body
    Point anchor;                                // where the leader starts
    double step = 0.0;                           // StepDistance
    double startCount = FreePlaceStartCount;
    // The drawing area's outline (closed polygon, plan) when bodies must stay inside it.
    std::optional<std::vector<Point>> area;
    // The steps before this one are known to be taken: a search on this sheet before labels
    // were added found its first free place there, and adding labels frees nothing. They are
    // walked but not probed, so the first free place and the places beyond stay the same.
    std::int64_t blockedBefore = 0;
};

// Why a place the search looked at was or was not taken.
enum class CandidateVerdict {
    Chosen,       // clear, and the shortest clear leader found
    Superseded,   // clear, but a later place had a shorter leader
    NotFree,      // the probe found something under the body
    MeetsLeader,  // the leader would meet another label's leader
    MeetsBody,    // the leader would run through another label's body
    OutsideArea,  // the body would reach beyond the drawing area
    TouchesBody,  // the body would touch another label's body
    NotShorter,   // its leader would be no shorter than a clear one already found
};

struct CandidatePlace {
    std::int64_t step = 0;  // spiral step, 1 for the first probe
    int ring = 0;
    Point offset;
    double leaderLength = 0.0;
    CandidateVerdict verdict = CandidateVerdict::NotFree;
    std::optional<LeaderObstacle> obstacle;  // MeetsLeader, MeetsBody
};

// A place of the spiral with the leader it would get. The searches beyond the first free
// place try them shortest leader first, equal leaders in walking order, so that the first
// that passes is the one a walk keeping the shortest would keep.
struct LeaderPlace {
    double length = 0.0;
    std::int64_t step = 0;
    Point offset;
    Point attach;
};
void SortShortestLeaderFirst(std::vector<LeaderPlace>& places);

struct ClearLeaderPlace {
    // offset: the place taken; free: whether it is free; probes: fence probes made.
    FreePlaceSearch search;
    bool clear = false;              // false: no clear place within the bound
    std::int64_t step = 0;           // spiral step of the place taken
    std::int64_t firstFreeStep = 0;  // 0 when the walk found no free place
    double leaderLength = 0.0;       // of the place taken
    // Filled only when asked: every place from the first free one on, in walking order.
    std::vector<CandidatePlace> candidates;
};

ClearLeaderPlace FindClearLeaderPlace(Host& host, const LeaderClearance& clearance,
                                      const ClearLeaderRequest& request, bool keepCandidates = false);

// Where the leader from `anchor` ends on the body moved by `offset`, as CreateLabelCell
// draws it with no knee; worked out from the unmoved body, so that trying many places asks
// the host nothing more.
class LeaderPreview {
public:
    LeaderPreview(const Host& host, const std::vector<Element>& body, const Point& anchor);
    Point AttachPoint(const Point& offset) const;

private:
    const Host& host_;
    Point anchor_;
    const Element* last_;
    enum class Rule { NearestCorner, GridCircle, Ellipse } rule_;
    Range box_;  // NearestCorner: the last element's box
};

// Whether the box lies within the closed polygon (plan), edges allowed to touch.
bool BoxInsidePolygon2d(const Range& box, const std::vector<Point>& polygon);

}  // namespace zkl
