// Guards the DXF export: texts land in the box the text metrics give them for every
// justification and frame, long and foreign texts survive the Release 12 code page, ellipses
// stay within their tolerance, colours, line styles and names follow their rules, labels
// become blocks at their origin, and real sheets read back in a real DXF reader (ezdxf) with
// nothing to fix and every entity on its layer.
#include "io/dxf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "app/cli_runner.h"
#include "cad/dimension_graphics.h"
#include "cad/text_metrics.h"
#include "host/host_error.h"
#include "io/sheet_file.h"

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

constexpr double Degree = Pi / 180;

Matrix3d AboutZ(double degrees) { return Matrix3d::RotationAboutAxisIndex(2, degrees * Degree); }
const Matrix3d MirroredY = Matrix3d::FromRows({1, 0, 0}, {0, -1, 0}, {0, 0, 1});
// Tilted out of the sheet, so its picture from above is sheared.
const Matrix3d Tilted = Matrix3d::RotationAboutAxisIndex(0, 50 * Degree) * AboutZ(20);

Point Xy(const Point& p) { return {p.x, p.y, 0}; }

// ---- Texts -------------------------------------------------------------------------------

// The box a CAD program fills with a TEXT of `glyphs` fixed-pitch glyphs: from the first
// point for left-baseline texts, else back from the alignment point by the share of the
// width and height that 72 and 73 name; obliqued, then mirrored for an upside-down text.
std::array<Point, 4> DrawnBox(const DxfTextPlacement& p, int glyphs) {
    const Point along{std::cos(p.rotation * Degree), std::sin(p.rotation * Degree), 0};
    const Point normal{-along.y, along.x, 0};
    const Point up = (along * std::tan(p.oblique * Degree) + (p.upsideDown ? -normal : normal)) * p.height;
    const double width = glyphs * p.height * p.widthFactor * DxfGlyphAdvance;
    const double upShare = p.vertical == 3 ? 1.0 : p.vertical == 2 ? 0.5 : 0.0;
    const Point start = p.horizontal == 0 && p.vertical == 0
                            ? p.first
                            : p.second - along * (width * p.horizontal * 0.5) - up * upShare;
    return {start, start + along * width, start + along * width + up, start + up};
}

void ExpectNear(const Point& a, const Point& b, const std::string& what) {
    EXPECT_NEAR(a.x, b.x, 1e-9) << what;
    EXPECT_NEAR(a.y, b.y, 1e-9) << what;
}

TEST(DxfText, EveryJustificationPutsTheTextInTheBoxOfTheTextMetrics) {
    // Column left, left margin, centre, right margin, right; row top, centre, bottom.
    const struct {
        int justification, horizontal, vertical;
    } codes[]{{0, 0, 3},  {1, 0, 2},  {2, 0, 0},  {3, 0, 3},  {4, 0, 2},  {5, 0, 0},
              {6, 1, 3},  {7, 1, 2},  {8, 1, 0},  {9, 2, 3},  {10, 2, 2}, {11, 2, 0},
              {12, 2, 3}, {13, 2, 2}, {14, 2, 0}, {15, 0, 0}, {-1, 0, 0}};
    const struct {
        const char* name;
        Matrix3d rotation;
        bool upsideDown;
    } frames[]{{"upright", Matrix3d::Identity(), false},
               {"turned 30 degrees", AboutZ(30), false},
               {"turned 90 degrees", AboutZ(90), false},
               {"turned 200 degrees", AboutZ(200), false},
               {"mirrored", MirroredY, true},
               {"tilted out of the sheet", Tilted, false}};
    for (const auto& frame : frames) {
        for (const auto& code : codes) {
            const std::string what =
                std::string(frame.name) + ", justification " + std::to_string(code.justification);
            Element text = MakeText("DN150", {100, 50, 7}, frame.rotation);
            text.Text().width = 2;
            text.Text().height = 3;
            text.Text().justification = code.justification;
            const auto placement = PlaceDxfText(text.Text(), 0, 5);
            ASSERT_TRUE(placement) << what;
            EXPECT_EQ(placement->horizontal, code.horizontal) << what;
            EXPECT_EQ(placement->vertical, code.vertical) << what;
            EXPECT_EQ(placement->upsideDown, frame.upsideDown) << what;

            const auto corners = cad::TextCorners(text.Text());
            ExpectNear(placement->first, Xy(corners[0]), what + ": first point");
            const auto drawn = DrawnBox(*placement, 5);
            for (std::size_t i = 0; i < 4; ++i)
                ExpectNear(drawn[i], Xy(corners[i]), what + ": corner " + std::to_string(i));
        }
    }
    // Upright, the text is exactly as tall as its box and the glyph cell gives the width.
    Element upright = MakeText("DN150", {0, 0, 0});
    upright.Text().width = 2;
    upright.Text().height = 2.5;
    const auto plain = PlaceDxfText(upright.Text(), 0, 5);
    EXPECT_EQ(plain->height, 2.5);
    EXPECT_EQ(plain->widthFactor, 0.8);
    EXPECT_EQ(plain->rotation, 0.0);
    EXPECT_EQ(plain->oblique, 0.0);
    // Seen edge-on from above, a text shows nothing.
    Element edgeOn = MakeText("DN150", {0, 0, 0}, Matrix3d::RotationAboutAxisIndex(0, Pi / 2));
    EXPECT_FALSE(PlaceDxfText(edgeOn.Text(), 0, 5));
}

TEST(DxfText, CodePageControlCharactersAndControlCodesAreEscaped) {
    const struct {
        const char* text;
        const char* value;
    } cases[]{
        {"DN150 <&\"'>", "DN150 <&\"'>"},
        {"caf\u00e9 \u00a0\u00b1\u00b0\u00d8", "caf\xE9 \xA0\xB1\xB0\xD8"},
        {"\u20ac \u2014 \u2018x\u2019 \u0178", "\x80 \x97 \x91x\x92 \x9F"},
        {"\u4e2d\u0416\u03a9", "\\U+4E2D\\U+0416\\U+03A9"},
        {"\U0001F600\U0001D538", "\\U+FFFD\\U+FFFD"},
        {"a\nb\tc\rd\x7f"
         "e\u0085",
         "a b c d e "},
        {"50% off, 5%", "50% off, 5%"},
        {"%%d %%p %%c", "%%%%%%d %%%%%%p %%%%%%c"},
        {"100%%%", "100%%%%%%%%%"},
        {"^G^", "^ G^ "},
        {"\\U+0041 \\m+1 C:\\temp\\", "\\U+005CU+0041 \\U+005Cm+1 C:\\temp\\"},
        {"\xff"
         "a\x80"
         "b\xe4\xb8",
         "\\U+FFFDab\\U+FFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDxfText(c.text), c.value) << c.text;
        int glyphs = 0;
        for (const DxfTextPiece& piece : SplitDxfText(c.text)) glyphs += piece.glyphs;
        EXPECT_EQ(glyphs, cad::GlyphCount(c.text)) << "one glyph per cell of the box: " << c.text;
    }
}

TEST(DxfText, LongTextsAreCutBetweenGlyphsIntoPiecesThatFillTheirPartOfTheBox) {
    std::string text;
    while (text.size() < 2048) text += "P-101 \u00e9 \u20ac \u4e2d %% ^ ";
    const auto pieces = SplitDxfText(text);
    ASSERT_GE(pieces.size(), 9u);
    std::string joined;
    int next = 0;
    for (const DxfTextPiece& piece : pieces) {
        EXPECT_LE(piece.value.size(), DxfTextValueLimit);
        EXPECT_EQ(piece.firstGlyph, next);
        next += piece.glyphs;
        joined += piece.value;
    }
    EXPECT_EQ(next, cad::GlyphCount(text));
    EXPECT_EQ(joined, EncodeDxfText(text));
    EXPECT_EQ(SplitDxfText("").size(), 0u);

    Element element = MakeText(text, {10, 20, 0}, AboutZ(30));
    element.Text().justification = 7;
    const auto box = cad::TextCorners(element.Text());
    const Point perGlyph = (box[1] - box[0]) * (1.0 / next);
    for (const DxfTextPiece& piece : pieces) {
        const auto placement = PlaceDxfText(element.Text(), piece.firstGlyph, piece.glyphs);
        ASSERT_TRUE(placement);
        const auto drawn = DrawnBox(*placement, piece.glyphs);
        ExpectNear(drawn[0], Xy(box[0] + perGlyph * piece.firstGlyph), "piece start");
        ExpectNear(drawn[2], Xy(box[3] + perGlyph * (piece.firstGlyph + piece.glyphs)), "piece end");
    }
}

// ---- Ellipses ----------------------------------------------------------------------------

// Largest distance from a point to a polyline through `points` (closed).
double DistanceToPolygon(const Point& p, const std::vector<Point>& points) {
    double best = INFINITY;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point a = points[i];
        const Point b = points[(i + 1) % points.size()];
        const Point ab = b - a;
        const double t = std::clamp(Dot(p - a, ab) / std::max(Dot(ab, ab), 1e-300), 0.0, 1.0);
        best = std::min(best, Distance(p, a + ab * t));
    }
    return best;
}

TEST(DxfEllipse, CirclesStayCirclesAndEllipsesStayWithinTheToleranceWithAsFewVerticesAsThatNeeds) {
    const struct {
        double primary, secondary;
        Matrix3d rotation;
        bool circle;
    } cases[]{
        {5, 5, Matrix3d::Identity(), true},
        {5, 5, AboutZ(30), true},
        {3, 3, MirroredY, true},
        {5, 5, Matrix3d::RotationAboutAxisIndex(0, 60 * Degree), false},  // seen as 5 by 2.5
        {2, 1, Matrix3d::Identity(), false},
        {2, 1, AboutZ(37), false},
        {0.5, 0.2, AboutZ(-80), false},
        {100, 3, AboutZ(123), false},
        {1000, 999, AboutZ(10), false},
        {0.001, 0.0005, Matrix3d::Identity(), false},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.primary) + " by " + std::to_string(c.secondary);
        const Element element = MakeEllipse({10, -20, 3}, c.primary, c.secondary, c.rotation);
        const DxfEllipse drawn = DxfEllipseOf(element.Ellipse());
        EXPECT_EQ(drawn.circle, c.circle) << what;
        if (c.circle) {
            EXPECT_NEAR(drawn.radius, c.primary, 1e-12) << what;
            continue;
        }
        // The vertices lie on the ellipse, so the polyline strays farthest from it where an
        // arc is farthest from its chord: measured on the ellipse, finely sampled.
        const Point u = Xy(c.rotation.Column(0) * c.primary);
        const Point v = Xy(c.rotation.Column(1) * c.secondary);
        const std::size_t fine = 8 * drawn.vertices.size();
        double deviation = 0.0;
        for (std::size_t i = 0; i < fine; ++i) {
            const double t = 2 * Pi * static_cast<double>(i) / static_cast<double>(fine);
            const Point p = Point{10, -20, 0} + u * std::cos(t) + v * std::sin(t);
            deviation = std::max(deviation, DistanceToPolygon(p, drawn.vertices));
        }
        const double major = std::max(Length(u), Length(v));
        EXPECT_LE(deviation, DxfEllipseTolerance) << what;
        // The count is the rule's: a multiple of four, and four fewer would stray too far.
        const std::size_t count = drawn.vertices.size();
        EXPECT_EQ(count % 4, 0u) << what;
        if (count > 8) {
            EXPECT_GT(major * (1 - std::cos(Pi / static_cast<double>(count - 4))), DxfEllipseTolerance)
                << what;
        }
    }
    EXPECT_THROW(DxfEllipseOf(MakeEllipse({0, 0, 0}, 1e9, 1).Ellipse()), HostError);
}

// ---- Symbology and names -----------------------------------------------------------------

TEST(DxfSymbology, ColoursTakeTheNearestIndexAndBlackIsSeven) {
    const struct {
        Rgb colour;
        int index;
    } cases[]{
        {{0, 0, 0}, 7},       {{255, 255, 255}, 255}, {{255, 0, 0}, 1},      {{255, 255, 0}, 2},
        {{0, 255, 0}, 3},     {{0, 255, 255}, 4},     {{0, 0, 255}, 5},      {{255, 0, 255}, 6},
        {{128, 128, 128}, 8}, {{192, 192, 192}, 9},   {{0, 128, 0}, 94},     {{64, 64, 64}, 250},
        {{255, 140, 0}, 30},  {{184, 134, 11}, 42},   {{138, 43, 226}, 190}, {{51, 51, 51}, 250},
        {{0, 139, 139}, 134}, {{199, 21, 133}, 222},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NearestAci(c.colour), c.index)
            << int{c.colour.red} << "," << int{c.colour.green} << "," << int{c.colour.blue};
    // The palette's wheel: hue 15 degrees (20..29), full and pastel, five brightness levels.
    EXPECT_EQ(AciRgb(20), (Rgb{255, 63, 0}));
    EXPECT_EQ(AciRgb(21), (Rgb{255, 159, 127}));
    EXPECT_EQ(AciRgb(28), (Rgb{38, 9, 0}));
    EXPECT_EQ(AciRgb(7), (Rgb{255, 255, 255}));
}

TEST(DxfSymbology, DashPatternsBecomeDashesAndNegativeGaps) {
    const struct {
        std::vector<double> dashes, elements;
    } cases[]{
        {{}, {}},
        {{3, 1.5}, {3, -1.5}},
        {{6, 1.5, 1, 1.5}, {6, -1.5, 1, -1.5}},
        {{2}, {2, -2}},
        {{1, 2, 3}, {1, -2, 3, -1, 2, -3}},
        {{0, 1}, {0, -1}},
        {{2, 0, 3, 1}, {5, -1}},
        {{1, 1, 2, 0}, {3, -1}},
        {{5, 0}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(DxfDashElements(c.dashes), c.elements) << c.dashes.size();
}

TEST(DxfNames, LevelsAndAttachmentsGetLayerNamesReleaseTwelveTakesEachOnlyOnce) {
    const struct {
        const char* name;
        const char* layer;
    } levels[]{{"Default", "DEFAULT"},
               {"ZKL Border", "ZKL_BORDER"},
               {"Pipes", "PIPES"},
               {"PIPES", "PIPES_2"},
               {"0", "0"},
               {"a/b:c<d>", "A_B_C_D_"},
               {"\u00d8-Rohr", "_-ROHR"}},
        attachments[]{{"PlantModel", "PLANTMODEL"},
                      {"Pipes", "PIPES_3"},
                      {"", "ATTACHMENT_3"},
                      {"Plant model with a name far longer than 31", "PLANT_MODEL_WITH_A_NAME_FAR_LON"},
                      {"Plant model with a name far longer than 31 too", "PLANT_MODEL_WITH_A_NAME_FAR_L_2"},
                      {"\u4e2d\u6587", "__"},
                      {"0", "0_2"}};
    cad::Drawing drawing;
    for (const auto& level : levels) drawing.levels.push_back({0, level.name});
    for (const auto& attachment : attachments) drawing.attachments.emplace_back().name = attachment.name;
    const DxfLayerNames layers = DxfLayersOf(drawing);
    for (const auto& level : levels) EXPECT_EQ(layers.OfLevel(level.name), level.layer) << level.name;
    for (std::size_t i = 0; i < std::size(attachments); ++i)
        EXPECT_EQ(layers.attachments[i], attachments[i].layer) << attachments[i].name;
    EXPECT_EQ(layers.OfLevel(""), "0");
    EXPECT_EQ(layers.OfLevel("not a level"), "0");
    EXPECT_EQ(DxfSymbolName("zkl_Label-1$"), "ZKL_LABEL-1$");
}

// ---- Whole files -------------------------------------------------------------------------

struct DxfEntity {
    std::string type;
    std::vector<std::pair<int, std::string>> groups;

    std::string Text(int code) const {
        for (const auto& [c, value] : groups)
            if (c == code) return value;
        return "<missing>";
    }
    double Number(int code) const { return std::stod(Text(code)); }
    Point At(int code) const { return {Number(code), Number(code + 10), 0}; }
};

// The entities of one section in order (BLOCK and ENDBLK among them), checking on the way
// that every group is a three-column code and a value of at most 255 bytes, lines ending CRLF.
std::vector<DxfEntity> SectionEntities(const std::string& dxf, const std::string& section) {
    std::vector<DxfEntity> entities;
    std::string current;  // the section being read
    for (std::size_t pos = 0, end = 0; pos < dxf.size(); pos = end + 2) {
        const std::size_t codeEnd = dxf.find("\r\n", pos);
        end = dxf.find("\r\n", codeEnd + 2);
        if (end == std::string::npos)
            return ADD_FAILURE() << "a code without a value at byte " << pos, entities;
        const std::string code = dxf.substr(pos, codeEnd - pos),
                          value = dxf.substr(codeEnd + 2, end - codeEnd - 2);
        EXPECT_TRUE(code.size() == 3 && code.back() != ' ' && value.size() <= 255) << code << " " << value;
        if (code == "  2" && !entities.empty() && entities.back().type == "SECTION") current = value;
        if (code == "  0" && value == "ENDSEC") current.clear();
        if (code == "  0")
            entities.push_back({value, {}});
        else if (current == section)
            entities.back().groups.emplace_back(std::stoi(code), value);
    }
    std::erase_if(entities,
                  [&](const DxfEntity& entity) { return entity.groups.empty() || entity.type == "SECTION"; });
    return entities;
}

std::map<std::string, int> TypeCounts(const std::vector<DxfEntity>& entities) {
    std::map<std::string, int> counts;
    for (const DxfEntity& entity : entities) ++counts[entity.type];
    return counts;
}

TEST(DxfFile, EveryElementKindBecomesItsEntityAndLabelsBecomeBlocksAtTheirOrigin) {
    cad::Drawing drawing;
    const auto add = [&](Element element, ModelId model = ActiveModelId) {
        return drawing.Add(model, element);
    };
    drawing.levels = {{1, "Default"}, {2, "Pipes"}};
    drawing.lineStyles = {{"0", {}}, {"2", {3, 1.5}}, {std::string(300, 'x'), {1, 1}}};  // no value over 255
    drawing.textStyles = {{"ZKL_Text", 2.5, 2, "monospace"}};
    drawing.dimensionStyles = {{"ZKL_Dim", 2.5, 0, {2, 5, 5}}};
    Element line = MakeLine({0, 0, 0}, {10, 0, 0});
    line.symbology = {"Pipes", 3, "2", 1};
    add(line);
    add(MakeLineString({{0, 5, 0}, {5, 10, 0}, {10, 5, 0}}));
    add(MakeShape({{20, 0, 0}, {30, 0, 0}, {30, 10, 0}, {20, 10, 0}}));
    add(MakeEllipse({40, 5, 0}, 4, 4));
    const Element ellipse = MakeEllipse({40, 5, 0}, 4, 2);
    add(ellipse);
    Element text = MakeText("ABC", {0, 20, 0});
    text.Text().style = "ZKL_Text";
    text.Text().justification = 7;
    add(text);
    const ElementId labelId = add(MakeCell(
        "ZKL_Label", {MakeLineString({{50, 0, 0}, {52, 3, 0}, {55, 3, 0}}), MakeText("P-101", {55, 3, 0})},
        {50, 0, 0}));
    Element dimension = MakeDimension(Matrix3d::Identity());
    dimension.Dimension().AddPoint({0, -10, 0});
    dimension.Dimension().AddPoint({12, -10, 0});
    dimension.Dimension().SetSegmentText(2, "*");
    dimension.Dimension().style = "ZKL_Dim";
    dimension.Dimension().options.terminator = 2;
    add(dimension);
    drawing.attachments.emplace_back();
    drawing.attachments.back().name = "Plant Model";
    drawing.attachments.back().toActive =
        Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), {100, 0, 0});
    const ElementId referenceId = add(MakeCell("ZKL_Label", {MakeLine({1, 2, 0}, {3, 4, 0})}, {1, 2, 0}), 1);

    const std::string dxf = RenderDxf(drawing);
    EXPECT_EQ(RenderDxf(drawing), dxf) << "the same drawing gives the same bytes";
    EXPECT_EQ(dxf.rfind("  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n", 0), 0u);
    EXPECT_EQ(dxf.substr(dxf.size() - 10), "  0\r\nEOF\r\n");

    const auto entities = SectionEntities(dxf, "ENTITIES");
    const int ellipseVertices = static_cast<int>(DxfEllipseOf(ellipse.Ellipse()).vertices.size());
    const std::map<std::string, int> expected{
        {"CIRCLE", 1}, {"INSERT", 2}, {"LINE", 1 + 3}, {"POLYLINE", 3},
        {"SEQEND", 3}, {"SOLID", 2},  {"TEXT", 2},     {"VERTEX", 3 + 4 + ellipseVertices}};
    EXPECT_EQ(TypeCounts(entities), expected) << "the line, the dimension line and two extension lines";
    for (const DxfEntity& entity : entities) {
        if (entity.type == "LINE" && entity.Text(8) == "PIPES") {
            EXPECT_EQ(entity.Text(6), "2");
            EXPECT_EQ(entity.Text(62), std::to_string(NearestAci(ColourRgb(3))));
        }
        if (entity.type == "TEXT" && entity.Text(1) == "ABC") {
            EXPECT_EQ(entity.Text(7), "ZKL_TEXT");
            EXPECT_EQ(entity.Text(72) + " " + entity.Text(73), "1 2");
            ExpectNear(entity.At(11), {0, 20, 0}, "centre-centre aligns on the origin");
        }
        if (entity.type == "SOLID") {
            EXPECT_EQ(entity.At(12), entity.At(13)) << "a triangle repeats its last corner";
        }
    }
    // Each label is a block whose base point is the cell's origin, inserted there.
    const auto blocks = SectionEntities(dxf, "BLOCKS");
    const std::map<std::string, int> blockExpected{{"BLOCK", 2}, {"ENDBLK", 2}, {"LINE", 3}, {"TEXT", 1}};
    EXPECT_EQ(TypeCounts(blocks), blockExpected)
        << "the leader's two segments, the text, the reference label's line";
    std::map<std::string, Point> bases, inserts;
    for (const DxfEntity& entity : blocks)
        if (entity.type == "BLOCK") bases[entity.Text(2)] = entity.At(10);
    for (const DxfEntity& entity : entities)
        if (entity.type == "INSERT") inserts[entity.Text(2)] = entity.At(10);
    const std::string active = "ZKL_LABEL_" + std::to_string(labelId);
    const std::string reference = "ZKL_LABEL_R1_" + std::to_string(referenceId);
    EXPECT_EQ(bases[active], (Point{50, 0, 0}));
    EXPECT_EQ(inserts[active], (Point{50, 0, 0}));
    EXPECT_EQ(bases[reference], (Point{101, 2, 0}));
    EXPECT_EQ(inserts[reference], (Point{101, 2, 0}));
    EXPECT_EQ(bases.size(), 2u);

    // A filled four-corner shape: SOLID lists its corners 1, 2, 4, 3.
    DisplayList list;
    list.models.emplace_back();
    DisplayElement square;
    square.type = ElementType::Shape;
    square.filled = true;
    square.shape = MakeShape({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    list.models.back().elements.push_back(square);
    const auto solids = SectionEntities(RenderDxf(cad::Drawing{}, list), "ENTITIES");
    ASSERT_EQ(solids.size(), 1u);
    EXPECT_EQ(solids[0].At(10), (Point{0, 0, 0}));
    EXPECT_EQ(solids[0].At(11), (Point{1, 0, 0}));
    EXPECT_EQ(solids[0].At(12), (Point{0, 1, 0}));
    EXPECT_EQ(solids[0].At(13), (Point{1, 1, 0}));
}

TEST(DxfFile, WhatCannotBeWrittenIsRefusedNamingTheElement) {
    const auto message = [](const cad::Drawing& drawing, const DisplayList& list) {
        try {
            RenderDxf(drawing, list);
        } catch (const HostError& error) {
            return std::string(error.what());
        }
        return std::string("nothing refused");
    };
    cad::Drawing drawing;
    Element line = MakeLine({0, 0, 0}, {1, 0, 0});
    drawing.Add(ActiveModelId, line);
    DisplayList list = BuildDisplayList(drawing);
    list.models.back().elements[0].shape->Linear().vertices[1].x = NAN;
    EXPECT_EQ(message(drawing, list), "line 1: a coordinate or size is not a finite number");

    cad::Drawing huge;
    Element ellipse = MakeEllipse({0, 0, 0}, 1e9, 1);
    huge.Add(ActiveModelId, ellipse);
    EXPECT_NE(message(huge, BuildDisplayList(huge))
                  .find("ellipse 1: an ellipse of radius 1000000000 needs more than"),
              std::string::npos);

    cad::Drawing labelled;
    Element cell = MakeCell("ZKL_Label", {MakeLine({0, 0, 0}, {1, 0, 0})}, {0, 0, 0});
    labelled.Add(ActiveModelId, cell);
    EXPECT_EQ(message(cad::Drawing{}, BuildDisplayList(labelled)),
              "cell 1: the display list does not match the drawing; label cell 1 is not in it");
    DisplayList stray;
    stray.models.push_back({3, "gone", true, {}});
    EXPECT_EQ(message(labelled, stray),
              "the display list does not match the drawing; it has no attachment 3");
}

// ---- Read back by a real DXF reader ------------------------------------------------------

// Entities per layer as the writer's rules give them, counted from the sheet itself: one
// per line, line string, shape, ellipse and arrowhead, one per piece of a text, one INSERT
// per label; inside a label's block lines and shapes are one LINE per segment.
class LayerCounter {
public:
    explicit LayerCounter(const cad::Drawing& drawing) : drawing_(drawing), layers_(DxfLayersOf(drawing)) {
        for (std::size_t i = 0; i < drawing.attachments.size(); ++i) {
            const cad::Attachment& attachment = drawing.attachments[i];
            if (!attachment.displayed) continue;
            counts_[layers_.attachments[i]] += 0;
            for (const auto& [id, entry] : attachment.model.Entries())
                Count(entry.element, &attachment.toActive, layers_.attachments[i], false);
        }
        for (const auto& [id, entry] : drawing.activeModel.Entries())
            Count(entry.element, nullptr, "", false);
    }
    const std::map<std::string, int>& Counts() const { return counts_; }

private:
    void Count(const Element& element, const Transform3d* toActive, const std::string& attachmentLayer,
               bool inBlock) {
        const std::string& layer =
            attachmentLayer.empty() ? layers_.OfLevel(element.symbology.level) : attachmentLayer;
        if (element.IsCell()) {
            const bool label = element.Cell().name == "ZKL_Label" && !inBlock;
            if (label) ++counts_[layer];
            for (const Element& component : element.Cell().components)
                Count(component, toActive, attachmentLayer, inBlock || label);
        } else if (element.IsDimension()) {
            const auto style = drawing_.DimensionStyleOrDefault(element.Dimension().style);
            for (const Element& graphic : cad::DimensionGraphics(element, style))
                counts_[layer] += Primitives(graphic, toActive, inBlock, graphic.type == ElementType::Shape);
        } else {
            counts_[layer] += Primitives(element, toActive, inBlock, false);
        }
    }

    static int Primitives(Element element, const Transform3d* toActive, bool inBlock, bool filled) {
        if (toActive != nullptr) element.ApplyTransform(*toActive);
        if (element.IsText()) {
            const TextGeometry& text = element.Text();
            return text.height > 0 && text.width > 0 ? static_cast<int>(SplitDxfText(text.text).size()) : 0;
        }
        if (element.IsEllipse()) {
            const DxfEllipse drawn = DxfEllipseOf(element.Ellipse());
            if (drawn.circle) return drawn.radius > 0 ? 1 : 0;
            return inBlock ? static_cast<int>(drawn.vertices.size()) : 1;
        }
        std::vector<Point> vertices = element.Linear().vertices;
        const bool shape = element.type == ElementType::Shape;
        if (shape && vertices.size() > 2 && vertices.front() == vertices.back()) vertices.pop_back();
        const int n = static_cast<int>(vertices.size());
        if (n < 2) return 0;
        if (filled) return n <= 4 ? 1 : n - 2;
        if (!inBlock || element.type == ElementType::Line) return 1;
        return n - 1 + (shape && n > 2 ? 1 : 0);
    }

    const cad::Drawing& drawing_;
    const DxfLayerNames layers_;
    std::map<std::string, int> counts_;
};

// A Python that has ezdxf: the one on the path, or the system's (Debian's python3-ezdxf
// installs for /usr/bin/python3, which a pyenv or virtualenv on the path may hide).
std::string PythonWithEzdxf() {
    for (const char* python : {"python3", "/usr/bin/python3"})
        if (std::system((std::string(python) + " -c 'import ezdxf' >/dev/null 2>&1").c_str()) == 0)
            return python;
    return "";
}

class DxfReader : public zkl::testing::CliTest {
protected:
    static fs::path Example(const std::string& name) { return fs::path(ZKL_EXAMPLES_DIR) / name; }
    static fs::path Data(const std::string& name) { return fs::path(ZKL_TEST_DATA_DIR) / name; }

    // The sheet Automatic Place makes of `sheet`, run as a user runs it.
    cad::Drawing Annotated(const fs::path& sheet, const std::string& output) {
        const auto result = Run({"auto", sheet.string(), "-o", output, "-q"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return LoadSheet(folder_ / output);
    }
};

TEST_F(DxfReader, SheetsReadBackWithNothingToFixAndEveryEntityOnItsLayer) {
    const std::string python = PythonWithEzdxf();
    if (python.empty())
        GTEST_SKIP()
            << "python3 with ezdxf is missing (apt-get install python3-ezdxf): DXF files not read back";
    const fs::path checker = fs::path(ZKL_TEST_DATA_DIR).parent_path() / "io" / "dxf_check.py";

    ASSERT_EQ(Run({"generate", "--components", "1000", "--seed", "1", "-o", "plant.json"}).exitCode, 0);
    fs::copy_file(Example("ZKL_Labeller.ini"), folder_ / "ZKL_Labeller.ini");
    std::ifstream shownFile(Data("dxf_texts_shown.json"));
    const nlohmann::json shownTexts = nlohmann::json::parse(shownFile)["texts"];

    const struct {
        std::string name;
        cad::Drawing drawing;
        nlohmann::json texts;
    } sheets[]{
        {"demo", LoadSheet(Example("demo_sheet.json")), nullptr},
        {"demo_annotated", Annotated(Example("demo_sheet.json"), "demo_annotated.json"), nullptr},
        {"plant_annotated", Annotated(folder_ / "plant.json", "plant_annotated.json"), nullptr},
        {"all_elements", LoadSheet(Data("sheet_all_elements.json")), nullptr},
        {"texts", LoadSheet(Data("dxf_texts_sheet.json")), shownTexts},
    };
    for (const auto& sheet : sheets) {
        SCOPED_TRACE(sheet.name);
        const std::map<std::string, int> counts = LayerCounter(sheet.drawing).Counts();
        nlohmann::json expected{{"layers", counts}};
        if (!sheet.texts.is_null()) expected["texts"] = sheet.texts;
        std::ofstream(folder_ / (sheet.name + ".json")) << expected.dump(2);
        const std::string dxf = RenderDxf(sheet.drawing);
        std::ofstream(folder_ / (sheet.name + ".dxf"), std::ios::binary) << dxf;
        std::size_t inserts = 0;
        for (auto at = dxf.find("\r\nINSERT\r\n"); at != std::string::npos;
             at = dxf.find("\r\nINSERT\r\n", at + 1))
            ++inserts;
        EXPECT_TRUE(inserts > 10 || !sheet.name.ends_with("annotated")) << "Automatic Place placed labels";

        const std::string command = "cd " + zkl::testing::ShellQuote(folder_.string()) + " && " + python +
                                    " " + zkl::testing::ShellQuote(checker.string()) + " " + sheet.name +
                                    ".dxf " + sheet.name + ".json >check.txt 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << zkl::testing::ReadFile(folder_ / "check.txt");
    }
}

}  // namespace
}  // namespace zkl::io
