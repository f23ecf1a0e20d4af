// Intersections in the x-y plane of the view (plan), and arc-length walks along ellipses.
// Points come back in order along the first element, with z interpolated on it.
#pragma once

#include <vector>

#include "host/element.h"
#include "host/geometry.h"

namespace zkl::cad {

// Segment/segment; nothing for parallel or collinear segments.
std::vector<Point> IntersectSegments(const Point& a0, const Point& a1, const Point& b0, const Point& b1);
// A segment with a full ellipse (0, 1 or 2 points).
std::vector<Point> IntersectSegmentEllipse(const Point& a0, const Point& a1, const EllipseGeometry& ellipse);

// `path` is a line or line string; `other` a line, line string, shape, ellipse or cell (its
// components). Throws HostError for other combinations.
std::vector<Point> IntersectElements(const Element& path, const Element& other);

double EllipseCircumference(const EllipseGeometry& ellipse);
// Starts at the end of the primary axis and runs counter-clockwise in the ellipse's plane.
Point EllipsePointAtArcLength(const EllipseGeometry& ellipse, double distance);
// The point at parameter angle t: centre + a cos t * axis0 + b sin t * axis1.
Point EllipsePointAtAngle(const EllipseGeometry& ellipse, double t);
// The same point from cos t and sin t worked out before.
Point EllipsePointAtCosSin(const EllipseGeometry& ellipse, double cosT, double sinT);

}  // namespace zkl::cad
