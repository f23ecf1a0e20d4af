#include "commands/clear_place_assignment.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <stdexcept>
#include <utility>

#include "commands/bucket_grid.h"
#include "commands/leader_clearance.h"

namespace zkl {

namespace {

// Two leaders whose anchors are this close are a fan from one point, as the check sees them.
constexpr double SharedAnchorTolerance = 0.001;
// Only the shortest options left are weighed against what they take from the others: longer
// ones seldom win, and each one weighed costs a look at its whole neighbourhood.
constexpr std::size_t OptionsWeighed = 6;
// What taking away all that is left of one other label costs, in leader lengths of this many
// label heights: a leader a few label heights longer is worth a neighbour that keeps a clear
// place (4 left a quarter more labels without one on the generated sheets, 20 did best).
constexpr double HarmWeight = 20.0;

struct Option {
    std::size_t label;
    Range body;
    Point anchor;
    Point attach;
    double length;
};

bool BoxesTouch(const Range& a, const Range& b) {
    const double t = LeaderClearanceTolerance;
    return a.low.x <= b.high.x + t && b.low.x <= a.high.x + t && a.low.y <= b.high.y + t &&
           b.low.y <= a.high.y + t;
}

bool Conflict(const Option& a, const Option& b) {
    if (BoxesTouch(a.body, b.body)) return true;
    if (SegmentMeetsBox2d(a.anchor, a.attach, b.body, LeaderClearanceTolerance)) return true;
    if (SegmentMeetsBox2d(b.anchor, b.attach, a.body, LeaderClearanceTolerance)) return true;
    const double dx = a.anchor.x - b.anchor.x;
    const double dy = a.anchor.y - b.anchor.y;
    if (dx * dx + dy * dy <= SharedAnchorTolerance * SharedAnchorTolerance) return false;
    return SegmentsWithin2d(a.anchor, a.attach, b.anchor, b.attach, LeaderClearanceTolerance);
}

Range Bounds(const Option& option) {
    Range r = option.body;
    r.Extend(option.anchor);
    r.Extend(option.attach);
    return r;
}

// The options of every label in a grid of buckets, so that the options one option conflicts
// with are looked for in its neighbourhood only.
class OptionGrid {
public:
    OptionGrid(const std::vector<Option>& options, double bucketSize)
        : options_(options), grid_(bucketSize), seen_(options.size(), 0) {
        for (std::size_t i = 0; i < options.size(); ++i)
            grid_.Insert(static_cast<std::uint32_t>(i), Bounds(options[i]));
    }

    // Calls visit(j) once for each option j of another label that conflicts with option i,
    // among those for which asked(j) holds (asked before the geometry, which costs more).
    template <typename Asked, typename Visit>
    void ForEachConflict(std::size_t i, Asked&& asked, Visit&& visit) const {
        if (++stamp_ == 0) {
            std::fill(seen_.begin(), seen_.end(), 0);
            stamp_ = 1;
        }
        const Option& a = options_[i];
        grid_.Visit(Grown(Bounds(a)), [&](std::uint32_t j) {
            if (seen_[j] == stamp_) return;
            seen_[j] = stamp_;
            if (options_[j].label != a.label && asked(j) && Conflict(a, options_[j])) visit(j);
        });
    }

private:
    static Range Grown(const Range& r) {
        const double t = LeaderClearanceTolerance;
        return {{r.low.x - t, r.low.y - t, 0}, {r.high.x + t, r.high.y + t, 0}};
    }

    const std::vector<Option>& options_;
    BucketGrid<> grid_;
    mutable std::vector<std::uint32_t> seen_;
    mutable std::uint32_t stamp_ = 0;
};

}  // namespace

std::vector<std::optional<std::size_t>> AssignClearPlaces(const std::vector<AssignmentLabel>& labels,
                                                          double bucketSize) {
    if (!(bucketSize > 0.0) || !std::isfinite(bucketSize))
        throw std::invalid_argument(
            "the bucket size of the clear-place assignment must be a number greater than 0");
    std::vector<Option> options;
    std::vector<std::size_t> firstOption(labels.size() + 1, 0);
    for (std::size_t l = 0; l < labels.size(); ++l) {
        firstOption[l] = options.size();
        for (const ClearPlaceOption& o : labels[l].options)
            options.push_back({l,
                               {labels[l].labelBox.low + o.offset, labels[l].labelBox.high + o.offset},
                               labels[l].anchor,
                               o.attach,
                               o.leaderLength});
    }
    firstOption[labels.size()] = options.size();
    const OptionGrid grid(options, bucketSize);

    std::vector<char> alive(options.size(), 1);
    std::vector<std::size_t> left(labels.size());
    for (std::size_t l = 0; l < labels.size(); ++l) left[l] = firstOption[l + 1] - firstOption[l];
    std::vector<char> done(labels.size(), 0);
    std::vector<std::optional<std::size_t>> chosen(labels.size());

    // What taking option i would take from the labels still open: for each, the share of its
    // options left that conflict with i (1 when none would be left).
    std::vector<std::size_t> taken(labels.size(), 0);
    std::vector<std::size_t> touched;
    const auto harm = [&](std::size_t i) {
        touched.clear();
        grid.ForEachConflict(
            i, [&](std::size_t j) { return alive[j] && !done[options[j].label]; },
            [&](std::size_t j) {
                const std::size_t m = options[j].label;
                if (taken[m]++ == 0) touched.push_back(m);
            });
        double sum = 0.0;
        for (const std::size_t m : touched) {
            sum += static_cast<double>(taken[m]) / static_cast<double>(left[m]);
            taken[m] = 0;
        }
        return sum;
    };

    // The open labels by the options they have left, fewest first, then in sheet order; a
    // label left with none is given up.
    std::set<std::pair<std::size_t, std::size_t>> open;
    for (std::size_t l = 0; l < labels.size(); ++l)
        if (left[l] > 0)
            open.insert({left[l], l});
        else
            done[l] = 1;
    while (!open.empty()) {
        const std::size_t l = open.begin()->second;
        open.erase(open.begin());
        const double height = labels[l].labelBox.high.y - labels[l].labelBox.low.y;
        std::optional<std::size_t> best;
        double bestCost = std::numeric_limits<double>::infinity();
        std::size_t weighed = 0;
        for (std::size_t i = firstOption[l]; i < firstOption[l + 1] && weighed < OptionsWeighed; ++i) {
            if (!alive[i]) continue;
            ++weighed;
            const double cost = options[i].length + HarmWeight * height * harm(i);
            if (cost < bestCost) {
                bestCost = cost;
                best = i;
            }
        }
        chosen[l] = *best - firstOption[l];
        done[l] = 1;
        grid.ForEachConflict(
            *best, [&](std::size_t j) { return alive[j] && !done[options[j].label]; },
            [&](std::size_t j) {
                const std::size_t m = options[j].label;
                alive[j] = 0;
                open.erase({left[m], m});
                if (--left[m] > 0)
                    open.insert({left[m], m});
                else
                    done[m] = 1;
            });
    }

    return chosen;
}

}  // namespace zkl
