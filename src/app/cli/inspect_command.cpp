#include "app/cli/inspect_command.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_support.h"
#include "cad/cad_host.h"
#include "cad/prompter.h"
#include "component/component_geometry.h"
#include "component/elevation_text.h"
#include "component/label_format.h"
#include "component/property_text.h"
#include "host/property_value.h"
#include "io/sheet_file.h"
#include "settings/labeller_module.h"
#include "settings/settings_file.h"

namespace zkl::app {

namespace {

using Json = nlohmann::ordered_json;

struct InspectArguments {
    std::string sheet;
    std::optional<std::string> config;
    std::string style;
    std::optional<ElementId> element;
    bool json = false;
};

std::string RowText(const ItemRow& row) {
    return row.MatchFormat + ";" + row.MatchPatterns + ";" + row.LabelFormat + ";" +
           std::to_string(row.FrameStyle) + ";" + row.ComponentClass;
}

// Four decimals are plenty on a drawing sheet and hide the noise of the transforms; the
// JSON report keeps the exact values.
std::string CoordinateText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string PointText(const Point& p) {
    return "(" + CoordinateText(p.x) + ", " + CoordinateText(p.y) + ", " + CoordinateText(p.z) + ")";
}

// Names added to the list since `before`, without the enclosing commas ("A,B").
std::string NewEntries(const std::string& before, const std::string& after) {
    const std::string added = after.substr(before.size());
    return added.empty() ? "" : added.substr(0, added.size() - 1);
}

Json RowJson(const ItemRows& rows, std::optional<std::size_t> index) {
    if (!index) return nullptr;
    const ItemRow& row = rows[*index];
    return Json{{"index", *index}, {"row", RowText(row)}, {"class", row.ComponentClass}};
}

// The slope of a straight run in each written form, from its start and end in the attached
// model's coordinates; empty for a level or vertical run.
Json SlopeJson(const Host& host, const Element& element, const std::vector<Point>& keyPoints) {
    const AttachmentInfo attachment = host.Attachment(element.model);
    const Point start = ActiveToReferencePoint(keyPoints[0], attachment);
    const Point end = ActiveToReferencePoint(keyPoints[1], attachment);
    Json forms = Json::array();
    for (const SlopeFormat format : {SlopeFormat::Percent, SlopeFormat::PerHundred, SlopeFormat::Degrees}) {
        const std::string text = SlopeText(start, end, format);
        if (!text.empty()) forms.push_back(text);
    }
    return forms.empty() ? Json(nullptr) : forms;
}

Json InspectComponent(mdlOPM_Labeller& module, cad::CadHost& host, const Element& element,
                      const std::string& modelName, const ItemRows& labelItems, const ItemRows& dimItems) {
    const std::size_t messagesBefore = host.Messages().size();
    const std::string invalidBefore = module.invalidPropertyList;

    Json report;
    report["model"] = modelName;
    report["id"] = element.id;
    report["cell"] = std::get<CellGeometry>(element.geometry).name;
    report["className"] = GetObjectClassName(host, element);
    const std::optional<std::size_t> labelRow = FindItemRow(module, element, labelItems);
    report["labelRow"] = RowJson(labelItems, labelRow);
    report["dimensionRow"] = RowJson(dimItems, FindItemRow(module, element, dimItems));

    Json points = Json::array();
    try {
        const std::vector<Point> keyPoints = GetComponentPoints(module, element, labelItems);
        for (const Point& p : keyPoints) points.push_back({p.x, p.y, p.z});
        if (keyPoints.size() == 3 && GetComponentClass(module, element, labelItems) == "STRAIGHT")
            report["slope"] = SlopeJson(host, element, keyPoints);
        report["keyPoints"] = points;
    } catch (const std::exception& error) {
        report["keyPoints"] = nullptr;
        report["keyPointError"] = error.what();
    }
    report["labelText"] =
        labelRow ? Json(EvaluateLabelFormat(module, element, labelItems, labelItems[*labelRow].LabelFormat))
                 : Json(nullptr);
    report["invalidProperties"] = NewEntries(invalidBefore, module.invalidPropertyList);
    Json messages = Json::array();
    for (std::size_t i = messagesBefore; i < host.Messages().size(); ++i)
        messages.push_back(host.Messages()[i].text);
    report["messages"] = messages;
    return report;
}

void PrintComponent(const Json& c) {
    std::cout << c["model"].get<std::string>() << " #" << c["id"].get<ElementId>() << " "
              << c["cell"].get<std::string>() << "\n";
    std::cout << "  class name:   " << c["className"].get<std::string>() << "\n";
    const auto printRow = [](const char* caption, const Json& row) {
        std::cout << caption;
        if (row.is_null())
            std::cout << "none\n";
        else
            std::cout << "row " << row["index"].get<int>() + 1 << ": " << row["row"].get<std::string>()
                      << "\n";
    };
    printRow("  label row:    ", c["labelRow"]);
    printRow("  dimension:    ", c["dimensionRow"]);
    std::cout << "  key points:   ";
    if (c["keyPoints"].is_null()) {
        std::cout << "cannot be computed: " << c["keyPointError"].get<std::string>() << "\n";
    } else {
        for (const auto& p : c["keyPoints"])
            std::cout << PointText({p[0].get<double>(), p[1].get<double>(), p[2].get<double>()}) << " ";
        std::cout << "(anchor last)\n";
    }
    if (c.contains("slope") && !c["slope"].is_null()) {
        std::cout << "  slope:        ";
        for (std::size_t i = 0; i < c["slope"].size(); ++i)
            std::cout << (i ? " | " : "") << c["slope"][i].get<std::string>();
        std::cout << "\n";
    }
    std::cout << "  label text:   ";
    if (c["labelText"].is_null())
        std::cout << "none (no label row matches)\n";
    else if (c["labelText"].get<std::string>().empty())
        std::cout << "\"\" (empty: no label is placed)\n";
    else
        std::cout << c["labelText"].get<std::string>() << "\n";
    if (!c["invalidProperties"].get<std::string>().empty())
        std::cout << "  unreadable:   " << c["invalidProperties"].get<std::string>() << "\n";
    for (const auto& message : c["messages"])
        std::cout << "  message:      " << message.get<std::string>() << "\n";
}

void Inspect(const InspectArguments& arguments) {
    const std::filesystem::path sheetPath(arguments.sheet);
    const std::filesystem::path config = arguments.config
                                             ? std::filesystem::path(*arguments.config)
                                             : sheetPath.parent_path() / std::string(ConfigurationFileName);
    cad::CadHost host{io::LoadSheet(sheetPath)};
    auto prompter = std::make_shared<cad::RecordingPrompter>();
    host.SetPrompter(prompter);
    mdlOPM_Labeller module(host);
    ItemRows labelItems;
    ItemRows dimItems;
    LoadSettingsFile(config, module, nullptr, labelItems, dimItems, arguments.style, true);

    Json components = Json::array();
    const cad::Drawing& drawing = host.GetDrawing();
    for (std::size_t a = 0; a < drawing.attachments.size(); ++a) {
        const cad::Attachment& attachment = drawing.attachments[a];
        for (const auto& [id, entry] : attachment.model.Entries()) {
            if (entry.element.type != ElementType::Cell) continue;
            if (arguments.element && *arguments.element != id) continue;
            components.push_back(
                InspectComponent(module, host, entry.element, attachment.name, labelItems, dimItems));
        }
    }
    if (arguments.element && components.empty())
        throw std::runtime_error(QuotedPath(arguments.sheet) +
                                 " has no component (cell of an attached model) with id " +
                                 std::to_string(*arguments.element));

    const std::string& list = module.invalidPropertyList;
    const std::string invalid = list.size() < 3 ? "" : list.substr(1, list.size() - 2);
    Json boxes = Json::array();
    for (const auto& box : prompter->Boxes()) boxes.push_back(box.title + ": " + box.text);

    if (arguments.json) {
        const Json report{{"sheet", arguments.sheet},
                          {"config", config.string()},
                          {"components", components},
                          {"invalidProperties", invalid},
                          {"configMessages", boxes}};
        std::cout << report.dump(2) << "\n";
        return;
    }
    for (const auto& box : boxes) std::cout << "configuration: " << box.get<std::string>() << "\n";
    for (const auto& component : components) PrintComponent(component);
    std::cout << "invalid properties: " << (invalid.empty() ? "none" : invalid) << "\n";
}

}  // namespace

Command AddInspectCommand(CLI::App& program) {
    auto arguments = std::make_shared<InspectArguments>();
    CLI::App* inspect = program.add_subcommand(
        "inspect", "Show what the labeller reads from each component: class, rows, key points, label text");
    inspect->add_option("sheet", arguments->sheet, "The sheet file (JSON)")->required();
    inspect->add_option("--config", arguments->config, "The configuration file")
        ->default_str("ZKL_Labeller.ini beside the sheet");
    inspect->add_option("--style", arguments->style, "Add this label style's rows to the general ones");
    inspect->add_option("--element", arguments->element, "Only the component with this id");
    inspect->add_flag("--json", arguments->json, "Print JSON instead of text");
    return {inspect, [arguments] { Inspect(*arguments); }};
}

}  // namespace zkl::app
