// A settings dialog held in maps, for tests: texts and combo values by control name, list
// entries by list name, and every write in the order it came.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "settings/settings_dialog.h"

namespace zkl::testing {

class FakeSettingsDialog : public SettingsDialog {
public:
    void SetControlText(std::string_view control, std::string_view text) override {
        texts[std::string(control)] = std::string(text);
        writes.push_back(std::string(control) + "=" + std::string(text));
    }
    std::string ControlText(std::string_view control) const override { return Find(texts, control); }
    std::string ComboValue(std::string_view combo) const override { return Find(values, combo); }
    void AppendComboEntry(std::string_view combo, std::string_view text) override {
        lists[std::string(combo)].emplace_back(text);
        writes.push_back(std::string(combo) + "+" + std::string(text));
    }
    int ComboEntryCount(std::string_view combo) const override {
        const auto found = lists.find(std::string(combo));
        return found == lists.end() ? 0 : static_cast<int>(found->second.size());
    }
    std::string ComboEntry(std::string_view combo, int index) const override {
        return lists.at(std::string(combo)).at(static_cast<std::size_t>(index));
    }

    std::map<std::string, std::string> texts;
    std::map<std::string, std::string> values;
    std::map<std::string, std::vector<std::string>> lists;
    std::vector<std::string> writes;

private:
    static std::string Find(const std::map<std::string, std::string>& map, std::string_view key) {
        const auto found = map.find(std::string(key));
        return found == map.end() ? "" : found->second;
    }
};

}  // namespace zkl::testing
