// The main dialog opens filled from the configuration file and the design file, runs every
// command between an undo mark and showing itself again, and toggles undo and redo.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "dialog/dialog_fixture.h"
#include "host/element.h"
#include "host/host_error.h"

namespace zkl {
namespace {

using test::DialogTest;

using FrmMainInitialisation = DialogTest;

TEST_F(FrmMainInitialisation, SelectsConfiguredStylesAndLevelsAndFirstLabelStyle) {
    const FrmMain& dialog = Start();

    EXPECT_EQ(dialog.Title(), "ZKL_Labeller Beta V1.0");
    EXPECT_TRUE(dialog.StaysOnTop());
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.WindowHeight(), CompactWindowHeight);
    EXPECT_EQ(dialog.Text("txtPlantOriginOffset").text, "0,0,0");

    // Unnamed styles and levels are left out of the lists.
    EXPECT_EQ(dialog.Combo("cmbDimStyleName").Entries(), (std::vector<std::string>{"DimA", "DimB"}));
    EXPECT_EQ(dialog.Combo("cmbDimStyleName").Value(), "DimA");
    EXPECT_EQ(dialog.Combo("cmbTextStyle").SelectedIndex(), 1);
    const std::vector<std::string> levels{"Default", "Shared", "Border"};
    EXPECT_EQ(dialog.Combo("cmbShapeLevelName").Entries(), levels);
    EXPECT_EQ(dialog.Combo("cmbDimLevel").Entries(), levels);
    EXPECT_EQ(dialog.Combo("cmbShapeLevelName").Value(), "Shared");
    EXPECT_EQ(dialog.Combo("cmbDimLevel").Value(), "Shared");

    EXPECT_EQ(dialog.Combo("cmbDimStyle").Entries(), (std::vector<std::string>{"Piping", "Steel"}));
    EXPECT_EQ(dialog.Combo("cmbDimStyle").Value(), "Piping");
    // The first style was loaded once over the general part: no list holds a row twice.
    EXPECT_EQ(dialog.Combo("cmbDimItems").Entries(), (std::vector<std::string>{"general dim", "piping dim"}));
    EXPECT_EQ(dialog.Combo("cmbDimItems").Value(), "piping dim");
    EXPECT_EQ(dialog.Combo("cmbLabelItems").Value(), "piping label");
    EXPECT_EQ(dialog.Text("txtTextHeight").text, "3");
}

TEST_F(FrmMainInitialisation, DimensionStyleMissingFromDesignFileLeavesNoSelection) {
    const FrmMain& dialog = Start("DIMSTYLENAME = NotThere\nLABEL STYLE = Only\n");
    EXPECT_EQ(dialog.Combo("cmbDimStyleName").Count(), 2);
    EXPECT_EQ(dialog.Combo("cmbDimStyleName").SelectedIndex(), -1);
    EXPECT_EQ(dialog.Combo("cmbDimStyleName").Value(), "");
}

TEST_F(FrmMainInitialisation, FileWithoutLabelStylesOpensWithEmptyStyleList) {
    const FrmMain& dialog = Start("TEXTHEIGHT = 2\nDIMITEMS = a row\n");
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.Combo("cmbDimStyle").Count(), 0);
    EXPECT_EQ(dialog.Combo("cmbDimStyle").SelectedIndex(), -1);
    EXPECT_EQ(dialog.Text("txtTextHeight").text, "2");
    EXPECT_EQ(dialog.Combo("cmbDimItems").Value(), "a row");
}

TEST_F(FrmMainInitialisation, MissingConfigurationFileFailsTheStart) {
    labeller = std::make_unique<clsOPM_Labeller>(*module, commands);
    EXPECT_ANY_THROW(labeller->Start_Labeller());
    ASSERT_TRUE(module->dialog);
    EXPECT_FALSE(module->dialog->IsVisible());
    // The steps after the load did not run.
    EXPECT_EQ(module->dialog->Combo("cmbDimStyleName").Count(), 0);
}

TEST_F(FrmMainInitialisation, SecondStartShowsSameDialogWithoutInitialisingAgain) {
    FrmMain& dialog = Start();
    dialog.Text("txtTextHeight").text = "7";
    dialog.Hide();
    // Initialising again would fail on the missing file or duplicate the lists.
    std::filesystem::remove(folder / "ZKL_Labeller.ini");
    labeller->Start_Labeller();

    EXPECT_EQ(module->dialog.get(), &dialog);
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.Text("txtTextHeight").text, "7");
    EXPECT_EQ(dialog.Combo("cmbDimStyleName").Count(), 2);
}

TEST_F(FrmMainInitialisation, ControlsStartAsLaidOut) {
    const FrmMain& dialog = Start();
    EXPECT_EQ(dialog.Controls().size(), 56u);
    const ControlRecord& undo = dialog.Record("cmdUndo");
    EXPECT_EQ(undo.caption, "Undo");
    EXPECT_FALSE(undo.enabled);
    EXPECT_EQ(undo.left, 17992);
    EXPECT_EQ(dialog.Record("cmdManual").caption, "Manual Place\r\nRevise Label");
    EXPECT_EQ(dialog.Record("cmbDimItems").kind, ControlKind::EditableCombo);
    EXPECT_EQ(dialog.Record("cmbDimStyle").kind, ControlKind::DropDownList);
    EXPECT_EQ(dialog.Record("cmbLabelItems").width, 15450);
    EXPECT_FALSE(dialog.Record("cmdLabelItemsAdd").enabled);
    EXPECT_THROW(static_cast<void>(dialog.Record("cmdNothing")), std::invalid_argument);
    EXPECT_THROW(static_cast<void>(dialog.Text("cmbDimItems")), std::invalid_argument);
}

TEST_F(FrmMainInitialisation, LayoutToggleSwitchesCaptionAndHeight) {
    FrmMain& dialog = Start();
    ToggleButton& toggle = dialog.Toggle("togFormMode");
    toggle.pressed = true;
    dialog.togFormMode_Click();
    EXPECT_EQ(toggle.record.caption, "Compact");
    EXPECT_EQ(dialog.WindowHeight(), AdvancedWindowHeight);
    toggle.pressed = false;
    dialog.togFormMode_Click();
    EXPECT_EQ(toggle.record.caption, "Advanced");
    EXPECT_EQ(dialog.WindowHeight(), CompactWindowHeight);
}

using FrmMainCommands = DialogTest;

TEST_F(FrmMainCommands, EveryButtonMarksHidesRunsAndShowsAgain) {
    std::vector<std::string> ran;
    bool hiddenWhileRunning = true;
    const auto note = [&](std::string what) {
        ran.push_back(std::move(what));
        hiddenWhileRunning = hiddenWhileRunning && !module->dialog->IsVisible();
    };
    commands.automatic = [&](bool d, bool l) { note("auto " + std::to_string(d) + std::to_string(l)); };
    commands.semiAutomatic = [&] { note("semi"); };
    commands.manual = [&](int mode) { note("manual " + std::to_string(mode)); };
    commands.reviseDimension = [&] { note("revise"); };
    FrmMain& dialog = Start();

    dialog.cmdAutoPlace_Click();
    dialog.cmdSemiAuto_Click();
    dialog.cmdManual_Click();
    dialog.cmdPipeline_Click();
    dialog.cmdEquip_Click();
    dialog.cmdReviseDim_Click();

    EXPECT_EQ(ran,
              (std::vector<std::string>{"auto 11", "semi", "manual 0", "manual 1", "manual 2", "revise"}));
    EXPECT_TRUE(hiddenWhileRunning);
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(host->KeyinLog(), std::vector<std::string>(6, "mark"));
}

TEST_F(FrmMainCommands, ClearedCheckBoxesPassFalseToAutomaticPlace) {
    std::vector<std::pair<bool, bool>> calls;
    commands.automatic = [&](bool d, bool l) { calls.emplace_back(d, l); };
    FrmMain& dialog = Start();
    dialog.Check("chkPlaceDim").value = false;
    dialog.Check("chkPlaceLabel").value = false;
    dialog.cmdAutoPlace_Click();
    EXPECT_EQ(calls, (std::vector<std::pair<bool, bool>>{{false, false}}));
    EXPECT_TRUE(dialog.IsVisible());
}

TEST_F(FrmMainCommands, UndoButtonAlternatesAndReviseDimensionKeepsRedo) {
    FrmMain& dialog = Start();
    const ControlRecord& undo = dialog.Record("cmdUndo");

    dialog.cmdAutoPlace_Click();
    EXPECT_EQ(undo.caption, "Undo");
    EXPECT_TRUE(undo.enabled);
    dialog.cmdUndo_Click();
    EXPECT_EQ(undo.caption, "Redo");
    dialog.cmdReviseDim_Click();
    EXPECT_EQ(undo.caption, "Redo");
    dialog.cmdUndo_Click();
    EXPECT_EQ(undo.caption, "Undo");
    dialog.cmdUndo_Click();
    dialog.cmdSemiAuto_Click();
    EXPECT_EQ(undo.caption, "Undo");

    EXPECT_EQ(host->KeyinLog(),
              (std::vector<std::string>{"mark", "undo mark", "mark", "redo", "undo mark", "mark"}));
}

TEST_F(FrmMainCommands, UndoRemovesWhatTheCommandAddedAndRedoBringsItBack) {
    commands.automatic = [&](bool, bool) {
        Element line = MakeLine({0, 0, 0}, {10, 0, 0});
        host->AddElement(line);
    };
    FrmMain& dialog = Start();
    const auto elementCount = [&] { return host->GetDrawing().activeModel.Size(); };

    dialog.cmdAutoPlace_Click();
    EXPECT_EQ(elementCount(), 1u);
    dialog.cmdUndo_Click();
    EXPECT_EQ(elementCount(), 0u);
    dialog.cmdUndo_Click();
    EXPECT_EQ(elementCount(), 1u);
}

TEST_F(FrmMainCommands, FailingCommandLeavesDialogHiddenAndUndoButtonAsItWas) {
    commands.semiAutomatic = [] { throw HostError("no fence defined"); };
    FrmMain& dialog = Start();

    EXPECT_THROW(dialog.cmdSemiAuto_Click(), HostError);
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_FALSE(dialog.Record("cmdUndo").enabled);
    EXPECT_EQ(host->KeyinLog(), std::vector<std::string>{"mark"});

    dialog.Show();
    dialog.cmdAutoPlace_Click();
    dialog.cmdUndo_Click();
    EXPECT_THROW(dialog.cmdSemiAuto_Click(), HostError);
    EXPECT_EQ(dialog.Record("cmdUndo").caption, "Redo");

    labeller->Start_Labeller();
    EXPECT_TRUE(dialog.IsVisible());
}

}  // namespace
}  // namespace zkl
