// Guards the manual labelling command on the example sheet as a user drives it from the
// main dialog: new labels, relocating placed labels (anchor, knee and reference point kept),
// what is refused as an invalid element, and the messages that open and close a run.
#include "commands/manual_labelling.h"

#include <gtest/gtest.h>

#include <memory>

#include "cad/cad_host.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_file.h"
#include "label/label_cell.h"

namespace zkl {
namespace {

// Points on the example sheet, in active-model coordinates.
const Point Pipe1001{95, 130, 0};     // 1001-P, DN 200, running along x
const Point VesselV101{290, 185, 0};  // the bottom of vessel V-101's outline
// Hand-made labels go into the empty strip above the drawing area.
const Point HandAnchor{140, 262, 0};
const Point HandReference{160, 268, 0};
const Point Target{200, 272, 0};

const std::string StartMessage = "Starting to place labels";

struct ManualLabellingTest : ::testing::Test {
    ManualLabellingTest()
        : host(io::LoadSheet(std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json")),
          module(host),
          labeller(module, MakeDialogCommands(module)) {
        labeller.Start_Labeller();
    }

    void Script(std::deque<Input> inputs) {
        host.SetInputSource(std::make_shared<cad::ScriptedInputSource>(inputs));
    }

    void RunManual(std::deque<Input> inputs) {
        Script(std::move(inputs));
        RunManualLabelling(module, ManualMode);
    }

    std::vector<Element> Labels() const {
        std::vector<Element> labels;
        for (const Element& element : host.Scan({}))
            if (element.IsCell() && element.Cell().name == LabelCellName) labels.push_back(element);
        return labels;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const Message& message : host.Messages()) texts.push_back(message.text);
        return texts;
    }

    // A label cell as the labeller leaves it: the body, then a leader from the anchor over
    // the knee. Earlier hand-made cells are removed first.
    Element AddHandMadeLabel(std::vector<Element> body, const Point& knee = {},
                             std::string name = std::string(LabelCellName)) {
        for (const Element& element : host.Scan({}))
            if (element.IsCell()) host.RemoveElement(element);
        body.push_back(MakeLineString({HandAnchor, HandAnchor + knee, HandReference}));
        Element cell = MakeCell(std::move(name), body, HandAnchor);
        host.AddElement(cell);
        return cell;
    }

    static Element Text(const Point& origin, int justification) {
        Element text = MakeText("LBL", origin);
        text.Text().justification = justification;
        return text;
    }

    static std::vector<Point> LeaderOf(const Element& label) {
        return label.Cell().components.back().Linear().vertices;
    }

    cad::CadHost host;
    mdlOPM_Labeller module;
    clsOPM_Labeller labeller;
};

TEST_F(ManualLabellingTest, PickedComponentsGetLabelsAndTheSummaryNamesWhatTheyLacked) {
    RunManual({Input::DataPoint(Pipe1001), Input::DataPoint({95, 150, 0}), Input::DataPoint(VesselV101),
               Input::DataPoint({320, 175, 0}), Input::Reset()});

    const auto labels = Labels();
    ASSERT_EQ(labels.size(), 2u);
    const auto& pipe = labels[0].Cell().components;
    // The opening style (Piping) boxes pipe labels: text, box, leader.
    ASSERT_EQ(pipe.size(), 3u);
    EXPECT_TRUE(pipe[0].Text().text.starts_with("1001-P-200-A1A")) << pipe[0].Text().text;
    EXPECT_EQ(pipe[0].Text().origin, (Point{95, 150, 0}));
    EXPECT_EQ(LeaderOf(labels[0])[0], Pipe1001);
    EXPECT_EQ(LeaderOf(labels[0])[1], Pipe1001) << "a new label has no knee";
    EXPECT_TRUE(host.Highlighted().empty());
    // Pipes have no equipment location and equipment no class name.
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{StartMessage,
                                        "Label placed by Quorvel. These properties are "
                                        "invalid, Please check: EQUIPMENT_LOCATION,EC_CLASS_NAME"}));
    EXPECT_EQ(host.Status(StatusField::Prompt), "");
    EXPECT_EQ(host.DefaultCommandCount(), 1);
}

TEST_F(ManualLabellingTest, RelocationKeepsAnchorAndKneeAndResetPutsTheLabelBack) {
    const Point knee{5, 3, 0};
    for (const bool moved : {true, false}) {
        SCOPED_TRACE(moved ? "placed anew" : "reset");
        const Element old =
            AddHandMadeLabel({Text(HandReference, 7), MakeLine({158, 266, 0}, {162, 266, 0})}, knee);
        // The pick lands on the knee; the anchor still comes from the old leader.
        RunManual({Input::DataPoint(HandAnchor + knee), moved ? Input::DataPoint(Target) : Input::Reset(),
                   Input::Reset()});

        const auto labels = Labels();
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_NE(labels[0].id, old.id) << "the old cell is replaced";
        const auto& components = labels[0].Cell().components;
        ASSERT_EQ(components.size(), 3u);
        const Point shift = moved ? Target - HandReference : Point{};
        EXPECT_EQ(components[0].Text().origin, HandReference + shift);
        EXPECT_EQ(components[1].Linear().vertices[0], (Point{158, 266, 0} + shift));
        EXPECT_EQ(LeaderOf(labels[0])[0], HandAnchor);
        EXPECT_EQ(LeaderOf(labels[0])[1], (HandAnchor + knee));
    }
}

TEST_F(ManualLabellingTest, RelocationBringsTheBodysReferencePointToTheDataPoint) {
    struct Case {
        const char* makeUp;
        std::vector<Element> body;
        Point reference;
    };
    const Point underline{157, 266, 0};
    const std::vector<Case> cases{
        {"text alone", {Text(HandReference, 2)}, HandReference},
        {"boxed text",
         {Text(HandReference, 7), MakeLineString({{150, 265, 0}, {170, 265, 0}, {170, 271, 0}})},
         HandReference},
        {"underlined centred text",
         {Text(HandReference, 7), MakeLine(underline, {163, 266, 0})},
         HandReference},
        {"underlined text", {Text(HandReference, 2), MakeLine(underline, {163, 266, 0})}, underline},
        {"circled text", {Text({158, 267, 0}, 7), MakeEllipse(HandReference, 5, 5)}, HandReference},
        {"split circled text",
         {Text({160, 269, 0}, 8), Text({160, 267, 0}, 6), MakeEllipse(HandReference, 5, 5)},
         HandReference},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.makeUp);
        const Element old = AddHandMadeLabel(c.body);
        RunManual({Input::DataPoint(HandAnchor), Input::DataPoint(Target), Input::Reset()});

        const auto labels = Labels();
        ASSERT_EQ(labels.size(), 1u);
        const auto& after = labels[0].Cell().components;
        ASSERT_EQ(after.size(), old.Cell().components.size());
        Element expected = old.Cell().components[0];
        expected.Move(Target - c.reference);
        EXPECT_NEAR(Distance(after[0].Text().origin, expected.Text().origin), 0.0, 1e-9);
    }
}

TEST_F(ManualLabellingTest, PicksThatGiveNoBodyAreReportedAsInvalidAndChangeNothing) {
    struct Case {
        const char* what;
        std::vector<Element> body;
        std::string name = std::string(LabelCellName);
    };
    const std::vector<Case> cases{
        {"a cell no row applies to", {Text(HandReference, 7)}, "VALVE"},
        {"a label whose first component is no text",
         {MakeLine({150, 265, 0}, {170, 265, 0}), Text(HandReference, 7)}},
        {"a label of text and two circles",
         {Text(HandReference, 7), MakeEllipse(HandReference, 5, 5), MakeEllipse(HandReference, 6, 6)}},
        {"a label counted as circled but without a circle",
         {Text(HandReference, 7), MakeLineString({{150, 265, 0}, {170, 265, 0}}),
          MakeLine({150, 264, 0}, {170, 264, 0})}},
        {"a label of a leader alone", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Element cell = AddHandMadeLabel(c.body, {}, c.name);
        const std::size_t before = host.Messages().size();
        RunManual({Input::DataPoint(HandAnchor), Input::Reset()});

        ASSERT_EQ(host.Messages().size(), before + 3);
        EXPECT_EQ(host.Messages()[before + 1].text, "Invalid element!");
        EXPECT_EQ(host.GetElement(ActiveModelId, cell.id), cell) << "the picked cell stays as it was";
    }
}

TEST_F(ManualLabellingTest, LabelsTheUserMayNotChangeAreNotTakenApart) {
    for (const bool inReference : {false, true}) {
        SCOPED_TRACE(inReference ? "a label of the reference attachment" : "a locked label");
        const Transform3d toModel = inReference ? host.Attachment(1).toReference : Transform3d{};
        Element text = Text(toModel.Apply(HandReference), 7);
        Element cell = MakeCell(std::string(LabelCellName),
                                {text, MakeLineString({toModel.Apply(HandAnchor), toModel.Apply(HandAnchor),
                                                       toModel.Apply(HandReference)})},
                                toModel.Apply(HandAnchor));
        cell.locked = !inReference;
        for (const Element& element : Labels()) host.RemoveElement(element);
        const ModelId model = inReference ? 1 : ActiveModelId;
        const ElementId id = host.GetDrawing().Add(model, cell);
        const Element before = host.GetElement(model, id);
        const std::size_t messages = host.Messages().size();

        ASSERT_NO_THROW(RunManual({Input::DataPoint(HandAnchor), Input::Reset()}));
        ASSERT_EQ(host.Messages().size(), messages + 3);
        EXPECT_EQ(host.Messages()[messages + 1].text, "Invalid element!");
        EXPECT_EQ(host.GetElement(model, id), before) << "the picked label stays as it was";
        EXPECT_EQ(Labels().size(), inReference ? 0u : 1u) << "no new label cell";
    }
}

TEST_F(ManualLabellingTest, PipelineAndEquipmentButtonsLabelWithTheDialogsFormats) {
    struct Case {
        void (FrmMain::*button)();
        Point pick;
        std::string text;
    };
    for (const Case& c : {Case{&FrmMain::cmdPipeline_Click, Pipe1001, "1001-P-200 EL+"},
                          Case{&FrmMain::cmdEquip_Click, VesselV101, "V-101"}}) {
        SCOPED_TRACE(c.text);
        for (const Element& label : Labels()) host.RemoveElement(label);
        Script({Input::DataPoint(c.pick), Input::DataPoint(Target), Input::Reset()});
        ((*module.dialog).*c.button)();

        const auto labels = Labels();
        ASSERT_EQ(labels.size(), 1u);
        const auto& components = labels[0].Cell().components;
        ASSERT_EQ(components.size(), 3u) << "the frame style box says 2: boxed";
        EXPECT_TRUE(components[0].Text().text.starts_with(c.text)) << components[0].Text().text;
    }
}

}  // namespace
}  // namespace zkl
