// The list of dimension points of one drawing area: component points and grid-line points
// in active-model drawing units, collected by the layout and handed to the dimension
// chains. An empty list is one point whose x is EmptyListMarker; the chain builder
// knows that point and treats such a list as empty.
#pragma once

#include <vector>

#include "dimension/dimension_chain.h"
#include "host/geometry.h"

namespace zkl {

// The list as a run starts it: the marker point alone.
std::vector<Point> EmptyDimensionPoints();
// Overwrites the marker point when it is last, otherwise grows the list.
void AppendDimensionPoint(std::vector<Point>& points, const Point& point);

}  // namespace zkl
