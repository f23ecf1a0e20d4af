// Guards how grid lines are read from a grid cell (axis from the two sightings, tolerance,
// border span, repeated and lone names, attachment coordinates), the points they add for
// the dimension chains and the dimension scale.
#include "layout/grid_lines.h"

#include <gtest/gtest.h>

#include "layout/dimension_points.h"
#include "layout_fixture.h"

namespace zkl {
namespace {

using layout_test::GridCell;

class GridLinesTest : public layout_test::LayoutTest {
protected:
    GridLines Collect(const std::vector<std::pair<std::string, Point>>& names) {
        GridLines lines;
        CollectGridLines(host_, GridCell(names), BorderRange(), lines);
        return lines;
    }
};

TEST_F(GridLinesTest, TwoSightingsMakeALineOfConstantXOrYInTheOrderOfTheSecondSighting) {
    EXPECT_EQ(Collect({{"A", {40, -5, 0}},
                       {"1", {-5, 30, 0}},
                       {"LONE", {60, -5, 0}},
                       {"A", {40, 105, 0}},
                       {"B", {10, 70, 0}},
                       {"1", {205, 30, 0}},
                       {"A", {120, 50, 0}},  // a third sighting adds nothing
                       {"B", {190, 80, 0}}}),
              (GridLines{{"A", "X", 40}, {"1", "Y", 30}, {"B", "Y", 80}}));
    // Within a millionth in x the sightings stand one above the other.
    EXPECT_EQ(Collect({{"A", {50, 10, 0}}, {"A", {50.0000005, 90, 0}}}), (GridLines{{"A", "X", 50.0000005}}));
    EXPECT_EQ(Collect({{"A", {50, 10, 0}}, {"A", {50.000002, 90, 0}}}), (GridLines{{"A", "Y", 90}}));
}

TEST_F(GridLinesTest, LinesOnTheBorderAreKeptAndLinesJustOutsideDropped) {
    EXPECT_EQ(Collect({{"L", {0, -5, 0}},
                       {"L", {0, 105, 0}},
                       {"R", {200, -5, 0}},
                       {"R", {200, 105, 0}},
                       {"OUT", {200.001, -5, 0}},
                       {"OUT", {200.001, 105, 0}},
                       {"BOTTOM", {-5, 0, 0}},
                       {"BOTTOM", {205, 0, 0}},
                       {"BELOW", {-5, -0.001, 0}},
                       {"BELOW", {205, -0.001, 0}},
                       {"TOP", {-5, 100, 0}},
                       {"TOP", {205, 100, 0}}}),
              (GridLines{{"L", "X", 0}, {"R", "X", 200}, {"BOTTOM", "Y", 0}, {"TOP", "Y", 100}}));
}

TEST_F(GridLinesTest, ACellInAnAttachmentIsReadInActiveModelCoordinates) {
    host_.GetDrawing().attachments[0].toActive =
        Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), {100, 0, 0});
    const Element cell = AddPlant(
        GridCell({{"A", {-60, -5, 0}}, {"A", {-60, 105, 0}}, {"C", {150, 0, 0}}, {"C", {150, 100, 0}}}));
    GridLines lines;
    CollectGridLines(host_, cell, BorderRange(), lines);
    EXPECT_EQ(lines, (GridLines{{"A", "X", 40}})) << "C lies at x 250 on the sheet";
}

TEST(GridPoints, OneLineOfEachAxisGivesExactlyFourPointsOnTheSides) {
    const Range border{{0, 0, 0}, {200, 100, 0}};
    std::vector<Point> points = EmptyDimensionPoints();
    AppendGridPoints({{"A", "X", 40}, {"1", "Y", 30}}, border, points);
    EXPECT_EQ(points, (std::vector<Point>{{40, 0, 0}, {40, 100, 0}, {0, 30, 0}, {200, 30, 0}}));

    std::vector<Point> none = EmptyDimensionPoints();
    AppendGridPoints({}, border, none);
    EXPECT_EQ(none, EmptyDimensionPoints());
}

TEST_F(GridLinesTest, TheDimensionScaleIsTheRootOfCellScaleOverTheAttachmentDivisor) {
    host_.GetDrawing().attachments[0].scaleDivisor = 4;
    Element cell = GridCell({});
    cell.Cell().scale = {9, 1, 1};
    cell = AddPlant(cell);
    EXPECT_DOUBLE_EQ(DimensionScale(host_, cell), 1.5);
    cell.Cell().scale = {-9, 1, 1};
    EXPECT_THROW(DimensionScale(host_, cell), std::domain_error);
}

}  // namespace
}  // namespace zkl
