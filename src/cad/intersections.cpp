#include "cad/intersections.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "cad/element_geometry.h"
#include "host/host_error.h"

namespace zkl::cad {

namespace {

// Parameters a hair outside [0, 1] still count, so that a segment ending exactly on another
// (a leader ending on a border, a fence corner on an element) meets it despite rounding.
constexpr double ParameterSlack = 1e-10;

double Cross2d(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

Point Along(const Point& a0, const Point& a1, double s) { return a0 + (a1 - a0) * s; }

std::optional<double> Clamped(double s) {
    if (s < -ParameterSlack || s > 1 + ParameterSlack) return std::nullopt;
    return std::clamp(s, 0.0, 1.0);
}

// Parameter along a0-a1 of its crossing with b0-b1.
std::optional<double> SegmentParameter(const Point& a0, const Point& a1, const Point& b0, const Point& b1) {
    const double dax = a1.x - a0.x, day = a1.y - a0.y;
    const double dbx = b1.x - b0.x, dby = b1.y - b0.y;
    const double denominator = Cross2d(dax, day, dbx, dby);
    const double scale = std::hypot(dax, day) * std::hypot(dbx, dby);
    if (scale == 0.0 || std::abs(denominator) <= 1e-12 * scale) return std::nullopt;
    const double wx = b0.x - a0.x, wy = b0.y - a0.y;
    const auto s = Clamped(Cross2d(wx, wy, dbx, dby) / denominator);
    const auto t = Clamped(Cross2d(wx, wy, dax, day) / denominator);
    if (!s || !t) return std::nullopt;
    return s;
}

// The ellipse as seen from above: centre + cos t * A + sin t * B, where A and B are the
// projected semi-axes (not perpendicular once the ellipse is tilted out of plan).
struct PlanEllipse {
    double cx, cy, ax, ay, bx, by;
};

PlanEllipse ToPlan(const EllipseGeometry& ellipse) {
    const Point a = ellipse.rotation.Column(0) * ellipse.primaryRadius;
    const Point b = ellipse.rotation.Column(1) * ellipse.secondaryRadius;
    return {ellipse.centre.x, ellipse.centre.y, a.x, a.y, b.x, b.y};
}

// Parameters along a0-a1 where it meets the ellipse in plan, ascending.
std::vector<double> EllipseParameters(const Point& a0, const Point& a1, const EllipseGeometry& ellipse) {
    const PlanEllipse e = ToPlan(ellipse);
    const double axesSquared = e.ax * e.ax + e.ay * e.ay + e.bx * e.bx + e.by * e.by;
    if (axesSquared == 0.0) return {};
    const double determinant = Cross2d(e.ax, e.ay, e.bx, e.by);
    if (std::abs(determinant) <= 1e-12 * axesSquared) {
        // Seen edge-on the ellipse is a segment through its centre; its half length is the
        // largest |cos t A + sin t B|, which for parallel A and B is sqrt(|A|^2 + |B|^2).
        const bool useA = e.ax * e.ax + e.ay * e.ay >= e.bx * e.bx + e.by * e.by;
        const double dx = useA ? e.ax : e.bx, dy = useA ? e.ay : e.by;
        const double factor = std::sqrt(axesSquared) / std::hypot(dx, dy);
        const Point half{dx * factor, dy * factor, 0};
        const Point centre{e.cx, e.cy, 0};
        if (auto s = SegmentParameter(a0, a1, centre - half, centre + half)) return {*s};
        return {};
    }
    // In the ellipse's parameter coordinates it is the unit circle.
    auto toUnit = [&](double x, double y) {
        return std::pair{(e.by * x - e.bx * y) / determinant, (-e.ay * x + e.ax * y) / determinant};
    };
    const auto [qx, qy] = toUnit(a0.x - e.cx, a0.y - e.cy);
    const auto [dx, dy] = toUnit(a1.x - a0.x, a1.y - a0.y);
    const double dd = dx * dx + dy * dy;
    if (dd == 0.0) return {};
    const double middle = -(qx * dx + qy * dy) / dd;  // parameter nearest the centre
    const double nearestX = qx + middle * dx, nearestY = qy + middle * dy;
    const double nearestSquared = nearestX * nearestX + nearestY * nearestY;
    // A line that grazes the ellipse within rounding touches it once.
    constexpr double TangentSlack = 1e-9;
    if (nearestSquared > 1 + TangentSlack) return {};
    std::vector<double> parameters;
    auto keep = [&](double s) {
        if (auto clamped = Clamped(s)) parameters.push_back(*clamped);
    };
    if (nearestSquared >= 1 - 1e-12) {
        keep(middle);
    } else {
        const double half = std::sqrt((1 - nearestSquared) / dd);
        keep(middle - half);
        keep(middle + half);
    }
    return parameters;
}

DimensionStyle StyleOfName(const std::string& name) {
    DimensionStyle style;
    style.name = name;
    return style;
}

// Speed along the ellipse at parameter t: |d/dt (a cos t, b sin t)|.
double Speed(double a, double b, double t) { return std::hypot(a * std::sin(t), b * std::cos(t)); }

// Arc length from parameter 0 to t (0 <= t <= 2 pi), by 8-point Gauss-Legendre on panels of
// 1/64 turn: the speed is smooth, so this is exact to rounding for any ellipse that is not
// nearly flat, and exact for circles.
double ArcLengthTo(double a, double b, double t) {
    static constexpr std::array<double, 4> Nodes{0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                                                 0.9602898564975363};
    static constexpr std::array<double, 4> Weights{0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                                                   0.1012285362903763};
    constexpr double Panel = 2 * Pi / 64;
    auto integrate = [&](double from, double to) {
        const double mid = (from + to) / 2, half = (to - from) / 2;
        double sum = 0;
        for (std::size_t i = 0; i < Nodes.size(); ++i)
            sum += Weights[i] * (Speed(a, b, mid - half * Nodes[i]) + Speed(a, b, mid + half * Nodes[i]));
        return sum * half;
    };
    double length = 0;
    double from = 0;
    while (from + Panel < t) {
        length += integrate(from, from + Panel);
        from += Panel;
    }
    return length + integrate(from, t);
}

}  // namespace

std::vector<Point> IntersectSegments(const Point& a0, const Point& a1, const Point& b0, const Point& b1) {
    if (auto s = SegmentParameter(a0, a1, b0, b1)) return {Along(a0, a1, *s)};
    return {};
}

std::vector<Point> IntersectSegmentEllipse(const Point& a0, const Point& a1, const EllipseGeometry& ellipse) {
    std::vector<Point> points;
    for (double s : EllipseParameters(a0, a1, ellipse)) points.push_back(Along(a0, a1, s));
    return points;
}

std::vector<Point> IntersectElements(const Element& path, const Element& other) {
    if (path.type != ElementType::Line && path.type != ElementType::LineString)
        throw HostError("cannot intersect " + path.Describe() +
                        ": only a line or line string can be intersected with "
                        "another element");
    switch (other.type) {
        case ElementType::Line:
        case ElementType::LineString:
        case ElementType::Shape:
        case ElementType::Ellipse:
        case ElementType::Cell:
            break;
        default:
            throw HostError("cannot intersect " + path.Describe() + " with " + other.Describe() +
                            ": only lines, line strings, shapes, ellipses and cells can be intersected");
    }
    // Dimensions inside a cell are drawn with their style's default sizes: intersections have
    // no design file at hand, and dimensions are never parts of the cells that get intersected.
    Outline outline = ElementOutline(other, StyleOfName);
    // A text inside a cell is met where the path enters or leaves its box.
    for (const auto& solid : outline.solids)
        for (std::size_t i = 0; i < solid.size(); ++i)
            outline.segments.push_back({solid[i], solid[(i + 1) % 4]});

    // Each hit is keyed by its position along the path: segment index plus the fraction.
    std::vector<std::pair<double, Point>> hits;
    const auto& vertices = path.Linear().vertices;
    for (std::size_t i = 0; i + 1 < vertices.size(); ++i) {
        const Point& a0 = vertices[i];
        const Point& a1 = vertices[i + 1];
        const double base = static_cast<double>(i);
        for (const Segment& segment : outline.segments)
            if (auto s = SegmentParameter(a0, a1, segment.a, segment.b))
                hits.emplace_back(base + *s, Along(a0, a1, *s));
        for (const EllipseGeometry& ellipse : outline.ellipses)
            for (double s : EllipseParameters(a0, a1, ellipse)) hits.emplace_back(base + s, Along(a0, a1, s));
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });

    // A path through a vertex of the other element, or through one of its own vertices, meets
    // two segments at one place; report that place once.
    std::vector<Point> points;
    double last = -1;
    for (const auto& [parameter, point] : hits) {
        if (!points.empty() && parameter - last <= 1e-9) continue;
        points.push_back(point);
        last = parameter;
    }
    return points;
}

double EllipseCircumference(const EllipseGeometry& ellipse) {
    double a = std::abs(ellipse.primaryRadius);
    double b = std::abs(ellipse.secondaryRadius);
    if (a < b) std::swap(a, b);
    if (a == b) return 2 * Pi * a;
    if (b == 0) return 4 * a;
    // Gauss's arithmetic-geometric mean series for the complete elliptic integral of the
    // second kind: quadratic convergence, exact to rounding for every eccentricity.
    double an = a, bn = b;
    double sum = (a * a - b * b) / 2;  // 2^(n-1) c_n^2 for n = 0
    double power = 0.5;
    for (int i = 0; i < 64 && an - bn > 1e-15 * an; ++i) {
        const double c = (an - bn) / 2;
        const double nextA = (an + bn) / 2;
        bn = std::sqrt(an * bn);
        an = nextA;
        power *= 2;
        sum += power * c * c;
    }
    return 2 * Pi / ((an + bn) / 2) * (a * a - sum);
}

Point EllipsePointAtAngle(const EllipseGeometry& ellipse, double t) {
    return EllipsePointAtCosSin(ellipse, std::cos(t), std::sin(t));
}

Point EllipsePointAtCosSin(const EllipseGeometry& ellipse, double cosT, double sinT) {
    return ellipse.centre + ellipse.rotation.Column(0) * (ellipse.primaryRadius * cosT) +
           ellipse.rotation.Column(1) * (ellipse.secondaryRadius * sinT);
}

Point EllipsePointAtArcLength(const EllipseGeometry& ellipse, double distance) {
    const double a = std::abs(ellipse.primaryRadius);
    const double b = std::abs(ellipse.secondaryRadius);
    if (a == b) return a == 0 ? ellipse.centre : EllipsePointAtAngle(ellipse, distance / a);

    const double circumference = EllipseCircumference(ellipse);
    double target = std::fmod(distance, circumference);
    if (target < 0) target += circumference;
    // Newton's method on the arc length, kept inside a shrinking bracket so that it cannot
    // run off where the speed is nearly zero (the ends of a flat ellipse).
    double low = 0, high = 2 * Pi;
    double t = 2 * Pi * target / circumference;
    for (int i = 0; i < 100; ++i) {
        const double error = ArcLengthTo(a, b, t) - target;
        if (std::abs(error) <= 1e-13 * circumference) break;
        (error > 0 ? high : low) = t;
        const double speed = Speed(a, b, t);
        double next = speed > 0 ? t - error / speed : low;
        if (!(next > low && next < high)) next = (low + high) / 2;
        t = next;
        if (high - low < 1e-15) break;
    }
    return EllipsePointAtAngle(ellipse, t);
}

}  // namespace zkl::cad
