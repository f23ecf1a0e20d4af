// Guards the side-label map: exact keys, insertion order (a removed and re-added key goes
// to the end), copies that do not share entries, and the "x,y,z" point text.
#include "layout/side_label_map.h"

#include <gtest/gtest.h>

#include "host/numbers.h"

namespace zkl {
namespace {

using Keys = std::vector<std::string>;

TEST(SideLabelMap, KeysKeepInsertionOrderCompareExactlyAndMoveToTheEndWhenReAdded) {
    SideLabelMap map;
    EXPECT_TRUE(map.Add("B", "1"));
    EXPECT_TRUE(map.Add("A", "2"));
    EXPECT_TRUE(map.Add("a", "3"));
    EXPECT_FALSE(map.Add("A", "changed")) << "an existing key keeps its value and place";
    EXPECT_EQ(map.Keys(), (Keys{"B", "A", "a"}));
    EXPECT_EQ(map.Value("A"), "2");
    EXPECT_FALSE(map.Contains("A "));

    EXPECT_TRUE(map.Remove("B"));
    EXPECT_FALSE(map.Remove("B"));
    EXPECT_TRUE(map.Add("B", "4"));
    EXPECT_EQ(map.Keys(), (Keys{"A", "a", "B"}));
    EXPECT_EQ(map.Value("B"), "4");
}

TEST(SideLabelMap, CopiesAndMovesKeepWorkingEntries) {
    SideLabelMap original;
    original.Add("A", "1");
    original.Add("B", "2");
    SideLabelMap copy = original;
    copy.Remove("A");
    copy.Add("A", "3");
    EXPECT_EQ(original.Keys(), (Keys{"A", "B"}));
    EXPECT_EQ(original.Value("A"), "1");
    EXPECT_EQ(copy.Keys(), (Keys{"B", "A"}));

    SideLabelMap moved = std::move(copy);
    EXPECT_TRUE(moved.Remove("B"));
    EXPECT_EQ(moved.Keys(), (Keys{"A"}));
}

TEST(SideLabelMap, PointsSurviveTheRoundTripThroughText) {
    for (const Point& p : {Point{0.1, -2.5e-7, 123456.789}, Point{1.0 / 3, 2.0 / 3, 0}})
        EXPECT_EQ(MapValueToPoint(PointToMapValue(p)), p);
    EXPECT_EQ(PointToMapValue({1, 2.5, -3}), "1,2.5,-3");
    for (const char* bad : {"1,2", "1,2,3,4", "1,,3", "a,2,3", ""})
        EXPECT_THROW(MapValueToPoint(bad), ConversionError) << bad;
}

}  // namespace
}  // namespace zkl
