#include "dimension/exchange_sort.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace zkl {

namespace {

double KeyOf(const Point& p, bool byX) { return byX ? p.x : p.y; }

void PlainExchangeSort(std::vector<Point>& points, bool byX) {
    for (std::size_t i = 0; i < points.size(); ++i)
        for (std::size_t j = i + 1; j < points.size(); ++j)
            if (KeyOf(points[i], byX) > KeyOf(points[j], byX)) std::swap(points[i], points[j]);
}

// The smallest key of each power-of-two block of places, so that the next place after a
// given one holding a key below a bound is found by descending the blocks.
class MinimumTree {
public:
    explicit MinimumTree(const std::vector<double>& keys) {
        while (leaves_ < keys.size()) leaves_ *= 2;
        nodes_.assign(2 * leaves_, std::numeric_limits<double>::infinity());
        std::copy(keys.begin(), keys.end(), nodes_.begin() + static_cast<std::ptrdiff_t>(leaves_));
        for (std::size_t node = leaves_ - 1; node >= 1; --node) Update(node);
    }

    void Set(std::size_t place, double key) {
        std::size_t node = leaves_ + place;
        nodes_[node] = key;
        for (node /= 2; node >= 1; node /= 2) Update(node);
    }

    // The first place at or after `from` whose key is below `bound`; `none` when there is none.
    std::size_t FirstBelow(std::size_t from, double bound) const { return Descend(1, 0, leaves_, from, bound); }

    static constexpr std::size_t none = static_cast<std::size_t>(-1);

private:
    void Update(std::size_t node) { nodes_[node] = std::min(nodes_[2 * node], nodes_[2 * node + 1]); }

    std::size_t Descend(std::size_t node, std::size_t low, std::size_t high, std::size_t from, double bound) const {
        if (high <= from || !(nodes_[node] < bound)) return none;
        if (high - low == 1) return low;
        const std::size_t middle = (low + high) / 2;
        const std::size_t left = Descend(2 * node, low, middle, from, bound);
        return left != none ? left : Descend(2 * node + 1, middle, high, from, bound);
    }

    std::size_t leaves_ = 1;
    std::vector<double> nodes_;
};

}  // namespace

void ExchangeSort(std::vector<Point>& points, bool byX) {
    // Small lists gain nothing; a NaN key compares false both ways, which a tree of minima
    // cannot follow.
    if (points.size() < 64 ||
        std::any_of(points.begin(), points.end(), [byX](const Point& p) { return std::isnan(KeyOf(p, byX)); })) {
        PlainExchangeSort(points, byX);
        return;
    }
    std::vector<double> keys(points.size());
    std::transform(points.begin(), points.end(), keys.begin(), [byX](const Point& p) { return KeyOf(p, byX); });
    MinimumTree tree(keys);
    // The pass for place i carries the point there rightwards: at the first later place
    // with a smaller key the two change places and the smaller one is carried on. Places
    // before i + 1 are never looked at again, so their entries in the tree may go stale.
    for (std::size_t i = 0; i < points.size(); ++i) {
        Point carried = points[i];
        for (std::size_t j = tree.FirstBelow(i + 1, KeyOf(carried, byX)); j != MinimumTree::none;
             j = tree.FirstBelow(j + 1, KeyOf(carried, byX))) {
            std::swap(carried, points[j]);
            tree.Set(j, KeyOf(points[j], byX));
        }
        points[i] = carried;
    }
}

}  // namespace zkl
