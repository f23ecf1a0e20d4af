#include "dialog/controls.h"

#include <algorithm>
#include <stdexcept>

namespace zkl {

const std::string& ComboBox::Entry(int index) const {
    CheckIndex(index);
    return entries_[static_cast<std::size_t>(index)];
}

void ComboBox::SetEntry(int index, std::string_view text) {
    CheckIndex(index);
    entries_[static_cast<std::size_t>(index)] = text;
}

void ComboBox::Append(std::string_view text) { entries_.emplace_back(text); }

void ComboBox::Remove(int index) {
    CheckIndex(index);
    entries_.erase(entries_.begin() + index);
    if (selectedIndex_ == index)
        selectedIndex_ = -1;
    else if (selectedIndex_ > index)
        --selectedIndex_;
}

void ComboBox::Clear() {
    entries_.clear();
    selectedIndex_ = -1;
    value_.clear();
}

void ComboBox::SetSelectedIndex(int index) {
    if (index != -1) CheckIndex(index);
    selectedIndex_ = index;
    value_ = index == -1 ? std::string{} : entries_[static_cast<std::size_t>(index)];
    RaiseChanged();
}

void ComboBox::SetValue(std::string_view text) {
    value_ = text;
    selectedIndex_ = IndexOf(text);
    RaiseChanged();
}

void ComboBox::Type(std::string_view text) {
    value_ = text;
    selectedIndex_ = IndexOf(text);
}

int ComboBox::IndexOf(std::string_view text) const {
    const auto found = std::find(entries_.begin(), entries_.end(), text);
    return found == entries_.end() ? -1 : static_cast<int>(found - entries_.begin());
}

void ComboBox::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("list '" + record_.name + "' has no entry " + std::to_string(index) +
                                " (it has " + std::to_string(Count()) + ")");
}

void ComboBox::RaiseChanged() const {
    if (changed) changed();
}

}  // namespace zkl
