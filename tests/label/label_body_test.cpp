// Guards what a component's label body looks like for each frame style, where it is anchored,
// when no body is built, and where side texts go beside a point.
#include "label/label_body.h"

#include <gtest/gtest.h>

#include "cad/cad_host.h"
#include "cad/test_drawings.h"
#include "host/numbers.h"

namespace zkl {
namespace {

using cad::test::AddTo;
using cad::test::Attach;
using cad::test::BasicDrawing;
using cad::test::Translation;

// A component in a plant attachment shifted by (100, 200): its origin (1000, 2000, 0) / 100
// lands at the anchor (110, 220, 0).
const Point Anchor{110, 220, 0};

PropertyList ComponentProperties(const std::string& pipeline) {
    PropertyList properties{{"EC_CLASS_NAME", "PIPE"}, {"PIPELINE", pipeline}, {"NOMINAL_DIAMETER", 150.0}};
    const char* entries[] = {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11"};
    const double values[] = {1, 0, 0, 1000, 0, 1, 0, 2000, 0, 0, 1, 0};
    for (int i = 0; i < 12; ++i)
        properties.push_back({std::string("TRANSFORMATION_MATRIX.M") + entries[i], values[i]});
    return properties;
}

struct LabelBodyTest : ::testing::Test {
    LabelBodyTest() : host(MakeDrawing()), module(host) {
        module.settings.DimLevelName = "Piping";
        module.settings.TextStyleName = "Label";
        module.settings.TextHeight = 2;
        module.settings.TextWidth = 1.5;
        module.settings.UnderlineDistance = 0.5;
        module.settings.LabelDistance1 = 3;
        module.settings.LabelDistance2 = 2;
        plant = Attach(host.GetDrawing(), "Plant", Translation({100, 200, 0}));
        component = Component("1001-P");
    }
    static cad::Drawing MakeDrawing() {
        cad::Drawing drawing = BasicDrawing();
        drawing.activeSymbology = {"Default", 5, "0", 4};
        return drawing;
    }
    Element Component(const std::string& pipeline) {
        Element element = MakeLine({0, 0, 0}, {10, 0, 0});
        element.properties = ComponentProperties(pipeline);
        return AddTo(host.GetDrawing(), plant, element);
    }
    static ItemRows Rows(std::int16_t frameStyle,
                         std::string format = R"([PIPELINE] & "-" & [NOMINAL_DIAMETER])") {
        return {{"[EC_CLASS_NAME]", "PIPE", std::move(format), frameStyle, "EQUIPMENT"}};
    }

    cad::CadHost host;
    mdlOPM_Labeller module;
    ModelId plant = 0;
    Element component;
};

void ExpectNear(const Point& actual, const Point& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.z, expected.z, 1e-9);
}

TEST_F(LabelBodyTest, EachFrameStyleFramesTheCentredTextBox) {
    // "1001-P-150": 10 glyphs of width 1.5 and height 2, centred on the anchor.
    const Point low = Anchor + Point{-7.5, -1, 0};
    const Point high = Anchor + Point{7.5, 1, 0};
    const std::vector<std::vector<Point>> frames = {
        {},
        {{low.x, low.y - 0.5, 0}, {high.x, low.y - 0.5, 0}},
        {{low.x - 0.5, low.y - 0.5, 0},
         {high.x + 0.5, low.y - 0.5, 0},
         {high.x + 0.5, high.y + 0.5, 0},
         {low.x - 0.5, high.y + 0.5, 0},
         {low.x - 0.5, low.y - 0.5, 0}},
    };
    for (std::int16_t style = 0; style <= 3; ++style) {
        SCOPED_TRACE(style);
        std::vector<Element> body;
        ASSERT_EQ(BuildLabelBody(module, component, Rows(style), false, body), style);
        ASSERT_EQ(body.size(), style == 0 ? 1u : 2u);
        const TextGeometry& text = body[0].Text();
        EXPECT_EQ(text.text, "1001-P-150");
        EXPECT_EQ(body[0].symbology.level, "Piping");
        EXPECT_EQ(text.style, "Label");
        EXPECT_EQ(text.justification, 7);
        EXPECT_EQ(host.TextBox(body[0]), (Range{low, high}));
        if (style == 0) continue;
        EXPECT_EQ(body[1].symbology, (Symbology{"Piping", 5, "0", 4}));
        if (style == 3) {
            EXPECT_EQ(body[1].Ellipse().centre, Anchor);
        } else {
            EXPECT_EQ(body[1].type, ElementType::LineString);
            EXPECT_EQ(body[1].Linear().vertices, frames[static_cast<std::size_t>(style)]);
        }
    }
}

TEST_F(LabelBodyTest, SplitStyleDividesAtTheFirstHyphenAndKeepsATextWithoutOne) {
    const struct {
        std::string pipeline, upper, lower;
    } cases[] = {{"1001-P", "1001", "P-150"}, {"1001", "1001", "150"}};
    for (const auto& c : cases) {
        std::vector<Element> body;
        ASSERT_EQ(BuildLabelBody(module, Component(c.pipeline), Rows(4), false, body), 4);
        ASSERT_EQ(body.size(), 3u);
        EXPECT_EQ(body[0].Text().text, c.upper);
        EXPECT_EQ(body[0].Text().origin, (Anchor + Point{0, 0.25, 0}));
        EXPECT_EQ(body[0].Text().justification, 8);
        EXPECT_EQ(body[1].Text().text, c.lower);
        EXPECT_EQ(body[1].Text().origin, (Anchor + Point{0, -0.25, 0}));
        EXPECT_EQ(body[1].Text().justification, 6);
        EXPECT_EQ(body[2].Ellipse().centre, Anchor);
    }
    // A text with no "-" at all stays whole in the upper half.
    std::vector<Element> body;
    ASSERT_EQ(BuildLabelBody(module, component, Rows(4, "[NOMINAL_DIAMETER]"), false, body), 4);
    EXPECT_EQ(body[0].Text().text, "150");
    EXPECT_EQ(body[1].Text().text, "");
}

TEST_F(LabelBodyTest, CircleRadiusIsFiveWhateverTheTextHeight) {
    for (double height : {0.5, 2.0, 40.0}) {
        module.settings.TextHeight = height;
        for (std::int16_t style : {3, 4}) {
            std::vector<Element> body;
            BuildLabelBody(module, component, Rows(style), false, body);
            EXPECT_EQ(body.back().Ellipse().primaryRadius, 5.0) << height;
            EXPECT_EQ(body.back().Ellipse().secondaryRadius, 5.0) << height;
        }
    }
}

TEST_F(LabelBodyTest, NoRowNoTextOrAStyleOutsideTheTableLeavesTheBodyAlone) {
    const std::vector<Element> before = {MakeText("old", {1, 2, 0})};
    const struct {
        ItemRows rows;
        std::int16_t result;
    } cases[] = {
        {{{"[EC_CLASS_NAME]", "VALVE", "[PIPELINE]", 0, ""}}, -1},
        {Rows(1, "[NO_SUCH_PROPERTY]"), -1},
        {Rows(1, R"("")"), -1},
        {Rows(7), 7},
        {Rows(5), 5},
    };
    for (const auto& c : cases) {
        std::vector<Element> body = before;
        EXPECT_EQ(BuildLabelBody(module, component, c.rows, false, body), c.result);
        EXPECT_EQ(body, before);
    }
}

TEST_F(LabelBodyTest, AtOriginBuildsAroundZeroButStillReadsTheKeyPoints) {
    std::vector<Element> body;
    ASSERT_EQ(BuildLabelBody(module, component, Rows(2), true, body), 2);
    EXPECT_EQ(host.TextBox(body[0]), (Range{{-7.5, -1, 0}, {7.5, 1, 0}}));
    EXPECT_EQ(body[1].Linear().vertices.front(), (Point{-8, -1.5, 0}));
    ASSERT_EQ(BuildLabelBody(module, component, Rows(4), true, body), 4);
    EXPECT_EQ(body[2].Ellipse().centre, Point{});

    Element unplaced = component;
    std::erase_if(unplaced.properties,
                  [](const Property& p) { return p.accessString == "TRANSFORMATION_MATRIX.M03"; });
    EXPECT_THROW(BuildLabelBody(module, AddTo(host.GetDrawing(), plant, unplaced), Rows(0), true, body),
                 ConversionError);
}

TEST_F(LabelBodyTest, MissingLevelOrTextStyleIsAHostErrorAndBuildsNothing) {
    const LabellerSettings good = module.settings;
    for (auto field : {&LabellerSettings::DimLevelName, &LabellerSettings::TextStyleName}) {
        module.settings = good;
        module.settings.*field = "Nowhere";
        std::vector<Element> body;
        EXPECT_THROW(BuildLabelBody(module, component, Rows(1), false, body), HostError);
        EXPECT_TRUE(body.empty());
    }
}

TEST_F(LabelBodyTest, SideTextsSitBesideThePointAndUpperSidesReadUpwards) {
    // Distance 3 + 10 + 2 = 15 from the point, 0.5 across.
    const Point p{50, 60, 0};
    const struct {
        const char* side;
        Point origin;
        int justification;
        bool upright;
    } cases[] = {
        {"LEFT", {35, 60.5, 0}, 14, false},
        {"RIGHT", {65, 60.5, 0}, 2, false},
        {"TOP", {49.5, 75, 0}, 2, true},
        {"BOTTOM", {49.5, 45, 0}, 14, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side);
        const Element text = PlaceSideText(module, "A1", p, c.side, 10);
        ASSERT_TRUE(text.IsInModel());
        EXPECT_EQ(host.GetElement(ActiveModelId, text.id), text);
        EXPECT_EQ(text.Text().origin, c.origin);
        EXPECT_EQ(text.Text().justification, c.justification);
        EXPECT_FALSE(text.Text().fixedOrigin);
        EXPECT_EQ(text.symbology.level, "Piping");
        ExpectNear(text.Text().rotation.Column(0), c.upright ? Point{0, 1, 0} : Point{1, 0, 0});
    }
    // The TOP text stands left of the point's vertical and starts d above it.
    const Range top = host.TextBox(PlaceSideText(module, "A1", p, "TOP", 10));
    ExpectNear(top.high, {49.5, 78, 0});
    ExpectNear(top.low, {47.5, 75, 0});

    EXPECT_THROW(PlaceSideText(module, "A1", p, "top", 10), std::invalid_argument);
}

}  // namespace
}  // namespace zkl
