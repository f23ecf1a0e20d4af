// Elements as values: building, moving, rotating, transforming, dimension point numbering
// and property access.
#include <gtest/gtest.h>

#include "host/element.h"
#include "host/host_error.h"

namespace zkl {
namespace {

TEST(Element, LineFromVerticesIsALineForTwoAndALineStringForMore) {
    EXPECT_EQ(MakeLineFromVertices({{0, 0, 0}, {1, 0, 0}}).type, ElementType::Line);
    EXPECT_EQ(MakeLineFromVertices({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}).type, ElementType::LineString);
    EXPECT_THROW(MakeLineString({{0, 0, 0}}), HostError);
}

TEST(Element, ShapeIsClosedWhenBuilt) {
    const Element shape = MakeShape({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    ASSERT_EQ(shape.Linear().vertices.size(), 4u);
    EXPECT_EQ(shape.Linear().vertices.front(), shape.Linear().vertices.back());
}

TEST(Element, TypedViewOfTheWrongKindNamesTheElement) {
    Element text = MakeText("1001-P", {0, 0, 0});
    text.id = 42;
    try {
        (void)text.Cell();
        FAIL() << "expected a HostError";
    } catch (const HostError& error) {
        EXPECT_STREQ(error.what(), "text 42 '1001-P' is not a cell");
    }
}

TEST(Element, MovingACellMovesItsComponentsRecursively) {
    Element inner = MakeCell("inner", {MakeLine({0, 0, 0}, {1, 0, 0})}, {0, 0, 0});
    Element outer = MakeCell("outer", {inner, MakeText("A", {2, 2, 0})}, {0, 0, 0});
    outer.Move({10, 5, 0});
    EXPECT_EQ(outer.Cell().origin, (Point{10, 5, 0}));
    EXPECT_EQ(outer.Cell().components[0].Cell().components[0].Linear().vertices[1], (Point{11, 5, 0}));
    EXPECT_EQ(outer.Cell().components[1].Text().origin, (Point{12, 7, 0}));
}

TEST(Element, QuarterTurnAboutAPivotTurnsPositionAndOrientation) {
    Element text = MakeText("A", {2, 0, 0});
    text.RotateAboutZ(Pi / 2, {1, 0, 0});
    EXPECT_NEAR(text.Text().origin.x, 1.0, 1e-12);
    EXPECT_NEAR(text.Text().origin.y, 1.0, 1e-12);
    // The reading direction (column 0) now points along +y.
    EXPECT_NEAR(text.Text().rotation.Column(0).y, 1.0, 1e-12);
    text.RotateAboutZ(-Pi / 2, {1, 0, 0});
    EXPECT_NEAR(text.Text().origin.x, 2.0, 1e-12);
    EXPECT_NEAR(text.Text().rotation.At(0, 0), 1.0, 1e-12);
}

TEST(Element, ScalingTransformScalesSizesButKeepsOrientationsRotations) {
    Element circle = MakeEllipse({1, 1, 0}, 2.5, 2.5);
    circle.ApplyTransform(Transform3d::FromMatrixAndTranslation(
        Matrix3d::FromRows({2, 0, 0}, {0, 2, 0}, {0, 0, 2}), {10, 0, 0}));
    EXPECT_EQ(circle.Ellipse().centre, (Point{12, 2, 0}));
    EXPECT_DOUBLE_EQ(circle.Ellipse().primaryRadius, 5.0);
    EXPECT_EQ(circle.Ellipse().rotation, Matrix3d::Identity());
}

TEST(Element, CellComponentsAreDetached) {
    Element line = MakeLine({0, 0, 0}, {1, 0, 0});
    line.id = 7;
    const Element cell = MakeCell("ZKL_Label", {line}, {0, 0, 0});
    EXPECT_EQ(cell.Cell().components[0].id, NoElementId);
}

TEST(Dimension, PointsAreNumberedFromOneAndKeepTheirSegmentTexts) {
    Element element = MakeDimension(Matrix3d::Identity());
    DimensionGeometry& dimension = element.Dimension();
    for (double x : {0.0, 10.0, 20.0}) dimension.AddPoint({x, 0, 0});
    dimension.SetSegmentText(2, "A");
    dimension.SetSegmentText(3, "*");
    dimension.InsertPoint(2, {5, 0, 0});
    EXPECT_EQ(dimension.PointCount(), 4);
    EXPECT_EQ(dimension.PointAt(2), (Point{5, 0, 0}));
    EXPECT_EQ(dimension.SegmentText(3), "A");
    EXPECT_DOUBLE_EQ(dimension.MeasuredLength(3), 5.0);
    dimension.DeletePoint(4);
    EXPECT_EQ(dimension.PointCount(), 3);
    EXPECT_THROW((void)dimension.PointAt(0), HostError);
    EXPECT_THROW((void)dimension.PointAt(4), HostError);
    EXPECT_THROW(dimension.InsertPoint(5, {}), HostError);
}

TEST(Dimension, VerticalChainMeasuresAlongY) {
    Element element = MakeDimension(Matrix3d::RotationAboutAxisIndex(2, Pi / 2));
    element.Dimension().AddPoint({0, 0, 0});
    element.Dimension().AddPoint({3, 7, 0});
    EXPECT_NEAR(element.Dimension().MeasuredLength(2), 7.0, 1e-12);
}

TEST(Properties, ValuesHaveTheirDefaultTextForm) {
    EXPECT_EQ(PropertyValue(150.0).ToText(), "150");
    EXPECT_EQ(PropertyValue(219.1).ToText(), "219.1");
    EXPECT_EQ(PropertyValue(0.1 + 0.2).ToText(), "0.30000000000000004");
    EXPECT_EQ(PropertyValue(-0.0).ToText(), "0");
    EXPECT_EQ(PropertyValue(-1200.0).ToText(), "-1200");
    EXPECT_EQ(PropertyValue(1e20).ToText(), "1e+20");
    EXPECT_EQ(PropertyValue("1001-P").ToText(), "1001-P");
    EXPECT_EQ(PropertyValue().ToText(), "");
}

TEST(Properties, SelectingAMissingAccessStringFails) {
    PropertyHandler handler({{"NOMINAL_DIAMETER", 150.0}, {"PIPELINE", "1001-P"}});
    EXPECT_EQ(handler.AccessStrings(), (std::vector<std::string>{"NOMINAL_DIAMETER", "PIPELINE"}));
    EXPECT_THROW((void)handler.SelectedValue(), HostError);
    handler.Select("PIPELINE");
    PropertyHandler copy = handler;  // a copied handler keeps its own selection
    EXPECT_EQ(copy.SelectedValue().ToText(), "1001-P");
    EXPECT_THROW(handler.Select("pipeline"), HostError);
    EXPECT_THROW((void)handler.SelectedValue(), HostError);
}

}  // namespace
}  // namespace zkl
