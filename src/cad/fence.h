// A fence: a closed polygon in active-model x-y, and the rule by which it takes elements
// in. An element is inside when its whole outline lies within the polygon and overlaps when
// its outline crosses the polygon's boundary or a solid of it covers part of the fence. A
// closed outline that merely surrounds the fence neither lies inside nor crosses it.
#pragma once

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

bool PointInPolygon2d(const Point& p, const std::vector<Point>& polygon);

}  // namespace zkl::cad
