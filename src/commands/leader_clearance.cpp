#include "commands/leader_clearance.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "label/label_cell.h"

namespace zkl {

namespace {

// Two leaders whose first vertices are this close start at one point (the check's rule).
constexpr double SharedStartTolerance = 0.001;

double SquaredDistance2d(const Point& a, const Point& b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

double Cross2d(const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double SquaredPointSegmentDistance2d(const Point& p, const Point& a, const Point& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double squared = dx * dx + dy * dy;
    double t = squared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / squared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = p.x - (a.x + t * dx);
    const double ey = p.y - (a.y + t * dy);
    return ex * ex + ey * ey;
}

bool Crossing2d(const Point& a, const Point& b, const Point& c, const Point& d) {
    const double d1 = Cross2d(c, d, a);
    const double d2 = Cross2d(c, d, b);
    const double d3 = Cross2d(a, b, c);
    const double d4 = Cross2d(a, b, d);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

Range Bounds2d(const Point& a, const Point& b, double margin) {
    return {{std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin, 0},
            {std::max(a.x, b.x) + margin, std::max(a.y, b.y) + margin, 0}};
}

}  // namespace

double SegmentDistance2d(const Point& a, const Point& b, const Point& c, const Point& d) {
    if (Crossing2d(a, b, c, d)) return 0.0;
    return std::sqrt(std::min({SquaredPointSegmentDistance2d(a, c, d), SquaredPointSegmentDistance2d(b, c, d),
                               SquaredPointSegmentDistance2d(c, a, b), SquaredPointSegmentDistance2d(d, a, b)}));
}

bool SegmentsWithin2d(const Point& a, const Point& b, const Point& c, const Point& d, double tolerance) {
    // Boxes further apart than the tolerance cannot hold points that near.
    if (std::min(a.x, b.x) > std::max(c.x, d.x) + tolerance || std::min(c.x, d.x) > std::max(a.x, b.x) + tolerance ||
        std::min(a.y, b.y) > std::max(c.y, d.y) + tolerance || std::min(c.y, d.y) > std::max(a.y, b.y) + tolerance)
        return false;
    if (Crossing2d(a, b, c, d)) return true;
    const double squared = tolerance * tolerance;
    return SquaredPointSegmentDistance2d(a, c, d) <= squared || SquaredPointSegmentDistance2d(b, c, d) <= squared ||
           SquaredPointSegmentDistance2d(c, a, b) <= squared || SquaredPointSegmentDistance2d(d, a, b) <= squared;
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

namespace {

double CheckedBucketSize(double bucketSize) {
    if (!(bucketSize > 0.0) || !std::isfinite(bucketSize))
        throw std::invalid_argument("the bucket size of the leader index must be a number greater than 0");
    return bucketSize;
}

}  // namespace

LeaderClearance::LeaderClearance(double bucketSize)
    : bodyGrid_(CheckedBucketSize(bucketSize)), leaderGrid_(bucketSize) {}

LeaderClearance LeaderClearance::OfSheet(const Host& host, double bucketSize) {
    LeaderClearance clearance(bucketSize);
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    for (const Element& element : host.Scan(criteria))
        if (element.Cell().name == LabelCellName) clearance.AddLabel(host, element.id, element.Cell().components);
    return clearance;
}

void LeaderClearance::Insert(const Item& item, const Range& bounds) {
    const auto index = static_cast<std::uint32_t>(items_.size());
    items_.push_back(item);
    seen_.push_back(0);
    removed_.push_back(0);
    if (item.obstacle.cell != NoElementId) itemsOfCell_[item.obstacle.cell].push_back(index);
    (item.obstacle.kind == LeaderObstacle::Kind::Body ? bodyGrid_ : leaderGrid_)
        .Insert({item.a.x, item.a.y, item.b.x, item.b.y, index}, bounds);
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

bool LeaderClearance::Meets(std::uint32_t index, const Point& start, const Point& end) const {
    const Item& item = items_[index];
    return Meets(Entry{item.a.x, item.a.y, item.b.x, item.b.y, index}, start, end);
}

bool LeaderClearance::Meets(const Entry& entry, const Point& start, const Point& end) const {
    const Point a{entry.ax, entry.ay, 0};
    const Point b{entry.bx, entry.by, 0};
    if (items_[entry.index].obstacle.kind == LeaderObstacle::Kind::Body)
        return SegmentMeetsBox2d(start, end, {a, b}, LeaderClearanceTolerance);
    return SegmentsWithin2d(start, end, a, b, LeaderClearanceTolerance) &&
           SquaredDistance2d(items_[entry.index].start, start) > SharedStartTolerance * SharedStartTolerance;
}

template <typename Visit>
void LeaderClearance::ForEachMet(const Point& start, const Point& end, Visit&& visit) const {
    if (++query_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        query_ = 1;
    }
    const auto stop = [&](const Entry& entry) {
        if (seen_[entry.index] == query_ || Removed(entry.index)) return false;
        seen_[entry.index] = query_;
        return Meets(entry, start, end) && !visit(entry.index);
    };
    if (!leaderGrid_.FindAlong(start, end, LeaderClearanceTolerance, stop))
        bodyGrid_.FindAlong(start, end, LeaderClearanceTolerance, stop);
}

std::optional<LeaderObstacle> LeaderClearance::FirstObstacle(const Point& start, const Point& end) const {
    // A search asks about many leaders from one anchor a step apart: what blocked one mostly
    // blocks the next, so the last few obstacles found are asked first.
    for (std::size_t i = 0; i < recent_.size(); ++i) {
        const std::uint32_t index = recent_[i];
        if (Removed(index) || !Meets(index, start, end)) continue;
        std::rotate(recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(i),
                    recent_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return items_[index].obstacle;
    }
    std::optional<std::uint32_t> found;
    ForEachMet(start, end, [&](std::uint32_t index) {
        found = index;
        return false;
    });
    if (!found) return std::nullopt;
    if (recent_.size() == RecentObstaclesKept) recent_.pop_back();
    recent_.insert(recent_.begin(), *found);
    return items_[*found].obstacle;
}

std::vector<ElementId> LeaderClearance::AllObstacles(const Point& start, const Point& end) const {
    std::vector<ElementId> cells;
    ForEachMet(start, end, [&](std::uint32_t index) {
        cells.push_back(items_[index].obstacle.cell);
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
        anyRemoved_ = true;
    }
    if (hadLeader) --leaders_;
    itemsOfCell_.erase(found);
}

}  // namespace zkl

namespace zkl {

bool LeaderClearance::BodyTouchesBody(const Range& box) const {
    const Range grown = Bounds2d(box.low, box.high, LeaderClearanceTolerance);
    const auto touches = [&](double ax, double ay, double bx, double by) {
        return ax <= grown.high.x && bx >= grown.low.x && ay <= grown.high.y && by >= grown.low.y;
    };
    // The searches ask about places a step apart, and a body that touched the last one mostly
    // touches the next: asking it first spares the walk through the buckets.
    if (lastTouched_ < items_.size() && !Removed(lastTouched_)) {
        const Item& item = items_[lastTouched_];
        if (touches(item.a.x, item.a.y, item.b.x, item.b.y)) return true;
    }
    return bodyGrid_.Find(grown, [&](const Entry& body) {
        if (!touches(body.ax, body.ay, body.bx, body.by) || Removed(body.index)) return false;
        lastTouched_ = body.index;
        return true;
    });
}

}  // namespace zkl
