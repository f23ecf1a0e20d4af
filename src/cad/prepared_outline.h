// The pieces of an element that the overlap fence test looks at, worked out once in
// active-model coordinates. A free-place search tests the same few hundred elements against
// thousands of fences; transforming their vertices and working out their text boxes for
// every fence cost more than the tests. The pieces are exactly those the direct test
// computes, with the same arithmetic, so both give the same answer for every fence.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "cad/deep_overlap.h"
#include "cad/fence.h"
#include "host/element.h"
#include "host/geometry.h"

namespace zkl::cad {

struct PreparedOutline {
    // A text is looked at only when its reach box meets the fence.
    struct Text {
        Range reach;
        std::array<Point, 4> corners;
    };
    // An attachment's ellipse likewise, with its transformed range.
    struct Ellipse {
        std::optional<Range> guard;
        EllipseGeometry ellipse;
    };

    std::vector<Segment> segments;
    std::vector<Text> texts;
    std::vector<Ellipse> ellipses;
    // False when the element holds a dimension, whose outline depends on the design file's
    // styles: such an element is tested directly.
    bool complete = true;
    // The attachment transform it was made for; none for the active model.
    std::optional<Transform3d> toActive;

    bool Meets(const FenceTest& test) const;
    // The piece that met the last fence Meets said yes to, when it is a segment or a convex
    // text box (none for an ellipse).
    ConvexPiece LastMetPiece() const;

private:
    bool PieceMeets(std::size_t piece, const FenceTest& test) const;
    // The piece that met the last fence: the probes of a search lie a step apart, so it is
    // asked first. Any one meeting piece answers, so the order never changes the answer.
    mutable std::size_t lastMet_ = 0;
};

// `toActive` is null for an element of the active model.
PreparedOutline PrepareOutline(const Element& element, const Transform3d* toActive);

// A bound of how much a matrix can lengthen a vector (its Frobenius norm).
double NormBound(const Matrix3d& matrix);
// The x-y range of points after a transform.
Range TransformedRange(const std::vector<Point>& points, const Transform3d& transform);

}  // namespace zkl::cad
