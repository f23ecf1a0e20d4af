// Guards the walk over one drawing area: which cells become component points (short, thin,
// horizontal and vertical pipes, crossings, elbows and tees, unclassified cells, grid
// cells), which point a label text keeps, the "No component found!" box, the dimension
// scale, the fence left as it was, and the four sides dimensioned in order.
#include "layout/border_annotation.h"

#include <gtest/gtest.h>

#include "host/numbers.h"
#include "layout/dimension_points.h"
#include "layout_fixture.h"

namespace zkl {
namespace {

using layout_test::Fitting;
using layout_test::GridCell;
using layout_test::Pipe;
using Points = std::vector<Point>;
using Entries = std::vector<std::pair<std::string, std::string>>;

class BorderAnnotationTest : public layout_test::LayoutTest {
protected:
    BorderComponents Collect() {
        return CollectBorderComponents(module_, border_, layout_test::DimensionRows());
    }
    BorderAnnotationResult Annotate() {
        return AnnotateBorderSides(module_, border_, layout_test::DimensionRows());
    }
    static Points PointsOf(const BorderComponents& found) {
        return found.dimensionPoints == EmptyDimensionPoints() ? Points{} : found.dimensionPoints;
    }
};

TEST_F(BorderAnnotationTest, ShortThinAndHorizontalInsidePipesGetNoPoint) {
    AddPlant(Pipe({-5, 50, 0}, {5, 50, 0}, 150, "SHORT"));  // exactly 10
    AddPlant(Pipe({195, 50, 0}, {205.001, 50, 0}, 150, "LONG"));
    AddPlant(Pipe({-20, 30, 0}, {20, 30, 0}, 25, "AT-IGNORE-DN"));
    AddPlant(Pipe({-20, 60, 0}, {20, 60, 0}, 25.5, "ABOVE-IGNORE-DN"));
    AddPlant(Pipe({20, 50, 5}, {60, 50, 5}, 100, "HORIZONTAL"));
    AddPlant(Pipe({30, 40, 5}, {50, 40, 15}, 100, "SLOPED"));
    AddPlant(Pipe({100, 40, 0}, {100, 40, 20}, 100, "VERTICAL"));
    AddPlant(Pipe({120, 40, 0}, {123, 40, 20}, 100, "NEARLY-VERTICAL"));  // 20.22 long, 20 high
    const BorderComponents found = Collect();
    EXPECT_EQ(PointsOf(found), (Points{{200, 50, 0}, {0, 60, 0}, {100, 40, 0}, {120, 40, 0}}));
    EXPECT_EQ(found.sideLabels.Entries(), (Entries{{"LONG", "200,50,0"},
                                                   {"ABOVE-IGNORE-DN", "0,60,0"},
                                                   {"VERTICAL", "100,40,0"},
                                                   {"NEARLY-VERTICAL", "120,40,0"}}));
    EXPECT_EQ(host_.Messages(),
              (std::vector<Message>{{"Short length pipe are ignored! xy=-5,50", "", 12, false}}));
}

TEST_F(BorderAnnotationTest, ACrossingPipeGetsTheFirstPointWhereItsAxisMeetsTheBorder) {
    AddPlant(Pipe({-20, 30, 0}, {40, 30, 0}, 100, "IN-FROM-LEFT"));
    AddPlant(Pipe({150, 70, 0}, {250, 70, 0}, 100, "OUT-TO-RIGHT"));
    AddPlant(Pipe({50, -20, 0}, {50, 120, 0}, 100, "THROUGH"));
    // Its properties put it above the border while its graphics lie inside: the fence takes
    // it in, but its axis never meets the border.
    Element stray = Pipe({-20, 150, 0}, {250, 150, 0}, 100, "STRAY");
    stray.Cell().components = {MakeLine({20, 20, 0}, {40, 20, 0})};
    AddPlant(stray);
    const BorderComponents found = Collect();
    EXPECT_EQ(PointsOf(found), (Points{{0, 30, 0}, {200, 70, 0}, {50, 0, 0}}));
    EXPECT_FALSE(found.sideLabels.Contains("STRAY"));
}

TEST_F(BorderAnnotationTest, TheLastPipeWithATextWinsButTheFirstElbowOrTee) {
    AddPlant(Pipe({-20, 30, 0}, {40, 30, 0}, 100, "P1"));
    AddPlant(Fitting("TEE", {80, 50, 0}, 100, "T1"));
    AddPlant(Fitting("ELBOW", {60, 50, 0}, 100, "E1"));
    AddPlant(Pipe({150, 70, 0}, {250, 70, 0}, 100, "P1"));
    AddPlant(Fitting("TEE", {120, 50, 0}, 100, "T1"));
    AddPlant(Fitting("ELBOW", {140, 50, 0}, 100, "E1"));
    AddPlant(Fitting("ELBOW", {160, 50, 0}, 25, "E-THIN"));
    AddPlant(Pipe({100, -20, 0}, {100, 20, 0}, 100, ""));  // no label text, still a point
    const BorderComponents found = Collect();
    EXPECT_EQ(
        PointsOf(found),
        (Points{
            {0, 30, 0}, {80, 50, 0}, {60, 50, 0}, {200, 70, 0}, {120, 50, 0}, {140, 50, 0}, {100, 0, 0}}));
    EXPECT_EQ(found.sideLabels.Entries(),
              (Entries{{"T1", "80,50,0"}, {"E1", "60,50,0"}, {"P1", "200,70,0"}}));
}

TEST_F(BorderAnnotationTest, OnlyClassifiedPlantCellsWithTheirAnchorInsideCountAndAGridCellIsNoComponent) {
    Element valve = Pipe({-20, 30, 0}, {40, 30, 0}, 100, "VALVE");
    valve.properties.front().value = PropertyValue("VALVE");  // no dimension row selects it
    AddPlant(valve);
    AddPlant(Fitting("ELBOW", {203, 50, 0}, 100, "CORNER-OUTSIDE"));
    Element copy = Pipe({-20, 60, 0}, {40, 60, 0}, 100, "IN-ACTIVE-MODEL");
    host_.AddElement(copy);
    Element grid = GridCell({{"A", {40, -5, 0}}, {"A", {40, 105, 0}}});
    grid.properties = {{"EC_CLASS_NAME", "TEE"}, {"PIPELINE", "GRID"}};  // a row would select it
    AddPlant(grid);
    const BorderComponents found = Collect();
    EXPECT_EQ(PointsOf(found), Points{});
    EXPECT_TRUE(found.sideLabels.Empty());
    EXPECT_EQ(found.gridLines, (GridLines{{"A", "X", 40}}));
    ASSERT_TRUE(found.lastAcceptedCell);
    EXPECT_EQ(found.lastAcceptedCell->Cell().name, "GRID_1");
}

TEST_F(BorderAnnotationTest, ANominalDiameterThatIsNotANumberEndsTheRunAndTheFenceIsPutBack) {
    const FenceModes before{false, true, true};
    host_.SetFenceModes(before);
    AddPlant(Pipe({-20, 30, 0}, {40, 30, 0}, PropertyValue("DN100"), "P1"));
    EXPECT_THROW(Annotate(), ConversionError);
    EXPECT_EQ(host_.GetFenceModes(), before);
    EXPECT_FALSE(host_.CurrentFence().Defined());
}

TEST_F(BorderAnnotationTest, AGridOnlyBorderIsAnnotatedWithoutTheBoxAndScaledByTheGridCell) {
    const FenceModes before{false, true, true};
    host_.SetFenceModes(before);
    Element grid =
        GridCell({{"A", {40, -5, 0}}, {"A", {40, 105, 0}}, {"1", {-5, 30, 0}}, {"1", {205, 30, 0}}});
    grid.Cell().scale = {4, 4, 4};
    AddPlant(grid);
    const BorderAnnotationResult result = Annotate();
    EXPECT_TRUE(prompter_->Boxes().empty());
    EXPECT_TRUE(result.componentFound);
    EXPECT_EQ(result.dimensionScale, 2.0);
    EXPECT_EQ(result.gridLines, 2);
    EXPECT_EQ(result.componentPoints, 4);
    EXPECT_EQ(LabelCells().size(), 4u) << "a grid name at each end of each line";
    EXPECT_EQ(host_.GetFenceModes(), before);
    EXPECT_FALSE(host_.CurrentFence().Defined());
}

TEST_F(BorderAnnotationTest, NoPlantCellShowsTheBoxAndStillDimensionsTheFourSidesInOrder) {
    const BorderAnnotationResult result = Annotate();
    EXPECT_EQ(prompter_->Boxes(),
              (std::vector<cad::RecordingPrompter::Box>{
                  {"No component found!",
                   "No component found, click OK to end.\rPlease check the attachment Visible "
                   "Edges.\rIt support Dynamic or Cached ONLY!"}}));
    EXPECT_FALSE(result.componentFound);
    const std::vector<Element> dimensions = ActiveOfType(ElementType::Dimension);
    ASSERT_EQ(dimensions.size(), 4u);
    // BOTTOM, TOP, LEFT, RIGHT: each from corner to corner of its side, offset outwards, scale 0.
    const std::pair<Point, double> starts[] = {
        {{0, 0, 0}, -10}, {{0, 100, 0}, 10}, {{0, 0, 0}, 10}, {{200, 0, 0}, -10}};
    for (std::size_t i = 0; i < 4; ++i) {
        const DimensionGeometry& dimension = dimensions[i].Dimension();
        EXPECT_EQ(dimension.PointCount(), 2);
        EXPECT_EQ(dimension.PointAt(1), starts[i].first) << i;
        EXPECT_EQ(dimension.offset, starts[i].second) << i;
        EXPECT_EQ(dimension.scale, 0.0);
    }
}

TEST_F(BorderAnnotationTest, AComponentPointReachesItsSideAsLabelAndDimensionPoint) {
    AddPlant(Pipe({-20, 30, 0}, {40, 30, 0}, 100, "P1"));
    AddPlant(Pipe({50, -20, 0}, {50, 40, 0}, 100, "P2"));
    const BorderAnnotationResult result = Annotate();
    EXPECT_EQ(result.sideLabels, 2);
    EXPECT_EQ(result.componentPoints, 2);
    EXPECT_EQ(result.dimensionScale, 1.0);
    const std::vector<Element> dimensions = ActiveOfType(ElementType::Dimension);
    ASSERT_EQ(dimensions.size(), 4u);
    EXPECT_EQ(dimensions[0].Dimension().points, (Points{{0, 0, 0}, {50, 0, 0}, {200, 0, 0}})) << "bottom";
    EXPECT_EQ(dimensions[2].Dimension().points, (Points{{0, 0, 0}, {0, 30, 0}, {0, 100, 0}})) << "left";
    Points anchors;
    for (const Element& cell : LabelCells()) anchors.push_back(cell.Cell().origin);
    EXPECT_EQ(anchors, (Points{{-10, 30, 0}, {50, -10, 0}})) << "leaders start on the dimension lines";
}

}  // namespace
}  // namespace zkl
