// A grid of square buckets over the plan, each holding the entries (an index, or whatever a
// query needs to test an item without looking it up) of the items whose bounds reach into
// it: asking what lies near a leader or a box looks at a few buckets only. The buckets are
// one flat array that grows to take in whatever is inserted, so a query costs no hashing; a
// query beyond the grid finds nothing there.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "host/geometry.h"

namespace zkl {

template <typename Entry = std::uint32_t>
class BucketGrid {
public:
    // Throws std::invalid_argument unless `bucketSize` is a positive number.
    explicit BucketGrid(double bucketSize) : size_(bucketSize) {
        if (!(bucketSize > 0.0) || !std::isfinite(bucketSize))
            throw std::invalid_argument("the bucket size of a grid index must be a number greater than 0");
    }

    void Insert(const Entry& item, const Range& bounds) {
        const Span s = SpanOf(bounds);
        if (!Cover(s)) {
            far_.push_back(item);
            return;
        }
        for (std::int64_t y = s.y0; y <= s.y1; ++y)
            for (std::int64_t x = s.x0; x <= s.x1; ++x) cells_[Cell(x, y)].push_back(item);
    }

    // Calls visit(item) for each item of each bucket the bounds reach into; an item in
    // several of them comes once for each.
    template <typename Visitor>
    void Visit(const Range& bounds, Visitor&& visit) const {
        Find(bounds, [&](const Entry& item) {
            visit(item);
            return false;
        });
    }

    // As Visit, but stops as soon as visit(item) returns true; whether one did.
    template <typename Visitor>
    bool Find(const Range& bounds, Visitor&& visit) const {
        for (const Entry& item : far_)
            if (visit(item)) return true;
        if (cells_.empty()) return false;
        Span s = SpanOf(bounds);
        s.x0 = std::max(s.x0, x0_);
        s.y0 = std::max(s.y0, y0_);
        s.x1 = std::min(s.x1, x0_ + nx_ - 1);
        s.y1 = std::min(s.y1, y0_ + ny_ - 1);
        for (std::int64_t y = s.y0; y <= s.y1; ++y)
            for (std::int64_t x = s.x0; x <= s.x1; ++x)
                for (const Entry& item : cells_[Cell(x, y)])
                    if (visit(item)) return true;
        return false;
    }

    // As Find for the bounds of the segment grown by `margin`, but only the buckets of each
    // column that the grown segment can reach: a long slanted leader passes far fewer buckets
    // than its bounds hold.
    template <typename Visitor>
    bool FindAlong(const Point& a, const Point& b, double margin, Visitor&& visit) const {
        for (const Entry& item : far_)
            if (visit(item)) return true;
        if (cells_.empty()) return false;
        const double lowX = std::min(a.x, b.x) - margin;
        const double highX = std::max(a.x, b.x) + margin;
        const std::int64_t x0 = std::max(Bucket(lowX), x0_);
        const std::int64_t x1 = std::min(Bucket(highX), x0_ + nx_ - 1);
        const double dx = b.x - a.x;
        for (std::int64_t x = x0; x <= x1; ++x) {
            // The segment's y over this column's x-interval (widened by the margin).
            double y0 = std::min(a.y, b.y);
            double y1 = std::max(a.y, b.y);
            if (dx != 0.0) {
                const double from = std::max(static_cast<double>(x) * size_ - margin, std::min(a.x, b.x));
                const double to = std::min(static_cast<double>(x + 1) * size_ + margin, std::max(a.x, b.x));
                const double ta = std::clamp((from - a.x) / dx, 0.0, 1.0);
                const double tb = std::clamp((to - a.x) / dx, 0.0, 1.0);
                const double ya = a.y + ta * (b.y - a.y);
                const double yb = a.y + tb * (b.y - a.y);
                y0 = std::min(ya, yb);
                y1 = std::max(ya, yb);
            }
            const std::int64_t from = std::max(Bucket(y0 - margin), y0_);
            const std::int64_t to = std::min(Bucket(y1 + margin), y0_ + ny_ - 1);
            for (std::int64_t y = from; y <= to; ++y)
                for (const Entry& item : cells_[Cell(x, y)])
                    if (visit(item)) return true;
        }
        return false;
    }

private:
    struct Span {
        std::int64_t x0, y0, x1, y1;
    };
    // Far beyond any sheet: a bucket index past this is clamped.
    static constexpr std::int64_t Reach = 1 << 20;
    // A grid that would need more buckets than this keeps the item in a list every query
    // looks at instead: one stray coordinate must not ask for gigabytes.
    static constexpr std::int64_t MaximumCells = 1 << 22;

    std::int64_t Bucket(double v) const {
        const double b = std::floor(v / size_);
        if (!(b > -static_cast<double>(Reach))) return -Reach;
        if (b > static_cast<double>(Reach)) return Reach;
        return static_cast<std::int64_t>(b);
    }
    Span SpanOf(const Range& r) const { return {Bucket(r.low.x), Bucket(r.low.y), Bucket(r.high.x), Bucket(r.high.y)}; }
    std::size_t Cell(std::int64_t x, std::int64_t y) const {
        return static_cast<std::size_t>((y - y0_) * nx_ + (x - x0_));
    }

    // Grows the grid to hold the span, with room to spare so that growing stays rare; false
    // when that would take too many buckets.
    bool Cover(const Span& s) {
        if (!cells_.empty() && s.x0 >= x0_ && s.y0 >= y0_ && s.x1 < x0_ + nx_ && s.y1 < y0_ + ny_) return true;
        std::int64_t x0 = s.x0, y0 = s.y0, x1 = s.x1, y1 = s.y1;
        if (!cells_.empty()) {
            x0 = std::min(x0, x0_);
            y0 = std::min(y0, y0_);
            x1 = std::max(x1, x0_ + nx_ - 1);
            y1 = std::max(y1, y0_ + ny_ - 1);
        }
        const std::int64_t padX = (x1 - x0 + 1) / 2 + 4;
        const std::int64_t padY = (y1 - y0 + 1) / 2 + 4;
        x0 -= padX;
        y0 -= padY;
        x1 += padX;
        y1 += padY;
        if ((x1 - x0 + 1) * (y1 - y0 + 1) > MaximumCells) return false;
        std::vector<std::vector<Entry>> cells(static_cast<std::size_t>((x1 - x0 + 1) * (y1 - y0 + 1)));
        for (std::int64_t y = 0; y < ny_; ++y)
            for (std::int64_t x = 0; x < nx_; ++x)
                cells[static_cast<std::size_t>((y0_ + y - y0) * (x1 - x0 + 1) + (x0_ + x - x0))] =
                    std::move(cells_[static_cast<std::size_t>(y * nx_ + x)]);
        cells_ = std::move(cells);
        x0_ = x0;
        y0_ = y0;
        nx_ = x1 - x0 + 1;
        ny_ = y1 - y0 + 1;
        return true;
    }

    double size_;
    std::int64_t x0_ = 0, y0_ = 0, nx_ = 0, ny_ = 0;
    std::vector<std::vector<Entry>> cells_;
    std::vector<Entry> far_;
};

}  // namespace zkl
