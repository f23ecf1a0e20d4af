// What a new leader must keep clear of while a pass places labels: the leaders and label
// bodies already on the sheet, in a grid of buckets so that asking about one leader looks at
// its neighbourhood only, however many labels the sheet holds.
//
// Bodies are kept as the boxes of their elements (texts by their text box, frames and
// circles by their range), which is at least as much as the quality check counts as a body,
// so a leader clear here is clear there. Units: active-model drawing units, plan (x, y).
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "commands/bucket_grid.h"
#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"

namespace zkl {

// A leader closer than this to another leader or a body meets it. A little more than the
// check's own tolerance, so that rounding in where a leader ends cannot turn a clear leader
// into a touching one.
inline constexpr double LeaderClearanceTolerance = 0.01;

// What a leader would meet: another label's leader or body. `cell` is the label cell's id,
// NoElementId for a label placed during this pass.
struct LeaderObstacle {
    enum class Kind { Leader, Body };
    Kind kind = Kind::Body;
    ElementId cell = NoElementId;
    friend bool operator==(const LeaderObstacle&, const LeaderObstacle&) = default;
};

class LeaderClearance {
public:
    // `bucketSize`: the side of a grid bucket; about a label's size keeps both the buckets a
    // leader passes and the items in each few. Throws std::invalid_argument unless positive.
    explicit LeaderClearance(double bucketSize);

    // Every label cell ("ZKL_Label") of the active model: leader and body.
    static LeaderClearance OfSheet(const Host& host, double bucketSize);

    void AddLeader(ElementId cell, const std::vector<Point>& vertices);
    void AddBody(ElementId cell, const Range& box);
    // A label cell's components, or a body followed by its leader as CreateLabelCell leaves
    // them: everything but the last element is body, the last (a line string) is the leader.
    void AddLabel(const Host& host, ElementId cell, const std::vector<Element>& components);

    // The first obstacle the straight leader from `start` to `end` meets, none when it runs
    // clear. Leaders that start where this one starts are a fan from one point, not a
    // crossing, as the quality check sees them.
    std::optional<LeaderObstacle> FirstObstacle(const Point& start, const Point& end) const;
    // Every label cell whose leader or body that leader would meet, ids ascending: what would
    // have to move to clear the leader. NoElementId stands for labels added without id.
    std::vector<ElementId> AllObstacles(const Point& start, const Point& end) const;

    // Forgets the leader and body of a label cell added with its id, so that the place it
    // held counts as clear again.
    void Remove(ElementId cell);

    // Whether a new body box comes within the tolerance of another label's body. The fence
    // probe keeps bodies from overlapping; this keeps them from touching too, which the
    // check counts as an overlap.
    bool BodyTouchesBody(const Range& box) const;

    std::size_t Leaders() const { return leaders_; }
    std::size_t Bodies() const { return bodies_; }

private:
    struct Item {
        LeaderObstacle obstacle;
        Point a;      // segment: its ends; body: its box's low and high corners
        Point b;
        Point start;  // a leader's first vertex
    };
    // What a bucket holds of an item: enough to test it without looking it up (a body's
    // box, a leader segment's ends).
    struct Entry {
        double ax, ay, bx, by;
        std::uint32_t index;
    };

    void Insert(const Item& item, const Range& bounds);
    bool Meets(std::uint32_t item, const Point& start, const Point& end) const;
    bool Meets(const Entry& entry, const Point& start, const Point& end) const;
    bool Removed(std::uint32_t item) const { return anyRemoved_ && removed_[item]; }
    // Calls `visit(index)` once for each live item that the leader meets; stops when it
    // returns false.
    template <typename Visit>
    void ForEachMet(const Point& start, const Point& end, Visit&& visit) const;
    static constexpr std::size_t RecentObstaclesKept = 4;

    std::vector<Item> items_;
    // Bodies and leaders apart: the touch test of a new body asks about bodies alone.
    BucketGrid<Entry> bodyGrid_;
    BucketGrid<Entry> leaderGrid_;
    // Removed items stay in their buckets, skipped: few labels are ever taken out, and taking
    // them out of every bucket would cost more than stepping over them.
    std::vector<char> removed_;
    bool anyRemoved_ = false;
    std::unordered_map<ElementId, std::vector<std::uint32_t>> itemsOfCell_;

    // Which query last looked at an item, so that an item in several buckets is tested once.
    mutable std::vector<std::uint32_t> seen_;
    mutable std::uint32_t query_ = 0;
    mutable std::vector<std::uint32_t> recent_;  // the obstacles FirstObstacle found last, latest first
    mutable std::uint32_t lastTouched_ = static_cast<std::uint32_t>(-1);  // the body BodyTouchesBody found last
    std::size_t leaders_ = 0;
    std::size_t bodies_ = 0;
};

// Plan distance of two segments (0 when they cross).
double SegmentDistance2d(const Point& a, const Point& b, const Point& c, const Point& d);
// Whether SegmentDistance2d is at most `tolerance`, without the square roots.
bool SegmentsWithin2d(const Point& a, const Point& b, const Point& c, const Point& d, double tolerance);
// Whether a segment comes within `tolerance` of an axis-aligned box (plan).
bool SegmentMeetsBox2d(const Point& a, const Point& b, const Range& box, double tolerance);

}  // namespace zkl
