#include "io/pcf_points.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace zkl::io::pcf {

namespace {

// Points closer than this are one point; ends this close make a component of no length.
constexpr double SamePoint = ConnectionTolerance;

std::vector<const PointLine*> OfKind(const Component& component, PointKind kind) {
    std::vector<const PointLine*> found;
    for (const PointLine& point : component.points)
        if (point.kind == kind) found.push_back(&point);
    return found;
}

std::string Count(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

Point Unit(const Point& v) {
    const double length = Length(v);
    return length > 0 ? v * (1.0 / length) : Point{};
}

double Degrees(double radians) { return radians * 180.0 / Pi; }

// The bend's deflection from its corner; false when the corner makes no bend of it.
bool CornerFits(Component& bend, const Point& corner) {
    const Point in = corner - bend.ends[0].position;
    const Point out = bend.ends[1].position - corner;
    if (Length(in) < SamePoint || Length(out) < SamePoint) return false;
    const double deflection = Degrees(AngleBetween(in, out));
    // A corner on the line between the ends, or behind them, is no corner.
    if (deflection < 0.01 || deflection > 179.99) return false;
    bend.centre = corner;
    bend.deflection = deflection;
    return true;
}

// The tee's two ports that lie opposite each other about the centre: their directions
// from the centre add up to the smallest vector.
void ResolveRun(Component& tee, std::vector<PointLine> candidates) {
    const Point centre = *tee.centre;
    std::size_t bestA = 0, bestB = 1;
    double best = 1e300;
    for (std::size_t a = 0; a < candidates.size(); ++a)
        for (std::size_t b = a + 1; b < candidates.size(); ++b) {
            const double sum =
                Length(Unit(candidates[a].position - centre) + Unit(candidates[b].position - centre));
            if (sum < best - 1e-9) {
                best = sum;
                bestA = a;
                bestB = b;
            }
        }
    tee.ends = {candidates[bestA], candidates[bestB]};
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (i != bestA && i != bestB) tee.branches.push_back(candidates[i]);
}

struct CellKey {
    std::int64_t x, y, z;
    friend bool operator==(const CellKey&, const CellKey&) = default;
};

struct CellHash {
    std::size_t operator()(const CellKey& key) const {
        std::uint64_t h = static_cast<std::uint64_t>(key.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<std::uint64_t>(key.y) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        h ^= static_cast<std::uint64_t>(key.z) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        return static_cast<std::size_t>(h);
    }
};

// Cells as wide as twice the tolerance: two points within it lie in neighbouring cells.
constexpr double CellSize = 2 * ConnectionTolerance;

CellKey KeyOf(const Point& p) {
    return {static_cast<std::int64_t>(std::floor(p.x / CellSize)),
            static_cast<std::int64_t>(std::floor(p.y / CellSize)),
            static_cast<std::int64_t>(std::floor(p.z / CellSize))};
}

// The direction a neighbour's leg runs into the shared port: from the neighbour's far
// point (its other end, or its centre) to the port.
std::optional<Point> LegDirection(const Component& neighbour, std::size_t port) {
    const std::vector<Point> ports = Ports(neighbour);
    const Point at = ports[port];
    std::optional<Point> far;
    if (neighbour.shape == Shape::Straight && neighbour.ends.size() == 2)
        far = neighbour.ends[port == 0 ? 1 : 0].position;
    else if (neighbour.centre)
        far = neighbour.centre;
    if (!far || Distance(*far, at) < SamePoint) return std::nullopt;
    return Unit(at - *far);
}

// The point nearest both lines p + t u and q + s v, when they are not parallel.
std::optional<Point> Meeting(const Point& p, const Point& u, const Point& q, const Point& v) {
    const Point w = p - q;
    const double a = Dot(u, u), b = Dot(u, v), c = Dot(v, v), d = Dot(u, w), e = Dot(v, w);
    const double denominator = a * c - b * b;
    if (std::abs(denominator) < 1e-9) return std::nullopt;
    const double t = (b * e - c * d) / denominator;
    const double s = (a * e - b * d) / denominator;
    return ((p + u * t) + (q + v * s)) * 0.5;
}

}  // namespace

std::optional<std::string> ResolvePoints(Component& component) {
    const auto ends = OfKind(component, PointKind::End);
    const auto centres = OfKind(component, PointKind::Centre);
    const auto branch1 = OfKind(component, PointKind::Branch1);
    const auto branch2 = OfKind(component, PointKind::Branch2);
    const auto located = OfKind(component, PointKind::Coordinates);
    const std::string& keyword = component.keyword;

    switch (component.shape) {
        case Shape::Straight:
        case Shape::Bend: {
            if (ends.size() < 2)
                return keyword + " needs two END-POINTs and has " + Count(ends.size(), "END-POINT");
            component.ends = {*ends[0], *ends[1]};
            if (Distance(ends[0]->position, ends[1]->position) < SamePoint) return "its END-POINTs coincide";
            if (component.shape == Shape::Bend && !centres.empty())
                CornerFits(component, centres[0]->position);
            return std::nullopt;
        }
        case Shape::Tee:
        case Shape::Cross: {
            if (centres.empty() || branch1.empty())
                return keyword + " needs a CENTRE-POINT and a BRANCH1-POINT";
            component.centre = centres[0]->position;
            if (ends.empty()) {
                // Set on a pipe: only the centre and the branch are written.
                component.branches.push_back(*branch1[0]);
                if (!branch2.empty()) component.branches.push_back(*branch2[0]);
                return std::nullopt;
            }
            if (ends.size() < 2)
                return keyword + " has 1 END-POINT; it needs two, or none when set on a pipe";
            ResolveRun(component, {*ends[0], *ends[1], *branch1[0]});
            if (!branch2.empty()) component.branches.push_back(*branch2[0]);
            return std::nullopt;
        }
        case Shape::Branch:
            if (centres.empty() || branch1.empty())
                return keyword + " needs a CENTRE-POINT and a BRANCH1-POINT";
            component.centre = centres[0]->position;
            component.branches = {*branch1[0]};
            return std::nullopt;
        case Shape::Closure:
            if (ends.empty()) return keyword + " needs an END-POINT";
            component.ends = {*ends[0]};
            return std::nullopt;
        case Shape::Located:
            if (!located.empty())
                component.centre = located[0]->position;
            else if (!ends.empty())
                component.centre = ends[0]->position;
            else
                return keyword + " needs CO-ORDS";
            return std::nullopt;
    }
    return std::nullopt;
}

std::vector<Point> Ports(const Component& component) {
    std::vector<Point> ports;
    for (const PointLine& end : component.ends) ports.push_back(end.position);
    for (const PointLine& branch : component.branches) ports.push_back(branch.position);
    return ports;
}

Connectivity Connect(const std::vector<Component>& components) {
    Connectivity connectivity;
    connectivity.links.resize(components.size());
    std::unordered_map<CellKey, std::vector<PortId>, CellHash> cells;
    std::vector<std::vector<Point>> ports(components.size());
    for (std::size_t c = 0; c < components.size(); ++c) {
        ports[c] = Ports(components[c]);
        connectivity.links[c].resize(ports[c].size());
        for (std::size_t p = 0; p < ports[c].size(); ++p) cells[KeyOf(ports[c][p])].push_back({c, p});
    }
    for (std::size_t c = 0; c < components.size(); ++c)
        for (std::size_t p = 0; p < ports[c].size(); ++p) {
            const CellKey key = KeyOf(ports[c][p]);
            double nearest = ConnectionTolerance;
            for (std::int64_t dx = -1; dx <= 1; ++dx)
                for (std::int64_t dy = -1; dy <= 1; ++dy)
                    for (std::int64_t dz = -1; dz <= 1; ++dz) {
                        const auto found = cells.find({key.x + dx, key.y + dy, key.z + dz});
                        if (found == cells.end()) continue;
                        for (const PortId& other : found->second) {
                            if (other.component == c) continue;
                            const double distance = Distance(ports[c][p], ports[other.component][other.port]);
                            if (distance <= nearest) {
                                nearest = distance;
                                connectivity.links[c][p] = other;
                            }
                        }
                    }
        }
    return connectivity;
}

std::vector<std::size_t> FlowOrder(const std::vector<Component>& components,
                                   const Connectivity& connectivity) {
    std::vector<std::size_t> order;
    order.reserve(components.size());
    std::vector<bool> visited(components.size(), false);
    std::vector<std::size_t> stack;
    const auto walk = [&](std::size_t start) {
        stack.push_back(start);
        while (!stack.empty()) {
            const std::size_t c = stack.back();
            stack.pop_back();
            if (visited[c]) continue;
            visited[c] = true;
            order.push_back(c);
            // Pushed in reverse, so the run's far end is walked before the branches.
            const auto& links = connectivity.links[c];
            for (std::size_t p = links.size(); p-- > 0;)
                if (links[p] && !visited[links[p]->component]) stack.push_back(links[p]->component);
        }
    };
    const auto hasOpenEnd = [&](std::size_t c) {
        const auto& links = connectivity.links[c];
        return links.empty() || std::any_of(links.begin(), links.end(), [](const auto& l) { return !l; });
    };
    // A component whose first end is open most likely starts the line: exporters write a
    // component's ends in flow order even when they shuffle the components.
    for (std::size_t c = 0; c < components.size(); ++c)
        if (!visited[c] && (connectivity.links[c].empty() || !connectivity.links[c][0])) walk(c);
    for (std::size_t c = 0; c < components.size(); ++c)
        if (!visited[c] && hasOpenEnd(c)) walk(c);
    // What is left is closed loops.
    for (std::size_t c = 0; c < components.size(); ++c)
        if (!visited[c]) walk(c);
    return order;
}

std::vector<std::pair<std::size_t, std::string>> RepairCorners(std::vector<Component>& components) {
    std::vector<std::pair<std::size_t, std::string>> failed;
    std::vector<std::size_t> bends;
    for (std::size_t c = 0; c < components.size(); ++c)
        if (components[c].shape == Shape::Bend && !components[c].centre) bends.push_back(c);
    if (bends.empty()) return failed;

    const Connectivity connectivity = Connect(components);
    for (const std::size_t c : bends) {
        Component& bend = components[c];
        // The legs run on in the directions of the neighbours' legs.
        std::array<std::optional<Point>, 2> legs;
        for (std::size_t end = 0; end < 2; ++end)
            if (const auto& link = connectivity.links[c][end])
                if (const auto direction = LegDirection(components[link->component], link->port))
                    legs[end] = *direction;
        const Point& a = bend.ends[0].position;
        const Point& b = bend.ends[1].position;
        std::optional<Point> corner;
        if (legs[0] && legs[1]) {
            corner = Meeting(a, *legs[0], b, *legs[1]);
        } else if (legs[0] || legs[1]) {
            // Equal legs: the corner lies on the known leg, as far from either end.
            const Point& from = legs[0] ? a : b;
            const Point& other = legs[0] ? b : a;
            const Point direction = legs[0] ? *legs[0] : *legs[1];
            const Point w = from - other;
            const double along = Dot(direction, w);
            if (std::abs(along) > 1e-9) corner = from + direction * (-Dot(w, w) / (2 * along));
        }
        if (!corner || !CornerFits(bend, *corner))
            failed.emplace_back(c,
                                "its CENTRE-POINT is missing or lies on an end, and no connected "
                                "component shows where its legs meet");
    }
    return failed;
}

}  // namespace zkl::io::pcf
