// A fence: a closed polygon in active-model x-y, and the rule by which it takes elements
// in. An element is inside when its whole outline lies within the polygon and overlaps when
// its outline crosses the polygon's boundary or a solid of it covers part of the fence. A
// closed outline that merely surrounds the fence neither lies inside nor crosses it.
#pragma once

#include <array>
#include <vector>

#include "cad/element_geometry.h"
#include "host/geometry.h"
#include "host/host_types.h"

namespace zkl::cad {

enum class FenceRelation { Outside, Inside, Overlaps };

struct Fence {
    std::vector<Point> polygon;  // open ring: the closing edge is implied

    bool Defined() const { return polygon.size() >= 3; }
    Range Bounds() const;
    FenceRelation Relate(const Outline& outline) const;
    // Whether the fence takes in an element in this relation under the modes.
    static bool TakesIn(FenceRelation relation, const FenceModes& modes);
};

// A fence made ready for many "does this piece meet it?" questions (the label probes): its
// edges, bounds and touching tolerance are worked out once. A piece meets the fence when it
// crosses the boundary or lies (partly) inside; a solid also when it covers the fence.
// Under overlap mode (void off) an element is taken in exactly when one of its pieces meets
// the fence, so a probe can stop at the first such piece. Coordinates: active-model x-y.
class FenceTest {
public:
    explicit FenceTest(const Fence& fence);
    // Prepares for another fence, reusing the buffers (a search defines one per probe).
    void Assign(const Fence& fence);

    const Range& Bounds() const { return bounds_; }
    // Whether an axis-aligned box can hold a piece that meets the fence: the cheap test
    // that comes first.
    bool BoxMeets(const Range& box) const;
    bool SegmentMeets(const Segment& segment) const;
    bool EllipseMeets(const EllipseGeometry& ellipse) const;
    bool SolidMeets(const std::array<Point, 4>& solid) const;

private:
    bool CrossesBoundary(const Segment& segment) const;

    std::vector<Point> polygon_;
    std::vector<Segment> edges_;
    Range bounds_;
    double slack_ = 0.0;
};

// How a model's fence query finds its candidates: through the model's R-tree, first asking
// the few elements the latest queries found (normal); through the R-tree alone; or by looking at
// every element's range in turn. The last two are kept to measure what each step gains.
enum class FenceProbeMethod { IndexAskingLastFirst, SpatialIndex, LinearScan };

bool PointInPolygon2d(const Point& p, const std::vector<Point>& polygon);

}  // namespace zkl::cad
