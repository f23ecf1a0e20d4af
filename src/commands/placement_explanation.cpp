#include "commands/placement_explanation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "commands/labelling_pass.h"
#include "commands/spiral_walk.h"
#include "host/fence_modes_guard.h"
#include "label/label_body.h"
#include "label/label_cell.h"

namespace zkl {

namespace {

// A label whose leader starts this close to the anchor is the component's (the check's rule).
constexpr double AnchorTolerance = 0.001;

double Distance2d(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

std::string TypeText(const Element& element) {
    std::string text = ElementTypeName(element.type);
    if (element.IsCell()) text += " '" + element.Cell().name + "'";
    return text;
}

Point CentreInActive(const Host& host, const Element& element) {
    const Range range = host.ElementRange(element);
    const Point centre = (range.low + range.high) * 0.5;
    if (element.model == ActiveModelId) return centre;
    return host.Attachment(element.model).toActive.Apply(centre);
}

// Several components may share an anchor in plan (a riser's bend, pipe and bend), each with a
// label there; the one whose body has the size of this component's body is its label.
std::optional<Element> LabelAt(const Host& host, const Point& anchor, const Range& bodyBox) {
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    std::optional<Element> first;
    for (const Element& cell : host.Scan(criteria)) {
        const std::vector<Element>& parts = cell.Cell().components;
        if (cell.Cell().name != LabelCellName || parts.size() < 2) continue;
        const Element& leader = parts.back();
        if (leader.type != ElementType::LineString || leader.Linear().vertices.empty()) continue;
        if (Distance2d(leader.Linear().vertices.front(), anchor) > AnchorTolerance) continue;
        const Range box = LabelBox(host, std::vector<Element>(parts.begin(), parts.end() - 1));
        const double sizeDifference = std::abs((box.high.x - box.low.x) - (bodyBox.high.x - bodyBox.low.x)) +
                                      std::abs((box.high.y - box.low.y) - (bodyBox.high.y - bodyBox.low.y));
        if (sizeDifference <= AnchorTolerance) return cell;
        if (!first) first = cell;
    }
    return first;
}

PlacementExplanation::StandingPlace StandingPlaceOf(const Host& host, const Range& labelBox, const Point& offset,
                                                    double step, const Point& anchor, const Point& leaderEnd,
                                                    const LeaderClearance& clearance) {
    PlacementExplanation::StandingPlace place;
    SpiralWalk walk(host, labelBox.low, step, FreePlaceStartCount);
    while (walk.Next())
        if (Distance2d(walk.Offset(), offset) <= AnchorTolerance) {
            place.step = walk.Step();
            place.ring = walk.Ring();
            break;
        }
    place.leaderLength = Distance2d(anchor, leaderEnd);
    place.obstacle = clearance.FirstObstacle(anchor, leaderEnd);
    return place;
}

}  // namespace

PlacementExplanation ExplainPlacement(mdlOPM_Labeller& module, const Element& component, const ItemRows& labelItems) {
    Host& host = module.host;
    std::vector<Element> body;
    std::vector<Point> keyPoints;
    BuildLabelBody(module, component, labelItems, false, body, &keyPoints);
    if (body.empty() || keyPoints.empty())
        throw std::invalid_argument("component #" + std::to_string(component.id) +
                                    " gets no label from the label rows, so it has no place to explain");
    const Range labelBox = LabelBox(host, body);

    PlacementExplanation explanation;
    explanation.anchor = keyPoints.back();
    explanation.rule = module.placement.rule;
    std::optional<Point> leaderEnd;
    if (const std::optional<Element> label = LabelAt(host, explanation.anchor, labelBox)) {
        explanation.labelCell = label->id;
        std::vector<Element> placedBody = label->Cell().components;
        leaderEnd = placedBody.back().Linear().vertices.back();
        placedBody.pop_back();
        if (!placedBody.empty()) {
            const Point moved = LabelBox(host, placedBody).low - labelBox.low;
            explanation.labelOffset = Point{moved.x, moved.y, 0};
        }
        // Labels come into the model in the order they are placed, so the ones with higher ids
        // were not there when this one was placed: without them the search sees what the pass saw.
        ScanCriteria criteria;
        criteria.ExcludeAllTypes();
        criteria.IncludeType(ElementType::Cell);
        for (const Element& cell : host.Scan(criteria))
            if (cell.Cell().name == LabelCellName && cell.id >= label->id) {
                host.RemoveElement(cell);
                ++explanation.labelsTakenOut;
            }
    }

    FenceModesGuard modes(host, OverlapFenceModes, FenceModesGuard::OnExit::ClearFence);
    SpiralWalk walk(host, labelBox.low, module.settings.StepDistance, FreePlaceStartCount);
    while (walk.Next()) {
        host.ClearFence();
        host.DefineFenceFromPoints(ProbeCorners(labelBox, walk.Offset()), 1);
        const std::vector<Element> met = host.FenceContents();
        if (met.empty()) {
            explanation.firstFreeStep = walk.Step();
            explanation.firstFreeRing = walk.Ring();
            explanation.firstFreeOffset = walk.Offset();
            break;
        }
        if (explanation.blocked.empty() || explanation.blocked.back().ring != walk.Ring())
            explanation.blocked.push_back({walk.Ring(), walk.Step(), walk.Step(), {}});
        BlockedRing& ring = explanation.blocked.back();
        ring.lastStep = walk.Step();
        const Point probeCentre = (labelBox.low + labelBox.high) * 0.5 + walk.Offset();
        for (const Element& element : met) {
            const double distance = Distance2d(CentreInActive(host, element), probeCentre);
            const auto same = std::find_if(ring.nearest.begin(), ring.nearest.end(), [&](const Blocker& b) {
                return b.model == element.model && b.id == element.id;
            });
            if (same != ring.nearest.end()) {
                same->distance = std::min(same->distance, distance);
                continue;
            }
            ring.nearest.push_back({element.model, element.id, TypeText(element), distance});
        }
        std::sort(ring.nearest.begin(), ring.nearest.end(),
                  [](const Blocker& a, const Blocker& b) { return a.distance < b.distance; });
        if (ring.nearest.size() > BlockersPerRing) ring.nearest.resize(BlockersPerRing);
    }

    Point chosen = explanation.firstFreeOffset;
    if (explanation.rule == PlacementRule::ClearLeader) {
        ClearLeaderRequest request;
        request.body = &body;
        request.labelBox = labelBox;
        request.anchor = explanation.anchor;
        request.step = module.settings.StepDistance;
        const LeaderClearance clearance = LeaderClearance::OfSheet(host, 8.0 * std::max(module.settings.TextHeight, 1.0));
        explanation.clear = FindClearLeaderPlace(host, clearance, request, true);
        chosen = explanation.clear->search.offset;
        explanation.standsThere =
            explanation.labelOffset && Distance2d(*explanation.labelOffset, chosen) <= AnchorTolerance;
        if (!explanation.standsThere && explanation.labelOffset)
            explanation.standing = StandingPlaceOf(host, labelBox, *explanation.labelOffset, module.settings.StepDistance,
                                                   explanation.anchor, *leaderEnd, clearance);
        return explanation;
    }
    explanation.standsThere =
        explanation.labelOffset && Distance2d(*explanation.labelOffset, chosen) <= AnchorTolerance;
    return explanation;
}

}  // namespace zkl
