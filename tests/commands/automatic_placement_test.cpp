// Guards Automatic Place and Semi-Auto Place over whole drawings: key-in arguments and where
// the settings come from, the border level and border shapes (drawn once, and a clear stop
// when none can be drawn), each area annotated and then labelled in turn with the view put
// back, the step distance checked first, Esc ending one area only, and, end to end on a
// generated sheet, labels that really stand free where the search said so.
#include "commands/automatic_placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

#include "cad/input_source.h"
#include "commands/labeller_commands.h"
#include "commands/placement_session.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_generator.h"

namespace zkl {
namespace {

namespace fs = std::filesystem;

TEST(KeyinArguments, OnlyAPartReadingFalseSwitchesItsPartOff) {
    const struct {
        const char* text;
        bool dimensions;
        bool labels;
    } table[] = {
        {"false", false, true},
        {"FaLsE", false, true},
        {"TRUE,false", true, false},
        {" False , FALSE ", false, false},
        {"\tfalse\t", false, true},
        {"x,y", true, true},
        {"falsey", true, true},
        {",false", true, false},
        {"false,true,false", false, true},
        {"no", true, true},
    };
    for (const auto& row : table) {
        bool dimensions = true, labels = true;
        ApplyKeyinArguments(row.text, dimensions, labels);
        EXPECT_EQ(dimensions, row.dimensions) << "'" << row.text << "'";
        EXPECT_EQ(labels, row.labels) << "'" << row.text << "'";
    }
}

class AutomaticPlacement : public ::testing::Test {
protected:
    test::Session session{test::ExampleDrawing()};
    test::RecordingHost& host = session.host;

    // Replaces the example's border by its left and right halves.
    std::pair<Element, Element> SplitBorder() {
        const Element border = test::ExampleBorder(host);
        host.RemoveElement(border);
        auto half = [&](double from, double to) {
            Element shape = MakeShape({{from, 70, 0}, {to, 70, 0}, {to, 230, 0}, {from, 230, 0}});
            shape.symbology.level = "ZKL_Border";
            host.AddElement(shape);
            return shape;
        };
        Element left = half(80, 210);
        Element right = half(210, 340);
        return {left, right};
    }

    void RemoveBorder() { host.RemoveElement(test::ExampleBorder(host)); }

    std::size_t CountMessages(std::string_view text) const {
        return static_cast<std::size_t>(std::count_if(host.Messages().begin(), host.Messages().end(),
                                                      [&](const Message& m) { return m.text == text; }));
    }
};

TEST_F(AutomaticPlacement, KeyinArgumentsTakeTheSettingsFromTheFileAndSwitchPartsOff) {
    session.module.settings = {};
    ASSERT_EQ(session.module.dialog, nullptr);
    host.SetKeyinArguments("false");
    const PlacementReport labelsOnly = RunAutomaticPlacement(session.module, true, true);
    EXPECT_EQ(session.module.settings.StepDistance, 5.0);
    EXPECT_EQ(session.module.settings.ShapeLevelName, "ZKL_Border");
    EXPECT_GT(labelsOnly.labels, 10);
    EXPECT_EQ(labelsOnly.sideLabels, 0);
    EXPECT_EQ(labelsOnly.dimensions, 0);
    EXPECT_EQ(labelsOnly.borders, 1);

    test::Session second{test::ExampleDrawing()};
    second.host.SetKeyinArguments(" TRUE , false ");
    const PlacementReport annotationOnly = RunAutomaticPlacement(second.module, true, true);
    EXPECT_EQ(annotationOnly.labels, 0);
    EXPECT_GT(annotationOnly.sideLabels, 0);
    EXPECT_TRUE(second.host.probes.empty());

    // Without arguments the dialog is read, and there is none here.
    test::Session third{test::ExampleDrawing()};
    EXPECT_THROW(RunAutomaticPlacement(third.module, true, true), std::invalid_argument);
}

TEST_F(AutomaticPlacement, EachBorderIsAnnotatedAndThenLabelledBeforeTheNextOne) {
    SplitBorder();
    host.SetKeyinArguments("TRUE,TRUE");
    ViewArea odd;  // a view that zooming by 100 and back by 0.01 would not give back exactly
    odd.origin = {0.1, 0.7, 0};
    odd.extent = {333.3, 217.9, 0};
    host.SetViewArea(1, odd);
    const ElementId firstNew = host.GetDrawing().activeModel.Entries().rbegin()->first + 1;
    auto lastId = [&] { return host.GetDrawing().activeModel.Entries().rbegin()->first; };

    std::set<ElementId> componentLabels;
    std::vector<ElementId> borderEnds;
    PlacementProgress progress;
    progress.labelPlaced = [&](const PassLabel&, const PlacementReport&) {
        componentLabels.insert(lastId());
    };
    progress.borderDone = [&](int, int total, const PlacementReport&) {
        EXPECT_EQ(total, 2);
        borderEnds.push_back(lastId());
    };
    const PlacementReport report = RunAutomaticPlacement(session.module, true, true, progress);
    EXPECT_EQ(report.borders, 2);
    ASSERT_EQ(borderEnds.size(), 2u);

    ElementId from = firstNew;
    for (const ElementId end : borderEnds) {
        std::vector<ElementId> annotation, labels;
        for (ElementId id = from; id <= end; ++id)
            if (host.GetDrawing().activeModel.Find(id))
                (componentLabels.count(id) ? labels : annotation).push_back(id);
        SCOPED_TRACE("border ending at id " + std::to_string(end));
        ASSERT_FALSE(annotation.empty());
        ASSERT_FALSE(labels.empty());
        EXPECT_LT(annotation.back(), labels.front()) << "side labels and dimensions come first";
        from = end + 1;
    }
    EXPECT_EQ(host.zooms, (std::vector<double>{100, 0.01, 100, 0.01}));
    EXPECT_EQ(host.GetViewArea(1), odd);
}

TEST(CreateBorderShapes, DrawsAroundEachDisplayedAttachmentStartingRightOfX40) {
    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}, {2, "ZKL_Border"}};
    drawing.lineStyles = {{"0", {}}, {"6", {6, 1.5}}};
    drawing.activeSymbology = {"Default", 7, "0", 1};
    const struct {
        double lowX;
        bool displayed;
        bool bordered;
    } table[] = {{40.0, true, false}, {40.5, true, true}, {100, false, false}, {-10, true, false}};
    for (const auto& row : table) {
        cad::Attachment attachment;
        attachment.name = "Plant";
        attachment.displayed = row.displayed;
        drawing.attachments.push_back(std::move(attachment));
        Element line = MakeLine({row.lowX, 10, 3}, {row.lowX + 50, 30, 3});
        line.symbology.level = "Default";
        drawing.Add(drawing.ModelCount() - 1, line);
    }
    cad::CadHost host(std::move(drawing));
    mdlOPM_Labeller module(host);
    EXPECT_EQ(CreateBorderShapes(module, "ZKL_Border"), 1);
    const std::vector<Element> shapes = test::ActiveElements(host, ElementType::Shape);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(
        shapes[0].Linear().vertices,
        (std::vector<Point>{{40.5, 10, 0}, {90.5, 10, 0}, {90.5, 30, 0}, {40.5, 30, 0}, {40.5, 10, 0}}));
    EXPECT_EQ(shapes[0].symbology, (Symbology{"ZKL_Border", 7, "6", 4}));
}

TEST_F(AutomaticPlacement, MissingBorderIsDrawnOnceAndFoundByTheNextRun) {
    RemoveBorder();
    host.SetKeyinArguments("false");
    const PlacementReport first = RunAutomaticPlacement(session.module, true, true);
    EXPECT_EQ(first.bordersDrawn, 1);
    EXPECT_EQ(first.borders, 1);
    EXPECT_GT(first.labels, 0);
    const PlacementReport second = RunAutomaticPlacement(session.module, true, true);
    EXPECT_EQ(second.bordersDrawn, 0);
    EXPECT_EQ(second.borders, 1);
    std::size_t borders = 0;
    for (const Element& shape : test::ActiveElements(host, ElementType::Shape))
        if (shape.symbology.level == "ZKL_Border") ++borders;
    EXPECT_EQ(borders, 1u);
}

TEST_F(AutomaticPlacement, WithNoBorderAndNoneToDrawTheRunStopsWithOneMessage) {
    RemoveBorder();
    host.GetDrawing().attachments[0].displayed = false;
    host.SetKeyinArguments("");
    host.SetKeyinArguments("TRUE");
    const std::size_t before = host.GetDrawing().activeModel.Size();
    const PlacementReport report = RunAutomaticPlacement(session.module, true, true);
    EXPECT_EQ(report.borders, 0);
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), before);
    EXPECT_EQ(CountMessages(NoDrawingAreaMessage("ZKL_Border")), 1u);
    EXPECT_NE(NoDrawingAreaMessage("ZKL_Border").find("'ZKL_Border'"), std::string::npos);
    EXPECT_EQ(host.Messages().back().text.rfind("Label placed by Quorvel", 0), 0u);
}

TEST_F(AutomaticPlacement, MissingBorderLevelIsCreatedAndCommitted) {
    RemoveBorder();
    auto& levels = host.GetDrawing().levels;
    levels.erase(
        std::remove_if(levels.begin(), levels.end(), [](const Level& l) { return l.name == "ZKL_Border"; }),
        levels.end());
    host.SetKeyinArguments("false");
    RunAutomaticPlacement(session.module, true, true);
    EXPECT_NO_THROW(host.FindLevel("ZKL_Border"));
    EXPECT_EQ(host.LevelCommitCount(), 1);
}

// A copy of the example configuration with one line changed, beside a sheet pointing at it.
class ChangedConfiguration {
public:
    // Lines of `droppedKey` are left out.
    ChangedConfiguration(const std::string& key, const std::string& value, const std::string& droppedKey = "")
        : folder_(fs::temp_directory_path() /
                  ("zkl_auto_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   key + value + droppedKey)) {
        fs::create_directories(folder_);
        std::ifstream in(test::ExampleConfiguration);
        std::ofstream out(folder_ / "ZKL_Labeller.ini");
        for (std::string line; std::getline(in, line);) {
            if (!droppedKey.empty() && line.rfind(droppedKey + "=", 0) == 0) continue;
            out << (line.rfind(key + "=", 0) == 0 ? key + "=" + value : line) << "\n";
        }
    }
    ~ChangedConfiguration() { fs::remove_all(folder_); }
    std::string MacroProject() const { return (folder_ / "ZKL_Labeller.mvba").string(); }

private:
    fs::path folder_;
};

TEST(AutomaticPlacementSettings, StepDistanceNotAboveZeroIsRefusedBeforeAnythingIsPlaced) {
    for (const char* step : {"0", "-2"}) {
        SCOPED_TRACE(step);
        ChangedConfiguration configuration("STEPDISTANCE", step);
        cad::Drawing drawing = test::ExampleDrawing();
        drawing.macroProjectPath = configuration.MacroProject();
        test::Session session(std::move(drawing));
        session.host.SetKeyinArguments("TRUE,TRUE");
        const std::size_t before = session.host.GetDrawing().activeModel.Size();
        try {
            RunAutomaticPlacement(session.module, true, true);
            ADD_FAILURE() << "a step of " << step << " was accepted";
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find("StepDistance"), std::string::npos) << error.what();
        }
        EXPECT_EQ(session.host.GetDrawing().activeModel.Size(), before);
        EXPECT_TRUE(session.host.Messages().empty());

        // Without labels the step is not needed.
        session.host.SetKeyinArguments("TRUE,FALSE");
        EXPECT_NO_THROW(RunAutomaticPlacement(session.module, true, true));
    }
    // Nor without label rows: sides and dimensions are still placed.
    ChangedConfiguration noRows("STEPDISTANCE", "0", "LABELITEMS");
    cad::Drawing drawing = test::ExampleDrawing();
    drawing.macroProjectPath = noRows.MacroProject();
    test::Session session(std::move(drawing));
    session.host.SetKeyinArguments("TRUE,TRUE");
    const PlacementReport report = RunAutomaticPlacement(session.module, true, true);
    EXPECT_GT(report.dimensions, 0);
    EXPECT_EQ(report.labels, 0);
}

TEST_F(AutomaticPlacement, SemiAutomaticEscEndsOneBorderAndTheNextIsStillVisited) {
    const Element right = SplitBorder().second;
    clsOPM_Labeller labeller(session.module, MakeDialogCommands(session.module));
    labeller.Start_Labeller();
    auto input = std::make_shared<cad::ScriptedInputSource>();
    input->Push(Input::Keyin(EscapeKeyin));  // the left border's first component
    input->Push(Input::DataPoint({300, 260, 0}));
    input->Push(Input::DataPoint({320, 20, 0}));
    host.SetInputSource(input);

    std::vector<PassLabel> placed;
    PlacementProgress progress;
    progress.labelPlaced = [&](const PassLabel& label, const PlacementReport&) { placed.push_back(label); };
    const PlacementReport report = RunSemiAutomaticPlacement(session.module, progress);
    EXPECT_EQ(report.borders, 2);
    EXPECT_TRUE(report.quitByUser);
    EXPECT_EQ(report.labels, 2);
    EXPECT_EQ(input->Pending(), 0u);
    EXPECT_EQ(test::LabelCells(host).size(), 2u);

    // Both labels belong to components the right-hand area takes in.
    host.DefineFenceFromElement(right, 1);
    std::set<std::pair<ModelId, ElementId>> rightComponents;
    for (const Element& element : host.FenceContents()) rightComponents.insert({element.model, element.id});
    host.ClearFence();
    ASSERT_EQ(placed.size(), 2u);
    for (const PassLabel& label : placed) EXPECT_TRUE(rightComponents.count({label.model, label.component}));
    const auto& keyins = host.KeyinLog();
    EXPECT_NE(std::find(keyins.begin(), keyins.end(), "accudraw dialog main"), keyins.end());
    EXPECT_EQ(host.Messages().front().text, "Starting to place labels");
}

TEST_F(AutomaticPlacement, DialogButtonsStartBothCommands) {
    clsOPM_Labeller labeller(session.module, MakeDialogCommands(session.module));
    labeller.Start_Labeller();
    session.module.dialog->Check("chkPlaceDim").value = false;
    session.module.dialog->cmdAutoPlace_Click();
    EXPECT_FALSE(test::LabelCells(host).empty());
    EXPECT_TRUE(test::ActiveElements(host, ElementType::Dimension).empty());
    EXPECT_FALSE(host.probes.empty());

    const std::size_t placed = test::LabelCells(host).size();
    session.module.dialog->cmdSemiAuto_Click();  // no input: every placement is cancelled
    EXPECT_EQ(test::LabelCells(host).size(), placed);
    EXPECT_EQ(CountMessages("Starting to place labels"), 2u);
}

// ---- End to end: an independent check of the free places ---------------------------------

// A rectangle in x-y, shrunk a hair so that touching is not counted as meeting.
struct Box {
    double x0, y0, x1, y1;
    bool Holds(const Point& p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

bool SegmentsCross(const Point& a, const Point& b, const Point& c, const Point& d) {
    const auto side = [](const Point& p, const Point& q, const Point& r) {
        return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
    };
    const double d1 = side(c, d, a), d2 = side(c, d, b), d3 = side(a, b, c), d4 = side(a, b, d);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

bool SegmentMeetsBox(const Point& a, const Point& b, const Box& box) {
    if (box.Holds(a) || box.Holds(b)) return true;
    const Point corners[4] = {
        {box.x0, box.y0, 0}, {box.x1, box.y0, 0}, {box.x1, box.y1, 0}, {box.x0, box.y1, 0}};
    for (int i = 0; i < 4; ++i)
        if (SegmentsCross(a, b, corners[i], corners[(i + 1) % 4])) return true;
    return false;
}

bool CircleMeetsBox(const Point& centre, double radius, const Box& box) {
    const double nearX = std::clamp(centre.x, box.x0, box.x1), nearY = std::clamp(centre.y, box.y0, box.y1);
    const double nearest = std::hypot(centre.x - nearX, centre.y - nearY);
    const double farthest = std::hypot(std::max(std::abs(centre.x - box.x0), std::abs(centre.x - box.x1)),
                                       std::max(std::abs(centre.y - box.y0), std::abs(centre.y - box.y1)));
    return nearest <= radius && radius <= farthest;
}

bool BoxesMeet(const Range& r, const Box& box) {
    return r.low.x <= box.x1 && r.high.x >= box.x0 && r.low.y <= box.y1 && r.high.y >= box.y0;
}

// Brute force over every piece of an element (in active-model coordinates).
bool ElementMeetsBox(const cad::CadHost& host, const Element& element, const Box& box) {
    switch (element.type) {
        case ElementType::Line:
        case ElementType::LineString:
        case ElementType::Shape: {
            const auto& v = element.Linear().vertices;
            if (v.size() == 1) return box.Holds(v[0]);
            for (std::size_t i = 0; i + 1 < v.size(); ++i)
                if (SegmentMeetsBox(v[i], v[i + 1], box)) return true;
            return false;
        }
        case ElementType::Ellipse: {
            const EllipseGeometry& e = element.Ellipse();
            EXPECT_EQ(e.primaryRadius, e.secondaryRadius) << "the checker knows circles only";
            return CircleMeetsBox(e.centre, e.primaryRadius, box);
        }
        case ElementType::Text:
            for (const double entry : element.Text().rotation.m)
                EXPECT_TRUE(std::abs(entry) < 1e-12 || std::abs(std::abs(entry) - 1) < 1e-12)
                    << "the checker knows texts turned by quarter turns only";
            return BoxesMeet(host.TextBox(element), box);
        case ElementType::Cell:
            return std::any_of(element.Cell().components.begin(), element.Cell().components.end(),
                               [&](const Element& c) { return ElementMeetsBox(host, c, box); });
        default:
            return false;
    }
}

TEST(AutomaticPlaceEndToEnd, EveryLabelPlacedAtAFreePlaceIsClearOfComponentsAndOtherLabels) {
    io::SheetGeneratorOptions options;
    options.components = 80;
    options.seed = 11;
    options.macroProjectPath = (fs::path(ZKL_EXAMPLES_DIR) / "ZKL_Labeller.mvba").string();
    test::Session session(io::GenerateSheet(options));
    session.host.SetKeyinArguments("TRUE,TRUE");

    std::vector<PassLabel> placed;
    PlacementProgress progress;
    progress.labelPlaced = [&](const PassLabel& label, const PlacementReport&) { placed.push_back(label); };
    const PlacementReport report = RunAutomaticPlacement(session.module, true, true, progress);
    ASSERT_EQ(static_cast<std::size_t>(report.labels), placed.size());
    ASSERT_GE(placed.size(), 40u);
    EXPECT_GE(report.freePlaces * 10, report.labels * 9) << "nearly every label finds a free place";

    // The plant in active-model coordinates, and the bodies of all label cells.
    std::vector<Element> plant;
    for (const auto& [id, entry] : session.host.GetDrawing().Model(1).Entries()) {
        Element moved = entry.element;
        moved.ApplyTransform(session.host.GetDrawing().AttachmentOf(1).toActive);
        plant.push_back(std::move(moved));
    }
    std::vector<std::vector<Element>> bodies;
    for (const Element& cell : test::LabelCells(session.host)) {
        std::vector<Element> body = cell.Cell().components;
        body.pop_back();  // the leader
        bodies.push_back(std::move(body));
    }

    int checked = 0;
    for (const PassLabel& label : placed) {
        if (!label.search.free) continue;
        const double hair = 1e-7;
        const Box box{label.labelBox.low.x + label.search.offset.x + hair,
                      label.labelBox.low.y + label.search.offset.y + hair,
                      label.labelBox.high.x + label.search.offset.x - hair,
                      label.labelBox.high.y + label.search.offset.y - hair};
        for (const Element& component : plant)
            EXPECT_FALSE(ElementMeetsBox(session.host, component, box))
                << "label of component " << label.component << " meets " << component.Describe();
        int own = 0;
        for (const auto& body : bodies) {
            const Range bodyBox = LabelBox(session.host, body);
            const bool isOwn = std::abs(bodyBox.low.x - (box.x0 - hair)) < 1e-9 &&
                               std::abs(bodyBox.low.y - (box.y0 - hair)) < 1e-9;
            if (isOwn) {
                ++own;
                continue;
            }
            for (const Element& piece : body)
                EXPECT_FALSE(ElementMeetsBox(session.host, piece, box))
                    << "label of component " << label.component << " meets another label's "
                    << piece.Describe();
        }
        EXPECT_EQ(own, 1) << "label of component " << label.component;
        ++checked;
    }
    EXPECT_GE(checked, 36);
}

}  // namespace
}  // namespace zkl
