// Guards what a dimension draws: where its lines, terminators and texts go, the measured
// texts with their half-to-even rounding, and the reading direction of vertical dimensions.
#include "cad/dimension_graphics.h"

#include <gtest/gtest.h>

#include "cad/element_geometry.h"
#include "cad/text_metrics.h"

namespace zkl::cad {
namespace {

DimensionStyle Style(int decimals) {
    DimensionStyle style;
    style.name = "Plant";
    style.textHeight = 2.5;
    style.decimals = decimals;
    return style;
}

// A chain through `points` measured along the rotation's x, every segment showing "*".
Element Chain(const std::vector<Point>& points, const Matrix3d& rotation, double offset) {
    Element dimension = MakeDimension(rotation);
    auto& geometry = dimension.Dimension();
    for (const Point& p : points) geometry.AddPoint(p);
    for (int i = 2; i <= geometry.PointCount(); ++i) geometry.SetSegmentText(i, "*");
    geometry.offset = offset;
    geometry.scale = 2;  // text height 5 with the style's 2.5
    dimension.symbology = {"DIM", 3, "0", 1};
    return dimension;
}

std::vector<Element> OfType(const std::vector<Element>& graphics, ElementType type) {
    std::vector<Element> result;
    for (const Element& e : graphics)
        if (e.type == type) result.push_back(e);
    return result;
}

void ExpectNear(const Point& actual, const Point& expected, const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

TEST(DimensionGraphics, HorizontalChainDrawsMeasuredTextsOverEachSegment) {
    const Element dimension = Chain({{0, 0}, {12.5, 0}, {30, 0}}, Matrix3d::Identity(), 10);
    const auto graphics = DimensionGraphics(dimension, Style(1));
    for (const Element& e : graphics) EXPECT_EQ(e.symbology, dimension.symbology);

    const auto texts = OfType(graphics, ElementType::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text().text, "12.5");
    EXPECT_EQ(texts[1].Text().text, "17.5");
    // Half a text height above the dimension line at y = 10, centred over each segment.
    ExpectNear(texts[0].Text().origin, {6.25, 12.5}, "first text");
    ExpectNear(texts[1].Text().origin, {21.25, 12.5}, "second text");
    EXPECT_EQ(texts[0].Text().justification, 8);
    EXPECT_DOUBLE_EQ(texts[0].Text().height, 5);
    EXPECT_DOUBLE_EQ(texts[0].Text().width, 4);

    // Extension lines run from each point past the dimension line by half a text height,
    // then come the two segments of the dimension line.
    const auto lines = OfType(graphics, ElementType::Line);
    ASSERT_GE(lines.size(), 5u);
    const double xs[] = {0, 12.5, 30};
    for (std::size_t i = 0; i < 3; ++i) {
        ExpectNear(lines[i].Linear().vertices[0], {xs[i], 0}, "extension start");
        ExpectNear(lines[i].Linear().vertices[1], {xs[i], 12.5}, "extension end");
    }
    ExpectNear(lines[3].Linear().vertices[0], {0, 10}, "dimension line");
    ExpectNear(lines[3].Linear().vertices[1], {12.5, 10}, "dimension line");
}

TEST(DimensionGraphics, TerminatorOptionChoosesWhatEndsEachSegment) {
    struct Case {
        int terminator;
        std::size_t lines;  // extension lines + dimension lines + terminator lines
        std::size_t shapes;
    };
    for (const Case& c : {Case{0, 5, 0}, Case{1, 5 + 8, 0}, Case{2, 5, 4}, Case{3, 5 + 4, 0}}) {
        Element dimension = Chain({{0, 0}, {12.5, 0}, {30, 0}}, Matrix3d::Identity(), 10);
        dimension.Dimension().options.terminator = c.terminator;
        const auto graphics = DimensionGraphics(dimension, Style(1));
        EXPECT_EQ(OfType(graphics, ElementType::Line).size(), c.lines) << c.terminator;
        EXPECT_EQ(OfType(graphics, ElementType::Shape).size(), c.shapes) << c.terminator;
    }
    // Arrows point outwards: their tips are the segment ends, their backs inside the segment.
    const auto lines = OfType(DimensionGraphics(Chain({{0, 0}, {30, 0}}, Matrix3d::Identity(), 10), Style(0)),
                              ElementType::Line);
    ASSERT_EQ(lines.size(), 3u + 4u);
    ExpectNear(lines[3].Linear().vertices[0], {0, 10}, "first arrow tip");
    EXPECT_NEAR(lines[3].Linear().vertices[1].x, 5, 1e-9);
    ExpectNear(lines[5].Linear().vertices[0], {30, 10}, "second arrow tip");
    EXPECT_NEAR(lines[5].Linear().vertices[1].x, 25, 1e-9);
}

TEST(DimensionGraphics, VerticalChainReadsAlongItsMeasuringDirection) {
    // Measuring along +y; the offset -5 puts the line to the right, at x = 5.
    const Element dimension =
        Chain({{0, 0}, {0, 10}, {0, 25}}, Matrix3d::RotationAboutAxisIndex(2, Pi / 2), -5);
    const auto texts = OfType(DimensionGraphics(dimension, Style(0)), ElementType::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text().text, "10");
    EXPECT_EQ(texts[1].Text().text, "15");
    const auto corners = TextCorners(texts[0].Text());
    const Point reading = corners[1] - corners[0];
    EXPECT_NEAR(reading.x, 0, 1e-9);
    EXPECT_GT(reading.y, 0);
    // On the side away from the points, half a text height clear of the line.
    const Range box = TextBoxRange(texts[0].Text());
    EXPECT_NEAR(box.low.x, 7.5, 1e-9);
    EXPECT_NEAR(box.high.x, 12.5, 1e-9);
    EXPECT_NEAR((box.low.y + box.high.y) / 2, 5, 1e-9);
}

TEST(DimensionGraphics, NegativeOffsetKeepsTextClearBelowTheLine) {
    const Element dimension = Chain({{0, 0}, {20, 3}}, Matrix3d::Identity(), -10);
    const auto graphics = DimensionGraphics(dimension, Style(0));
    const auto texts = OfType(graphics, ElementType::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NEAR(TextBoxRange(texts[0].Text()).high.y, -12.5, 1e-9);
    // The second point lies off point 1's line; its extension line still ends past the line.
    const auto lines = OfType(graphics, ElementType::Line);
    ExpectNear(lines[1].Linear().vertices[0], {20, 3}, "extension from the point");
    ExpectNear(lines[1].Linear().vertices[1], {20, -12.5}, "extension past the line");
}

TEST(DimensionGraphics, MeasuredTextsRoundHalfToEven) {
    struct Case {
        double length;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {2.5, 0, "2"},      {3.5, 0, "4"},
        {0.25, 1, "0.2"},   {0.35, 1, "0.4"},
        {10.35, 1, "10.4"}, {-7.25, 1, "7.2"},
        {2.675, 2, "2.68"}, {1.005, 2, "1.00"},
        {12, 2, "12.00"},   {1234567.5, 0, "1234568"},
        {0.04, 1, "0.0"},
    };
    for (const auto& c : cases) {
        const Element dimension = Chain({{0, 0}, {c.length, 0}}, Matrix3d::Identity(), 5);
        EXPECT_EQ(SegmentDisplayText(dimension.Dimension(), 2, Style(c.decimals)), c.expected) << c.length;
    }
    Element custom = Chain({{0, 0}, {10, 0}, {20, 0}}, Matrix3d::Identity(), 5);
    custom.Dimension().SetSegmentText(2, "DN100");
    custom.Dimension().SetSegmentText(3, "");
    EXPECT_EQ(SegmentDisplayText(custom.Dimension(), 2, Style(0)), "DN100");
    const auto texts = OfType(DimensionGraphics(custom, Style(0)), ElementType::Text);
    ASSERT_EQ(texts.size(), 1u);  // an empty segment text draws nothing
    EXPECT_EQ(texts[0].Text().text, "DN100");
}

TEST(DimensionGraphics, MarginAndOvershootCountInTenthsOfTheTextHeight) {
    struct Case {
        double textMargin;
        double overshoot;
        double textBottom;  // above the line at y = 10, h = 5
        double extensionEnd;
    };
    for (const Case& c : {Case{5, 5, 12.5, 12.5}, Case{3, 2, 11.5, 11}, Case{0, 0, 10, 10}}) {
        Element dimension = Chain({{0, 0}, {30, 0}}, Matrix3d::Identity(), 10);
        dimension.Dimension().options = {2, c.textMargin, c.overshoot};
        const auto graphics = DimensionGraphics(dimension, Style(0));
        const auto texts = OfType(graphics, ElementType::Text);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NEAR(TextBoxRange(texts[0].Text()).low.y, c.textBottom, 1e-9) << c.textMargin;
        EXPECT_NEAR(OfType(graphics, ElementType::Line)[0].Linear().vertices[1].y, c.extensionEnd, 1e-9)
            << c.overshoot;
    }
}

TEST(DimensionGraphics, ChainRangeEndsExactlyAtItsOuterPointsInEitherDirection) {
    // Coordinates with no exact binary form, and a quarter turn made from cos(pi/2): the
    // range along the chain must still be the outer points' span to the last bit.
    const auto styles = [](const std::string&) { return Style(1); };
    struct Case {
        Matrix3d rotation;
        std::vector<Point> points;
        double offset;
    };
    const Case cases[] = {
        {Matrix3d::Identity(), {{10.1, 3.3}, {40.7, 3.3}, {77.3, 3.3}}, -8},
        {Matrix3d::RotationAboutAxisIndex(2, Pi / 2), {{3.3, 10.1}, {3.3, 40.7}, {3.3, 77.3}}, 8},
        {Matrix3d::RotationAboutAxisIndex(2, Pi / 2), {{93.3, 10.1}, {93.3, 40.7}, {93.3, 77.3}}, -8},
    };
    for (const Case& c : cases) {
        Element dimension = Chain(c.points, c.rotation, c.offset);
        dimension.Dimension().options = {2, 3, 2};
        const Range range = ElementRange(dimension, styles);
        const bool alongX = c.rotation.At(0, 0) == 1.0;
        EXPECT_EQ(alongX ? range.low.x : range.low.y, 10.1);
        EXPECT_EQ(alongX ? range.high.x : range.high.y, 77.3);
        // The dimension line lies outside the points, where the offset puts it.
        const Point foot =
            OfType(DimensionGraphics(dimension, Style(1)), ElementType::Line)[0].Linear().vertices[1];
        const double expected =
            alongX ? 3.3 - 8 - 0.2 * 5 : c.points[0].x - c.offset + (c.offset > 0 ? -1 : 1);
        EXPECT_NEAR(alongX ? foot.y : foot.x, expected, 1e-9);
    }
}

}  // namespace
}  // namespace zkl::cad
