// Guards the labelling pass over one border: the spiral free-place search (where its counter
// starts, its rings, its progress text, its cap), which cells get a label, how the host's
// fence modes, status and view are left, and Esc ending a semi-automatic pass.
#include "commands/labelling_pass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>

#include "cad/input_source.h"
#include "commands/placement_session.h"
#include "component/property_text.h"

namespace zkl {
namespace {

using test::RecordingHost;

// A drawing whose every probe near the origin meets something: one text whose box (a solid
// to the fence) reaches far beyond the largest ring a capped search walks.
cad::Drawing BlockedDrawing() {
    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}};
    Element wall = MakeText("X", {0, 0, 0});
    wall.Text().height = 2000;
    wall.Text().width = 2000;
    wall.Text().justification = 7;
    wall.symbology.level = "Default";
    drawing.Add(ActiveModelId, wall);
    return drawing;
}

const Point Low{0, 0, 0};
const Point High{0.5, 0.5, 0};

TEST(FreePlaceSearch, CounterStartsAtStartOverStepAndShowsTensAsBarsAndTheRestAsArrows) {
    RecordingHost host(BlockedDrawing());
    FindFreeLabelOffset(host, Low, High, 1.0, 3.0);
    ASSERT_GE(host.prompts.size(), 10u);
    EXPECT_EQ(host.prompts[0], ">>>>");  // n = 4 after the first probe
    EXPECT_EQ(host.prompts[9], "|>>>");  // n = 13 after the tenth

    const struct {
        std::int64_t counter;
        const char* text;
    } table[] = {{0, ""}, {4, ">>>>"}, {10, "|"}, {13, "|>>>"}, {23, "||>>>"}, {101, "||||||||||>"}};
    for (const auto& row : table) EXPECT_EQ(ProbeProgressText(row.counter), row.text) << row.counter;

    // The search updates its text probe by probe; every text it shows is the counter's (the
    // host keeps the texts that are not empty, which begin at counter 1 or after it).
    for (const double start : {-25.0, 0.0, 3.0, 95.0}) {
        RecordingHost blocked(BlockedDrawing());
        FindFreeLabelOffset(blocked, Low, High, 1.0, start);
        const std::int64_t first = std::max<std::int64_t>(static_cast<std::int64_t>(std::floor(start)) + 1, 1);
        ASSERT_GE(blocked.prompts.size(), 300u);
        for (std::size_t i = 0; i < 300; ++i)
            ASSERT_EQ(blocked.prompts[i], ProbeProgressText(first + static_cast<std::int64_t>(i)))
                << "start " << start << ", probe " << i + 1;
    }
}

TEST(FreePlaceSearch, FirstProbeLiesOneStepAwayAndAFreeOneEndsTheSearch) {
    RecordingHost host{cad::Drawing{}};
    const Point low{10, 20, 1}, high{30, 23, 1};
    const FreePlaceSearch search = FindFreeLabelOffset(host, low, high, 2.5, 3.0);
    EXPECT_TRUE(search.free);
    EXPECT_EQ(search.probes, 1);
    EXPECT_NEAR(Length(search.offset), 2.5, 1e-12);
    // Arc length s on a circle of radius s from its start on +x: one radian round.
    EXPECT_NEAR(search.offset.x, 2.5 * std::cos(1.0), 1e-12);
    EXPECT_NEAR(search.offset.y, 2.5 * std::sin(1.0), 1e-12);

    ASSERT_EQ(host.probes.size(), 1u);
    const auto& k = host.probes[0];
    ASSERT_EQ(k.size(), 4u);
    const Point k1 = low + search.offset, k3 = high + search.offset;
    EXPECT_EQ(k[0], k1);
    EXPECT_EQ(k[1], (Point{k3.x, k1.y, k1.z}));
    EXPECT_EQ(k[2], k3);
    EXPECT_EQ(k[3], (Point{k1.x, k3.y, k3.z}));
}

TEST(FreePlaceSearch, EachRingHoldsTheWholeStepsStrictlyBelowItsLength) {
    RecordingHost host(BlockedDrawing());
    FindFreeLabelOffset(host, Low, High, 1.0, 3.0);
    std::vector<int> perRing(6, 0);
    for (const auto& probe : host.probes) {
        const double radius = Length(probe[0] - Low);
        const int ring = static_cast<int>(std::lround(radius));
        ASSERT_NEAR(radius, ring, 1e-9);
        if (ring < 6) ++perRing[static_cast<std::size_t>(ring)];
    }
    // floor(2 pi k) steps for k = 1..5; no probe at the label's own place (ring 0).
    EXPECT_EQ(perRing, (std::vector<int>{0, 6, 12, 18, 25, 31}));
}

TEST(FreePlaceSearch, CounterLimitEndsTheSearchAtTheLastProbeFreeOrNot) {
    const struct {
        double step;
        std::int64_t probes;
    } table[] = {{0.0002, 1}, {0.001, 7001}, {1.0, 9998}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.step);
        RecordingHost host(BlockedDrawing());
        const FreePlaceSearch search = FindFreeLabelOffset(host, Low, High, row.step, 3.0);
        EXPECT_FALSE(search.free);
        EXPECT_EQ(search.probes, row.probes);
        ASSERT_EQ(host.probes.size(), static_cast<std::size_t>(row.probes));
        EXPECT_EQ(search.offset, host.probes.back()[0] - Low);
    }
}

TEST(FreePlaceSearch, StepThatIsNotAPositiveNumberIsRefusedBeforeAnyProbe) {
    for (const double step : {0.0, -1.0, std::nan("")}) {
        RecordingHost host(BlockedDrawing());
        host.SetFenceModes({false, true, true});
        EXPECT_THROW(FindFreeLabelOffset(host, Low, High, step, 3.0), std::invalid_argument) << step;
        EXPECT_TRUE(host.probes.empty());
        EXPECT_EQ(host.GetFenceModes(), (FenceModes{false, true, true}));
    }
}

TEST(FreePlaceSearch, SearchPutsTheFenceModesBackAndClearsBothStatusFields) {
    RecordingHost host(BlockedDrawing());
    host.SetFenceModes({false, true, true});
    FindFreeLabelOffset(host, Low, High, 5.0, 3.0);
    EXPECT_EQ(host.GetFenceModes(), (FenceModes{false, true, true}));
    EXPECT_EQ(host.Status(StatusField::Command), "");
    EXPECT_EQ(host.Status(StatusField::Prompt), "");
}

TEST(LabelBox, SpansEveryBodyElementWithTextsByTheirBoxAndZFromTheFirst) {
    cad::CadHost host{cad::Drawing{}};
    Element text = MakeText("ABCD", {10, 10, 7});
    text.Text().height = 2;
    text.Text().width = 1;
    const Range textBox = host.TextBox(text);
    const Element underline = MakeLineString({{9, 8, 0}, {20, 8, 0}});
    const Range box = LabelBox(host, {text, underline});
    EXPECT_EQ(box.low, (Point{9, 8, textBox.low.z}));
    EXPECT_EQ(box.high, (Point{20, textBox.high.y, textBox.high.z}));
    EXPECT_EQ(box.low.z, 7);
}

TEST(ZoomToElement, ShowsFiveDiagonalsAroundTheElementInThePlanView) {
    cad::CadHost host{cad::Drawing{}};
    const int redraws = host.RedrawCount(1);
    ZoomToElement(host, MakeLine({0, 0, 0}, {3, 4, 0}));
    const ViewArea area = host.GetViewArea(1);
    EXPECT_EQ(area.origin, (Point{-25, -25, 0}));
    EXPECT_EQ(area.extent, (Point{53, 54, 0}));
    EXPECT_EQ(area.rotation, Matrix3d::Identity());
    EXPECT_EQ(host.RedrawCount(1), redraws + 1);
}

TEST(ZoomToElement, ShowsAnAttachedComponentWhereTheAttachmentPutsIt) {
    cad::Drawing drawing;
    cad::Attachment plant;
    plant.name = "Plant";
    plant.toActive = Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), {100, 200, 0});
    drawing.attachments.push_back(std::move(plant));
    Element line = MakeLine({0, 0, 0}, {3, 4, 0});
    drawing.Add(1, line);
    cad::CadHost host(std::move(drawing));
    ZoomToElement(host, line);
    EXPECT_EQ(host.GetViewArea(1).origin, (Point{75, 175, 0}));
    EXPECT_EQ(host.GetViewArea(1).extent, (Point{53, 54, 0}));
}

// ---- The pass over the example sheet ----------------------------------------------------

class LabellingPass : public ::testing::Test {
protected:
    test::Session session{test::ExampleDrawing()};
    RecordingHost& host = session.host;
};

TEST_F(LabellingPass, AutomaticPassLabelsEachComponentAtAFreePlaceOffItsOwnPlace) {
    const std::size_t before = host.GetDrawing().activeModel.Size();
    const PassResult result = LabelComponentsInBorder(session.module, test::ExampleBorder(host),
                                                      LabellingManner::Automatic, session.labelItems);
    ASSERT_GE(result.labels.size(), 10u);
    EXPECT_FALSE(result.quit);
    const std::vector<Element> cells = test::LabelCells(host);
    ASSERT_EQ(cells.size(), result.labels.size());
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), before + cells.size());

    std::set<ElementId> labelled;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const PassLabel& label = result.labels[i];
        SCOPED_TRACE(cells[i].Describe());
        EXPECT_TRUE(labelled.insert(label.component).second) << "one label per component";
        EXPECT_EQ(label.model, 1);
        EXPECT_TRUE(label.search.free);
        EXPECT_GE(Length(label.search.offset), session.module.settings.StepDistance - 1e-9);
        // The cell's body sits where the free probe was; its leader starts at the anchor.
        std::vector<Element> body = cells[i].Cell().components;
        const Element leader = body.back();
        body.pop_back();
        const Range box = LabelBox(host, body);
        EXPECT_NEAR(box.low.x, label.labelBox.low.x + label.search.offset.x, 1e-9);
        EXPECT_NEAR(box.high.y, label.labelBox.high.y + label.search.offset.y, 1e-9);
        EXPECT_EQ(leader.Linear().vertices.front(), label.anchor);
    }
    EXPECT_EQ(host.GetFenceModes(), FenceModes{});
    EXPECT_FALSE(host.CurrentFence().Defined());
}

TEST_F(LabellingPass, SkipsCellsOfTheActiveModelAndOfClassUnknownAndRestoresTheFenceModes) {
    cad::Drawing& drawing = host.GetDrawing();
    const auto& plant = drawing.Model(1).Entries();
    const Element pipe = plant.begin()->second.element;
    ASSERT_EQ(pipe.Cell().name, "PIPE");

    // The same pipe drawn into the active model, inside the border.
    Element inActiveModel = pipe;
    inActiveModel.ApplyTransform(drawing.AttachmentOf(1).toActive);
    drawing.Add(ActiveModelId, inActiveModel);
    // A plant cell that the rows would label but whose 25 properties make it a grouping object.
    Element unknown = pipe;
    while (unknown.properties.size() < 25)
        unknown.properties.push_back({"NOTE_" + std::to_string(unknown.properties.size()), "x"});
    drawing.Add(1, unknown);
    ASSERT_EQ(GetObjectClassName(host, unknown), "UNKNOWN");

    host.SetFenceModes({false, true, false});
    const PassResult result = LabelComponentsInBorder(session.module, test::ExampleBorder(host),
                                                      LabellingManner::Automatic, session.labelItems);
    std::set<std::pair<ModelId, ElementId>> labelled;
    for (const PassLabel& label : result.labels) labelled.insert({label.model, label.component});
    EXPECT_TRUE(labelled.count({1, pipe.id})) << "the original pipe is labelled";
    EXPECT_FALSE(labelled.count({1, unknown.id}));
    EXPECT_FALSE(labelled.count({ActiveModelId, inActiveModel.id}));
    EXPECT_EQ(host.GetFenceModes(), (FenceModes{false, true, false}));
}

TEST_F(LabellingPass, BorderWithoutComponentsPlacesNothingAndLeavesTheHostAsItWas) {
    Element empty = MakeShape({{1000, 1000, 0}, {1100, 1000, 0}, {1100, 1080, 0}, {1000, 1080, 0}});
    empty.symbology.level = "ZKL_Border";
    host.AddElement(empty);
    host.SetFenceModes({true, true, true});
    const std::size_t before = host.GetDrawing().activeModel.Size();
    const PassResult result =
        LabelComponentsInBorder(session.module, empty, LabellingManner::Automatic, session.labelItems);
    EXPECT_TRUE(result.labels.empty());
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), before);
    EXPECT_EQ(host.GetFenceModes(), (FenceModes{true, true, true}));
    EXPECT_TRUE(host.probes.empty());
}

TEST_F(LabellingPass, SemiAutomaticPassPlacesWhereTheUserPointsAndEscEndsIt) {
    auto input = std::make_shared<cad::ScriptedInputSource>();
    const Point picked{200, 250, 0};
    input->Push(Input::DataPoint(picked));
    input->Push(Input::Keyin(EscapeKeyin));
    input->Push(Input::DataPoint({210, 260, 0}));  // never asked for: the pass has ended
    host.SetInputSource(input);

    const PassResult result = LabelComponentsInBorder(session.module, test::ExampleBorder(host),
                                                      LabellingManner::SemiAutomatic, session.labelItems);
    EXPECT_TRUE(result.quit);
    ASSERT_EQ(result.labels.size(), 1u);
    EXPECT_EQ(input->Pending(), 1u);
    const std::vector<Element> cells = test::LabelCells(host);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].Cell().components.back().Linear().vertices.front(), result.labels[0].anchor);
    EXPECT_TRUE(host.Highlighted().empty());
    EXPECT_TRUE(host.probes.empty()) << "the user chooses the place; nothing is probed";

    // The view shows the second component, the one Esc was pressed for.
    const ViewArea area = host.GetViewArea(1);
    EXPECT_LT(area.extent.x, 300);
}

}  // namespace
}  // namespace zkl
