// Undo and redo of a whole command, end to end: each command button of the main dialog runs
// on the example sheet, then Undo must give back the saved sheet byte for byte and Redo the
// one the command made, also when the command ends with an error after writing elements.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/cad_host.h"
#include "cad/dimension_graphics.h"
#include "cad/input_source.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/input_script.h"
#include "io/sheet_file.h"
#include "placement_session.h"

namespace zkl {
namespace {

// The first line where two saved sheets differ, so a failure shows what, not two whole files.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::size_t line = 1, start = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i]) {
            const auto lineOf = [&](const std::string& text) {
                return text.substr(start, text.find('\n', start) - start);
            };
            return "line " + std::to_string(line) + ": " + lineOf(a) + " / " + lineOf(b);
        }
        if (a[i] == '\n') ++line, start = i + 1;
    }
    return a.size() == b.size() ? "" : "one ends at line " + std::to_string(line);
}

class WholeCommandUndo : public ::testing::Test {
protected:
    WholeCommandUndo()
        : host(test::ExampleDrawing()), module(host), labeller(module, MakeDialogCommands(module)) {
        host.SetPrompter(std::make_shared<cad::RecordingPrompter>());
        labeller.Start_Labeller();
    }

    FrmMain& Dialog() { return *module.dialog; }

    // The sheet as saved, but with the views of the opened sheet: where a command leaves the
    // view is not an edit, and undo (as in any CAD program) does not move the view back.
    std::string Saved() {
        auto& views = host.GetDrawing().views;
        const auto leftBy = views;
        views = openedViews_;
        std::string saved = io::SerializeSheet(host.GetDrawing(), test::ExampleSheet.parent_path());
        views = leftBy;
        return saved;
    }

    // Presses `button` with `inputs` queued, then Undo and Redo, comparing whole saved sheets.
    // Returns whether the command failed.
    bool PressUndoRedo(void (FrmMain::*button)(), const std::vector<Input>& inputs) {
        host.SetInputSource(
            std::make_shared<cad::ScriptedInputSource>(std::deque<Input>(inputs.begin(), inputs.end())));
        const std::string before = Saved();
        bool failed = false;
        try {
            (Dialog().*button)();
        } catch (const std::exception&) {
            failed = true;
        }
        const std::string after = Saved();
        EXPECT_NE(after, before) << "the command changed nothing, so undo proves nothing";

        Dialog().cmdUndo_Click();
        EXPECT_EQ(FirstDifference(Saved(), before), "") << "undo";
        Dialog().cmdUndo_Click();  // now captioned "Redo"
        EXPECT_EQ(FirstDifference(Saved(), after), "") << "redo";
        return failed;
    }

    cad::CadHost host;
    mdlOPM_Labeller module;
    clsOPM_Labeller labeller;

private:
    decltype(cad::Drawing::views) openedViews_ = host.GetDrawing().views;
};

std::vector<Input> Script(const std::string& name) {
    return io::LoadInputScript(test::ExampleSheet.parent_path() / name);
}

TEST_F(WholeCommandUndo, EveryCommandButtonIsUndoneAndRedoneAsAWhole) {
    SCOPED_TRACE("Automatic Place");
    EXPECT_FALSE(PressUndoRedo(&FrmMain::cmdAutoPlace_Click, {}));

    // The run ends at the first drawing area's second label with Esc.
    SCOPED_TRACE("Semi-Auto Place");
    EXPECT_FALSE(PressUndoRedo(&FrmMain::cmdSemiAuto_Click,
                               {Input::DataPoint({300, 260, 0}), Input::Keyin(EscapeKeyin)}));

    SCOPED_TRACE("Manual Place");
    EXPECT_FALSE(PressUndoRedo(&FrmMain::cmdManual_Click, Script("label_session.txt")));

    // Pick the first dimension chain Automatic Place made on the extension line of its first
    // point, then a point between its first two points: the point is inserted.
    SCOPED_TRACE("Revise Dimension");
    const Element chain = test::ActiveElements(host, ElementType::Dimension).front();
    const std::vector<Point>& points = chain.Dimension().points;
    ASSERT_GE(points.size(), 2u);
    Point onChain = points[0];
    for (const Element& graphic :
         cad::DimensionGraphics(chain, host.GetDrawing().DimensionStyleOrDefault(chain.Dimension().style))) {
        if (graphic.type == ElementType::Line && graphic.Linear().vertices.front() == points[0]) {
            onChain = (graphic.Linear().vertices.front() + graphic.Linear().vertices.back()) * 0.5;
            break;
        }
    }
    const Point between = (points[0] + points[1]) * 0.5;
    EXPECT_FALSE(
        PressUndoRedo(&FrmMain::cmdReviseDim_Click, {Input::DataPoint(onChain), Input::DataPoint(between)}));
    EXPECT_EQ(host.GetElement(ActiveModelId, chain.id).Dimension().points.size(), points.size() + 1);
}

TEST_F(WholeCommandUndo, ACommandEndingInAnErrorIsUndoneWithWhatItWrote) {
    // Without a border shape Automatic Place draws one, then fails on the dimension level
    // the dialog names but the design file lacks.
    host.RemoveElement(test::ExampleBorder(host));
    Dialog().Combo("cmbDimLevel").SetValue("NoSuchLevel");
    EXPECT_TRUE(PressUndoRedo(&FrmMain::cmdAutoPlace_Click, {}));
}

}  // namespace
}  // namespace zkl
