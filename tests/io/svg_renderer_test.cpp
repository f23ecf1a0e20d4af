// Guards the SVG picture of a sheet: every element kind drawn where the engine says it is,
// texts filling their boxes, attachments moved and dimmed, hostile text kept as text, and
// the same bytes for the same drawing.
#include "io/svg_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "cad/text_metrics.h"
#include "io/svg_reading.h"
#include "io/svg_symbology.h"
#include "io/svg_writer.h"

namespace zkl::io {
namespace {

using zkl::svg_reading::Count;
using zkl::svg_reading::FindTags;
using zkl::svg_reading::Group;
using zkl::svg_reading::MatrixOf;
using zkl::svg_reading::Tag;
using zkl::svg_reading::WellFormed;

// ---- Drawings ----------------------------------------------------------------------------

Element WithSymbology(Element element, int colour, int weight = 0, std::string lineStyle = "0") {
    element.symbology.colour = colour;
    element.symbology.weight = weight;
    element.symbology.lineStyle = std::move(lineStyle);
    return element;
}

Element Text(const std::string& content, const Point& origin, double angle = 0.0, int justification = 2) {
    Element text = MakeText(content, origin, Matrix3d::RotationAboutAxisIndex(2, angle));
    text.Text().height = 2.0;
    text.Text().width = 1.5;
    text.Text().justification = justification;
    return text;
}

Element Dimension(std::vector<Point> points, const std::string& style) {
    Element dimension = MakeDimension(Matrix3d::Identity());
    for (const Point& p : points) dimension.Dimension().AddPoint(p);
    for (int number = 2; number <= dimension.Dimension().PointCount(); ++number)
        dimension.Dimension().SetSegmentText(number, "*");
    dimension.Dimension().style = style;
    dimension.Dimension().offset = 5.0;
    return dimension;
}

ElementId Add(cad::Drawing& drawing, Element element, ModelId model = ActiveModelId) {
    return drawing.Add(model, element);
}

cad::Drawing EveryKindDrawing() {
    cad::Drawing drawing;
    drawing.dimensionStyles.push_back({"measure", 2.5, 1, {}});
    Add(drawing, MakeLine({0, 0, 0}, {10, 0, 0}));
    Add(drawing, MakeLineString({{0, 5, 0}, {5, 10, 0}, {10, 5, 0}}));
    Add(drawing, MakeShape({{20, 0, 0}, {30, 0, 0}, {30, 10, 0}, {20, 10, 0}}));
    Add(drawing, MakeEllipse({40, 5, 0}, 4, 2));
    Add(drawing, Text("ABC", {0, 20, 0}));
    Add(drawing,
        MakeCell("ZKL_Label", {MakeLine({50, 0, 0}, {55, 5, 0}), Text("P-101", {55, 5, 0})}, {50, 0, 0}));
    Add(drawing, Dimension({{0, -10, 0}, {12.25, -10, 0}}, "measure"));
    return drawing;
}

// ---- Tests -------------------------------------------------------------------------------

TEST(SvgRenderer, EveryElementKindIsDrawnInItsOwnGroup) {
    const std::string svg = RenderSvg(EveryKindDrawing());
    EXPECT_TRUE(WellFormed(svg));

    const std::vector<std::pair<std::string, std::size_t>> groups{
        {"<g class=\"line\" data-id=\"1\"", 1},      {"<g class=\"line-string\" data-id=\"2\"", 1},
        {"<g class=\"shape\" data-id=\"3\"", 1},     {"<g class=\"ellipse\" data-id=\"4\"", 1},
        {"<g class=\"text\" data-id=\"5\"", 1},      {"<g class=\"cell ZKL_Label\" data-id=\"6\"", 1},
        {"<g class=\"dimension\" data-id=\"7\"", 1},
    };
    for (const auto& [group, count] : groups) EXPECT_EQ(Count(svg, group), count) << group;

    const auto polylines = FindTags(svg, "polyline");
    ASSERT_EQ(polylines.size(), 1u);
    EXPECT_EQ(polylines[0]["points"], "0,5 5,10 10,5");
    // A polygon closes itself: the repeated first vertex is left out.
    const auto polygons = FindTags(svg, "polygon");
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0]["points"], "20,0 30,0 30,10 20,10");
    EXPECT_EQ(polygons[0]["fill"], "<missing>") << "shapes are outlines";

    const auto line = FindTags(Group(svg, "data-id=\"1\""), "line");
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0]["x1"] + " " + line[0]["y1"] + " " + line[0]["x2"] + " " + line[0]["y2"], "0 0 10 0");
}

TEST(SvgRenderer, SheetIsFlippedOnceAndViewBoxHoldsEverythingDrawn) {
    const std::string svg = RenderSvg(EveryKindDrawing(), {.marginShare = 0.0, .minimumMargin = 1.0});
    EXPECT_EQ(Count(svg, "scale(1 -1)"), 1u);
    const auto root = FindTags(svg, "svg");
    ASSERT_EQ(root.size(), 1u);
    std::istringstream box(root[0]["viewBox"]);
    double x = 0, y = 0, width = 0, height = 0;
    box >> x >> y >> width >> height;
    // Drawn x runs from the line string at 0 to the end of the cell's text "P-101" at
    // 55 + 5 * 1.5; y from the dimension's extension lines below -10 to the top of "ABC" at
    // 22. Flipped, y becomes -y.
    EXPECT_NEAR(x, -1.0, 1e-9);
    EXPECT_NEAR(x + width, 63.5, 1e-9);
    EXPECT_NEAR(y, -23.0, 1e-9);
    EXPECT_LT(-(y + height), -10.0);
}

TEST(SvgRenderer, TextFillsItsBoxFromTheBottomLeftCorner) {
    struct Case {
        const char* text;
        double angle;
        int justification;
    };
    const Case cases[]{
        {"ABC", 0.0, 2}, {"P-101", Pi / 6, 7}, {"Zürich", Pi / 2, 14}, {"X", -Pi / 4, 0}, {"", 0.0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " justification " + std::to_string(c.justification));
        cad::Drawing drawing;
        const Element text = Text(c.text, {10, 20, 0}, c.angle, c.justification);
        Add(drawing, text);
        const auto tags = FindTags(RenderSvg(drawing), "text");
        ASSERT_EQ(tags.size(), 1u);
        const Tag& tag = tags[0];

        const auto corners = cad::TextCorners(text.Text());
        const std::vector<double> matrix = MatrixOf(tag["transform"]);
        ASSERT_EQ(matrix.size(), 6u);
        EXPECT_NEAR(matrix[4], corners[0].x, 1e-6);
        EXPECT_NEAR(matrix[5], corners[0].y, 1e-6);
        // Reading direction along the text's rotation; glyph "down" is the text's -y.
        EXPECT_NEAR(matrix[0], std::cos(c.angle), 1e-6);
        EXPECT_NEAR(matrix[1], std::sin(c.angle), 1e-6);
        EXPECT_NEAR(matrix[2], std::sin(c.angle), 1e-6);
        EXPECT_NEAR(matrix[3], -std::cos(c.angle), 1e-6);

        EXPECT_EQ(tag["font-family"], "monospace");
        EXPECT_NEAR(tag.Number("font-size"), 2.0, 1e-9);
        const double boxWidth = Distance(corners[0], corners[1]);
        if (boxWidth > 0) {
            EXPECT_NEAR(tag.Number("textLength"), boxWidth, 1e-6);
            EXPECT_EQ(tag["lengthAdjust"], "spacingAndGlyphs");
        } else {
            EXPECT_EQ(tag["textLength"], "<missing>");
        }
        EXPECT_EQ(tag.content, c.text);
    }
}

TEST(SvgRenderer, EllipseAxesFollowItsRotationMatrix) {
    struct Case {
        const char* name;
        Matrix3d rotation;
        double rx, ry, angle;
    };
    const Case cases[]{
        {"unrotated", Matrix3d::Identity(), 4, 2, 0},
        {"turned 30 degrees", Matrix3d::RotationAboutAxisIndex(2, Pi / 6), 4, 2, 30},
        {"turned -60 degrees", Matrix3d::RotationAboutAxisIndex(2, -Pi / 3), 4, 2, -60},
        // Local axes swapped (a mirror): the primary axis lies along world y.
        {"mirrored", Matrix3d::FromRows({0, 1, 0}, {1, 0, 0}, {0, 0, -1}), 4, 2, 90},
        // Tilted 60 degrees about x: the secondary axis is seen shortened by half.
        {"tilted", Matrix3d::RotationAboutAxisIndex(0, Pi / 3), 4, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cad::Drawing drawing;
        Add(drawing, MakeEllipse({5, 6, 0}, 4, 2, c.rotation));
        const auto tags = FindTags(RenderSvg(drawing), "ellipse");
        ASSERT_EQ(tags.size(), 1u);
        EXPECT_NEAR(tags[0].Number("cx"), 5, 1e-9);
        EXPECT_NEAR(tags[0].Number("cy"), 6, 1e-9);
        EXPECT_NEAR(tags[0].Number("rx"), c.rx, 1e-6);
        EXPECT_NEAR(tags[0].Number("ry"), c.ry, 1e-6);
        double angle = 0;
        if (tags[0]["transform"] != "<missing>") {
            std::istringstream in(tags[0]["transform"].substr(7));
            in >> angle;
            EXPECT_EQ(tags[0]["transform"].substr(tags[0]["transform"].find(' ')), " 5 6)");
        }
        // An ellipse turned by 180 degrees is the same ellipse.
        EXPECT_NEAR(std::remainder(angle - c.angle, 180.0), 0.0, 1e-6);
    }
}

TEST(SvgRenderer, CellsAreDrawnRecursivelyInsideTheirGroups) {
    cad::Drawing drawing;
    Element inner = MakeCell("Inner", {MakeLine({0, 0, 0}, {1, 1, 0}), Text("T", {1, 1, 0})}, {0, 0, 0});
    Add(drawing, MakeCell("Outer", {inner, MakeEllipse({3, 3, 0}, 1, 1)}, {0, 0, 0}));
    const std::string svg = RenderSvg(drawing);
    EXPECT_TRUE(WellFormed(svg));

    const std::string outer = Group(svg, "class=\"cell Outer\"");
    const std::string innerGroup = Group(svg, "class=\"cell Inner\"");
    ASSERT_FALSE(innerGroup.empty());
    EXPECT_NE(outer.find(innerGroup), std::string::npos) << "the inner cell sits inside the outer one";
    EXPECT_EQ(FindTags(innerGroup, "line").size(), 1u);
    EXPECT_EQ(FindTags(innerGroup, "text").size(), 1u);
    EXPECT_EQ(FindTags(innerGroup, "ellipse").size(), 0u);
    EXPECT_EQ(FindTags(outer, "ellipse").size(), 1u);
    // Components are not model elements and carry no id.
    EXPECT_EQ(Count(svg, "data-id="), 1u);
}

TEST(SvgRenderer, DeepCellsAreIndentedNoFurtherThanSixteenLevelsSoThePictureGrowsLinearly) {
    // Cells `levels` deep, each level the same cell around the next, the last around a line.
    const auto picture = [](int levels) {
        Element cell = MakeCell("C", {MakeLine({0, 0, 0}, {1, 1, 0})}, {0, 0, 0});
        for (int level = 2; level <= levels; ++level) {
            std::vector<Element> parts;
            parts.push_back(std::move(cell));
            cell = MakeCell("C", std::move(parts), {0, 0, 0});
        }
        cad::Drawing drawing;
        Add(drawing, std::move(cell));
        return RenderSvg(drawing);
    };
    const std::string deepest = picture(MaxCellNesting);
    EXPECT_TRUE(WellFormed(deepest));
    EXPECT_EQ(Count(deepest, "class=\"cell C\""), static_cast<std::size_t>(MaxCellNesting));
    std::size_t widestIndent = 0;
    std::istringstream lines(deepest);
    for (std::string line; std::getline(lines, line);)
        widestIndent = std::max(widestIndent, line.find_first_not_of(' '));
    EXPECT_EQ(widestIndent, 2u * 16);
    // Beyond the indentation limit every further level adds the same bytes.
    const std::size_t at32 = picture(32).size(), at48 = picture(48).size();
    EXPECT_EQ(deepest.size() - at48, at48 - at32);
}

TEST(SvgRenderer, DimensionShowsItsMeasuredTexts) {
    cad::Drawing drawing;
    drawing.dimensionStyles.push_back({"two-decimals", 2.5, 2, {}});
    Add(drawing, Dimension({{0, 0, 0}, {12.25, 0, 0}, {20, 0, 0}}, "two-decimals"));
    // A style the design file lacks still draws, with the default style's rounding.
    Add(drawing, Dimension({{0, 50, 0}, {7.4, 50, 0}}, "missing"));
    const std::string svg = RenderSvg(drawing);

    std::vector<std::string> texts;
    for (const Tag& tag : FindTags(svg, "text")) texts.push_back(tag.content);
    EXPECT_EQ(texts, (std::vector<std::string>{"12.25", "7.75", "7"}));
    EXPECT_GE(FindTags(Group(svg, "data-id=\"1\""), "line").size(), 3u);
}

TEST(SvgRenderer, VerticalChainDrawsFilledArrowsAndTextsReadingUpwards) {
    cad::Drawing drawing;
    drawing.dimensionStyles.push_back({"chain", 2.5, 0, {}});
    Element chain = Dimension({{0, 0, 0}, {0, 10, 0}, {0, 30, 0}}, "chain");
    chain.Dimension().rotation = Matrix3d::RotationAboutAxisIndex(2, Pi / 2);
    chain.Dimension().options = {2, 3, 2};
    chain.Dimension().offset = 8;  // the dimension line at x = -8, texts further left
    chain.symbology.colour = 3;
    Add(drawing, chain);
    const std::string svg = RenderSvg(drawing);
    EXPECT_TRUE(WellFormed(svg));

    // Two arrows per segment, filled with the dimension's colour.
    const auto arrows = FindTags(svg, "polygon");
    ASSERT_EQ(arrows.size(), 4u);
    for (const Tag& arrow : arrows) EXPECT_EQ(arrow["fill"], ColourOf(3));

    const auto texts = FindTags(svg, "text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].content, "10");
    EXPECT_EQ(texts[1].content, "20");
    for (const Tag& text : texts) {
        // Reading direction (0, 1) exactly; the baseline 0.3 text heights left of the line.
        const std::vector<double> matrix = MatrixOf(text["transform"]);
        ASSERT_EQ(matrix.size(), 6u);
        EXPECT_EQ(matrix[0], 0.0);
        EXPECT_EQ(matrix[1], 1.0);
        EXPECT_NEAR(matrix[4], -8 - 0.75, 1e-9);
    }
    // Extension lines run from the points 0.2 text heights past the line.
    const auto lines = FindTags(svg, "line");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NEAR(lines[0].Number("x1"), 0, 1e-9);
    EXPECT_NEAR(lines[0].Number("x2"), -8.5, 1e-9);
}

TEST(SvgRenderer, AttachmentsAreMovedIntoActiveCoordinatesAndDimmed) {
    cad::Drawing drawing;
    Add(drawing, MakeLine({0, 0, 0}, {1, 0, 0}));
    cad::Attachment shown;
    shown.name = "plant";
    // Turned a quarter about z and moved to (100, 0).
    shown.toActive =
        Transform3d::FromMatrixAndTranslation(Matrix3d::RotationAboutAxisIndex(2, Pi / 2), {100, 0, 0});
    cad::Attachment hidden;
    hidden.name = "hidden";
    hidden.displayed = false;
    drawing.attachments.push_back(std::move(shown));
    drawing.attachments.push_back(std::move(hidden));
    Add(drawing, MakeLine({0, 0, 0}, {10, 0, 0}), 1);
    Add(drawing, Text("AB", {0, 0, 0}), 1);
    Add(drawing, MakeLine({500, 500, 0}, {600, 600, 0}), 2);

    const std::string svg = RenderSvg(drawing, {.attachmentOpacity = 0.4});
    EXPECT_TRUE(WellFormed(svg));
    const std::string attachment = Group(svg, "class=\"attachment\"");
    ASSERT_FALSE(attachment.empty());
    const auto group = FindTags(svg, "g");
    const auto attachmentGroup =
        std::find_if(group.begin(), group.end(), [](const Tag& tag) { return tag["class"] == "attachment"; });
    EXPECT_EQ((*attachmentGroup)["data-name"], "plant");
    EXPECT_NEAR(attachmentGroup->Number("opacity"), 0.4, 1e-9);

    const auto lines = FindTags(attachment, "line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].Number("x1"), 100, 1e-9);
    EXPECT_NEAR(lines[0].Number("y1"), 0, 1e-9);
    EXPECT_NEAR(lines[0].Number("x2"), 100, 1e-9);
    EXPECT_NEAR(lines[0].Number("y2"), 10, 1e-9);
    const auto texts = FindTags(attachment, "text");
    ASSERT_EQ(texts.size(), 1u);
    const std::vector<double> matrix = MatrixOf(texts[0]["transform"]);
    EXPECT_NEAR(matrix[0], 0, 1e-9);  // reads upwards now
    EXPECT_NEAR(matrix[1], 1, 1e-9);

    // The hidden attachment draws nothing, and the view box ignores it.
    EXPECT_EQ(Count(svg, "hidden"), 0u);
    EXPECT_EQ(FindTags(svg, "line").size(), 2u);
    std::istringstream box(FindTags(svg, "svg")[0]["viewBox"]);
    double x = 0, y = 0, width = 0;
    box >> x >> y >> width;
    EXPECT_LT(x + width, 200.0);
}

TEST(SvgRenderer, HostileTextStaysText) {
    cad::Drawing drawing;
    Add(drawing, Text("<script>alert(1)</script>", {0, 0, 0}));
    Add(drawing, Text("a & b \"quoted\" 'single'\x01\x1f end \xff", {0, 5, 0}));
    Add(drawing, MakeCell("x\"><script>", {MakeLine({0, 0, 0}, {1, 1, 0})}, {0, 0, 0}));
    const std::string svg = RenderSvg(drawing);

    EXPECT_TRUE(WellFormed(svg));
    EXPECT_EQ(Count(svg, "<script"), 0u);
    const auto texts = FindTags(svg, "text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].content, "&lt;script&gt;alert(1)&lt;/script&gt;");
    EXPECT_EQ(texts[1].content, "a &amp; b &quot;quoted&quot; &apos;single&apos; end \xEF\xBF\xBD");
    EXPECT_NE(svg.find("data-name=\"x&quot;&gt;&lt;script&gt;\""), std::string::npos);
}

TEST(SvgRenderer, SymbologyGivesColourWidthAndDashes) {
    cad::Drawing drawing;
    drawing.lineStyles.push_back({"dashed", {2.0, 1.0}});
    drawing.lineStyles.push_back({"broken", {-1.0, 2.0}});
    Add(drawing, WithSymbology(MakeLine({0, 0, 0}, {1, 0, 0}), 3, 2, "dashed"));
    Add(drawing, WithSymbology(MakeLine({0, 1, 0}, {1, 1, 0}), 0, 0, "no such style"));
    Add(drawing, WithSymbology(MakeLine({0, 2, 0}, {1, 2, 0}), 1, 0, "broken"));
    Add(drawing, WithSymbology(Text("T", {0, 3, 0}), 2));
    const std::string svg = RenderSvg(drawing);

    const auto lines = FindTags(svg, "line");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["stroke"], "#ff0000");
    EXPECT_NEAR(lines[0].Number("stroke-width"), 0.38, 1e-9);
    EXPECT_EQ(lines[0]["stroke-dasharray"], "2 1");
    EXPECT_EQ(lines[1]["stroke"], "#000000");
    EXPECT_EQ(lines[1]["stroke-dasharray"], "<missing>");
    EXPECT_EQ(lines[2]["stroke-dasharray"], "<missing>");
    EXPECT_EQ(FindTags(svg, "text")[0]["fill"], "#008000");
}

TEST(SvgSymbology, PaletteKeepsTheNamedColoursAndIsFixedBeyondThem) {
    const std::vector<std::pair<int, std::string>> cases{
        {0, "#000000"}, {1, "#0000ff"}, {2, "#008000"}, {3, "#ff0000"}, {5, "#8a2be2"}, {-4, "#000000"},
    };
    for (const auto& [index, colour] : cases) EXPECT_EQ(ColourOf(index), colour) << index;
    EXPECT_NE(ColourOf(4), "#ffff00") << "pure yellow cannot be read on white";
    EXPECT_NE(ColourOf(8), ColourOf(0));
    for (const int index : {8, 15, 16, 255, 1000})
        EXPECT_TRUE(std::regex_match(ColourOf(index), std::regex("#[0-9a-f]{6}"))) << index;
}

TEST(SvgWriter, EscapesMarkupAndDropsWhatXmlForbids) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"plain", "plain"},
        {"<&>\"'", "&lt;&amp;&gt;&quot;&apos;"},
        {"tab\tnew\nline", "tab\tnew\nline"},
        {std::string("nul\0bell\x07", 9), "nulbell"},
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},                // é, kept
        {"\xF0\x9F\x94\xA7", "\xF0\x9F\x94\xA7"},                  // four-byte code point, kept
        {"\xEF\xBF\xBE", ""},                                      // U+FFFE is not a character
        {"a\xC3", "a\xEF\xBF\xBD"},                                // cut-off sequence
        {"\xC0\xBC", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong '<'
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // encoded surrogate
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(EscapeXml(input), expected) << input;
}

TEST(SvgWriter, NumbersAreShortAndFreeOfRoundingNoise) {
    const std::vector<std::pair<double, std::string>> cases{
        {0.0, "0"},         {-0.0, "0"},         {1e-17, "0"},    {-3e-12, "0"},
        {0.1 + 0.2, "0.3"}, {12.25, "12.25"},    {-7.5, "-7.5"},  {123456.7891234, "123456.7891"},
        {1e-5, "1e-05"},    {std::nan(""), "0"}, {HUGE_VAL, "0"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(FormatNumber(value), expected) << value;
}

TEST(SvgRenderer, SameDrawingGivesTheSameBytes) {
    const cad::Drawing drawing = EveryKindDrawing();
    const cad::Drawing rebuilt = EveryKindDrawing();
    EXPECT_EQ(RenderSvg(drawing), RenderSvg(rebuilt));
    EXPECT_EQ(RenderSvg(drawing), RenderSvg(drawing));
}

// The numbers of a picture and the text between them; numbers are compared with a tolerance
// so that a change in the last printed digit does not fail the comparison.
std::pair<std::string, std::vector<double>> SplitNumbers(const std::string& text) {
    static const std::regex number("-?\\d+(\\.\\d+)?(e[-+]?\\d+)?");
    std::string skeleton;
    std::vector<double> numbers;
    std::size_t last = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator();
         ++it) {
        skeleton += text.substr(last, static_cast<std::size_t>(it->position()) - last) + "#";
        numbers.push_back(std::stod(it->str()));
        last = static_cast<std::size_t>(it->position() + it->length());
    }
    skeleton += text.substr(last);
    return {skeleton, numbers};
}

TEST(SvgRenderer, SmallSheetMatchesItsGoldenPicture) {
    cad::Drawing drawing;
    drawing.lineStyles.push_back({"dashed", {2.0, 1.0}});
    Add(drawing, WithSymbology(MakeShape({{0, 0, 0}, {40, 0, 0}, {40, 20, 0}, {0, 20, 0}}), 7, 1, "dashed"));
    Add(drawing,
        WithSymbology(MakeEllipse({10, 10, 0}, 5, 3, Matrix3d::RotationAboutAxisIndex(2, Pi / 4)), 1));
    Add(drawing, MakeCell("ZKL_Label",
                          {WithSymbology(MakeLine({15, 12, 0}, {25, 15, 0}), 3),
                           WithSymbology(Text("P-101", {25, 15, 0}), 3)},
                          {25, 15, 0}));
    const std::string svg = RenderSvg(drawing);

    const std::string goldenPath = std::string(ZKL_TEST_DATA_DIR) + "/svg_small_sheet.svg";
    // After a deliberate change to the picture, ZKL_UPDATE_GOLDEN=1 rewrites the golden file.
    if (std::getenv("ZKL_UPDATE_GOLDEN") != nullptr) std::ofstream(goldenPath, std::ios::binary) << svg;
    std::ifstream file(goldenPath);
    ASSERT_TRUE(file) << "golden picture missing";
    std::stringstream golden;
    golden << file.rdbuf();
    const auto [actualSkeleton, actualNumbers] = SplitNumbers(svg);
    const auto [goldenSkeleton, goldenNumbers] = SplitNumbers(golden.str());
    EXPECT_EQ(actualSkeleton, goldenSkeleton);
    ASSERT_EQ(actualNumbers.size(), goldenNumbers.size());
    for (std::size_t i = 0; i < actualNumbers.size(); ++i)
        EXPECT_NEAR(actualNumbers[i], goldenNumbers[i], 1e-6) << "number " << i;
}

}  // namespace
}  // namespace zkl::io
