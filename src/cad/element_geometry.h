// What an element looks like to the engine's spatial tests: its outline as straight
// segments, ellipses and solid quadrilaterals (text boxes), and its range. Cells contribute
// the outlines of their components; dimensions those of their drawn graphics.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host_types.h"

namespace zkl::cad {

struct Segment {
    Point a;
    Point b;
};

struct Outline {
    std::vector<Segment> segments;
    std::vector<EllipseGeometry> ellipses;
    std::vector<std::array<Point, 4>> solids;  // text boxes: a probe inside one meets it

    void Append(const Outline& other);
    void ApplyTransform(const Transform3d& transform);
    bool Empty() const { return segments.empty() && ellipses.empty() && solids.empty(); }
};

// Looks up a dimension style by name for dimension graphics; throws HostError when unknown.
using DimensionStyleLookup = std::function<DimensionStyle(const std::string&)>;

Outline ElementOutline(const Element& element, const DimensionStyleLookup& styles);
Range OutlineRange(const Outline& outline);
Range ElementRange(const Element& element, const DimensionStyleLookup& styles);

// Shortest distance from a point to the outline in x and y (0 inside a solid); used to
// locate the element nearest a data point.
double DistanceToOutline2d(const Point& p, const Outline& outline);

// The pieces the fence and locate share: the distance from a point to a segment in x and y,
// and the exact range of an ellipse (its extreme points along each world axis).
double DistanceToSegment2d(const Point& p, const Segment& segment);
Range EllipseRange(const EllipseGeometry& ellipse);

}  // namespace zkl::cad
