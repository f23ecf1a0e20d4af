// Guards what elements look like to locate and the range index: exact ellipse ranges, rings
// that are not solids, text boxes that are, cells and dimensions through their parts.
#include "cad/element_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/host_error.h"

namespace zkl::cad {
namespace {

DimensionStyle DefaultStyle(const std::string& name) {
    DimensionStyle style;
    style.name = name;
    return style;
}

void ExpectRange(const Range& actual, const Range& expected) {
    EXPECT_NEAR(actual.low.x, expected.low.x, 1e-9);
    EXPECT_NEAR(actual.low.y, expected.low.y, 1e-9);
    EXPECT_NEAR(actual.low.z, expected.low.z, 1e-9);
    EXPECT_NEAR(actual.high.x, expected.high.x, 1e-9);
    EXPECT_NEAR(actual.high.y, expected.high.y, 1e-9);
    EXPECT_NEAR(actual.high.z, expected.high.z, 1e-9);
}

TEST(ElementGeometry, EllipseRangeIsItsExactExtent) {
    ExpectRange(ElementRange(MakeEllipse({1, 2, 3}, 4, 2), DefaultStyle), {{-3, 0, 3}, {5, 4, 3}});
    ExpectRange(
        ElementRange(MakeEllipse({0, 0}, 4, 2, Matrix3d::RotationAboutAxisIndex(2, Pi / 2)), DefaultStyle),
        {{-2, -4}, {2, 4}});
    // At 45 degrees each axis sees sqrt(a^2/2 + b^2/2), less than the primary radius.
    const double half = std::sqrt(10.0);
    ExpectRange(
        ElementRange(MakeEllipse({0, 0}, 4, 2, Matrix3d::RotationAboutAxisIndex(2, Pi / 4)), DefaultStyle),
        {{-half, -half}, {half, half}});
    ExpectRange(
        ElementRange(MakeEllipse({0, 0}, 2, 2, Matrix3d::RotationAboutAxisIndex(0, Pi / 2)), DefaultStyle),
        {{-2, 0, -2}, {2, 0, 2}});
}

TEST(ElementGeometry, ShapeIsARingButTextIsSolid) {
    const Point centre{5, 5};
    const Outline ring = ElementOutline(MakeShape({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), DefaultStyle);
    EXPECT_EQ(ring.segments.size(), 4u);
    EXPECT_DOUBLE_EQ(DistanceToOutline2d(centre, ring), 5);

    Element text = MakeText("ABCDEFGHIJ", {0, 0});
    text.Text().height = 10;
    const Outline solid = ElementOutline(text, DefaultStyle);
    ASSERT_EQ(solid.solids.size(), 1u);
    EXPECT_DOUBLE_EQ(DistanceToOutline2d(centre, solid), 0);
    EXPECT_DOUBLE_EQ(DistanceToOutline2d({13, 14}, solid), 5);
}

TEST(ElementGeometry, DistanceToEllipseIsMeasuredToItsCurve) {
    const Outline circle = ElementOutline(MakeEllipse({0, 0}, 5, 5), DefaultStyle);
    EXPECT_NEAR(DistanceToOutline2d({8, 0}, circle), 3, 1e-9);
    EXPECT_NEAR(DistanceToOutline2d({0, 0}, circle), 5, 1e-9);
    EXPECT_NEAR(DistanceToOutline2d({3, 4}, circle), 0, 1e-9);

    const Outline ellipse = ElementOutline(MakeEllipse({0, 0}, 4, 2), DefaultStyle);
    EXPECT_NEAR(DistanceToOutline2d({0, 0}, ellipse), 2, 1e-9);
    EXPECT_NEAR(DistanceToOutline2d({0, 5}, ellipse), 3, 1e-9);
    EXPECT_NEAR(DistanceToOutline2d({7, 0}, ellipse), 3, 1e-9);
}

TEST(ElementGeometry, CellsAreTheUnionOfTheirComponentsAtAnyDepth) {
    const Element inner = MakeCell("Inner", {MakeEllipse({20, 0}, 1, 1)}, {20, 0});
    const Element outer = MakeCell("Outer", {MakeLine({0, 0}, {5, 5}), inner}, {0, 0});
    const Outline outline = ElementOutline(outer, DefaultStyle);
    EXPECT_EQ(outline.segments.size(), 1u);
    EXPECT_EQ(outline.ellipses.size(), 1u);
    ExpectRange(ElementRange(outer, DefaultStyle), {{0, -1}, {21, 5}});
    ExpectRange(ElementRange(MakeCell("Empty", {}, {7, 8}), DefaultStyle), {{7, 8}, {7, 8}});
}

TEST(ElementGeometry, DimensionRangeReachesItsTextAndLooksUpItsStyle) {
    Element dimension = MakeDimension(Matrix3d::Identity());
    auto& geometry = dimension.Dimension();
    geometry.AddPoint({0, 0});
    geometry.AddPoint({20, 0});
    geometry.SetSegmentText(2, "*");
    geometry.offset = 10;
    geometry.style = "Plant";
    // Text 2 high (scale 1) at 0.5 text heights above the line: top at 10 + 1 + 2.
    auto styles = [](const std::string& name) {
        if (name != "Plant")
            throw HostError("dimension style '" + name + "' does not exist in the design file");
        DimensionStyle style = DefaultStyle(name);
        style.textHeight = 2;
        return style;
    };
    EXPECT_NEAR(ElementRange(dimension, styles).high.y, 13, 1e-9);
    geometry.style = "Missing";
    EXPECT_THROW(ElementRange(dimension, styles), HostError);
}

TEST(ElementGeometry, OutlineFollowsATransformLikeItsElement) {
    Outline outline = ElementOutline(MakeCell("C", {MakeEllipse({1, 0}, 1, 1), MakeLine({0, 0}, {1, 1})}, {}),
                                     DefaultStyle);
    const Transform3d doubleAndShift = Transform3d::FromMatrixAndTranslation(
        Matrix3d::FromRows({2, 0, 0}, {0, 2, 0}, {0, 0, 2}), {10, 0, 0});
    outline.ApplyTransform(doubleAndShift);
    ExpectRange(OutlineRange(outline), {{10, -2}, {14, 2}});
    EXPECT_NEAR(outline.ellipses[0].primaryRadius, 2, 1e-12);
}

}  // namespace
}  // namespace zkl::cad
