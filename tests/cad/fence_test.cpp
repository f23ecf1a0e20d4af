// Guards which elements a fence takes in: inside, crossing and outside outlines, closed
// outlines and circles that only surround the fence, text boxes that cover it, and the modes.
#include "cad/fence.h"

#include <gtest/gtest.h>

namespace zkl::cad {

void PrintTo(FenceRelation relation, std::ostream* out) {
    const char* names[] = {"Outside", "Inside", "Overlaps"};
    *out << names[static_cast<int>(relation)];
}

namespace {

Outline OutlineOf(const Element& element) {
    return ElementOutline(element, [](const std::string& name) {
        DimensionStyle style;
        style.name = name;
        return style;
    });
}

Element BoxText(const std::string& text, const Point& origin, double size) {
    Element element = MakeText(text, origin);
    element.Text().width = size;
    element.Text().height = size;
    return element;
}

const Fence Square{{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};

TEST(Fence, RelatesElementsToASquareFence) {
    struct Case {
        const char* what;
        Element element;
        FenceRelation expected;
    };
    const Case cases[] = {
        {"line inside", MakeLine({2, 2}, {8, 3}), FenceRelation::Inside},
        {"line crossing", MakeLine({5, 5}, {15, 5}), FenceRelation::Overlaps},
        {"line outside", MakeLine({12, 0}, {20, 20}), FenceRelation::Outside},
        {"line passing a corner", MakeLine({-5, 5}, {5, 15}), FenceRelation::Overlaps},
        {"line ending on the edge", MakeLine({10, 5}, {15, 5}), FenceRelation::Overlaps},
        {"line along the edge", MakeLine({2, 10}, {8, 10}), FenceRelation::Overlaps},
        {"shape around the fence", MakeShape({{-5, -5}, {15, -5}, {15, 15}, {-5, 15}}),
         FenceRelation::Outside},
        {"shape inside", MakeShape({{1, 1}, {3, 1}, {3, 3}}), FenceRelation::Inside},
        {"circle around the fence", MakeEllipse({5, 5}, 20, 20), FenceRelation::Outside},
        {"circle inside", MakeEllipse({5, 5}, 2, 2), FenceRelation::Inside},
        {"circle crossing", MakeEllipse({10, 5}, 2, 2), FenceRelation::Overlaps},
        {"circle touching the edges from inside", MakeEllipse({5, 5}, 5, 5), FenceRelation::Overlaps},
        {"circle outside", MakeEllipse({20, 5}, 2, 2), FenceRelation::Outside},
        {"text box covering the fence", BoxText("AB", {-5, -5}, 20), FenceRelation::Overlaps},
        {"text box inside", BoxText("AB", {2, 2}, 1), FenceRelation::Inside},
        {"text box crossing", BoxText("AB", {8, 2}, 2), FenceRelation::Overlaps},
        {"cell partly inside, no part crossing",
         MakeCell("C", {MakeLine({1, 1}, {2, 2}), MakeLine({12, 12}, {14, 14})}, {0, 0}),
         FenceRelation::Overlaps},
        {"cell wholly inside", MakeCell("C", {MakeLine({1, 1}, {2, 2}), MakeEllipse({5, 5}, 1, 1)}, {0, 0}),
         FenceRelation::Inside},
        {"empty cell", MakeCell("C", {}, {5, 5}), FenceRelation::Outside},
    };
    for (const auto& c : cases) EXPECT_EQ(Square.Relate(OutlineOf(c.element)), c.expected) << c.what;
}

TEST(Fence, RotatedFenceUsesItsOwnEdgesNotItsBounds) {
    const Fence diamond{{{5, 0}, {10, 5}, {5, 10}, {0, 5}}};
    EXPECT_EQ(diamond.Relate(OutlineOf(MakeLine({4, 5}, {6, 5}))), FenceRelation::Inside);
    EXPECT_EQ(diamond.Relate(OutlineOf(MakeLine({0.5, 0.5}, {1.5, 1.5}))), FenceRelation::Outside);
    EXPECT_EQ(diamond.Relate(OutlineOf(MakeLine({1, 1}, {4, 4}))), FenceRelation::Overlaps);
    EXPECT_EQ(diamond.Relate(OutlineOf(MakeEllipse({5, 5}, 3, 3))), FenceRelation::Inside);
    EXPECT_EQ(diamond.Relate(OutlineOf(MakeEllipse({5, 5}, 4, 4))), FenceRelation::Overlaps);
}

TEST(Fence, ConcaveFenceLeavesItsNotchOutside) {
    const Fence ell{{{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}}};
    EXPECT_EQ(ell.Relate(OutlineOf(MakeLine({6, 6}, {8, 8}))), FenceRelation::Outside);
    EXPECT_EQ(ell.Relate(OutlineOf(MakeLine({1, 1}, {8, 2}))), FenceRelation::Inside);
    EXPECT_EQ(ell.Relate(OutlineOf(MakeLine({2, 6}, {8, 6}))), FenceRelation::Overlaps);
}

TEST(Fence, ModesChooseWhichRelationsAreTakenIn) {
    struct Case {
        bool overlap;
        bool outside;
        bool inside, overlaps, outsideTaken;
    };
    const Case cases[] = {
        {true, false, true, true, false},
        {false, false, true, false, false},
        {true, true, false, true, true},
        {false, true, false, false, true},
    };
    for (const auto& c : cases) {
        FenceModes modes;
        modes.overlap = c.overlap;
        modes.outside = c.outside;
        const std::string what =
            "overlap " + std::to_string(c.overlap) + " outside " + std::to_string(c.outside);
        EXPECT_EQ(Fence::TakesIn(FenceRelation::Inside, modes), c.inside) << what;
        EXPECT_EQ(Fence::TakesIn(FenceRelation::Overlaps, modes), c.overlaps) << what;
        EXPECT_EQ(Fence::TakesIn(FenceRelation::Outside, modes), c.outsideTaken) << what;
    }
}

}  // namespace
}  // namespace zkl::cad
