// Guards the dimension chains along a border's sides: which component points each side takes
// and merges, the corners, the three dimension modes with their extension-line cell, and the
// dimension element made from a chain.
#include "dimension/dimension_chain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/cad_host.h"

namespace zkl {
namespace {

cad::Drawing ChainDrawing() {
    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}, {2, "Dim"}};
    drawing.lineStyles = {{"0", {}}, {"2", {3, 1.5}}};
    drawing.dimensionStyles = {DimensionStyle{"Chain", 2.5, 1, {}}};
    drawing.activeSymbology = {"Default", 6, "0", 2};
    return drawing;
}

class DimensionChainTest : public ::testing::Test {
protected:
    DimensionChainTest() {
        module.settings.DimLevelName = "Dim";
        module.settings.DimStyleName = "Chain";
    }

    std::vector<Point> Build(std::vector<Point>& points, std::string_view side, int mode) {
        std::vector<Point> chain{{-1, -1, -1}};  // whatever the caller held is replaced
        BuildDimensionChain(module, chain, points, low, high, side, mode);
        return chain;
    }

    std::vector<Element> Cells() const {
        ScanCriteria criteria;
        criteria.IncludeType(ElementType::Cell);
        return host.Scan(criteria);
    }

    cad::CadHost host{ChainDrawing()};
    mdlOPM_Labeller module{host};
    Point low{0, 0, 0};
    Point high{100, 100, 0};
};

Point Swapped(const Point& p) { return {p.y, p.x, p.z}; }

std::vector<Point> Swapped(std::vector<Point> points) {
    for (Point& p : points) p = Swapped(p);
    return points;
}

TEST_F(DimensionChainTest, EachSideMergesNearDuplicatesKeepingTheOneFartherFromTheEdge) {
    // Per side: a point 0.05 past the start corner (dropped, though farther out), a pair
    // 0.05 apart where the later one is farther from the edge (it replaces the earlier), and
    // a pair where the later one is nearer (dropped). BOTTOM and LEFT get them shuffled, as
    // they sort; TOP and RIGHT in order, as they rely on the order left behind.
    const std::vector<Point> bottomIn = {{50.05, 3}, {20, 5}, {0.05, 12}, {50, 9}, {20.05, 8}};
    const std::vector<Point> bottomOut = {{0, 0}, {20.05, 8}, {50, 9}, {100, 0}};
    const std::vector<Point> topIn = {{0.05, 88}, {20, 95}, {20.05, 92}, {50, 91}, {50.05, 97}};
    const std::vector<Point> topOut = {{0, 100}, {20.05, 92}, {50, 91}, {100, 100}};
    struct Case {
        const char* side;
        std::vector<Point> in;
        std::vector<Point> out;
    };
    const Case cases[] = {
        {"BOTTOM", bottomIn, bottomOut},
        {"TOP", topIn, topOut},
        {"LEFT", Swapped(bottomIn), Swapped(bottomOut)},
        {"RIGHT", Swapped(topIn), Swapped(topOut)},
    };
    for (const Case& c : cases) {
        std::vector<Point> points = c.in;
        EXPECT_EQ(Build(points, c.side, DimModeAtComponents), c.out) << c.side;
    }

    // TOP takes the list unsorted: each point is compared with whatever came last.
    std::vector<Point> unsorted = {{60, 90}, {30, 90}, {30.05, 80}};
    EXPECT_EQ(Build(unsorted, "TOP", DimModeAtComponents),
              (std::vector<Point>{{0, 100}, {60, 90}, {30.05, 80}, {100, 100}}));
    EXPECT_EQ(unsorted, (std::vector<Point>{{60, 90}, {30, 90}, {30.05, 80}}));

    std::vector<Point> points;
    EXPECT_THROW(Build(points, "bottom", DimModeOnEdge), std::invalid_argument);
}

TEST_F(DimensionChainTest, CornersCloseTheChainAndTheMiddleLineBelongsToBottomAndLeft) {
    struct Case {
        const char* side;
        std::vector<Point> in;
        std::vector<Point> out;
    };
    const Case cases[] = {
        // Within 0.1 of the end corner: the point becomes the corner, the chain keeps its length.
        {"BOTTOM", {{30, 5}, {99.95, 5}}, {{0, 0}, {30, 5}, {100, 0}}},
        {"BOTTOM", {{30, 5}, {99.85, 5}}, {{0, 0}, {30, 5}, {99.85, 5}, {100, 0}}},
        {"RIGHT", {{90, 30}, {95, 99.95}}, {{100, 0}, {90, 30}, {100, 100}}},
        // On the middle line: BOTTOM and LEFT, never TOP or RIGHT.
        {"BOTTOM", {{40, 50}}, {{0, 0}, {40, 50}, {100, 0}}},
        {"TOP", {{40, 50}}, {{0, 100}, {100, 100}}},
        {"LEFT", {{50, 40}}, {{0, 0}, {50, 40}, {0, 100}}},
        {"RIGHT", {{50, 40}}, {{100, 0}, {100, 100}}},
        // An empty list is the marker point alone: the two corners.
        {"BOTTOM", {{EmptyListMarker, 0}}, {{0, 0}, {100, 0}}},
        {"TOP", {{EmptyListMarker, 0}}, {{0, 100}, {100, 100}}},
        {"LEFT", {{EmptyListMarker, 0}}, {{0, 0}, {0, 100}}},
        {"RIGHT", {{EmptyListMarker, 0}}, {{100, 0}, {100, 100}}},
    };
    for (const Case& c : cases) {
        std::vector<Point> points = c.in;
        EXPECT_EQ(Build(points, c.side, DimModeAtComponents), c.out) << c.side << " " << c.in.back().x;
    }
}

TEST_F(DimensionChainTest, ModeDecidesWhereChainPointsGoAndWhetherExtensionLinesAreDrawn) {
    low = {0, 0, 4};
    struct Case {
        int mode;
        std::vector<Point> chain;
        std::size_t cells;
    };
    const Case cases[] = {
        {DimModeOnEdge, {{0, 0, 4}, {20, 0, 4}, {60, 0, 4}, {100, 0, 4}}, 0},
        {DimModeAtComponents, {{0, 0, 4}, {20, 5, 1}, {60, 9, 1}, {100, 0, 4}}, 0},
        {7, {{0, 0, 4}, {20, 5, 1}, {60, 9, 1}, {100, 0, 4}}, 0},
        {DimModeOnEdgeWithExtensions, {{0, 0, 4}, {20, 0, 4}, {60, 0, 4}, {100, 0, 4}}, 1},
    };
    for (const Case& c : cases) {
        std::vector<Point> points = {{60, 9, 1}, {20, 5, 1}};
        EXPECT_EQ(Build(points, "BOTTOM", c.mode), c.chain) << c.mode;
        EXPECT_EQ(Cells().size(), c.cells) << c.mode;
    }

    // Mode 2: one line per chain point, from where it was to the edge, in one cell.
    const Element cell = Cells().front();
    EXPECT_EQ(cell.Cell().name, "Extentionline");
    EXPECT_EQ(cell.Cell().origin, low);
    EXPECT_FALSE(cell.Cell().pointCell);
    EXPECT_EQ(cell.symbology.level, "Dim");
    const std::vector<std::vector<Point>> expected = {{{0, 0, 4}, {0, 0, 4}},
                                                      {{20, 5, 1}, {20, 0, 4}},
                                                      {{60, 9, 1}, {60, 0, 4}},
                                                      {{100, 0, 4}, {100, 0, 4}}};
    ASSERT_EQ(cell.Cell().components.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Element& line = cell.Cell().components[i];
        EXPECT_EQ(line.type, ElementType::Line);
        EXPECT_EQ(line.Linear().vertices, expected[i]) << i;
        EXPECT_EQ(line.symbology, (Symbology{"Dim", 6, "2", 2})) << i;
    }

    // A level the design file lacks ends the call with the host's error.
    module.settings.DimLevelName = "Missing";
    std::vector<Point> points = {{20, 5}};
    EXPECT_THROW(Build(points, "BOTTOM", DimModeOnEdgeWithExtensions), HostError);
}

TEST_F(DimensionChainTest, DimensionTakesTheChainWithItsFrameStyleAndSymbology) {
    struct Case {
        bool horizontal;
        Point along;
        double offset;
    };
    for (const Case& c : {Case{true, {1, 0, 0}, -8}, Case{false, {0, 1, 0}, 8}}) {
        const std::vector<Point> chain = c.horizontal ? std::vector<Point>{{0, 0}, {30, 0}, {100, 0}}
                                                      : std::vector<Point>{{0, 0}, {0, 30}, {0, 100}};
        const Element dimension = CreateDimension(module, chain, c.offset, c.horizontal, 0.5);
        EXPECT_EQ(host.GetElement(ActiveModelId, dimension.id), dimension) << "added to the active model";
        const DimensionGeometry& geometry = dimension.Dimension();
        EXPECT_EQ(geometry.points, chain);
        EXPECT_NEAR(Distance(geometry.rotation.Column(0), c.along), 0, 1e-12);
        EXPECT_EQ(geometry.segmentTexts, (std::vector<std::string>{"", "*", "*"}));
        EXPECT_EQ(geometry.style, "Chain");
        EXPECT_EQ(geometry.options, (DimensionOptions{2, 3, 2}));
        EXPECT_EQ(dimension.symbology, (Symbology{"Default", 3, "0", 0}));
        EXPECT_EQ(geometry.offset, c.offset);
        EXPECT_EQ(geometry.scale, 0.5);
    }
    EXPECT_TRUE(host.Messages().empty());

    module.settings.DimStyleName = "Missing";
    EXPECT_THROW(CreateDimension(module, {{0, 0}, {10, 0}}, 5, true, 1), HostError);
}

TEST_F(DimensionChainTest, MoreThanFiftyPointsPostOneMessageAndKeepTheFirstFifty) {
    std::vector<Point> points;
    for (int i = 1; i <= 50; ++i) points.push_back({i * 1.5, 10});
    const std::vector<Point> chain = Build(points, "BOTTOM", DimModeOnEdge);
    ASSERT_EQ(chain.size(), 52u);

    const Element dimension = CreateDimension(module, chain, -8, true, 1);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0],
              (Message{"Too many dimension points! 50 dimension points supported only!", "", 12, false}));
    const DimensionGeometry& geometry = dimension.Dimension();
    ASSERT_EQ(geometry.PointCount(), 50);
    EXPECT_EQ(geometry.PointAt(50), (Point{49 * 1.5, 0, 0})) << "the end corner is dropped";
    EXPECT_EQ(geometry.SegmentText(50), "*");
}

}  // namespace
}  // namespace zkl
