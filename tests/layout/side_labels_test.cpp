// Guards the side labels around a drawing area: which side a point goes to, the elevation
// filter, spacing by the minimum gap (side labels and grid names), coincident duplicates,
// and the label cells left in the model (three components, origin on the dimension line).
#include "layout/side_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "layout_fixture.h"

namespace zkl {
namespace {

constexpr double H = 10, U = 1;  // with D1 5 and D2 3: W = 18

TEST(SideLabels, APointGoesToTheNearestSideWithLeftAndRightWinningTies) {
    const Range border{{0, 0, 0}, {200, 100, 0}};
    const std::pair<Point, BorderSide> cases[] = {
        {{10, 10, 0}, BorderSide::Left},   {{50, 50, 0}, BorderSide::Left},    // ties with bottom (and top)
        {{190, 90, 0}, BorderSide::Right}, {{150, 50, 0}, BorderSide::Right},  // ties with top (and bottom)
        {{100, 95, 0}, BorderSide::Top},   {{100, 5, 0}, BorderSide::Bottom},  // strictly nearest
        {{100, 0, 0}, BorderSide::Bottom}, {{100, 100, 0}, BorderSide::Top},   // on the border
        {{200, 30, 0}, BorderSide::Right}, {{0, 0, 0}, BorderSide::Left},
    };
    for (const auto& [point, side] : cases)
        EXPECT_EQ(NearestSide(point, border), side) << point.x << "," << point.y;
}

TEST(SideLabels, TheElevationIsTheNumberAfterAWordStartingWithElOrZero) {
    const std::pair<const char*, double> cases[] = {
        {"1001-P EL+2350", 2350},
        {"1001-P EL -12.5", -12.5},
        {"1001-P EL+2350 BOP", 2350},
        {"STEEL PIPE", 0},
        {"STEEL EL+100", 100},
        {"1001-P", 0},
        {"1001-P EL", 0},
        {"A EL+5 EL+7", 5},
        {"EL0", 0},
        {"EL-1200", -1200},
        {"1001-P STEEL-3 EL+4500", 4500},
        {"DIESEL-2 EL+300", 300},
        {"DIESEL-2", 0},
        {"1001-P ELBOW EL+20", 20},
        {"X-EL+5", 0},
    };
    for (const auto& [text, elevation] : cases) EXPECT_EQ(TextElevation(text), elevation) << text;
    EXPECT_EQ(FirstWord("1001-P EL+5"), "1001-P");
    EXPECT_EQ(FirstWord("1001-P"), "1001-P");
}

class SideLabelsTest : public layout_test::LayoutTest {
protected:
    void Place(const std::vector<std::pair<std::string, Point>>& entries, const GridLines& lines = {}) {
        SideLabelMap map;
        for (const auto& [text, point] : entries) map.Add(text, PointToMapValue(point));
        PlaceSideLabels(module_, BorderRange(), map, lines, H);
    }
    void RemoveLabels() {
        for (const Element& cell : LabelCells()) host_.RemoveElement(cell);
    }
    // Label cells below the border, left to right.
    std::vector<Element> BottomLabels() const {
        std::vector<Element> cells;
        for (const Element& cell : LabelCells())
            if (cell.Cell().origin.y < 0) cells.push_back(cell);
        std::sort(cells.begin(), cells.end(),
                  [](const Element& a, const Element& b) { return a.Cell().origin.x < b.Cell().origin.x; });
        return cells;
    }
    Range BoxOf(const Element& cell) const { return host_.TextBox(cell.Cell().components.at(0)); }
    static std::vector<Point> Leader(const Element& cell) {
        return cell.Cell().components.at(2).Linear().vertices;
    }
};

TEST_F(SideLabelsTest, ABareWordIsDroppedOnlyAfterAnElevatedTextWithThatWord) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"P1 EL+100", "P1"}, {"P1 EL+100"}},
        {{"P1", "P1 EL+100"}, {"P1", "P1 EL+100"}},
        {{"P1 EL+100", "P1 X"}, {"P1 EL+100", "P1 X"}},  // no entry "P1" to drop
    };
    for (const auto& [keys, kept] : cases) {
        SCOPED_TRACE(keys.front() + " then " + keys.back());
        RemoveLabels();
        SideLabelMap map;
        double x = 20;
        for (const std::string& key : keys) map.Add(key, PointToMapValue({x += 40, 5, 0}));
        PlaceSideLabels(module_, BorderRange(), map, {}, H);
        EXPECT_EQ(map.Keys(), kept);
        EXPECT_EQ(BottomLabels().size(), kept.size());
        EXPECT_EQ(LabelCells().size(), kept.size()) << "the other sides get nothing";
    }
}

TEST_F(SideLabelsTest, OnTheBottomOnlyALabelCloserThanTwiceTheUnderlineDistanceMoves) {
    // A bottom text is 2.5 wide (its height) and ends U left of its point: the boxes of the
    // points 50 and x are (x - 52.5) apart.
    for (const auto& [secondX, moved] : {std::pair{55.0, false}, {54.5, false}, {53.0, true}, {50.0, true}}) {
        SCOPED_TRACE(secondX);
        RemoveLabels();
        Place({{"FIRST", {50, 5, 0}}, {"SECOND", {secondX, 7, 0}}});
        const std::vector<Element> labels = BottomLabels();
        ASSERT_EQ(labels.size(), 2u);
        EXPECT_EQ(labels[0].Cell().components[0].Text().text, "FIRST");
        EXPECT_EQ(Leader(labels[0])[2], (Point{50, -18, 0})) << "the first label never moves";
        const std::vector<Point> leader = Leader(labels[1]);
        EXPECT_EQ(leader[0], (Point{secondX, -H, 0})) << "starts on the dimension line below its point";
        EXPECT_EQ(leader[1], (Point{secondX, -H - 5, 0}));
        const double gap = BoxOf(labels[1]).low.x - BoxOf(labels[0]).high.x;
        if (moved) {
            EXPECT_DOUBLE_EQ(gap, 2 * U);
            // Pushed to start 2 x U after the first box (49): a slanting last leg.
            EXPECT_EQ(leader[2], (Point{54.5, -18, 0}));
        } else {
            EXPECT_EQ(leader[2], (Point{secondX, -18, 0}));
        }
    }
}

TEST_F(SideLabelsTest, GridNamesKeepOneMoreUnitOfGapEach) {
    // Grid names are 3 wide and centred on their line: A would touch the side label's box
    // (46.5..49), B would come within 4 of A once A has moved.
    Place({{"P1", {50, 5, 0}}}, {{"A", "X", 50.5}, {"B", "X", 58}});
    const std::vector<Element> labels = BottomLabels();
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_DOUBLE_EQ(BoxOf(labels[1]).low.x - BoxOf(labels[0]).high.x, 2 * U + 1.0);
    EXPECT_DOUBLE_EQ(BoxOf(labels[2]).low.x - BoxOf(labels[1]).high.x, 2 * U + 2.0);
    // The circle moved with its name, and the leader ends on the circle's side facing the border.
    const Element& a = labels[1];
    const EllipseGeometry& circle = a.Cell().components.at(1).Ellipse();
    EXPECT_EQ(circle.centre, a.Cell().components[0].Text().origin);
    EXPECT_EQ(circle.primaryRadius, GridNameCircleRadius);
    EXPECT_EQ(Leader(a)[0], (Point{50.5, -H, 0}));
    EXPECT_EQ(Leader(a)[2], (circle.centre + Point{0, GridNameCircleRadius, 0}));
}

TEST_F(SideLabelsTest, OfCoincidentTextsTheHigherElevationStaysAndComesFirst) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"P1 EL+2", "P1 EL+5"}, {"P1 EL+5"}},
        {{"P1 EL+5", "P1 EL+2"}, {"P1 EL+5"}},
        {{"P1 EL+3", "P1 EL+3 B"}, {"P1 EL+3"}},  // equal: the earlier one stays
        {{"P1 EL+2", "P2 EL+5"}, {"P2 EL+5", "P1 EL+2"}},
        {{"P1 EL+2", "P1 EL+5", "P2 EL+1"}, {"P1 EL+5", "P2 EL+1"}},
        {{"P1 EL+100", "P1 STEEL-3 EL+4500"}, {"P1 STEEL-3 EL+4500"}},  // "EL" inside a word is no elevation
        {{"DIESEL-2 EL+200", "DIESEL-2 EL+300"}, {"DIESEL-2 EL+300"}},
    };
    for (const auto& [written, kept] : cases) {
        SCOPED_TRACE(written.front() + " / " + written.back());
        std::vector<Element> texts;
        for (const std::string& text : written) {
            texts.push_back(MakeText(text, {10, 20, 0}));
            host_.AddElement(texts.back());
        }
        RemoveCoincidentDuplicates(module_, texts);
        std::vector<std::string> left;
        for (const Element& text : texts) left.push_back(text.Text().text);
        EXPECT_EQ(left, kept);
        EXPECT_EQ(ActiveOfType(ElementType::Text).size(), kept.size()) << "dropped texts leave the model";
        for (const Element& text : texts) host_.RemoveElement(text);
    }
    std::vector<Element> apart{MakeText("P1 EL+2", {10, 20, 0}), MakeText("P1 EL+5", {10.002, 20, 0})};
    for (Element& text : apart) host_.AddElement(text);
    RemoveCoincidentDuplicates(module_, apart);
    EXPECT_EQ(apart.size(), 2u);
}

TEST_F(SideLabelsTest, EveryLabelIsACellOfThreeWithItsOriginOnTheDimensionLine) {
    Place({{"BOTTOM-1", {50, 5, 0}},
           {"TOP-1", {100, 97, 0}},
           {"LEFT-1", {3, 50, 0}},
           {"LEFT-2", {4, 52, 0}},
           {"RIGHT-1", {200, 60, 0}}},
          {{"A", "X", 120}, {"1", "Y", 30}});
    std::map<std::string, int> perSide;
    for (const Element& cell : LabelCells()) {
        const auto& components = cell.Cell().components;
        ASSERT_EQ(components.size(), 3u);
        const bool gridName = components[0].Text().justification == GridNameJustification;
        EXPECT_EQ(components[1].type, gridName ? ElementType::Ellipse : ElementType::Line);
        EXPECT_EQ(components[2].type, ElementType::LineString);
        EXPECT_EQ(components[1].symbology, (Symbology{"ZKL_Dim", 3, "0", 1}));
        EXPECT_EQ(components[2].symbology, components[1].symbology);
        const Point origin = cell.Cell().origin;
        EXPECT_EQ(Leader(cell)[0], origin);
        perSide[origin.y == -H        ? "BOTTOM"
                : origin.y == 100 + H ? "TOP"
                : origin.x == -H      ? "LEFT"
                : origin.x == 200 + H ? "RIGHT"
                                      : "off the dimension lines"]++;
    }
    EXPECT_EQ(perSide, (std::map<std::string, int>{{"BOTTOM", 2}, {"LEFT", 3}, {"RIGHT", 2}, {"TOP", 2}}));
    EXPECT_TRUE(ActiveOfType(ElementType::Text).empty()) << "only the copies inside the cells remain";

    module_.settings.DimLevelName = "NoSuchLevel";
    EXPECT_THROW(Place({{"P1", {50, 5, 0}}}), HostError);
}

}  // namespace
}  // namespace zkl
