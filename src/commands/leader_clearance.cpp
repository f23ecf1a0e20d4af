#include "commands/leader_clearance.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "label/label_cell.h"

namespace zkl {

namespace {

// Two leaders whose first vertices are this close start at one point (the check's rule).
constexpr double SharedStartTolerance = 0.001;

double Distance2d(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

double Cross2d(const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double PointSegmentDistance2d(const Point& p, const Point& a, const Point& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double squared = dx * dx + dy * dy;
    double t = squared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / squared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

Range Bounds2d(const Point& a, const Point& b, double margin) {
    return {{std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin, 0},
            {std::max(a.x, b.x) + margin, std::max(a.y, b.y) + margin, 0}};
}

}  // namespace

double SegmentDistance2d(const Point& a, const Point& b, const Point& c, const Point& d) {
    const double d1 = Cross2d(c, d, a);
    const double d2 = Cross2d(c, d, b);
    const double d3 = Cross2d(a, b, c);
    const double d4 = Cross2d(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return 0.0;
    return std::min({PointSegmentDistance2d(a, c, d), PointSegmentDistance2d(b, c, d),
                     PointSegmentDistance2d(c, a, b), PointSegmentDistance2d(d, a, b)});
}

bool SegmentMeetsBox2d(const Point& a, const Point& b, const Range& box, double tolerance) {
    // Clipping the segment's parameter range against each slab of the grown box.
    double t0 = 0.0;
    double t1 = 1.0;
    const double delta[2] = {b.x - a.x, b.y - a.y};
    const double start[2] = {a.x, a.y};
    const double low[2] = {box.low.x - tolerance, box.low.y - tolerance};
    const double high[2] = {box.high.x + tolerance, box.high.y + tolerance};
    for (int axis = 0; axis < 2; ++axis) {
        if (delta[axis] == 0.0) {
            if (start[axis] < low[axis] || start[axis] > high[axis]) return false;
            continue;
        }
        double enter = (low[axis] - start[axis]) / delta[axis];
        double leave = (high[axis] - start[axis]) / delta[axis];
        if (enter > leave) std::swap(enter, leave);
        t0 = std::max(t0, enter);
        t1 = std::min(t1, leave);
        if (t0 > t1) return false;
    }
    return true;
}

LeaderClearance::LeaderClearance(double bucketSize) : bucketSize_(bucketSize) {
    if (!(bucketSize > 0.0) || !std::isfinite(bucketSize))
        throw std::invalid_argument("the bucket size of the leader index must be a number greater than 0");
}

LeaderClearance LeaderClearance::OfSheet(const Host& host, double bucketSize) {
    LeaderClearance clearance(bucketSize);
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    for (const Element& element : host.Scan(criteria))
        if (element.Cell().name == LabelCellName) clearance.AddLabel(host, element.id, element.Cell().components);
    return clearance;
}

template <typename Visit>
void LeaderClearance::ForEachKey(const Range& bounds, Visit&& visit) const {
    const auto bucket = [this](double value) {
        return static_cast<std::int64_t>(std::floor(value / bucketSize_));
    };
    for (std::int64_t x = bucket(bounds.low.x); x <= bucket(bounds.high.x); ++x)
        for (std::int64_t y = bucket(bounds.low.y); y <= bucket(bounds.high.y); ++y)
            visit((static_cast<Key>(static_cast<std::uint32_t>(x)) << 32) | static_cast<std::uint32_t>(y));
}

void LeaderClearance::Insert(const Item& item, const Range& bounds) {
    const auto index = static_cast<std::uint32_t>(items_.size());
    items_.push_back(item);
    seen_.push_back(0);
    removed_.push_back(0);
    if (item.obstacle.cell != NoElementId) itemsOfCell_[item.obstacle.cell].push_back(index);
    ForEachKey(bounds, [&](Key key) { buckets_[key].push_back(index); });
}

void LeaderClearance::AddLeader(ElementId cell, const std::vector<Point>& vertices) {
    if (vertices.empty()) return;
    for (std::size_t i = 0; i + 1 < vertices.size(); ++i)
        Insert({{LeaderObstacle::Kind::Leader, cell}, vertices[i], vertices[i + 1], vertices.front()},
               Bounds2d(vertices[i], vertices[i + 1], 0.0));
    ++leaders_;
}

void LeaderClearance::AddBody(ElementId cell, const Range& box) {
    Insert({{LeaderObstacle::Kind::Body, cell}, box.low, box.high, box.low}, Bounds2d(box.low, box.high, 0.0));
    ++bodies_;
}

void LeaderClearance::AddLabel(const Host& host, ElementId cell, const std::vector<Element>& components) {
    if (components.empty()) return;
    const bool hasLeader = components.back().IsLinear() && components.back().type == ElementType::LineString;
    const std::size_t bodyEnd = hasLeader ? components.size() - 1 : components.size();
    for (std::size_t i = 0; i < bodyEnd; ++i) {
        const Element& part = components[i];
        AddBody(cell, part.IsText() ? host.TextBox(part) : host.ElementRange(part));
    }
    if (hasLeader) AddLeader(cell, components.back().Linear().vertices);
}

template <typename Visit>
void LeaderClearance::ForEachMet(const Point& start, const Point& end, Visit&& visit) const {
    if (++query_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        query_ = 1;
    }
    bool more = true;
    ForEachKey(Bounds2d(start, end, LeaderClearanceTolerance), [&](Key key) {
        if (!more) return;
        const auto bucket = buckets_.find(key);
        if (bucket == buckets_.end()) return;
        for (const std::uint32_t index : bucket->second) {
            if (seen_[index] == query_ || removed_[index]) continue;
            seen_[index] = query_;
            const Item& item = items_[index];
            const bool meets =
                item.obstacle.kind == LeaderObstacle::Kind::Body
                    ? SegmentMeetsBox2d(start, end, {item.a, item.b}, LeaderClearanceTolerance)
                    : Distance2d(item.start, start) > SharedStartTolerance &&
                          SegmentDistance2d(start, end, item.a, item.b) <= LeaderClearanceTolerance;
            if (meets && !visit(item)) {
                more = false;
                return;
            }
        }
    });
}

std::optional<LeaderObstacle> LeaderClearance::FirstObstacle(const Point& start, const Point& end) const {
    std::optional<LeaderObstacle> found;
    ForEachMet(start, end, [&](const Item& item) {
        found = item.obstacle;
        return false;
    });
    return found;
}

std::vector<ElementId> LeaderClearance::AllObstacles(const Point& start, const Point& end) const {
    std::vector<ElementId> cells;
    ForEachMet(start, end, [&](const Item& item) {
        cells.push_back(item.obstacle.cell);
        return true;
    });
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    return cells;
}

void LeaderClearance::Remove(ElementId cell) {
    const auto found = itemsOfCell_.find(cell);
    if (found == itemsOfCell_.end()) return;
    bool hadLeader = false;
    for (const std::uint32_t index : found->second) {
        if (items_[index].obstacle.kind == LeaderObstacle::Kind::Body) --bodies_;
        else hadLeader = true;
        removed_[index] = 1;
    }
    if (hadLeader) --leaders_;
    itemsOfCell_.erase(found);
}

}  // namespace zkl

namespace zkl {

bool LeaderClearance::BodyTouchesBody(const Range& box) const {
    const Range grown = Bounds2d(box.low, box.high, LeaderClearanceTolerance);
    bool touches = false;
    ForEachKey(grown, [&](Key key) {
        if (touches) return;
        const auto bucket = buckets_.find(key);
        if (bucket == buckets_.end()) return;
        for (const std::uint32_t index : bucket->second) {
            const Item& item = items_[index];
            if (item.obstacle.kind != LeaderObstacle::Kind::Body || removed_[index]) continue;
            if (item.a.x <= grown.high.x && item.b.x >= grown.low.x && item.a.y <= grown.high.y &&
                item.b.y >= grown.low.y) {
                touches = true;
                return;
            }
        }
    });
    return touches;
}

}  // namespace zkl
