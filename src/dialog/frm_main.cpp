#include "dialog/frm_main.h"

#include <stdexcept>
#include <type_traits>
#include <utility>

namespace zkl {

namespace {

ControlRecord Make(std::string name, ControlKind kind, std::string caption, int left, int top, int width,
                   int height) {
    return ControlRecord{std::move(name), kind, std::move(caption), left, top, width, height, true};
}

Control LabelAt(std::string name, std::string caption, int left, int top, int width, int height) {
    return Label{Make(std::move(name), ControlKind::Label, std::move(caption), left, top, width, height)};
}

Control TextBoxAt(std::string name, int left, int top, int width, int height) {
    return TextBox{Make(std::move(name), ControlKind::TextBox, "", left, top, width, height), ""};
}

Control ListAt(std::string name, ControlKind kind, int left, int top, int width, int height) {
    return ComboBox(Make(std::move(name), kind, "", left, top, width, height));
}

Control ButtonAt(std::string name, std::string caption, int left, int top, int width, int height,
                 bool enabled = true) {
    ControlRecord record =
        Make(std::move(name), ControlKind::CommandButton, std::move(caption), left, top, width, height);
    record.enabled = enabled;
    return CommandButton{std::move(record)};
}

ControlRecord& RecordOf(Control& control) {
    return const_cast<ControlRecord&>(RecordOf(std::as_const(control)));
}

}  // namespace

const ControlRecord& RecordOf(const Control& control) {
    return std::visit(
        [](const auto& c) -> const ControlRecord& {
            if constexpr (std::is_same_v<std::decay_t<decltype(c)>, ComboBox>)
                return c.Record();
            else
                return c.record;
        },
        control);
}

FrmMain::FrmMain(mdlOPM_Labeller& module, DialogCommands commands)
    : module_(module), commands_(std::move(commands)) {
    BuildControls();
    // Only the label style list reacts to being changed.
    Combo("cmbDimStyle").changed = [this] { cmbDimStyle_Change(); };
}

void FrmMain::BuildControls() {
    controls_ = {
        ButtonAt("cmdAutoPlace", "Automatic Place", 212, 212, 4233, 1270),
        ButtonAt("cmdSemiAuto", "Semi-Auto Place", 4657, 212, 4233, 1270),
        ButtonAt("cmdManual", "Manual Place\r\nRevise Label", 9102, 212, 4233, 1270),
        ButtonAt("cmdReviseDim", "Revise Dimension", 13547, 212, 4233, 1270),
        // The dialog's cancel button: a front end maps the Escape key to it.
        ButtonAt("cmdUndo", "Undo", 17992, 212, 4233, 1270, false),
        CheckBox{Make("chkPlaceDim", ControlKind::CheckBox, "Dimension", 212, 1694, 2064, 635), true},
        CheckBox{Make("chkPlaceLabel", ControlKind::CheckBox, "Label", 2328, 1694, 2064, 635), true},
        ToggleButton{Make("togFormMode", ControlKind::ToggleButton, "Advanced", 20320, 1694, 1905, 635),
                     false},
        LabelAt("lblDimStyle", "Label Style", 212, 2646, 1905, 423),
        ListAt("cmbDimStyle", ControlKind::DropDownList, 2752, 2540, 3387, 635),
        LabelAt("lblPlantOriginOffset", "Origin Offset", 6350, 2646, 2116, 423),
        TextBoxAt("txtPlantOriginOffset", 8890, 2540, 3387, 529),
        LabelAt("lblIgnoreDN", "Ignore DN <=", 12488, 2646, 2116, 423),
        TextBoxAt("txtIgnoreDN", 14605, 2540, 1058, 529),
        LabelAt("lblDimHeight", "Dim Height", 15875, 2646, 1693, 423),
        TextBoxAt("txtDimHeight", 17780, 2540, 1058, 529),
        LabelAt("lblDimMode", "Dim Mode", 19050, 2646, 1482, 423),
        TextBoxAt("txtDimMode", 20743, 2540, 1058, 529),
        LabelAt("lblTextStyle", "Text Style", 212, 3493, 2540, 423),
        ListAt("cmbTextStyle", ControlKind::DropDownList, 2753, 3387, 3386, 635),
        LabelAt("lblDimStyleName", "Dimension Style", 6350, 3493, 2540, 423),
        ListAt("cmbDimStyleName", ControlKind::DropDownList, 8890, 3387, 3387, 635),
        LabelAt("lblTextHeight", "Text Height", 12488, 3493, 2116, 423),
        TextBoxAt("txtTextHeight", 14605, 3387, 1058, 529),
        LabelAt("lblTextWidth", "Text Width", 15875, 3493, 1693, 423),
        TextBoxAt("txtTextWidth", 17780, 3387, 1058, 529),
        LabelAt("lblUnderlineDistance", "Underline", 19050, 3493, 1482, 423),
        TextBoxAt("txtUnderlineDistance", 20743, 3387, 1058, 529),
        LabelAt("lblShapeLevelName", "Shape Level", 212, 4339, 2540, 423),
        ListAt("cmbShapeLevelName", ControlKind::DropDownList, 2753, 4233, 3386, 635),
        LabelAt("lblDimLevel", "Label Level", 6350, 4339, 2540, 423),
        ListAt("cmbDimLevel", ControlKind::DropDownList, 8891, 4233, 3386, 635),
        LabelAt("lblLabelDistance1", "Label Dist1", 12488, 4339, 2117, 423),
        TextBoxAt("txtLabelDistance1", 14605, 4233, 1058, 529),
        LabelAt("lblLabelDistance2", "Label Dist2", 15875, 4339, 1764, 423),
        TextBoxAt("txtLabelDistance2", 17780, 4233, 1058, 529),
        LabelAt("lblStepDistance", "Step Dist", 19050, 4339, 1482, 423),
        TextBoxAt("txtStepDistance", 20743, 4233, 1058, 529),
        ButtonAt("cmdPipeline", "Pipeline", 212, 5045, 2117, 635),
        TextBoxAt("txtLineLabelFormat", 2752, 5080, 5292, 529),
        ButtonAt("cmdEquip", "Equipment", 8255, 5045, 2117, 635),
        TextBoxAt("txtEquipLabelFormat", 10583, 5080, 3810, 529),
        LabelAt("lblLabelFrameStyle", "Label Frame", 14605, 5186, 1764, 423),
        TextBoxAt("txtLabelFrameStyle", 16510, 5080, 706, 529),
        LabelAt("lblGridCell", "Grid Cell Name", 17568, 5186, 2329, 423),
        TextBoxAt("txtGridCellName", 19897, 5080, 1905, 529),
        LabelAt("lblDimItems", "Dimension Items", 212, 6033, 2540, 423),
        ListAt("cmbDimItems", ControlKind::EditableCombo, 2752, 5927, 15450, 635),
        ButtonAt("cmdDimItemsAdd", "Add", 18274, 5927, 1235, 635, false),
        ButtonAt("cmdDimItemsRevise", "Revise", 19614, 5927, 1235, 635, false),
        ButtonAt("cmdDimItemsRemove", "Remove", 20990, 5927, 1235, 635),
        LabelAt("lblLabelItems", "Label Items", 212, 6879, 2540, 423),
        ListAt("cmbLabelItems", ControlKind::EditableCombo, 2752, 6773, 15450, 635),
        ButtonAt("cmdLabelItemsAdd", "Add", 18274, 6773, 1235, 635, false),
        ButtonAt("cmdLabelItemsRevise", "Revise", 19614, 6773, 1235, 635, false),
        ButtonAt("cmdLabelItemsRemove", "Remove", 20990, 6773, 1235, 635),
    };
}

// ---- Lookups ------------------------------------------------------------------------------

const Control& FrmMain::Find(std::string_view name) const {
    for (const Control& control : controls_)
        if (RecordOf(control).name == name) return control;
    throw std::invalid_argument("the main dialog has no control '" + std::string(name) + "'");
}

Control& FrmMain::Find(std::string_view name) {
    return const_cast<Control&>(std::as_const(*this).Find(name));
}

template <typename T>
const T& FrmMain::As(std::string_view name) const {
    const Control& control = Find(name);
    if (const T* typed = std::get_if<T>(&control)) return *typed;
    throw std::invalid_argument("the main dialog's control '" + std::string(name) +
                                "' is not of the kind asked for");
}

template <typename T>
T& FrmMain::As(std::string_view name) {
    return const_cast<T&>(std::as_const(*this).As<T>(name));
}

const ControlRecord& FrmMain::Record(std::string_view name) const { return RecordOf(Find(name)); }
TextBox& FrmMain::Text(std::string_view name) { return As<TextBox>(name); }
const TextBox& FrmMain::Text(std::string_view name) const { return As<TextBox>(name); }
ComboBox& FrmMain::Combo(std::string_view name) { return As<ComboBox>(name); }
const ComboBox& FrmMain::Combo(std::string_view name) const { return As<ComboBox>(name); }
CommandButton& FrmMain::Button(std::string_view name) { return As<CommandButton>(name); }
const CommandButton& FrmMain::Button(std::string_view name) const { return As<CommandButton>(name); }
CheckBox& FrmMain::Check(std::string_view name) { return As<CheckBox>(name); }
ToggleButton& FrmMain::Toggle(std::string_view name) { return As<ToggleButton>(name); }

// ---- Commands -----------------------------------------------------------------------------

// A command that throws leaves the dialog hidden and the undo button as it was: the error
// goes to the caller, and the mark sent first lets the user undo what the command wrote.
template <typename Command>
void FrmMain::RunCommand(Command&& command, bool resetUndoCaption) {
    module_.host.SendKeyin("mark");
    Hide();
    command();
    Show();
    CommandButton& undo = Button("cmdUndo");
    if (resetUndoCaption) undo.record.caption = "Undo";
    undo.record.enabled = true;
}

void FrmMain::cmdAutoPlace_Click() { RunAutoPlaceWith(commands_.automatic); }

void FrmMain::RunAutoPlaceWith(const std::function<void(bool, bool)>& command) {
    const bool placeDimensions = Check("chkPlaceDim").value;
    const bool placeLabels = Check("chkPlaceLabel").value;
    RunCommand(
        [&] {
            if (command) command(placeDimensions, placeLabels);
        },
        true);
}

void FrmMain::cmdSemiAuto_Click() {
    RunCommand(
        [&] {
            if (commands_.semiAutomatic) commands_.semiAutomatic();
        },
        true);
}

void FrmMain::cmdManual_Click() {
    RunCommand(
        [&] {
            if (commands_.manual) commands_.manual(0);
        },
        true);
}

void FrmMain::cmdPipeline_Click() {
    RunCommand(
        [&] {
            if (commands_.manual) commands_.manual(1);
        },
        true);
}

void FrmMain::cmdEquip_Click() {
    RunCommand(
        [&] {
            if (commands_.manual) commands_.manual(2);
        },
        true);
}

// Revising a dimension keeps the undo button's caption, so a pending "Redo" survives it.
void FrmMain::cmdReviseDim_Click() {
    RunCommand(
        [&] {
            if (commands_.reviseDimension) commands_.reviseDimension();
        },
        false);
}

void FrmMain::cmdUndo_Click() {
    std::string& caption = Button("cmdUndo").record.caption;
    if (caption == "Undo") {
        module_.host.SendKeyin("undo mark");
        caption = "Redo";
    } else {
        module_.host.SendKeyin("redo");
        caption = "Undo";
    }
}

void FrmMain::togFormMode_Click() {
    ToggleButton& toggle = Toggle("togFormMode");
    toggle.record.caption = toggle.pressed ? "Compact" : "Advanced";
    windowHeight_ = toggle.pressed ? AdvancedWindowHeight : CompactWindowHeight;
}

// ---- SettingsDialog -----------------------------------------------------------------------

void FrmMain::SetControlText(std::string_view control, std::string_view text) {
    Control& found = Find(control);
    if (TextBox* box = std::get_if<TextBox>(&found))
        box->text = text;
    else if (ComboBox* combo = std::get_if<ComboBox>(&found))
        combo->SetValue(text);
    else
        RecordOf(found).caption = text;
}

std::string FrmMain::ControlText(std::string_view control) const {
    const Control& found = Find(control);
    if (const TextBox* box = std::get_if<TextBox>(&found)) return box->text;
    if (const ComboBox* combo = std::get_if<ComboBox>(&found)) return combo->Value();
    return RecordOf(found).caption;
}

std::string FrmMain::ComboValue(std::string_view combo) const { return Combo(combo).Value(); }

void FrmMain::AppendComboEntry(std::string_view combo, std::string_view text) { Combo(combo).Append(text); }

int FrmMain::ComboEntryCount(std::string_view combo) const { return Combo(combo).Count(); }

std::string FrmMain::ComboEntry(std::string_view combo, int index) const { return Combo(combo).Entry(index); }

}  // namespace zkl
