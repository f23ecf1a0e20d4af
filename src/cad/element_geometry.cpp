#include "cad/element_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "cad/dimension_graphics.h"
#include "cad/fence.h"
#include "cad/text_metrics.h"

namespace zkl::cad {

namespace {

void AppendPath(const std::vector<Point>& vertices, Outline& outline) {
    if (vertices.size() == 1) outline.segments.push_back({vertices[0], vertices[0]});
    for (std::size_t i = 0; i + 1 < vertices.size(); ++i)
        outline.segments.push_back({vertices[i], vertices[i + 1]});
}

void AppendOutline(const Element& element, const DimensionStyleLookup& styles, Outline& outline) {
    switch (element.type) {
        case ElementType::Line:
        case ElementType::LineString:
            AppendPath(element.Linear().vertices, outline);
            break;
        case ElementType::Shape: {
            const auto& vertices = element.Linear().vertices;
            AppendPath(vertices, outline);
            // A shape is a ring even when its vertex list was not closed by its maker.
            if (vertices.size() > 2 && !(vertices.front() == vertices.back()))
                outline.segments.push_back({vertices.back(), vertices.front()});
            break;
        }
        case ElementType::Ellipse:
            outline.ellipses.push_back(element.Ellipse());
            break;
        case ElementType::Text:
            outline.solids.push_back(TextCorners(element.Text()));
            break;
        case ElementType::Cell:
            for (const Element& component : element.Cell().components)
                AppendOutline(component, styles, outline);
            break;
        case ElementType::Dimension: {
            const DimensionStyle style = styles(element.Dimension().style);
            for (const Element& graphic : DimensionGraphics(element, style))
                AppendOutline(graphic, styles, outline);
            break;
        }
    }
}

double Distance2d(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The plan view of an ellipse is centre + cos t * A + sin t * B with A and B not always
// perpendicular, so there is no closed form; a sampled search refined around each local
// minimum by golden sections is exact to far below a drawing's resolution.
double DistanceToEllipse2d(const Point& p, const EllipseGeometry& ellipse) {
    const Point a = ellipse.rotation.Column(0) * ellipse.primaryRadius;
    const Point b = ellipse.rotation.Column(1) * ellipse.secondaryRadius;
    auto distanceAt = [&](double t) {
        const Point on = ellipse.centre + a * std::cos(t) + b * std::sin(t);
        return Distance2d(p, on);
    };
    constexpr int Samples = 64;
    constexpr double Step = 2 * Pi / Samples;
    std::array<double, Samples> sampled{};
    for (int i = 0; i < Samples; ++i) sampled[static_cast<std::size_t>(i)] = distanceAt(i * Step);
    double best = *std::min_element(sampled.begin(), sampled.end());
    for (int i = 0; i < Samples; ++i) {
        const double here = sampled[static_cast<std::size_t>(i)];
        if (here > sampled[static_cast<std::size_t>((i + Samples - 1) % Samples)] ||
            here > sampled[static_cast<std::size_t>((i + 1) % Samples)])
            continue;
        constexpr double Golden = 0.6180339887498949;
        double low = (i - 1) * Step, high = (i + 1) * Step;
        double x1 = high - Golden * (high - low), x2 = low + Golden * (high - low);
        double f1 = distanceAt(x1), f2 = distanceAt(x2);
        for (int k = 0; k < 60; ++k) {
            if (f1 < f2) {
                high = x2;
                x2 = x1;
                f2 = f1;
                x1 = high - Golden * (high - low);
                f1 = distanceAt(x1);
            } else {
                low = x1;
                x1 = x2;
                f1 = f2;
                x2 = low + Golden * (high - low);
                f2 = distanceAt(x2);
            }
        }
        best = std::min({best, f1, f2});
    }
    return best;
}

}  // namespace

void Outline::Append(const Outline& other) {
    segments.insert(segments.end(), other.segments.begin(), other.segments.end());
    ellipses.insert(ellipses.end(), other.ellipses.begin(), other.ellipses.end());
    solids.insert(solids.end(), other.solids.begin(), other.solids.end());
}

void Outline::ApplyTransform(const Transform3d& transform) {
    for (Segment& segment : segments) segment = {transform.Apply(segment.a), transform.Apply(segment.b)};
    for (EllipseGeometry& ellipse : ellipses) {
        // Ellipses transform as elements do, so an attachment's circles keep their shape.
        Element element =
            MakeEllipse(ellipse.centre, ellipse.primaryRadius, ellipse.secondaryRadius, ellipse.rotation);
        element.ApplyTransform(transform);
        ellipse = element.Ellipse();
    }
    for (auto& solid : solids)
        for (Point& corner : solid) corner = transform.Apply(corner);
}

Outline ElementOutline(const Element& element, const DimensionStyleLookup& styles) {
    Outline outline;
    AppendOutline(element, styles, outline);
    return outline;
}

Range EllipseRange(const EllipseGeometry& ellipse) {
    const Point a = ellipse.rotation.Column(0) * ellipse.primaryRadius;
    const Point b = ellipse.rotation.Column(1) * ellipse.secondaryRadius;
    // Along each world axis the curve reaches centre +- sqrt(a_k^2 + b_k^2).
    const Point half{std::hypot(a.x, b.x), std::hypot(a.y, b.y), std::hypot(a.z, b.z)};
    return {ellipse.centre - half, ellipse.centre + half};
}

Range OutlineRange(const Outline& outline) {
    std::optional<Range> range;
    auto extend = [&](const Range& part) {
        if (range)
            range->Extend(part);
        else
            range = part;
    };
    for (const Segment& segment : outline.segments) extend(Range::FromCorners(segment.a, segment.b));
    for (const EllipseGeometry& ellipse : outline.ellipses) extend(EllipseRange(ellipse));
    for (const auto& solid : outline.solids)
        for (const Point& corner : solid) extend(Range::FromPoint(corner));
    return range.value_or(Range{});
}

Range ElementRange(const Element& element, const DimensionStyleLookup& styles) {
    if (element.IsText()) return TextBoxRange(element.Text());
    const Outline outline = ElementOutline(element, styles);
    // An empty cell or a dimension without points still sits somewhere.
    if (outline.Empty() && element.IsCell()) return Range::FromPoint(element.Cell().origin);
    return OutlineRange(outline);
}

double DistanceToSegment2d(const Point& p, const Segment& segment) {
    const double dx = segment.b.x - segment.a.x, dy = segment.b.y - segment.a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double s = 0;
    if (lengthSquared > 0)
        s = std::clamp(((p.x - segment.a.x) * dx + (p.y - segment.a.y) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(p.x - (segment.a.x + s * dx), p.y - (segment.a.y + s * dy));
}

double DistanceToOutline2d(const Point& p, const Outline& outline) {
    double best = std::numeric_limits<double>::infinity();
    for (const Segment& segment : outline.segments) best = std::min(best, DistanceToSegment2d(p, segment));
    for (const EllipseGeometry& ellipse : outline.ellipses)
        best = std::min(best, DistanceToEllipse2d(p, ellipse));
    for (const auto& solid : outline.solids) {
        if (PointInPolygon2d(p, {solid.begin(), solid.end()})) return 0.0;
        for (std::size_t i = 0; i < solid.size(); ++i)
            best = std::min(best, DistanceToSegment2d(p, {solid[i], solid[(i + 1) % solid.size()]}));
    }
    return best;
}

}  // namespace zkl::cad
