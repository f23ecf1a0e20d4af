#include "app/cli/settings_command.h"

#include <charconv>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>
#include <vector>

#include "cad/cad_host.h"
#include "settings/labeller_module.h"
#include "settings/settings_file.h"

namespace zkl::app {

namespace {

using Json = nlohmann::ordered_json;

struct SettingsArguments {
    std::string config = "ZKL_Labeller.ini";
    std::optional<std::string> style;
    bool json = false;
};

// Keeps what the loader writes, in the order it arrives, instead of showing a dialog.
class RecordingDialog : public SettingsDialog {
public:
    void SetControlText(std::string_view control, std::string_view text) override {
        for (auto& [name, value] : controls_)
            if (name == control) {
                value = text;
                return;
            }
        controls_.emplace_back(control, text);
    }
    std::string ControlText(std::string_view control) const override {
        for (const auto& [name, value] : controls_)
            if (name == control) return value;
        return "";
    }
    std::string ComboValue(std::string_view combo) const override { return ControlText(combo); }
    void AppendComboEntry(std::string_view combo, std::string_view text) override {
        for (auto& [name, entries] : lists_)
            if (name == combo) {
                entries.emplace_back(text);
                return;
            }
        lists_.push_back({std::string(combo), {std::string(text)}});
    }
    int ComboEntryCount(std::string_view combo) const override {
        const auto* entries = Entries(combo);
        return entries ? static_cast<int>(entries->size()) : 0;
    }
    std::string ComboEntry(std::string_view combo, int index) const override {
        return Entries(combo)->at(static_cast<std::size_t>(index));
    }

    const std::vector<std::pair<std::string, std::string>>& Controls() const { return controls_; }
    const std::vector<std::pair<std::string, std::vector<std::string>>>& Lists() const { return lists_; }

private:
    const std::vector<std::string>* Entries(std::string_view combo) const {
        for (const auto& [name, entries] : lists_)
            if (name == combo) return &entries;
        return nullptr;
    }

    std::vector<std::pair<std::string, std::string>> controls_;
    std::vector<std::pair<std::string, std::vector<std::string>>> lists_;
};

std::string NumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

Json SettingsJson(const LabellerSettings& s) {
    return Json{{"IgnoreDN", s.IgnoreDN},
                {"DimStyleName", s.DimStyleName},
                {"TextStyleName", s.TextStyleName},
                {"DimLevelName", s.DimLevelName},
                {"PlantOriginOffset", s.PlantOriginOffset},
                {"LabelDistance1", s.LabelDistance1},
                {"LabelDistance2", s.LabelDistance2},
                {"UnderlineDistance", s.UnderlineDistance},
                {"TextHeight", s.TextHeight},
                {"TextWidth", s.TextWidth},
                {"DimHeight", s.DimHeight},
                {"GridCellName", s.GridCellName},
                {"LineLabelFormat", s.LineLabelFormat},
                {"EquipmentLabelFormat", s.EquipmentLabelFormat},
                {"LabelFrameStyle", s.LabelFrameStyle},
                {"ShapeLevelName", s.ShapeLevelName},
                {"DimMode", s.DimMode},
                {"StepDistance", s.StepDistance}};
}

Json RowsJson(const ItemRows& rows) {
    Json list = Json::array();
    for (const ItemRow& row : rows)
        list.push_back({{"MatchFormat", row.MatchFormat},
                        {"MatchPatterns", row.MatchPatterns},
                        {"LabelFormat", row.LabelFormat},
                        {"FrameStyle", row.FrameStyle},
                        {"ComponentClass", row.ComponentClass}});
    return list;
}

Json MessagesJson(const cad::RecordingPrompter& prompter) {
    Json list = Json::array();
    for (const auto& box : prompter.Boxes()) list.push_back({{"title", box.title}, {"text", box.text}});
    return list;
}

// The text form: one "name: value" line per field; the JSON's numbers print as the
// shortest text that reads back to the same value.
void PrintValue(const std::string& indent, const std::string& name, const Json& value) {
    std::cout << indent << name << ": ";
    if (value.is_string() && value.get<std::string>().empty())
        std::cout << "\"\"";  // so that an empty value is seen, not missed
    else if (value.is_string())
        std::cout << value.get<std::string>();
    else if (value.is_number_float())
        std::cout << NumberText(value.get<double>());
    else
        std::cout << value.dump();
    std::cout << "\n";
}

void PrintText(const Json& report) {
    for (const auto& [section, content] : report.items()) {
        if (content.is_object()) {
            std::cout << section << ":\n";
            for (const auto& [name, value] : content.items()) {
                if (value.is_array()) {
                    std::cout << "  " << name << ":\n";
                    for (const auto& entry : value) std::cout << "    " << entry.get<std::string>() << "\n";
                } else {
                    PrintValue("  ", name, value);
                }
            }
        } else if (content.is_array()) {
            std::cout << section << ": " << content.size() << "\n";
            for (std::size_t i = 0; i < content.size(); ++i) {
                std::cout << "  [" << i << "]\n";
                for (const auto& [name, value] : content[i].items()) {
                    if (section == "messages" && name == "text") {
                        // Message boxes separate their lines with a lone CR.
                        std::string text = value.get<std::string>();
                        std::string::size_type start = 0;
                        std::cout << "    text:\n";
                        while (true) {
                            const auto end = text.find('\r', start);
                            std::cout << "      " << text.substr(start, end - start) << "\n";
                            if (end == std::string::npos) break;
                            start = end + 1;
                        }
                    } else {
                        PrintValue("    ", name, value);
                    }
                }
            }
        } else {
            PrintValue("", section, content);
        }
    }
}

void ShowSettings(const SettingsArguments& arguments) {
    cad::CadHost host{cad::Drawing{}};
    auto prompter = std::make_shared<cad::RecordingPrompter>();
    host.SetPrompter(prompter);
    mdlOPM_Labeller module(host);
    ItemRows labelItems;
    ItemRows dimItems;

    Json report;
    report["config"] = arguments.config;
    if (!arguments.style) {
        LoadSettingsFile(arguments.config, module, nullptr, labelItems, dimItems, "", true);
        report["mode"] = "settings";
        report["settings"] = SettingsJson(module.settings);
        report["labelItems"] = RowsJson(labelItems);
        report["dimItems"] = RowsJson(dimItems);
    } else {
        RecordingDialog dialog;
        LoadSettingsFile(arguments.config, module, &dialog, labelItems, dimItems, *arguments.style, false);
        report["mode"] = "dialog";
        report["style"] = *arguments.style;
        Json controls = Json::object();
        for (const auto& [control, text] : dialog.Controls()) controls[control] = text;
        Json lists = Json::object();
        for (const auto& [combo, entries] : dialog.Lists()) lists[combo] = entries;
        report["controls"] = controls;
        report["lists"] = lists;
        report["record"] = {{"DimStyleName", module.settings.DimStyleName},
                            {"TextStyleName", module.settings.TextStyleName},
                            {"DimLevelName", module.settings.DimLevelName},
                            {"ShapeLevelName", module.settings.ShapeLevelName}};
    }
    report["messages"] = MessagesJson(*prompter);

    if (arguments.json)
        std::cout << report.dump(2) << "\n";
    else
        PrintText(report);
}

}  // namespace

Command AddSettingsCommand(CLI::App& program) {
    auto arguments = std::make_shared<SettingsArguments>();
    CLI::App* settings =
        program.add_subcommand("settings", "Show what the labeller reads from a configuration file");
    settings->add_option("--config", arguments->config, "The configuration file")
        ->default_str("./ZKL_Labeller.ini");
    settings->add_option("--style", arguments->style,
                         "Load as the dialog does for this label style (\"\" lists the styles)");
    settings->add_flag("--json", arguments->json, "Print JSON instead of text");
    return {settings, [arguments] { ShowSettings(*arguments); }};
}

}  // namespace zkl::app
