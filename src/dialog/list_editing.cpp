// Editing the two item lists with their Add, Revise and Remove/Cancel buttons, and
// choosing a label style. The buttons follow what the user is doing: typing enables Add
// (and Revise when an entry was chosen before) and turns Remove into Cancel; choosing an
// entry turns it back. Any edit makes the label style "Customized".
#include <string>

#include "dialog/frm_main.h"
#include "settings/settings_file.h"

namespace zkl {

void FrmMain::cmbDimItems_KeyDown(int, int) { ItemListKeyDown(DimList()); }
void FrmMain::cmbDimItems_Click() { ItemListClick(DimList()); }
void FrmMain::cmdDimItemsAdd_Click() { ItemListAdd(DimList()); }
void FrmMain::cmdDimItemsRevise_Click() { ItemListRevise(DimList()); }
void FrmMain::cmdDimItemsRemove_Click() { ItemListRemove(DimList()); }
void FrmMain::cmbLabelItems_KeyDown(int, int) { ItemListKeyDown(LabelList()); }
void FrmMain::cmbLabelItems_Click() { ItemListClick(LabelList()); }
void FrmMain::cmdLabelItemsAdd_Click() { ItemListAdd(LabelList()); }
void FrmMain::cmdLabelItemsRevise_Click() { ItemListRevise(LabelList()); }
void FrmMain::cmdLabelItemsRemove_Click() { ItemListRemove(LabelList()); }

// Key down comes before the key changes the text, so the selection is still the entry the
// user started from: that is the one Revise overwrites and Cancel restores.
void FrmMain::ItemListKeyDown(const ItemList& list) {
    const ComboBox& combo = Combo(list.combo);
    const bool selected = combo.SelectedIndex() >= 0;
    if (selected) list.currentIndex = combo.SelectedIndex();
    ControlRecord& remove = Button(list.remove).record;
    remove.caption = "Cancel";
    remove.enabled = true;
    Button(list.add).record.enabled = true;
    if (selected) Button(list.revise).record.enabled = true;
}

void FrmMain::ItemListClick(const ItemList& list) {
    const ComboBox& combo = Combo(list.combo);
    if (combo.SelectedIndex() >= 0) list.currentIndex = combo.SelectedIndex();
    ControlRecord& remove = Button(list.remove).record;
    remove.caption = "Remove";
    remove.enabled = true;
    Button(list.add).record.enabled = false;
    Button(list.revise).record.enabled = false;
}

void FrmMain::ItemListAdd(const ItemList& list) {
    ComboBox& combo = Combo(list.combo);
    if (!combo.Value().empty()) combo.Append(combo.Value());
    combo.SetSelectedIndex(combo.Count() - 1);
    if (combo.Count() > 0) {
        ControlRecord& remove = Button(list.remove).record;
        remove.enabled = true;
        remove.caption = "Remove";
    }
    Button(list.revise).record.enabled = false;
    Button(list.add).record.enabled = false;
    MarkStyleCustomised();
}

// The remembered index can only be outside the list if Revise is pressed without a chosen
// entry, which the button states do not allow; then the list is left alone.
void FrmMain::ItemListRevise(const ItemList& list) {
    ComboBox& combo = Combo(list.combo);
    if (!combo.Value().empty() && list.currentIndex >= 0 && list.currentIndex < combo.Count())
        combo.SetEntry(list.currentIndex, combo.Value());
    Button(list.revise).record.enabled = false;
    Button(list.add).record.enabled = false;
    Button(list.remove).record.caption = "Remove";
    MarkStyleCustomised();
}

// With the caption "Remove" but no entry chosen (the user cleared the text), nothing is
// removed; the last entry is selected and the buttons are set as after a removal.
// Cancel with a remembered index no longer in the list empties the text, as for none.
void FrmMain::ItemListRemove(const ItemList& list) {
    ComboBox& combo = Combo(list.combo);
    ControlRecord& remove = Button(list.remove).record;
    if (remove.caption == "Remove") {
        if (combo.SelectedIndex() >= 0) combo.Remove(combo.SelectedIndex());
        combo.SetSelectedIndex(combo.Count() - 1);
        list.currentIndex = combo.SelectedIndex();
    } else {
        remove.caption = "Remove";
        if (list.currentIndex < 0 || list.currentIndex >= combo.Count())
            combo.SetValue("");
        else
            combo.SetSelectedIndex(list.currentIndex);
    }
    if (combo.Count() == 0) remove.enabled = false;
    Button(list.add).record.enabled = false;
    Button(list.revise).record.enabled = false;
    MarkStyleCustomised();
}

// The change this raises loads nothing: "Customized" is not a section of the file.
void FrmMain::MarkStyleCustomised() {
    ComboBox& styles = Combo("cmbDimStyle");
    if (styles.Count() == 0 || styles.Entry(styles.Count() - 1) != CustomizedStyleName)
        styles.Append(CustomizedStyleName);
    styles.SetValue(CustomizedStyleName);
}

void FrmMain::ShowReloadedList(const ItemList& list) {
    ComboBox& combo = Combo(list.combo);
    combo.SetSelectedIndex(combo.Count() - 1);
    Button(list.add).record.enabled = false;
    Button(list.revise).record.enabled = false;
    Button(list.remove).record.enabled = true;
}

// A real style reloads the general part and that style's sections; keys neither sets keep
// what the boxes held. If the load fails the item lists stay cleared and the error goes on.
void FrmMain::cmbDimStyle_Change() {
    ComboBox& styles = Combo("cmbDimStyle");
    const std::string styleName = styles.Value();
    if (styleName != CustomizedStyleName) {
        Combo("cmbDimItems").Clear();
        Combo("cmbLabelItems").Clear();
        ItemRows labelItems;
        ItemRows dimItems;
        LoadSettingsFile(module_, this, labelItems, dimItems, styleName, false);
        ShowReloadedList(DimList());
        ShowReloadedList(LabelList());
    }
    const int selected = styles.SelectedIndex();
    const int last = styles.Count() - 1;
    if (selected >= 0 && styles.Entry(selected) != CustomizedStyleName && last >= 0 &&
        styles.Entry(last) == CustomizedStyleName)
        styles.Remove(last);
}

}  // namespace zkl
