#include "commands/clear_leader_placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "commands/spiral_walk.h"
#include "host/fence_modes_guard.h"
#include "label/label_cell.h"

namespace zkl {

namespace {

// CreateLabelCell meets a circle of this radius (a grid name) at its top when the leader
// has no knee, instead of where the line to the centre crosses it.
constexpr double GridCircleRadius = 2.5;

// How far outside a polygon a box corner may lie and still count as inside: the check's own
// tolerance for a body outside its area.
constexpr double InsideTolerance = 0.001;

double Distance2d(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool PointInPolygon2d(const Point& p, const std::vector<Point>& polygon) {
    bool inside = false;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double PointSegmentDistance2d(const Point& p, const Point& a, const Point& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double squared = dx * dx + dy * dy;
    const double t =
        squared > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / squared, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool NearPolygonEdge(const Point& p, const std::vector<Point>& polygon, double tolerance) {
    for (std::size_t i = 0; i < polygon.size(); ++i)
        if (PointSegmentDistance2d(p, polygon[i], polygon[(i + 1) % polygon.size()]) <= tolerance)
            return true;
    return false;
}

// The largest plan distance from the anchor to the label box: no point of the body moved by
// v lies nearer the anchor than |v| minus this, which bounds every later ring's leaders.
double FarthestCorner2d(const Range& box, const Point& anchor) {
    return std::max({Distance2d(anchor, box.low), Distance2d(anchor, box.high),
                     Distance2d(anchor, {box.high.x, box.low.y, 0}),
                     Distance2d(anchor, {box.low.x, box.high.y, 0})});
}

Range Moved(const Range& box, const Point& by) { return {box.low + by, box.high + by}; }

}  // namespace

bool BoxInsidePolygon2d(const Range& box, const std::vector<Point>& polygon) {
    if (polygon.size() < 3) return false;
    const std::array<Point, 4> corners{box.low, Point{box.high.x, box.low.y, 0}, box.high,
                                       Point{box.low.x, box.high.y, 0}};
    for (const Point& corner : corners)
        if (!PointInPolygon2d(corner, polygon) && !NearPolygonEdge(corner, polygon, InsideTolerance))
            return false;
    // A border vertex inside the box means an edge bends into it (a concave border).
    for (const Point& vertex : polygon)
        if (vertex.x > box.low.x + InsideTolerance && vertex.x < box.high.x - InsideTolerance &&
            vertex.y > box.low.y + InsideTolerance && vertex.y < box.high.y - InsideTolerance)
            return false;
    return true;
}

LeaderPreview::LeaderPreview(const Host& host, const std::vector<Element>& body, const Point& anchor)
    : host_(host), anchor_(anchor), last_(nullptr), rule_(Rule::NearestCorner) {
    if (body.empty()) throw std::invalid_argument("a leader needs a label body to end on");
    last_ = &body.back();
    if (last_->IsEllipse())
        rule_ = last_->Ellipse().primaryRadius == GridCircleRadius ? Rule::GridCircle : Rule::Ellipse;
    else
        box_ = last_->IsText() ? host.TextBox(*last_) : host.ElementRange(*last_);
}

Point LeaderPreview::AttachPoint(const Point& offset) const {
    switch (rule_) {
        case Rule::GridCircle: {
            const Point centre = last_->Ellipse().centre + offset;
            return {centre.x, centre.y + GridCircleRadius, centre.z};
        }
        case Rule::Ellipse:
            // The line from the anchor to the moved centre meets the moved ellipse where the
            // line from (anchor - offset) meets the unmoved one, moved.
            return FindLeaderAttachPoint(host_, *last_, anchor_ - offset) + offset;
        case Rule::NearestCorner:
            break;
    }
    return NearestCorner(Moved(box_, offset), anchor_);
}

void SortShortestLeaderFirst(std::vector<LeaderPlace>& places) {
    std::sort(places.begin(), places.end(), [](const LeaderPlace& a, const LeaderPlace& b) {
        return a.length < b.length || (a.length == b.length && a.step < b.step);
    });
}

ClearLeaderPlace FindClearLeaderPlace(Host& host, const LeaderClearance& clearance,
                                      const ClearLeaderRequest& request, bool keepCandidates) {
    if (request.body == nullptr || request.body->empty())
        throw std::invalid_argument("clear-leader placement needs the label body");
    FenceModesGuard modes(host, OverlapFenceModes);
    host.ShowStatus(StatusField::Command, "Placing label");

    const LeaderPreview preview(host, *request.body, request.anchor);
    const double farthest = FarthestCorner2d(request.labelBox, request.anchor);
    SpiralWalk walk(host, request.labelBox.low, request.step, request.startCount);

    ClearLeaderPlace result;
    Point firstFree;
    int lastRing = 0;
    struct Best {
        Point offset;
        std::int64_t step = 0;
        double length = 0.0;
        std::optional<std::size_t> candidate;
    };
    std::optional<Best> best;

    // The place is known to be free for the first free place; later places are probed only
    // once everything cheaper has spoken for them.
    const auto consider = [&](bool knownFree) {
        CandidatePlace place;
        place.step = walk.Step();
        place.ring = walk.Ring();
        place.offset = walk.Offset();
        const Point attach = preview.AttachPoint(place.offset);
        place.leaderLength = Distance(request.anchor, attach);
        if (best && place.leaderLength >= best->length) {
            place.verdict = CandidateVerdict::NotShorter;
        } else if (request.area &&
                   !BoxInsidePolygon2d(Moved(request.labelBox, place.offset), *request.area)) {
            place.verdict = CandidateVerdict::OutsideArea;
        } else if (clearance.BodyTouchesBody(Moved(request.labelBox, place.offset))) {
            place.verdict = CandidateVerdict::TouchesBody;
        } else if ((place.obstacle = clearance.FirstObstacle(request.anchor, attach))) {
            place.verdict = place.obstacle->kind == LeaderObstacle::Kind::Leader
                                ? CandidateVerdict::MeetsLeader
                                : CandidateVerdict::MeetsBody;
        } else if (!knownFree &&
                   (++result.search.probes, !ProbeIsFree(host, request.labelBox, place.offset))) {
            place.verdict = CandidateVerdict::NotFree;
        } else {
            place.verdict = CandidateVerdict::Chosen;
            if (best && best->candidate)
                result.candidates[*best->candidate].verdict = CandidateVerdict::Superseded;
            best = Best{place.offset, place.step, place.leaderLength, std::nullopt};
            if (keepCandidates) best->candidate = result.candidates.size();
        }
        if (keepCandidates) result.candidates.push_back(place);
    };

    // Without the candidates asked for, the places beyond the first free one are gathered
    // first and tried shortest leader first (equal leaders in walking order): the first that
    // passes is the one the walk would keep, and the leader and body tests, which cost more
    // than the rest of the search, are made only for places shorter than it.
    std::vector<LeaderPlace> places;
    while (walk.Next()) {
        if (!keepCandidates && result.firstFreeStep != 0) {
            if (walk.Ring() > lastRing) break;
            if (best && walk.Radius() * (1 - 1e-9) - farthest > best->length) break;
            const Point attach = preview.AttachPoint(walk.Offset());
            places.push_back({Distance(request.anchor, attach), walk.Step(), walk.Offset(), attach});
            continue;
        }
        if (result.firstFreeStep == 0) {
            result.search.offset = walk.Offset();
            if (walk.Step() < request.blockedBefore) continue;
            // A place where the body would touch another body is not taken either: the check
            // counts a touch as an overlap, and the fence probe lets it pass. Asked first, as
            // it costs a fraction of a probe and on a crowded sheet rules out many places.
            if (clearance.BodyTouchesBody(Moved(request.labelBox, walk.Offset()))) continue;
            ++result.search.probes;
            if (!ProbeIsFree(host, request.labelBox, walk.Offset())) continue;
            result.firstFreeStep = walk.Step();
            firstFree = walk.Offset();
            lastRing = walk.Ring() + ClearLeaderExtraRings;
            consider(true);
            continue;
        }
        if (walk.Ring() > lastRing) break;
        // Rings only grow: once the nearest the body can come exceeds the best leader, no
        // later place can beat it. The margin absorbs the rounding of the ring's points.
        if (best && walk.Radius() * (1 - 1e-9) - farthest > best->length) break;
        consider(false);
    }

    if (!keepCandidates) {
        SortShortestLeaderFirst(places);
        for (const LeaderPlace& place : places) {
            if (best && place.length >= best->length) break;
            const Range moved = Moved(request.labelBox, place.offset);
            if (request.area && !BoxInsidePolygon2d(moved, *request.area)) continue;
            if (clearance.BodyTouchesBody(moved)) continue;
            if (clearance.FirstObstacle(request.anchor, place.attach)) continue;
            ++result.search.probes;
            if (!ProbeIsFree(host, request.labelBox, place.offset)) continue;
            best = Best{place.offset, place.step, place.length, std::nullopt};
            break;
        }
    }
    if (best) {
        result.search.offset = best->offset;
        result.search.free = true;
        result.clear = true;
        result.step = best->step;
        result.leaderLength = best->length;
    } else {
        result.search.free = result.firstFreeStep != 0;
        if (result.search.free) result.search.offset = firstFree;
        result.step = result.search.free ? result.firstFreeStep : walk.Step();
        result.leaderLength = Distance(request.anchor, preview.AttachPoint(result.search.offset));
    }

    host.ShowStatus(StatusField::Command, "");
    host.ShowStatus(StatusField::Prompt, "");
    return result;
}

}  // namespace zkl
