// A quick "certainly meets" for the probes of a free-place search. The exact fence test
// decides touching within a tolerance and with rounding; a convex piece that reaches into
// the fence rectangle shrunk by a margin far wider than both meets the fence whatever the
// exact test's fine print, so the test can be skipped. Anything less deep is left to it.
// Coordinates: active-model x-y.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "host/geometry.h"

namespace zkl::cad {

// A fence that is an axis-aligned rectangle, shrunk by the margin.
struct InnerRectangle {
    double lowX, lowY, highX, highY;
};

// The inner rectangle of a fence whose open ring is an axis-aligned rectangle (in either
// turning sense); none for any other fence, or one too small to shrink.
std::optional<InnerRectangle> InnerRectangleOf(const std::vector<Point>& ring);

// A convex piece of an outline in x-y: a point, a segment, or a quadrilateral given in
// turning order, with its box.
struct ConvexPiece {
    std::array<Point, 4> corners;
    std::size_t count = 0;  // 0 when the piece is none of these
    double lowX = 0, lowY = 0, highX = 0, highY = 0;
};

// The segment as a piece (a point when its ends coincide).
ConvexPiece SegmentPiece(const Point& a, const Point& b);
// The quadrilateral as a piece when it is strictly convex; none otherwise (a mirrored or
// collapsed text box is left to the exact test).
ConvexPiece ConvexQuadrilateral(const std::array<Point, 4>& corners);

// Whether the piece reaches into the rectangle's inside (touching does not count).
bool ReachesInto(const ConvexPiece& piece, const InnerRectangle& inner);

}  // namespace zkl::cad
