#include "cad/fence.h"

#include <algorithm>
#include <cmath>

#include "cad/intersections.h"

namespace zkl::cad {

namespace {

double Orientation(const Point& a, const Point& b, const Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// How far apart two segments' x-y boxes lie along the axis where they lie furthest apart;
// not above 0 when the boxes meet.
double BoxGap2d(const Segment& s, const Segment& t) {
    const double gapX = std::max(std::min(s.a.x, s.b.x) - std::max(t.a.x, t.b.x),
                                 std::min(t.a.x, t.b.x) - std::max(s.a.x, s.b.x));
    const double gapY = std::max(std::min(s.a.y, s.b.y) - std::max(t.a.y, t.b.y),
                                 std::min(t.a.y, t.b.y) - std::max(s.a.y, s.b.y));
    return std::max(gapX, gapY);
}

double LargestCoordinate(const Segment& s, const Segment& t) {
    return std::max({std::abs(s.a.x), std::abs(s.a.y), std::abs(s.b.x), std::abs(s.b.y), std::abs(t.a.x),
                     std::abs(t.a.y), std::abs(t.b.x), std::abs(t.b.y)});
}

// Whether two segments meet in x-y, touching and collinear overlap included, within `slack`.
bool SegmentsMeet2d(const Segment& s, const Segment& t, double slack) {
    // Segments that cross have meeting boxes, and a point is at least the boxes' gap away
    // from the other segment; so boxes further apart than the slack (and the rounding of the
    // distances below, far less than 1e-12 of the coordinates) give the answer at once. Most
    // pairs a probe looks at are such, and the distances cost four square roots.
    const double gap = BoxGap2d(s, t);
    if (gap > slack && gap - slack > 1e-12 * LargestCoordinate(s, t)) return false;
    const double o1 = Orientation(s.a, s.b, t.a), o2 = Orientation(s.a, s.b, t.b);
    const double o3 = Orientation(t.a, t.b, s.a), o4 = Orientation(t.a, t.b, s.b);
    if (((o1 < 0 && o2 > 0) || (o1 > 0 && o2 < 0)) && ((o3 < 0 && o4 > 0) || (o3 > 0 && o4 < 0))) return true;
    return DistanceToSegment2d(t.a, s) <= slack || DistanceToSegment2d(t.b, s) <= slack ||
           DistanceToSegment2d(s.a, t) <= slack || DistanceToSegment2d(s.b, t) <= slack;
}

}  // namespace

Range Fence::Bounds() const {
    if (polygon.empty()) return {};
    Range range = Range::FromPoint(polygon.front());
    for (const Point& p : polygon) range.Extend(p);
    return range;
}

namespace {

// Touching is decided to within rounding of the fence's coordinates.
double TouchingSlack(const Range& bounds) {
    const double size = std::max({1.0, std::abs(bounds.low.x), std::abs(bounds.low.y),
                                  std::abs(bounds.high.x), std::abs(bounds.high.y)});
    return 1e-9 * size;
}

}  // namespace

FenceRelation Fence::Relate(const Outline& outline) const {
    if (!Defined() || outline.Empty()) return FenceRelation::Outside;

    const double slack = TouchingSlack(Bounds());

    std::vector<Segment> edges;
    for (std::size_t i = 0; i < polygon.size(); ++i)
        edges.push_back({polygon[i], polygon[(i + 1) % polygon.size()]});
    auto crossesBoundary = [&](const Segment& segment) {
        return std::any_of(edges.begin(), edges.end(),
                           [&](const Segment& edge) { return SegmentsMeet2d(edge, segment, slack); });
    };

    // A part that does not meet the boundary lies wholly on one side of it, so any one of
    // its points tells which.
    bool anyInside = false;
    bool anyOutside = false;
    auto note = [&](const Point& p) { (PointInPolygon2d(p, polygon) ? anyInside : anyOutside) = true; };

    for (const Segment& segment : outline.segments) {
        if (crossesBoundary(segment)) return FenceRelation::Overlaps;
        note(segment.a);
    }
    for (const EllipseGeometry& ellipse : outline.ellipses) {
        for (const Segment& edge : edges)
            if (!IntersectSegmentEllipse(edge.a, edge.b, ellipse).empty()) return FenceRelation::Overlaps;
        note(EllipsePointAtAngle(ellipse, 0));
    }
    for (const auto& solid : outline.solids) {
        for (std::size_t i = 0; i < solid.size(); ++i)
            if (crossesBoundary({solid[i], solid[(i + 1) % solid.size()]})) return FenceRelation::Overlaps;
        // Unlike a closed outline, a solid that surrounds the fence covers it.
        if (PointInPolygon2d(polygon.front(), {solid.begin(), solid.end()})) return FenceRelation::Overlaps;
        note(solid.front());
    }
    if (anyInside && anyOutside) return FenceRelation::Overlaps;
    return anyInside ? FenceRelation::Inside : FenceRelation::Outside;
}

bool Fence::TakesIn(FenceRelation relation, const FenceModes& modes) {
    if (relation == FenceRelation::Overlaps) return modes.overlap;
    return relation == (modes.outside ? FenceRelation::Outside : FenceRelation::Inside);
}

FenceTest::FenceTest(const Fence& fence) { Assign(fence); }

void FenceTest::Assign(const Fence& fence) {
    // A free-place search assigns a fence per probe, so this stays one pass over the corners
    // into buffers that keep their size.
    const std::size_t corners = fence.polygon.size();
    polygon_.assign(fence.polygon.begin(), fence.polygon.end());
    edges_.resize(corners);
    bounds_ = corners ? Range::FromPoint(polygon_.front()) : Range{};
    for (std::size_t i = 0; i < corners; ++i) {
        const Point& corner = polygon_[i];
        bounds_.Extend(corner);
        edges_[i] = {corner, polygon_[i + 1 < corners ? i + 1 : 0]};
    }
    slack_ = TouchingSlack(bounds_);
}

bool FenceTest::BoxMeets(const Range& box) const {
    return box.low.x <= bounds_.high.x + slack_ && box.high.x >= bounds_.low.x - slack_ &&
           box.low.y <= bounds_.high.y + slack_ && box.high.y >= bounds_.low.y - slack_;
}

bool FenceTest::CrossesBoundary(const Segment& segment) const {
    return std::any_of(edges_.begin(), edges_.end(),
                       [&](const Segment& edge) { return SegmentsMeet2d(edge, segment, slack_); });
}

bool FenceTest::SegmentMeets(const Segment& segment) const {
    // BoxMeets of the segment's range, without building the range: this runs for every
    // piece of every element a probe looks at.
    if (!(std::min(segment.a.x, segment.b.x) <= bounds_.high.x + slack_ &&
          std::max(segment.a.x, segment.b.x) >= bounds_.low.x - slack_ &&
          std::min(segment.a.y, segment.b.y) <= bounds_.high.y + slack_ &&
          std::max(segment.a.y, segment.b.y) >= bounds_.low.y - slack_))
        return false;
    return CrossesBoundary(segment) || PointInPolygon2d(segment.a, polygon_);
}

bool FenceTest::EllipseMeets(const EllipseGeometry& ellipse) const {
    if (!BoxMeets(EllipseRange(ellipse))) return false;
    for (const Segment& edge : edges_)
        if (!IntersectSegmentEllipse(edge.a, edge.b, ellipse).empty()) return true;
    return PointInPolygon2d(EllipsePointAtAngle(ellipse, 0), polygon_);
}

bool FenceTest::SolidMeets(const std::array<Point, 4>& solid) const {
    Range box = Range::FromPoint(solid[0]);
    for (const Point& corner : solid) box.Extend(corner);
    if (!BoxMeets(box)) return false;
    for (std::size_t i = 0; i < solid.size(); ++i)
        if (CrossesBoundary({solid[i], solid[(i + 1) % solid.size()]})) return true;
    const std::vector<Point> ring(solid.begin(), solid.end());
    return PointInPolygon2d(polygon_.front(), ring) || PointInPolygon2d(solid.front(), polygon_);
}

bool PointInPolygon2d(const Point& p, const std::vector<Point>& polygon) {
    // Even-odd crossing count of a ray towards +x.
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
    }
    return inside;
}

}  // namespace zkl::cad
