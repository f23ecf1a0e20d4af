// Guards how a body becomes a label cell: where the leader meets the body, what the cell
// holds, and that a missing label level adds nothing.
#include "label/label_cell.h"

#include <gtest/gtest.h>

#include "cad/cad_host.h"
#include "cad/test_drawings.h"

namespace zkl {
namespace {

struct LabelCellTest : ::testing::Test {
    LabelCellTest() : host(MakeDrawing()), module(host) { module.settings.DimLevelName = "Piping"; }
    static cad::Drawing MakeDrawing() {
        cad::Drawing drawing = cad::test::BasicDrawing();
        drawing.activeSymbology = {"Default", 5, "0", 4};
        return drawing;
    }
    Element AddedCell() {
        const auto cells = host.Scan({});
        EXPECT_EQ(cells.size(), 1u);
        return cells.empty() ? Element{} : cells.back();
    }
    std::vector<Point> LeaderAfter(std::vector<Element> body, const Point& anchor, const Point& knee) {
        CreateLabelCell(module, body, {}, anchor, knee);
        return body.back().Linear().vertices;
    }

    cad::CadHost host;
    mdlOPM_Labeller module;
};

TEST_F(LabelCellTest, CellHoldsTheMovedBodyThenTheLeaderFromTheAnchor) {
    // "AB", width 1 height 1, centred on (20, 10) once moved: box (19, 9.5) to (21, 10.5).
    Element text = MakeText("AB", {});
    text.Text().justification = 7;
    std::vector<Element> body = {text, MakeEllipse({}, 5, 5)};
    const Point anchor{0, 0, 0};
    CreateLabelCell(module, body, {20, 10, 0}, anchor, {});

    const Element cell = AddedCell();
    const CellGeometry& geometry = cell.Cell();
    EXPECT_EQ(geometry.name, "ZKL_Label");
    EXPECT_EQ(geometry.origin, anchor);
    EXPECT_FALSE(geometry.pointCell);
    ASSERT_EQ(geometry.components.size(), 3u);
    EXPECT_EQ(geometry.components, body);
    EXPECT_EQ(geometry.components[0].Text().origin, (Point{20, 10, 0}));
    const Element& leader = geometry.components.back();
    EXPECT_EQ(leader.type, ElementType::LineString);
    EXPECT_EQ(leader.symbology, (Symbology{"Piping", 5, "0", 4}));
    // A zero knee offset: the first two vertices coincide; a radius-5 circle is met where the
    // line to its centre crosses it.
    ASSERT_EQ(leader.Linear().vertices.size(), 3u);
    EXPECT_EQ(leader.Linear().vertices[0], anchor);
    EXPECT_EQ(leader.Linear().vertices[1], anchor);
    const Point attach = leader.Linear().vertices[2];
    EXPECT_NEAR(Distance(attach, {20, 10, 0}), 5, 1e-9);
    EXPECT_NEAR(Distance(attach, anchor) + 5, Distance(anchor, {20, 10, 0}), 1e-9);

    // A text body ends on the text box corner nearest the knee.
    EXPECT_EQ(LeaderAfter({body[0]}, {30, 0, 0}, {})[2], (Point{21, 9.5, 0}));
}

TEST_F(LabelCellTest, NearestCornerTiesKeepTheEarlierCorner) {
    // Corners in order: (0,0) (4,0) (4,2) (0,2); each reference is equally far from two.
    const Element underline = MakeLineString({{0, 0, 0}, {4, 0, 0}, {4, 2, 0}});
    Element text = MakeText("ABCD", {});  // box (0,0) to (4,1) at width 1 height 1
    const struct {
        Point reference, expected;
    } cases[] = {
        {{2, -3, 0}, {0, 0, 0}},  // C1 and C2
        {{6, 1, 0}, {4, 0, 0}},   // C2 and C3
        {{2, 5, 0}, {4, 2, 0}},   // C3 and C4
        {{-3, 1, 0}, {0, 0, 0}},  // C4 and C1
        {{1, 1.9, 0}, {0, 2, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindLeaderAttachPoint(host, underline, c.reference), c.expected);
        const Point onText{c.expected.x, c.expected.y / 2, 0};
        EXPECT_EQ(FindLeaderAttachPoint(host, text, {c.reference.x, c.reference.y / 2, 0}), onText);
    }
}

TEST_F(LabelCellTest, GridCircleIsMetAtTheQuadrantFacingTheKnee) {
    const Point centre{10, 10, 0};
    const struct {
        Point knee, attach;
    } cases[] = {
        {{5, 0, 0}, {7.5, 10, 0}},   {{-5, 0, 0}, {12.5, 10, 0}}, {{0, 5, 0}, {10, 7.5, 0}},
        {{0, -5, 0}, {10, 12.5, 0}}, {{0, 0, 0}, {10, 12.5, 0}},  {{5, 5, 0}, {7.5, 10, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeaderAfter({MakeEllipse(centre, 2.5, 2.5)}, {0, 0, 0}, c.knee)[2], c.attach) << c.knee.x;
}

TEST_F(LabelCellTest, OtherEllipsesAreMetOnTheLineFromTheKneeToTheCentre) {
    const Element circle = MakeEllipse({10, 10, 0}, 3, 3);
    const Point straight = LeaderAfter({circle}, {0, 10, 0}, {2, 0, 0})[2];
    EXPECT_NEAR(straight.x, 7, 1e-9);
    EXPECT_NEAR(straight.y, 10, 1e-9);
    const Point diagonal = FindLeaderAttachPoint(host, circle, {0, 0, 0});
    EXPECT_NEAR(diagonal.x, 10 - 3 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(diagonal.y, 10 - 3 / std::sqrt(2.0), 1e-9);
    // From inside the ellipse there is nothing to cross: the leader ends at the knee.
    EXPECT_EQ(FindLeaderAttachPoint(host, circle, {11, 10, 0}), (Point{11, 10, 0}));
}

TEST_F(LabelCellTest, MissingLabelLevelIsAHostErrorAfterTheMoveAndAddsNothing) {
    module.settings.DimLevelName = "Labels";
    std::vector<Element> body = {MakeText("AB", {})};
    EXPECT_THROW(CreateLabelCell(module, body, {5, 5, 0}, {}, {}), HostError);
    EXPECT_TRUE(host.Scan({}).empty());
    ASSERT_EQ(body.size(), 1u);
    EXPECT_EQ(body[0].Text().origin, (Point{5, 5, 0}));
}

}  // namespace
}  // namespace zkl
