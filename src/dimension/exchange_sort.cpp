#include "dimension/exchange_sort.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>

namespace zkl {

namespace {

double KeyOf(const Point& p, bool byX) { return byX ? p.x : p.y; }

void PlainExchangeSort(std::vector<Point>& points, bool byX) {
    for (std::size_t i = 0; i < points.size(); ++i)
        for (std::size_t j = i + 1; j < points.size(); ++j)
            if (KeyOf(points[i], byX) > KeyOf(points[j], byX)) std::swap(points[i], points[j]);
}

// The keys in blocks, each with a lower bound of its keys, so that "the first place after
// this one with a key below that" skips whole blocks. A pass of the sort only ever raises the
// key at a place (a smaller key is carried on, a larger one left behind), so a block's
// bound stays a lower bound without being kept up; it is made exact again whenever the
// whole block is read anyway.
class BlockedKeys {
public:
    explicit BlockedKeys(std::vector<double> keys) : keys_(std::move(keys)) {
        bounds_.resize((keys_.size() + BlockSize - 1) / BlockSize);
        for (std::size_t block = 0; block < bounds_.size(); ++block) bounds_[block] = ExactMinimum(block);
    }

    double Key(std::size_t place) const { return keys_[place]; }
    // Only ever to a larger key: see above.
    void Raise(std::size_t place, double key) { keys_[place] = key; }

    // The first place at or after `from` whose key is below `bound`; `none` when there is none.
    std::size_t FirstBelow(std::size_t from, double bound) {
        for (std::size_t block = from / BlockSize; block < bounds_.size(); ++block) {
            if (!(bounds_[block] < bound)) continue;
            const std::size_t start = block * BlockSize;
            const std::size_t end = std::min(start + BlockSize, keys_.size());
            for (std::size_t place = std::max(from, start); place < end; ++place)
                if (keys_[place] < bound) return place;
            if (from <= start) bounds_[block] = ExactMinimum(block);
        }
        return none;
    }

    static constexpr std::size_t none = static_cast<std::size_t>(-1);

private:
    static constexpr std::size_t BlockSize = 32;

    double ExactMinimum(std::size_t block) const {
        const std::size_t start = block * BlockSize;
        const std::size_t end = std::min(start + BlockSize, keys_.size());
        double minimum = keys_[start];
        for (std::size_t place = start + 1; place < end; ++place) minimum = std::min(minimum, keys_[place]);
        return minimum;
    }

    std::vector<double> keys_;
    std::vector<double> bounds_;
};

}  // namespace

void ExchangeSort(std::vector<Point>& points, bool byX) {
    // Small lists gain nothing; a NaN key compares false both ways, which the blocks' lower
    // bounds cannot follow.
    if (points.size() < 64 || points.size() > std::numeric_limits<std::uint32_t>::max() ||
        std::any_of(points.begin(), points.end(), [byX](const Point& p) { return std::isnan(KeyOf(p, byX)); })) {
        PlainExchangeSort(points, byX);
        return;
    }
    std::vector<double> keys(points.size());
    std::transform(points.begin(), points.end(), keys.begin(), [byX](const Point& p) { return KeyOf(p, byX); });
    BlockedKeys blocked(std::move(keys));
    // The pass for place i carries the point there rightwards: at the first later place
    // with a smaller key the two change places and the smaller one is carried on. Places
    // before i + 1 are never looked at again. A pass makes about a quarter of n swaps, so
    // they move indexes, not points.
    std::vector<std::uint32_t> order(points.size());
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::uint32_t carried = order[i];
        double carriedKey = blocked.Key(i);
        for (std::size_t j = blocked.FirstBelow(i + 1, carriedKey); j != BlockedKeys::none;
             j = blocked.FirstBelow(j + 1, carriedKey)) {
            std::swap(carried, order[j]);
            const double smaller = blocked.Key(j);
            blocked.Raise(j, carriedKey);
            carriedKey = smaller;
        }
        order[i] = carried;
    }
    std::vector<Point> sorted(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) sorted[i] = points[order[i]];
    points = std::move(sorted);
}

}  // namespace zkl
