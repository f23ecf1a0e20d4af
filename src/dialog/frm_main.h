// The main dialog, FrmMain, as a model: its controls by name, its window state (title,
// height in twips, staying on top, visibility) and its event handlers. A front end draws
// the controls, reads the window state and calls the handlers (named control_event) when
// the user acts; tests call them directly.
//
// The dialog belongs to the module (mdlOPM_Labeller::dialog) and refers back to it for the
// host and the settings record; the module outlives it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "dialog/controls.h"
#include "dialog/dialog_commands.h"
#include "settings/labeller_module.h"
#include "settings/settings_dialog.h"

namespace zkl {

inline constexpr int LabellerVersionMajor = 1;
inline constexpr int LabellerVersionMinor = 0;

// Window heights in twips (1/1440 inch).
inline constexpr int CompactWindowHeight = 1800;
inline constexpr int AdvancedWindowHeight = 4725;

// The pseudo-style shown in the label style list once the item lists have been edited.
inline constexpr std::string_view CustomizedStyleName = "Customized";

using Control = std::variant<Label, TextBox, ComboBox, CommandButton, CheckBox, ToggleButton>;

// What every control has, whatever its kind.
const ControlRecord& RecordOf(const Control& control);

class FrmMain : public SettingsDialog {
public:
    // Builds the controls in their initial state; Initialise fills them.
    FrmMain(mdlOPM_Labeller& module, DialogCommands commands);
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // Runs once, when the dialog is created. An error (such as a missing configuration
    // file) skips the remaining steps and goes on to the caller. A configuration file
    // without label styles leaves the style list empty and nothing selected.
    void Initialise();

    // ---- Window state ---------------------------------------------------------------
    const std::string& Title() const { return title_; }
    int WindowHeight() const { return windowHeight_; }
    bool StaysOnTop() const { return staysOnTop_; }
    bool IsVisible() const { return visible_; }
    void Show() { visible_ = true; }
    void Hide() { visible_ = false; }

    // ---- Controls (each lookup throws std::invalid_argument naming a missing control) --
    const std::vector<Control>& Controls() const { return controls_; }
    const ControlRecord& Record(std::string_view name) const;
    TextBox& Text(std::string_view name);
    const TextBox& Text(std::string_view name) const;
    ComboBox& Combo(std::string_view name);
    const ComboBox& Combo(std::string_view name) const;
    CommandButton& Button(std::string_view name);
    const CommandButton& Button(std::string_view name) const;
    CheckBox& Check(std::string_view name);
    ToggleButton& Toggle(std::string_view name);

    int DimCurrentListIndex = 0;
    int LabelCurrentListIndex = 0;

    // ---- Command buttons: mark, hide, run, show, reset the undo button ----------------
    void cmdAutoPlace_Click();
    // The Automatic Place button with another command behind it, given the button's two
    // switches: the update of an annotation runs so, with the button's settings and its undo
    // mark, so that undoing it is undoing an Automatic Place.
    void RunAutoPlaceWith(const std::function<void(bool placeDimensions, bool placeLabels)>& command);
    void cmdSemiAuto_Click();
    void cmdManual_Click();
    void cmdPipeline_Click();
    void cmdEquip_Click();
    void cmdReviseDim_Click();
    void cmdUndo_Click();
    // The front end sets the toggle's `pressed` before calling this, as a click would.
    void togFormMode_Click();

    // ---- Item list editing and label style choice ------------------------------------
    void cmbDimItems_KeyDown(int keyCode, int shift);
    void cmbDimItems_Click();
    void cmdDimItemsAdd_Click();
    void cmdDimItemsRevise_Click();
    void cmdDimItemsRemove_Click();
    void cmbLabelItems_KeyDown(int keyCode, int shift);
    void cmbLabelItems_Click();
    void cmdLabelItemsAdd_Click();
    void cmdLabelItemsRevise_Click();
    void cmdLabelItemsRemove_Click();
    void cmbDimStyle_Change();

    // ---- SettingsDialog ---------------------------------------------------------------
    // Text boxes give their text, combos their value, other controls their caption.
    void SetControlText(std::string_view control, std::string_view text) override;
    std::string ControlText(std::string_view control) const override;
    std::string ComboValue(std::string_view combo) const override;
    void AppendComboEntry(std::string_view combo, std::string_view text) override;
    int ComboEntryCount(std::string_view combo) const override;
    std::string ComboEntry(std::string_view combo, int index) const override;

private:
    // The controls of one item list and the index it remembers.
    struct ItemList {
        std::string_view combo;
        std::string_view add;
        std::string_view revise;
        std::string_view remove;
        int& currentIndex;
    };
    ItemList DimList() {
        return {"cmbDimItems", "cmdDimItemsAdd", "cmdDimItemsRevise", "cmdDimItemsRemove",
                DimCurrentListIndex};
    }
    ItemList LabelList() {
        return {"cmbLabelItems", "cmdLabelItemsAdd", "cmdLabelItemsRevise", "cmdLabelItemsRemove",
                LabelCurrentListIndex};
    }

    void BuildControls();
    Control& Find(std::string_view name);
    const Control& Find(std::string_view name) const;
    template <typename T>
    T& As(std::string_view name);
    template <typename T>
    const T& As(std::string_view name) const;

    template <typename Command>
    void RunCommand(Command&& command, bool resetUndoCaption);
    void FillStyleAndLevelLists();

    void ItemListKeyDown(const ItemList& list);
    void ItemListClick(const ItemList& list);
    void ItemListAdd(const ItemList& list);
    void ItemListRevise(const ItemList& list);
    void ItemListRemove(const ItemList& list);
    void ShowReloadedList(const ItemList& list);
    void MarkStyleCustomised();

    mdlOPM_Labeller& module_;
    DialogCommands commands_;
    std::vector<Control> controls_;
    std::string title_;
    int windowHeight_ = 0;
    bool staysOnTop_ = false;
    bool visible_ = false;
};

}  // namespace zkl
