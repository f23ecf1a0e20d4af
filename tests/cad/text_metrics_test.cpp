// Guards the text box rule the renderer and label placement share: glyph counting,
// justification and rotation of the box about the text origin.
#include "cad/text_metrics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zkl::cad {
namespace {

// "ABCD" at (10, 20), glyph width 1 and height 2: a 4 x 2 box.
TextGeometry FourGlyphText(int justification, double angle = 0.0) {
    TextGeometry text;
    text.text = "ABCD";
    text.origin = {10, 20, 3};
    text.width = 1;
    text.height = 2;
    text.justification = justification;
    text.rotation = Matrix3d::RotationAboutAxisIndex(2, angle);
    return text;
}

void ExpectRange(const Range& actual, const Range& expected, const std::string& what) {
    EXPECT_NEAR(actual.low.x, expected.low.x, 1e-12) << what;
    EXPECT_NEAR(actual.low.y, expected.low.y, 1e-12) << what;
    EXPECT_NEAR(actual.high.x, expected.high.x, 1e-12) << what;
    EXPECT_NEAR(actual.high.y, expected.high.y, 1e-12) << what;
}

TEST(TextMetrics, EachJustificationPlacesTheBoxAboutTheOrigin) {
    struct Case {
        int justification;
        Range box;
    };
    const Case cases[] = {
        {0, {{10, 18}, {14, 20}}},   // left-top
        {2, {{10, 20}, {14, 22}}},   // left-bottom
        {5, {{10, 20}, {14, 22}}},   // left margin acts as left
        {6, {{8, 18}, {12, 20}}},    // centre-top
        {7, {{8, 19}, {12, 21}}},    // centre-centre
        {8, {{8, 20}, {12, 22}}},    // centre-bottom
        {10, {{6, 19}, {10, 21}}},   // right margin acts as right
        {14, {{6, 20}, {10, 22}}},   // right-bottom
        {15, {{10, 20}, {14, 22}}},  // out of range acts as left-bottom
        {-1, {{10, 20}, {14, 22}}},
    };
    for (const auto& c : cases)
        ExpectRange(TextBoxRange(FourGlyphText(c.justification)), c.box,
                    "justification " + std::to_string(c.justification));
}

TEST(TextMetrics, QuarterTurnTurnsTheBoxAboutTheOrigin) {
    // Reading upwards, the text's top points to -x.
    ExpectRange(TextBoxRange(FourGlyphText(2, Pi / 2)), {{8, 20}, {10, 24}}, "left-bottom");
    ExpectRange(TextBoxRange(FourGlyphText(14, Pi / 2)), {{8, 16}, {10, 20}}, "right-bottom");
    ExpectRange(TextBoxRange(FourGlyphText(7, Pi / 2)), {{9, 18}, {11, 22}}, "centre-centre");
}

TEST(TextMetrics, CornersRunCounterClockwiseFromTheBaselineStart) {
    const auto corners = TextCorners(FourGlyphText(2, Pi / 2));
    const Point expected[] = {{10, 20, 3}, {10, 24, 3}, {8, 24, 3}, {8, 20, 3}};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        EXPECT_NEAR(corners[i].x, expected[i].x, 1e-12) << i;
        EXPECT_NEAR(corners[i].y, expected[i].y, 1e-12) << i;
        EXPECT_NEAR(corners[i].z, expected[i].z, 1e-12) << i;
    }
    EXPECT_EQ(TextBoxRange(FourGlyphText(2)).low.z, 3);
}

TEST(TextMetrics, GlyphsAreCodePointsNotBytes) {
    EXPECT_EQ(GlyphCount(""), 0);
    EXPECT_EQ(GlyphCount("DN150"), 5);
    EXPECT_EQ(GlyphCount("\xC3\x98"
                         "1\xC2\xBD"),
              3);                                              // "Ø1½"
    EXPECT_EQ(GlyphCount("\xE2\x82\xAC\xF0\x9F\x94\xA7"), 2);  // three- and four-byte sequences

    TextGeometry accented = FourGlyphText(2);
    accented.text = "\xC3\x98\xC3\x98";  // "ØØ"
    EXPECT_DOUBLE_EQ(TextBoxRange(accented).high.x, 12);

    TextGeometry empty = FourGlyphText(7);
    empty.text.clear();
    ExpectRange(TextBoxRange(empty), {{10, 19}, {10, 21}}, "an empty text keeps its height");
}

}  // namespace
}  // namespace zkl::cad
