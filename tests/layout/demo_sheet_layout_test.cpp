// Guards the annotation of the bundled example's drawing area as a person sees it: the
// example sheet with the general part of the example configuration, rendered to SVG, has
// side labels on all four sides, a grid name at both ends of every grid line, no two
// labels on a side closer than the minimum gap, and a dimension chain along each side.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "cad/cad_host.h"
#include "io/sheet_file.h"
#include "io/svg_reading.h"
#include "io/svg_renderer.h"
#include "layout/border_annotation.h"
#include "layout/side_labels.h"
#include "settings/settings_file.h"

namespace zkl {
namespace {

namespace fs = std::filesystem;

// One label cell as the picture shows it.
struct PictureLabel {
    std::string text;
    bool gridName = false;  // drawn with a circle
    Point anchor;           // the leader's first vertex
    Range box;              // what the text fills
};

// A <text> runs from its transform's (e, f) along (a, b) for textLength; its glyphs rise
// along -(c, d) by the font size.
Range TextBoxOf(const svg_reading::Tag& text) {
    const std::vector<double> m = svg_reading::MatrixOf(text["transform"]);
    const Point start{m[4], m[5], 0};
    const Point along = Point{m[0], m[1], 0} * text.Number("textLength");
    const Point up = Point{-m[2], -m[3], 0} * text.Number("font-size");
    Range box = Range::FromPoint(start);
    for (const Point& corner : {start + along, start + up, start + along + up}) box.Extend(corner);
    return box;
}

std::vector<PictureLabel> LabelsInPicture(const std::string& svg) {
    std::vector<PictureLabel> labels;
    const std::string marker = "class=\"cell ZKL_Label\" data-id=\"";
    for (std::size_t at = svg.find(marker); at != std::string::npos; at = svg.find(marker, at + 1)) {
        const std::size_t idStart = at + marker.size();
        const std::string group =
            svg_reading::Group(svg, marker + svg.substr(idStart, svg.find('"', idStart) - idStart));
        const auto texts = svg_reading::FindTags(group, "text");
        const auto leaders = svg_reading::FindTags(group, "polyline");
        if (texts.size() != 1 || leaders.size() != 1) {
            ADD_FAILURE() << "a label cell that is not one text and one leader:\n" << group;
            continue;
        }
        double x = 0, y = 0;
        std::sscanf(leaders[0]["points"].c_str(), "%lf,%lf", &x, &y);
        labels.push_back({texts[0].content,
                          !svg_reading::FindTags(group, "ellipse").empty(),
                          {x, y, 0},
                          TextBoxOf(texts[0])});
    }
    return labels;
}

TEST(DemoSheetLayout, EverySideGetsLabelsSpacedByTheMinimumGapAndADimensionChain) {
    cad::CadHost host(io::LoadSheet(fs::path(ZKL_EXAMPLES_DIR) / "demo_sheet.json"));
    auto prompter = std::make_shared<cad::RecordingPrompter>();
    host.SetPrompter(prompter);
    mdlOPM_Labeller module(host);
    ItemRows labelItems, dimItems;
    LoadSettingsFile(fs::path(ZKL_EXAMPLES_DIR) / "ZKL_Labeller.ini", module, nullptr, labelItems, dimItems,
                     "", true);
    std::vector<Element> borders;
    for (const auto& [id, entry] : host.GetDrawing().activeModel.Entries())
        if (entry.element.symbology.level == module.settings.ShapeLevelName) borders.push_back(entry.element);
    ASSERT_EQ(borders.size(), 1u);
    const Range border = host.ElementRange(borders[0]);

    const BorderAnnotationResult result = AnnotateBorderSides(module, borders[0], dimItems);
    EXPECT_TRUE(result.componentFound);
    EXPECT_TRUE(prompter->Boxes().empty());
    const std::string svg = io::RenderSvg(host.GetDrawing());
    ASSERT_TRUE(svg_reading::WellFormed(svg));
    EXPECT_EQ(svg_reading::Count(svg, "class=\"dimension\""), 4u);

    const double h = module.settings.DimHeight;
    std::map<BorderSide, std::vector<PictureLabel>> sides;
    for (const PictureLabel& label : LabelsInPicture(svg)) {
        const Point& a = label.anchor;
        if (a.y == border.low.y - h)
            sides[BorderSide::Bottom].push_back(label);
        else if (a.y == border.high.y + h)
            sides[BorderSide::Top].push_back(label);
        else if (a.x == border.low.x - h)
            sides[BorderSide::Left].push_back(label);
        else if (a.x == border.high.x + h)
            sides[BorderSide::Right].push_back(label);
        else
            ADD_FAILURE() << label.text << ": its leader does not start on a dimension line";
    }

    std::map<std::string, std::pair<int, int>> counts;  // side labels and grid names per side
    for (auto& [side, labels] : sides) {
        const bool alongX = side == BorderSide::Bottom || side == BorderSide::Top;
        // Along the side: left to right, or top to bottom.
        std::sort(labels.begin(), labels.end(), [&](const PictureLabel& a, const PictureLabel& b) {
            return alongX ? a.box.low.x < b.box.low.x : a.box.high.y > b.box.high.y;
        });
        auto& [sideLabels, gridNames] = counts[std::string(SideName(side))];
        for (std::size_t k = 0; k < labels.size(); ++k) {
            ++(labels[k].gridName ? gridNames : sideLabels);
            if (k == 0) continue;
            const PictureLabel& p = labels[k - 1];
            const PictureLabel& l = labels[k];
            const double gap = alongX ? l.box.low.x - p.box.high.x : p.box.low.y - l.box.high.y;
            // The picture writes coordinates rounded to a few decimals.
            EXPECT_GE(gap, MinimumGap(module.settings.UnderlineDistance, p.gridName, l.gridName) - 1e-3)
                << p.text << " / " << l.text;
        }
    }
    // Three grid lines each way. The riser's bare line number gives way to the same line's
    // elevated text, and of two pipes with one text the later one keeps it.
    const std::map<std::string, std::pair<int, int>> expected = {
        {"BOTTOM", {1, 3}}, {"LEFT", {1, 3}}, {"RIGHT", {1, 3}}, {"TOP", {2, 3}}};
    EXPECT_EQ(counts, expected);
}

}  // namespace
}  // namespace zkl
