// Guards the R-tree of element ranges: queries find exactly the ranges that meet the probe,
// a visitor can stop the walk, and removed or moved elements are not found at old places.
#include "cad/spatial_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace zkl::cad {
namespace {

std::vector<ElementId> QueryAll(const SpatialIndex& index, const Range& range) {
    std::vector<ElementId> ids;
    index.Query(range, [&](ElementId id) {
        ids.push_back(id);
        return true;
    });
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST(SpatialIndex, QueryFindsRangesThatMeetTheProbeIncludingTouching) {
    SpatialIndex index;
    index.Insert(1, {{0, 0}, {2, 2}});
    index.Insert(2, {{5, 5}, {6, 6}});
    index.Insert(3, {{2, 0}, {3, 1}});  // touches 1
    EXPECT_EQ(index.Size(), 3u);
    EXPECT_EQ(QueryAll(index, {{1, 1}, {1.5, 1.5}}), (std::vector<ElementId>{1}));
    EXPECT_EQ(QueryAll(index, {{2, 0.5}, {2, 0.5}}), (std::vector<ElementId>{1, 3}));
    EXPECT_EQ(QueryAll(index, {{3.5, 3.5}, {4, 4}}), (std::vector<ElementId>{}));
    // Corners given the wrong way round still describe the same box.
    EXPECT_EQ(QueryAll(index, {{6, 6}, {4, 4}}), (std::vector<ElementId>{2}));
}

TEST(SpatialIndex, VisitorReturningFalseStopsTheQuery) {
    SpatialIndex index;
    for (ElementId id = 1; id <= 50; ++id) index.Insert(id, {{0, 0}, {1, 1}});
    int visits = 0;
    const bool finished = index.Query({{0, 0}, {1, 1}}, [&](ElementId) { return ++visits < 3; });
    EXPECT_FALSE(finished);
    EXPECT_EQ(visits, 3);
    EXPECT_TRUE(index.Query({{0, 0}, {1, 1}}, [](ElementId) { return true; }));
}

TEST(SpatialIndex, RemovedAndReinsertedElementsAreFoundOnlyWhereTheyAre) {
    SpatialIndex index;
    index.Insert(7, {{0, 0}, {1, 1}});
    index.Insert(7, {{10, 10}, {11, 11}});  // a rewrite moves the element
    EXPECT_EQ(index.Size(), 1u);
    EXPECT_TRUE(QueryAll(index, {{0, 0}, {1, 1}}).empty());
    EXPECT_EQ(QueryAll(index, {{10, 10}, {11, 11}}), (std::vector<ElementId>{7}));
    index.Remove(7);
    index.Remove(8);  // unknown ids are ignored
    EXPECT_EQ(index.Size(), 0u);
    EXPECT_TRUE(QueryAll(index, {{-100, -100}, {100, 100}}).empty());
}

TEST(SpatialIndex, ManyElementsAgreeWithAPlainScan) {
    SpatialIndex index;
    std::map<ElementId, Range> ranges;
    ElementId id = 1;
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 40; ++j, ++id) {
            const Range range{{i * 3.0, j * 2.0}, {i * 3.0 + 1 + (id % 4), j * 2.0 + 1 + (id % 3)}};
            ranges[id] = range;
            index.Insert(id, range);
        }
    for (ElementId removed = 1; removed < id; removed += 7) {
        index.Remove(removed);
        ranges.erase(removed);
    }
    SpatialIndex moved = std::move(index);
    for (const Range probe :
         {Range{{10, 10}, {14, 12}}, Range{{-5, -5}, {0, 0}}, Range{{50, 30}, {90, 31}}}) {
        std::vector<ElementId> expected;
        for (const auto& [key, range] : ranges)
            if (range.Overlaps2d(probe)) expected.push_back(key);
        EXPECT_EQ(QueryAll(moved, probe), expected);
    }
}

}  // namespace
}  // namespace zkl::cad
