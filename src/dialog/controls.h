// The main dialog's controls as plain values, so the dialog runs and is tested without a
// windowing toolkit; a front end draws them from these records and feeds user actions
// back. Positions and sizes are in 0.01 mm, as the dialog is laid out.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zkl {

enum class ControlKind { Label, TextBox, DropDownList, EditableCombo, CommandButton, CheckBox, ToggleButton };

// What every control has: its name, kind, caption (empty for boxes and lists), place and
// whether it takes input.
struct ControlRecord {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool enabled = true;
};

struct Label {
    ControlRecord record;
};

struct TextBox {
    ControlRecord record;
    std::string text;
};

struct CommandButton {
    ControlRecord record;
};

struct CheckBox {
    ControlRecord record;
    bool value = false;
};

struct ToggleButton {
    ControlRecord record;
    bool pressed = false;
};

// A drop-down list or an editable combo. Its value is the selected entry's text, or what
// was typed (editable combos only). Selecting an entry or setting the value from code
// raises the change event, as a choice by the user would; typing does not.
class ComboBox {
public:
    explicit ComboBox(ControlRecord record) : record_(std::move(record)) {}

    const ControlRecord& Record() const { return record_; }
    ControlRecord& Record() { return record_; }

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<std::string>& Entries() const { return entries_; }
    // Throws std::out_of_range naming the combo for an index outside the list.
    const std::string& Entry(int index) const;
    void SetEntry(int index, std::string_view text);
    void Append(std::string_view text);
    // Removing the selected entry leaves no selection and keeps the value's text.
    void Remove(int index);
    // Empties the list and the value; raises nothing.
    void Clear();

    int SelectedIndex() const { return selectedIndex_; }
    // -1 clears the selection and the value.
    void SetSelectedIndex(int index);
    const std::string& Value() const { return value_; }
    // Selects the first entry with exactly this text, or none.
    void SetValue(std::string_view text);
    // The user typing into an editable combo: the text becomes the value and the selection
    // follows the first entry with exactly this text, if any. No change event.
    void Type(std::string_view text);

    std::function<void()> changed;

private:
    int IndexOf(std::string_view text) const;
    void CheckIndex(int index) const;
    void RaiseChanged() const;

    ControlRecord record_;
    std::vector<std::string> entries_;
    int selectedIndex_ = -1;
    std::string value_;
};

}  // namespace zkl
