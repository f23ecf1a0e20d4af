// Guards the quality report: on small hand-built sheets, where each finding is known, the
// report names exactly those findings (kind, label cells, component), and a near miss just
// beyond the tolerance names none.
#include "quality/quality_report.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cad/cad_host.h"
#include "io/sheet_file.h"

namespace zkl {
namespace {

// A 100 x 100 drawing area and one equipment component P1 (attachment "Plant", id 1) whose
// anchor is (50, 50) and which is drawn as a line from (48, 50) to (52, 50). The active
// elements of each case go where ACTIVE stands.
constexpr std::string_view SheetTemplate = R"({
  "format": "zkl-sheet", "version": 1,
  "levels": [{"name": "Default"}, {"name": "ZKL_Border"}, {"name": "ZKL_Dim"}],
  "elements": [
    {"id": 1, "type": "shape", "level": "ZKL_Border",
     "vertices": [[0, 0, 0], [100, 0, 0], [100, 100, 0], [0, 100, 0]]}ACTIVE
  ],
  "attachments": [{"name": "Plant", "elements": [
    {"id": 1, "type": "cell", "name": "P1", "origin": [50, 50, 0],
     "properties": [
       {"name": "EQUIPMENT_LOCATION", "text": "UNIT-1"}, {"name": "NAME", "text": "P1"},
       {"name": "TRANSFORMATION_MATRIX.M00", "number": 1}, {"name": "TRANSFORMATION_MATRIX.M01", "number": 0},
       {"name": "TRANSFORMATION_MATRIX.M02", "number": 0}, {"name": "TRANSFORMATION_MATRIX.M03", "number": 5000},
       {"name": "TRANSFORMATION_MATRIX.M04", "number": 0}, {"name": "TRANSFORMATION_MATRIX.M05", "number": 1},
       {"name": "TRANSFORMATION_MATRIX.M06", "number": 0}, {"name": "TRANSFORMATION_MATRIX.M07", "number": 5000},
       {"name": "TRANSFORMATION_MATRIX.M08", "number": 0}, {"name": "TRANSFORMATION_MATRIX.M09", "number": 0},
       {"name": "TRANSFORMATION_MATRIX.M10", "number": 1}, {"name": "TRANSFORMATION_MATRIX.M11", "number": 0}],
     "components": [{"type": "line", "vertices": [[48, 50, 0], [52, 50, 0]]}]}
  ]}]
})";

std::string Xy(double x, double y) { return "[" + std::to_string(x) + ", " + std::to_string(y) + ", 0]"; }

// A label cell: a boxed body (x0..x1, y0..y1), optionally a text at its low corner, and a
// leader through `leader`; the cell's origin is the leader's first vertex.
std::string LabelCell(int id, double x0, double y0, double x1, double y1,
                      const std::vector<std::string>& leader, const std::string& text = "") {
    std::string body;
    if (!text.empty())
        body = R"({"type": "text", "level": "ZKL_Dim", "text": ")" + text + R"(", "origin": )" + Xy(x0, y0) +
               R"(, "height": 2.5, "width": 2},)" + R"({"type": "line", "level": "ZKL_Dim", "vertices": [)" +
               Xy(x0, y0 - 0.8) + ", " + Xy(x1, y0 - 0.8) + "]},";
    else
        body = R"({"type": "lineString", "level": "ZKL_Dim", "vertices": [)" + Xy(x0, y0) + ", " +
               Xy(x1, y0) + ", " + Xy(x1, y1) + ", " + Xy(x0, y1) + ", " + Xy(x0, y0) + "]},";
    std::string vertices;
    for (const std::string& vertex : leader) vertices += (vertices.empty() ? "" : ", ") + vertex;
    return R"(, {"id": )" + std::to_string(id) + R"(, "type": "cell", "name": "ZKL_Label", "origin": )" +
           leader.front() + R"(, "components": [)" + body +
           R"({"type": "lineString", "level": "ZKL_Dim", "vertices": [)" + vertices + "]}]}";
}

// P1's own label, boxed at (10..20, 10..15) with its leader to the box's top right corner.
const std::string P1Label = LabelCell(101, 10, 10, 20, 15, {Xy(50, 50), Xy(10, 15)});

struct Expected {
    FindingKind kind;
    std::vector<ElementId> labels;
    ElementId component = NoElementId;
    double amount = -1;  // not compared when negative
};

struct Case {
    const char* name;
    std::string active;
    std::vector<Expected> findings;
};

QualityReport Check(const std::string& active) {
    std::string json(SheetTemplate);
    json.replace(json.find("ACTIVE"), 6, active);
    cad::CadHost host(io::ParseSheet(json, "case.json", "."));
    mdlOPM_Labeller module(host);
    module.settings.ShapeLevelName = "ZKL_Border";
    module.settings.UnderlineDistance = 0.8;  // a minimum side-label gap of 1.6
    const ItemRows rows{ItemRow{"[EQUIPMENT_LOCATION]", "UNIT-*", "[NAME]", 2, "EQUIPMENT"}};
    return CheckAnnotation(module, rows);
}

TEST(QualityReport, NamesExactlyTheKnownFindingsOfHandBuiltSheets) {
    const std::vector<Case> cases{
        {"a clean label", P1Label, {}},
        {"bodies overlapping by 0.01",
         P1Label + LabelCell(102, 19.99, 10, 30, 15, {Xy(60, 60), Xy(30, 15)}),
         {{FindingKind::BodyOverlap, {101, 102}, NoElementId, 0.01}}},
        {"bodies 0.01 apart", P1Label + LabelCell(102, 20.01, 10, 30, 15, {Xy(60, 60), Xy(30, 15)}), {}},
        {"a leader whose knee touches another leader",
         P1Label + LabelCell(102, 60, 15, 70, 20, {Xy(80, 70), Xy(30, 32.5), Xy(60, 20)}),
         {{FindingKind::LeaderCrossing, {101, 102}}}},
        {"a knee 0.01 beside another leader",
         P1Label + LabelCell(102, 60, 15, 70, 20, {Xy(80, 70), Xy(30, 32.49), Xy(60, 20)}),
         {}},
        {"a leader through another body",
         P1Label + LabelCell(102, 25, 28, 35, 37, {Xy(70, 40), Xy(35, 28)}),
         {{FindingKind::LeaderThroughBody, {101, 102}}}},
        {"a body one unit outside the border",
         LabelCell(101, -1, 10, 9, 15, {Xy(50, 50), Xy(9, 15)}),
         {{FindingKind::BodyOutsideArea, {101}, NoElementId, 1.0}}},
        {"a body on its component",
         LabelCell(101, 45, 48, 55, 53, {Xy(50, 50), Xy(55, 53)}),
         {{FindingKind::BodyOverComponent, {101}, 1}}},
        {"no label", "", {{FindingKind::UnlabelledComponent, {}, 1}}},
        {"a label 0.01 beside the anchor",
         LabelCell(101, 10, 10, 20, 15, {Xy(50.01, 50), Xy(10, 15)}),
         {{FindingKind::UnlabelledComponent, {}, 1}}},
        {"side labels 1 apart",
         P1Label + LabelCell(201, 20, -20, 22, -17.5, {Xy(20, -10), Xy(20, -20.8)}, "A") +
             LabelCell(202, 23, -20, 25, -17.5, {Xy(23, -10), Xy(23, -20.8)}, "B"),
         {{FindingKind::SideLabelsTooClose, {201, 202}, NoElementId, 1.0}}},
        {"side labels the minimum gap apart",
         P1Label + LabelCell(201, 20, -20, 22, -17.5, {Xy(20, -10), Xy(20, -20.8)}, "A") +
             LabelCell(202, 23.6, -20, 25.6, -17.5, {Xy(23.6, -10), Xy(23.6, -20.8)}, "B"),
         {}},
        {"crossing side-label leaders",
         P1Label + LabelCell(201, 10, -30, 12, -27.5, {Xy(20, -10), Xy(10, -30.8)}, "A") +
             LabelCell(202, 30, -30, 32, -27.5, {Xy(10, -10), Xy(30, -30.8)}, "B"),
         {{FindingKind::SideLeaderCrossing, {201, 202}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QualityReport report = Check(c.active);
        ASSERT_EQ(report.findings.size(), c.findings.size());
        for (std::size_t i = 0; i < c.findings.size(); ++i) {
            const Finding& found = report.findings[i];
            const Expected& expected = c.findings[i];
            EXPECT_EQ(FindingKey(found.kind), FindingKey(expected.kind));
            std::vector<ElementId> cells;
            for (const LabelRef& label : found.labels) cells.push_back(label.cell);
            EXPECT_EQ(cells, expected.labels);
            EXPECT_EQ(found.component ? found.component->id : NoElementId, expected.component);
            if (expected.amount >= 0) {
                EXPECT_NEAR(found.amount, expected.amount, 1e-9);
            }
        }
    }
}

TEST(QualityReport, TellsSideLabelsFromComponentLabelsAndMeasuresTheirLeaders) {
    const QualityReport report = Check(P1Label + LabelCell(102, 60, 15, 70, 20, {Xy(60, 60), Xy(60, 20)}) +
                                       LabelCell(201, 20, -20, 22, -17.5, {Xy(20, -10), Xy(20, -20.8)}, "A"));
    EXPECT_EQ(report.areas, 1);
    EXPECT_EQ(report.componentLabels, 2u);
    EXPECT_EQ(report.sideLabels, 1u);
    EXPECT_EQ(report.selectedComponents, 1u);
    EXPECT_EQ(report.leaders, 3u);
    // Component leaders only: 40 from (60, 60) and sqrt(40^2 + 35^2) from P1.
    EXPECT_EQ(report.leaderLengths.count, 2u);
    EXPECT_DOUBLE_EQ(report.leaderLengths.max, std::hypot(40.0, 35.0));
    EXPECT_DOUBLE_EQ(report.leaderLengths.median, (40.0 + std::hypot(40.0, 35.0)) / 2);
    EXPECT_DOUBLE_EQ(report.leaderLengths.p95, std::hypot(40.0, 35.0));
    ASSERT_EQ(report.findings.size(), 0u);
}

}  // namespace
}  // namespace zkl
