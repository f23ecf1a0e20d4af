#include "cad/prepared_outline.h"

#include <cmath>

#include "cad/element_geometry.h"
#include "cad/text_metrics.h"

namespace zkl::cad {

namespace {

void Prepare(const Element& element, const Transform3d* toActive, PreparedOutline& prepared) {
    auto toFence = [&](const Point& p) { return toActive ? toActive->Apply(p) : p; };
    switch (element.type) {
        case ElementType::Line:
        case ElementType::LineString:
        case ElementType::Shape: {
            const auto& vertices = element.Linear().vertices;
            if (vertices.empty()) return;
            if (vertices.size() == 1) {
                prepared.segments.push_back({toFence(vertices[0]), toFence(vertices[0])});
                return;
            }
            Point previous = toFence(vertices.front());
            for (std::size_t i = 1; i < vertices.size(); ++i) {
                const Point next = toFence(vertices[i]);
                prepared.segments.push_back({previous, next});
                previous = next;
            }
            // A shape is a ring even when its vertex list was not closed by its maker.
            if (element.type == ElementType::Shape && vertices.size() > 2 && !(vertices.front() == vertices.back()))
                prepared.segments.push_back({previous, toFence(vertices.front())});
            return;
        }
        case ElementType::Text: {
            const TextGeometry& text = element.Text();
            double reach = (static_cast<double>(text.text.size()) * std::abs(text.width) + std::abs(text.height)) *
                           NormBound(text.rotation);
            if (toActive) reach *= NormBound(toActive->Linear());
            const Point origin = toFence(text.origin);
            PreparedOutline::Text prepared_text{{origin - Point{reach, reach, 0}, origin + Point{reach, reach, 0}},
                                                TextCorners(text)};
            for (Point& corner : prepared_text.corners) corner = toFence(corner);
            prepared.texts.push_back(prepared_text);
            return;
        }
        case ElementType::Ellipse: {
            if (!toActive) {
                prepared.ellipses.push_back({std::nullopt, element.Ellipse()});
                return;
            }
            const Range local = EllipseRange(element.Ellipse());
            std::vector<Point> corners;
            for (const double x : {local.low.x, local.high.x})
                for (const double y : {local.low.y, local.high.y})
                    for (const double z : {local.low.z, local.high.z}) corners.push_back({x, y, z});
            Element moved = element;
            moved.ApplyTransform(*toActive);
            prepared.ellipses.push_back({TransformedRange(corners, *toActive), moved.Ellipse()});
            return;
        }
        case ElementType::Cell:
            for (const Element& component : element.Cell().components) Prepare(component, toActive, prepared);
            return;
        case ElementType::Dimension:
            prepared.complete = false;
            return;
    }
}

}  // namespace

double NormBound(const Matrix3d& matrix) {
    double sum = 0;
    for (const double entry : matrix.m) sum += entry * entry;
    return std::sqrt(sum);
}

Range TransformedRange(const std::vector<Point>& points, const Transform3d& transform) {
    Range range = Range::FromPoint(transform.Apply(points.front()));
    for (std::size_t i = 1; i < points.size(); ++i) range.Extend(transform.Apply(points[i]));
    return range;
}

PreparedOutline PrepareOutline(const Element& element, const Transform3d* toActive) {
    PreparedOutline prepared;
    if (toActive) prepared.toActive = *toActive;
    Prepare(element, toActive, prepared);
    return prepared;
}

bool PreparedOutline::PieceMeets(std::size_t piece, const FenceTest& test) const {
    if (piece < segments.size()) return test.SegmentMeets(segments[piece]);
    piece -= segments.size();
    if (piece < texts.size()) return test.BoxMeets(texts[piece].reach) && test.SolidMeets(texts[piece].corners);
    const Ellipse& ellipse = ellipses[piece - texts.size()];
    return (!ellipse.guard || test.BoxMeets(*ellipse.guard)) && test.EllipseMeets(ellipse.ellipse);
}

bool PreparedOutline::Meets(const FenceTest& test) const {
    const std::size_t pieces = segments.size() + texts.size() + ellipses.size();
    if (lastMet_ < pieces && PieceMeets(lastMet_, test)) return true;
    for (std::size_t piece = 0; piece < pieces; ++piece) {
        if (piece != lastMet_ && PieceMeets(piece, test)) {
            lastMet_ = piece;
            return true;
        }
    }
    return false;
}

ConvexPiece PreparedOutline::LastMetPiece() const {
    std::size_t piece = lastMet_;
    if (piece < segments.size()) {
        const Segment& segment = segments[piece];
        return SegmentPiece(segment.a, segment.b);
    }
    piece -= segments.size();
    if (piece >= texts.size()) return {};
    // The exact test looks at a text only inside its reach box, so a box that pokes out of
    // it (it never should) is left to that test.
    const Text& text = texts[piece];
    for (const Point& corner : text.corners)
        if (corner.x < text.reach.low.x || corner.x > text.reach.high.x || corner.y < text.reach.low.y ||
            corner.y > text.reach.high.y)
            return {};
    return ConvexQuadrilateral(text.corners);
}

}  // namespace zkl::cad
