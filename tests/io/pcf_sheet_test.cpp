// Guards the sheets made from PCF pipelines: the example's sheet loads with the strict
// loader and saves to the same bytes, every component cell lies inside the drawing area's
// border with room for side labels around it, the scale and paper are the largest and
// smallest that fit (or refused with the reason), plants far from their origin are drawn
// around a local one with elevations unchanged, and a grid file becomes a grid cell the
// labeller reads.
#include "io/pcf_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cad/cad_host.h"
#include "io/pcf_reader.h"
#include "io/plant_cells.h"
#include "io/sheet_file.h"
#include "layout/grid_lines.h"

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

std::vector<PcfPipeline> All(const pcf::PcfFile& file) {
    std::vector<PcfPipeline> pipelines;
    for (const pcf::Pipeline& pipeline : file.pipelines) pipelines.push_back({&file, &pipeline});
    return pipelines;
}

Range BorderOf(const cad::Drawing& drawing) {
    for (const auto& [id, entry] : drawing.activeModel.Entries())
        if (entry.element.symbology.level == "ZKL_Border") return drawing.RangeOf(entry.element);
    throw std::runtime_error("no border");
}

Range ActiveRange(const cad::Drawing& drawing, const Element& element) {
    const Range own = drawing.RangeOf(element);
    const Transform3d& toActive = drawing.attachments[0].toActive;
    return Range::FromCorners(toActive.Apply(own.low), toActive.Apply(own.high));
}

// A pipe from (x, y) for `east` then `north` metres, elbow-free: an L of two pipes.
std::string LShape(const std::string& name, double x, double y, double east, double north) {
    const auto point = [](double px, double py) {
        return std::to_string(px) + " " + std::to_string(py) + " 3000 150\n";
    };
    return "PIPELINE-REFERENCE " + name + "\nPIPE\n    END-POINT " + point(x, y) + "    END-POINT " +
           point(x + east * 1000, y) + "PIPE\n    END-POINT " + point(x + east * 1000, y) + "    END-POINT " +
           point(x + east * 1000, y + north * 1000);
}

TEST(PcfSheet, TheExampleLoadsStrictlySavesTheSameBytesAndKeepsEveryCellInsideItsBorder) {
    const pcf::PcfFile file = ReadPcf(fs::path(ZKL_EXAMPLES_DIR) / "pipes.pcf");
    const PcfSheet sheet = BuildPcfSheet(All(file), {});
    const fs::path folder = fs::temp_directory_path();
    const std::string saved = SerializeSheet(sheet.drawing, folder);
    const cad::Drawing loaded = ParseSheet(saved, "pipes.json", folder);
    EXPECT_EQ(SerializeSheet(loaded, folder), saved);

    const Range border = BorderOf(loaded);
    std::size_t cells = 0;
    for (const auto& [id, entry] : loaded.attachments.at(0).model.Entries()) {
        SCOPED_TRACE(entry.element.Describe());
        const Range range = ActiveRange(loaded, entry.element);
        EXPECT_TRUE(border.Contains2d(range.low) && border.Contains2d(range.high));
        ++cells;
    }
    EXPECT_EQ(cells, sheet.components);
    // Room for side labels and dimension chains between the border and the frame.
    EXPECT_GE(border.low.x, 60.0);
    EXPECT_GE(border.low.y, 60.0);
    EXPECT_LE(border.high.x, 420.0 - 60.0);
    EXPECT_LE(border.high.y, 297.0 - 60.0);
}

TEST(PcfSheet, ScaleAndPaperAreTheLargestAndSmallestThatFitOrRefusedWithTheReason) {
    struct Case {
        double east, north;  // metres
        std::optional<int> scale;
        std::optional<Paper> paper;
        Paper expectedPaper;
        int expectedScale;
        std::string error;
    };
    const std::vector<Case> cases{
        {5, 2, {}, {}, Paper::A3, 20, ""},
        {2, 1, {}, {}, Paper::A3, 20, ""},
        {14, 6, {}, {}, Paper::A3, 100, ""},
        {30, 20, {}, {}, Paper::A2, 100, ""},
        {60, 40, {}, {}, Paper::A1, 100, ""},
        {100, 60, {}, {}, Paper::A0, 100, ""},
        {30, 20, {}, Paper::A3, Paper::A3, 200, ""},
        {30, 20, 50, {}, Paper::A1, 50, ""},
        {30, 20, 20, Paper::A3, Paper::A3, 0,
         "the pipeline spans 30.1 m x 20.1 m, more than an A3 sheet holds at 1:20"},
        {900,
         100,
         {},
         {},
         Paper::A0,
         0,
         "the pipeline spans 900.1 m x 100.1 m, more than an A0 sheet holds at 1:500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.east) + " x " + std::to_string(c.north));
        const pcf::PcfFile file =
            ParsePcf("UNITS-BORE MM\nUNITS-CO-ORDS MM\n" + LShape("A", 0, 0, c.east, c.north), "l.pcf");
        PcfSheetOptions options;
        options.scale = c.scale;
        options.paper = c.paper;
        try {
            const PcfSheet sheet = BuildPcfSheet(All(file), options);
            EXPECT_EQ(c.error, "");
            EXPECT_EQ(PaperName(sheet.paper), PaperName(c.expectedPaper));
            EXPECT_EQ(sheet.scale, c.expectedScale);
        } catch (const SheetLayoutError& error) {
            EXPECT_NE(c.error, "");
            EXPECT_EQ(std::string(error.what()).substr(0, c.error.size()), c.error);
        }
    }
}

TEST(PcfSheet, PlantsFarFromTheirOriginAreDrawnAroundALocalOriginWithTheirElevations) {
    const pcf::PcfFile file = ParsePcf(
        "UNITS-BORE MM\nUNITS-CO-ORDS MM\n" + LShape("A", 987654321.25, 123456789.5, 6, 3), "far.pcf");
    const PcfSheet sheet = BuildPcfSheet(All(file), {});
    EXPECT_EQ(sheet.localOrigin.x, 987654000);
    EXPECT_EQ(sheet.localOrigin.y, 123456000);
    const auto& model = sheet.drawing.attachments.at(0).model;
    const Element& first = model.Entries().begin()->second.element;
    const testing::Frame frame = testing::FrameOf(first);
    EXPECT_NEAR(frame.origin.x, 321.25, 1e-6);
    EXPECT_NEAR(frame.origin.y, 789.5, 1e-6);
    EXPECT_EQ(frame.origin.z, 3000);
    EXPECT_EQ(first.Cell().origin.z, 30);
    const Range range = sheet.drawing.AttachmentRange(1);
    EXPECT_LT(range.high.x, 420);
    EXPECT_GT(range.low.x, 0);
}

TEST(PcfSheet, AGridFileBecomesAGridCellWhoseLinesTheLabellerFindsInsideTheArea) {
    const pcf::PcfFile file =
        ParsePcf("UNITS-BORE MM\nUNITS-CO-ORDS MM\n" + LShape("A", 0, 0, 12, 8), "grid.pcf");
    PcfSheetOptions options;
    options.grid = ParseGridAxes("# axes\nA E 1000\nB x 7000\n1 N 500\n2 Y 6500\nFAR E 90000\n", "grid.txt");
    PcfSheet sheet = BuildPcfSheet(All(file), options);
    ASSERT_EQ(sheet.warnings.size(), 1u);
    EXPECT_EQ(sheet.warnings[0],
              "grid axis \"FAR\" at E 90000 lies outside the drawing area; it is left out");

    std::optional<ElementId> grid;
    for (const auto& [id, entry] : sheet.drawing.attachments[0].model.Entries())
        if (entry.element.Cell().name == "GRID") grid = id;
    ASSERT_TRUE(grid);
    const Range border = BorderOf(sheet.drawing);
    const Transform3d toActive = sheet.drawing.attachments[0].toActive;
    cad::CadHost host(std::move(sheet.drawing));
    GridLines lines;
    CollectGridLines(host, host.GetElement(1, *grid), border, lines);
    const auto x = [&](double mm) { return toActive.Apply({mm / 100, 0, 0}).x; };
    const auto y = [&](double mm) { return toActive.Apply({0, mm / 100, 0}).y; };
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].name, "A");
    EXPECT_EQ(lines[0].axis, "X");
    EXPECT_NEAR(lines[0].position, x(1000), 1e-9);
    EXPECT_EQ(lines[3].name, "2");
    EXPECT_EQ(lines[3].axis, "Y");
    EXPECT_NEAR(lines[3].position, y(6500), 1e-9);
}

}  // namespace
}  // namespace zkl::io
