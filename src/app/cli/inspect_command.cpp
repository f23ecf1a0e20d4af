#include "app/cli/inspect_command.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_support.h"
#include "cad/cad_host.h"
#include "cad/prompter.h"
#include "commands/placement_explanation.h"
#include "component/component_geometry.h"
#include "component/component_key.h"
#include "component/elevation_text.h"
#include "component/label_format.h"
#include "component/property_text.h"
#include "host/property_value.h"
#include "io/sheet_file.h"
#include "label/label_cell.h"
#include "label/label_origin.h"
#include "settings/labeller_module.h"
#include "settings/placement_options.h"
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
    std::optional<std::string> placement;
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


std::string ModelText(const Host& host, ModelId model) {
    if (model == ActiveModelId) return "sheet";
    try {
        return host.Attachment(model).name;
    } catch (const HostError&) {
        return "model " + std::to_string(model);
    }
}

std::string ObstacleText(const std::optional<LeaderObstacle>& obstacle, CandidateVerdict verdict) {
    const std::string label =
        obstacle && obstacle->cell != NoElementId ? "label #" + std::to_string(obstacle->cell) : "another label";
    switch (verdict) {
        case CandidateVerdict::Chosen: return "chosen: clear, the shortest clear leader";
        case CandidateVerdict::Superseded: return "clear, but a later place had a shorter leader";
        case CandidateVerdict::NotFree: return "not free: the probe met something under the body";
        case CandidateVerdict::MeetsLeader: return "its leader would cross the leader of " + label;
        case CandidateVerdict::MeetsBody: return "its leader would run through the body of " + label;
        case CandidateVerdict::OutsideArea: return "the body would reach beyond the drawing area";
        case CandidateVerdict::TouchesBody: return "the body would touch another label's body";
        case CandidateVerdict::NotShorter: return "its leader would be no shorter than a clear one found before";
    }
    return "";
}

// Places beyond the first free one are many; those whose leader would have been shorter
// than the chosen one's are the ones that needed a reason to lose.
constexpr std::size_t CandidatesShown = 8;

std::vector<std::string> WhyHereLines(const Host& host, const PlacementExplanation& why) {
    std::vector<std::string> lines;
    lines.push_back("recomputed on the sheet as it is now, with this label and the " +
                    std::to_string(why.labelsTakenOut > 0 ? why.labelsTakenOut - 1 : 0) +
                    " labels added after it taken out; placement " + std::string(PlacementRuleName(why.rule)));
    if (why.labelCell)
        lines.push_back("label #" + std::to_string(*why.labelCell) + " starts at the anchor " + PointText(why.anchor) +
                        (why.labelOffset ? ", its body moved by " + PointText(*why.labelOffset) : ""));
    else
        lines.push_back("no label starts at the anchor " + PointText(why.anchor) + "; where one would go:");
    if (why.firstFreeStep == 0) {
        lines.push_back("no spiral step up to the probe limit found a free place");
    } else {
        lines.push_back("spiral step " + std::to_string(why.firstFreeStep) + " (ring " +
                        std::to_string(why.firstFreeRing) + ") is the first free place, offset " +
                        PointText(why.firstFreeOffset));
    }
    for (const BlockedRing& ring : why.blocked) {
        std::string text = "ring " + std::to_string(ring.ring) + ", steps " + std::to_string(ring.firstStep) + "-" +
                           std::to_string(ring.lastStep) + " blocked; nearest:";
        for (std::size_t i = 0; i < ring.nearest.size(); ++i)
            text += (i ? ", " : " ") + ModelText(host, ring.nearest[i].model) + " #" +
                    std::to_string(ring.nearest[i].id) + " " + ring.nearest[i].type;
        lines.push_back(text);
    }
    if (why.clear) {
        const ClearLeaderPlace& clear = *why.clear;
        if (clear.clear)
            lines.push_back("clear-leader placement takes step " + std::to_string(clear.step) + ", leader " +
                            CoordinateText(clear.leaderLength) + ", offset " + PointText(clear.search.offset));
        else
            lines.push_back("clear-leader placement found no clear place within " +
                            std::to_string(ClearLeaderExtraRings) +
                            " rings beyond the first free place and takes the first free place");
        std::size_t shown = 0;
        for (const CandidatePlace& place : clear.candidates) {
            if (place.verdict == CandidateVerdict::NotShorter || place.verdict == CandidateVerdict::Chosen) continue;
            if (clear.clear && place.leaderLength >= clear.leaderLength) continue;
            if (shown++ == CandidatesShown) break;
            lines.push_back("  step " + std::to_string(place.step) + " (ring " + std::to_string(place.ring) +
                            "), leader " + CoordinateText(place.leaderLength) + ": " +
                            ObstacleText(place.obstacle, place.verdict));
        }
        lines.push_back("  " + std::to_string(clear.candidates.size()) + " places looked at from the first free one on");
    }
    if (!why.labelCell) return lines;
    if (why.standsThere) {
        lines.push_back("the label stands at this place");
    } else if (why.standing && why.standing->step > 0 && !why.standing->obstacle) {
        const PlacementExplanation::StandingPlace& place = *why.standing;
        lines.push_back("the label stands at step " + std::to_string(place.step) + " (ring " +
                        std::to_string(place.ring) + "), leader " + CoordinateText(place.leaderLength) +
                        ", clear of the labels placed before it: the area's labels were given their "
                        "clear places together, and the shorter ones went to labels around it");
    } else {
        lines.push_back("the label stands elsewhere: moved since, placed by another rule, "
                        "or the sheet changed around it");
    }
    return lines;
}

// The label cells of the sheet by the component key they record, each as {id, placed}.
std::multimap<std::string, Json> LabelsByComponent(const cad::CadHost& host) {
    std::multimap<std::string, Json> labels;
    for (const auto& [id, entry] : host.GetDrawing().activeModel.Entries()) {
        const Element& cell = entry.element;
        if (!cell.IsCell() || cell.Cell().name != LabelCellName) continue;
        const LabelOrigin origin = ReadLabelOrigin(cell);
        if (origin.component.empty()) continue;
        labels.emplace(origin.component, Json{{"id", id}, {"placed", LabelPlacementName(origin.placement)}});
    }
    return labels;
}

Json InspectComponent(mdlOPM_Labeller& module, cad::CadHost& host, const Element& element,
                      const std::string& modelName, const ItemRows& labelItems, const ItemRows& dimItems,
                      const std::multimap<std::string, Json>& labelsByComponent) {
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
        const std::string key = ComponentKey(host, element, keyPoints);
        report["key"] = key;
        Json labels = Json::array();
        const auto [first, last] = labelsByComponent.equal_range(key);
        for (auto it = first; it != last; ++it) labels.push_back(it->second);
        report["labels"] = labels;
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

Json WhyHere(mdlOPM_Labeller& module, const Element& element, const ItemRows& labelItems) {
    try {
        Json lines = Json::array();
        for (const std::string& line : WhyHereLines(module.host, ExplainPlacement(module, element, labelItems)))
            lines.push_back(line);
        return lines;
    } catch (const std::invalid_argument& error) {
        return Json::array({std::string(error.what())});
    }
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
        std::cout << "  key:          " << c["key"].get<std::string>() << "\n";
        std::cout << "  labels:       ";
        if (c["labels"].empty()) std::cout << "none recorded";
        for (std::size_t i = 0; i < c["labels"].size(); ++i)
            std::cout << (i ? ", " : "") << "#" << c["labels"][i]["id"].get<ElementId>() << " "
                      << c["labels"][i]["placed"].get<std::string>();
        std::cout << "\n";
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
    if (c.contains("whyHere")) {
        std::cout << "  why here:\n";
        for (const auto& line : c["whyHere"]) std::cout << "    " << line.get<std::string>() << "\n";
    }
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
    module.placement = ReadPlacementOptions(config);
    if (arguments.placement) module.placement.rule = ParsePlacementRule(*arguments.placement);

    Json components = Json::array();
    const std::multimap<std::string, Json> labelsByComponent = LabelsByComponent(host);
    const cad::Drawing& drawing = host.GetDrawing();
    for (std::size_t a = 0; a < drawing.attachments.size(); ++a) {
        const cad::Attachment& attachment = drawing.attachments[a];
        for (const auto& [id, entry] : attachment.model.Entries()) {
            if (entry.element.type != ElementType::Cell) continue;
            if (arguments.element && *arguments.element != id) continue;
            components.push_back(
                InspectComponent(module, host, entry.element, attachment.name, labelItems, dimItems,
                                 labelsByComponent));
            // Explaining takes the label out of the sheet, so only the one component asked for.
            if (arguments.element && !components.back()["labelText"].is_null() &&
                !components.back()["keyPoints"].is_null())
                components.back()["whyHere"] = WhyHere(module, entry.element, labelItems);
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
    inspect
        ->add_option("--placement", arguments->placement,
                     "With --element: explain the place by this rule, first or clear (default: LABELPLACEMENT)")
        ->check(CLI::Validator(CheckPlacementRule, "first|clear", "placement"));
    return {inspect, [arguments] { Inspect(*arguments); }};
}

}  // namespace zkl::app
