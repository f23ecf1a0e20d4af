#include "layout/dimension_points.h"

namespace zkl {

std::vector<Point> EmptyDimensionPoints() { return {Point{EmptyListMarker, 0.0, 0.0}}; }

void AppendDimensionPoint(std::vector<Point>& points, const Point& point) {
    if (!points.empty() && points.back().x == EmptyListMarker)
        points.assign(1, point);
    else
        points.push_back(point);
}

}  // namespace zkl
