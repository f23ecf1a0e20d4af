// Guards CadHost's interaction: where inputs come from and in which order, what key-ins do,
// the drag of "move", view zoom, and the messages, boxes and macro properties it answers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cad/cad_host.h"
#include "test_drawings.h"

namespace zkl::cad {
namespace {

using test::BasicDrawing;

TEST(CadHostInput, ExhaustedScriptAnswersReset) {
    CadHost host(BasicDrawing());
    EXPECT_EQ(host.WaitForInput(), Input::Reset());  // the default source is an empty script

    auto script = std::make_shared<ScriptedInputSource>();
    script->Push(Input::DataPoint({1, 2, 0}, 3));
    script->Push(Input::Keyin(EscapeKeyin));
    host.SetInputSource(script);
    EXPECT_EQ(host.WaitForInput(), Input::DataPoint({1, 2, 0}, 3));
    EXPECT_EQ(host.LastInputView(), 3);
    EXPECT_EQ(host.WaitForInput(), Input::Keyin(EscapeKeyin));
    EXPECT_EQ(host.LastInputView(), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(host.WaitForInput(), Input::Reset());
}

TEST(CadHostInput, QueuedDataPointComesBeforeTheSourcesInputs) {
    CadHost host(BasicDrawing());
    auto script = std::make_shared<ScriptedInputSource>();
    script->Push(Input::DataPoint({9, 9, 0}, 1));
    host.SetInputSource(script);

    EXPECT_EQ(host.LastInputView(), 1);
    host.QueueDataPoint({1, 1, 0}, 4);
    host.QueueDataPoint({2, 2, 0}, 1);
    EXPECT_EQ(host.WaitForInput(), Input::DataPoint({1, 1, 0}, 4));
    EXPECT_EQ(host.LastInputView(), 4);
    EXPECT_EQ(host.WaitForInput(), Input::DataPoint({2, 2, 0}, 1));
    EXPECT_EQ(host.WaitForInput(), Input::DataPoint({9, 9, 0}, 1));
    EXPECT_THROW(host.QueueDataPoint({0, 0, 0}, 9), HostError);
}

TEST(CadHostKeyin, KeyinsAreRecordedAndChooseNoneClearsTheSelection) {
    Drawing drawing = BasicDrawing();
    const Element line = test::AddTo(drawing, ActiveModelId, MakeLine({0, 0, 0}, {1, 0, 0}));
    CadHost host(std::move(drawing));
    host.SelectElement(line);

    host.SendKeyin("accudraw dialog main");
    EXPECT_EQ(host.SelectedElements().size(), 1u);
    host.SendKeyin("  Choose NONE ");
    EXPECT_TRUE(host.SelectedElements().empty());
    EXPECT_EQ(host.KeyinLog(), (std::vector<std::string>{"accudraw dialog main", "  Choose NONE "}));
}

TEST(CadHostKeyin, JournalKeyinsIgnoreCaseAndBlanks) {
    CadHost host(BasicDrawing());
    host.SendKeyin(" MARK");
    Element line = MakeLine({0, 0, 0}, {1, 0, 0});
    host.AddElement(line);
    host.SendKeyin("Undo Mark\t");
    EXPECT_TRUE(host.GetDrawing().activeModel.Empty());
    host.SendKeyin("REDO ");
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), 1u);
    host.SendKeyin("undo");  // not a journal key-in of ours: only recorded
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), 1u);
}

TEST(CadHostKeyin, MoveTakesTheNextQueuedDataPointAsItsBasePoint) {
    Drawing drawing = BasicDrawing();
    const Element text = test::AddTo(drawing, ActiveModelId, MakeText("P-1", {0, 0, 0}));
    const Element frame = test::AddTo(drawing, ActiveModelId, test::Square({-1, -1, 0}, 5));
    CadHost host(std::move(drawing));
    auto script = std::make_shared<ScriptedInputSource>();
    script->Push(Input::DataPoint({40, 30, 0}, 1));
    host.SetInputSource(script);

    host.SelectElement(text);
    host.SelectElement(frame);
    host.SendKeyin("move");
    host.QueueDataPoint({0, 0, 0}, 1);
    ASSERT_TRUE(host.Drag());
    EXPECT_EQ(host.Drag()->elements, (std::vector<ElementId>{text.id, frame.id}));
    EXPECT_EQ(host.Drag()->basePoint, (Point{0, 0, 0}));

    // The base point went to the drag; the user's point is the next input.
    EXPECT_EQ(host.WaitForInput(), Input::DataPoint({40, 30, 0}, 1));
    host.SendKeyin("choose none");
    EXPECT_FALSE(host.Drag());

    // Without a selection nothing is dragged and the point is an ordinary input.
    host.SendKeyin("move");
    host.QueueDataPoint({0, 0, 0}, 1);
    EXPECT_FALSE(host.Drag());
    EXPECT_EQ(host.WaitForInput(), Input::DataPoint({0, 0, 0}, 1));
}

TEST(CadHostView, ZoomOutByAHundredAndBackLeavesTheArea) {
    CadHost host(BasicDrawing());
    const ViewArea original{{-12.5, 40, 0}, {250, 125, 0}, {}};
    host.SetViewArea(1, original);
    const Point centre = host.ViewReferencePoint(1);
    EXPECT_EQ(centre, (Point{112.5, 102.5, 0}));

    host.ZoomView(1, centre, 100);
    EXPECT_NEAR(host.GetViewArea(1).extent.x, 25000, 1e-6);
    EXPECT_NEAR(host.ViewReferencePoint(1).x, centre.x, 1e-6);
    host.ZoomView(1, centre, 0.01);
    const ViewArea back = host.GetViewArea(1);
    EXPECT_NEAR(back.origin.x, original.origin.x, 1e-9);
    EXPECT_NEAR(back.origin.y, original.origin.y, 1e-9);
    EXPECT_NEAR(back.extent.x, original.extent.x, 1e-9);
    EXPECT_NEAR(back.extent.y, original.extent.y, 1e-9);
    EXPECT_EQ(host.GetViewArea(2), ViewArea{});  // other views are untouched

    // About another point, that point keeps its place in the view.
    host.ZoomView(1, original.origin, 2);
    EXPECT_EQ(host.GetViewArea(1).origin, original.origin);
    EXPECT_THROW(host.ZoomView(1, centre, 0), HostError);
    EXPECT_THROW(host.ZoomView(9, centre, 2), HostError);
}

TEST(CadHostMessages, BoxesGoToThePrompterAndStatusFieldsClearWithEmptyText) {
    CadHost host(BasicDrawing());
    auto prompter = std::make_shared<RecordingPrompter>();
    host.SetPrompter(prompter);
    host.ShowMessageBox("Error!", "line 1\rline 2");
    EXPECT_EQ(prompter->Boxes(), (std::vector<RecordingPrompter::Box>{{"Error!", "line 1\rline 2"}}));

    host.ShowStatus(StatusField::Command, "Place label");
    host.ShowStatus(StatusField::Prompt, "Select element");
    host.ShowStatus(StatusField::Prompt, "");
    EXPECT_EQ(host.Status(StatusField::Command), "Place label");
    EXPECT_EQ(host.Status(StatusField::Prompt), "");

    host.PostMessage({"Starting to place labels", "", 12, false});
    EXPECT_EQ(host.Messages().size(), 1u);
}

TEST(CadHostMacro, ProjectFileNameIsKnownWhateverTheCase) {
    CadHost host(BasicDrawing());
    using ::testing::HasSubstr;
    for (auto [object, property] :
         {std::pair{"activevbproject", "FileName"}, std::pair{"ActiveVBProject", "FILENAME"}})
        EXPECT_EQ(host.MacroProperty(object, property), "/opt/zkl/macros/ZKL_Labeller.mvba");

    auto errorOf = [&](std::string_view object, std::string_view property) {
        try {
            host.MacroProperty(object, property);
        } catch (const HostError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_THAT(errorOf("application", "FileName"), HasSubstr("'application'"));
    EXPECT_THAT(errorOf("activevbproject", "Path"), HasSubstr("'Path'"));
}

}  // namespace
}  // namespace zkl::cad
