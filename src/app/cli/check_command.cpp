#include "app/cli/check_command.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "app/cli/cli_support.h"
#include "cad/cad_host.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/configuration_folder.h"
#include "io/sheet_file.h"
#include "settings/read_settings_from_dialog.h"
#include "settings/settings_file.h"

namespace zkl::app {

namespace {

using Json = nlohmann::ordered_json;

struct CheckArguments {
    std::string sheet;
    std::optional<std::string> config;
    std::optional<std::string> style;
    bool json = false;
    bool strict = false;
};

// Three decimals: a thousandth is the tolerance findings are judged with; the JSON report
// keeps the exact values.
std::string Number(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string PointText(const Point& p) { return "(" + Number(p.x) + ", " + Number(p.y) + ")"; }

std::string ComponentText(const ComponentRef& component) {
    return component.model + " #" + std::to_string(component.id);
}

std::string LabelText(const LabelRef& label) {
    std::string text = "label #" + std::to_string(label.cell);
    if (label.component) text += " (" + ComponentText(*label.component) + ")";
    return text;
}

std::string FindingText(const Finding& f) {
    const std::string at = " at " + PointText(f.at);
    switch (f.kind) {
        case FindingKind::BodyOverlap:
            return LabelText(f.labels[0]) + " and " + LabelText(f.labels[1]) + " overlap by " +
                   Number(f.amount) + at;
        case FindingKind::BodyOverComponent:
            return LabelText(f.labels[0]) + " covers component " + ComponentText(*f.component) + at;
        case FindingKind::LeaderCrossing:
        case FindingKind::SideLeaderCrossing:
            return "the leaders of " + LabelText(f.labels[0]) + " and " + LabelText(f.labels[1]) + " meet" +
                   at;
        case FindingKind::LeaderThroughBody:
            return "the leader of " + LabelText(f.labels[0]) + " runs through the body of " +
                   LabelText(f.labels[1]) + at;
        case FindingKind::BodyOutsideArea:
            return LabelText(f.labels[0]) + " reaches " + Number(f.amount) + " beyond " + f.note + at;
        case FindingKind::UnlabelledComponent:
            return "component " + ComponentText(*f.component) + " has no label at its anchor " +
                   PointText(f.at) + (f.note.empty() ? "" : ": " + f.note);
        case FindingKind::SideLabelsTooClose:
            return LabelText(f.labels[0]) + " and " + LabelText(f.labels[1]) + " are " + Number(f.amount) +
                   " apart (" + f.note + ")" + at;
    }
    return {};
}

Json ComponentJson(const std::optional<ComponentRef>& component) {
    if (!component) return nullptr;
    return Json{{"model", component->model}, {"id", component->id}};
}

Json ReportJson(const CheckArguments& arguments, const std::string& config, const QualityReport& report) {
    Json counts = Json::object();
    for (const FindingKind kind : AllFindingKinds) counts[std::string(FindingKey(kind))] = report.Count(kind);
    Json findings = Json::array();
    for (const Finding& f : report.findings) {
        Json labels = Json::array();
        for (const LabelRef& label : f.labels)
            labels.push_back({{"cell", label.cell}, {"component", ComponentJson(label.component)}});
        findings.push_back({{"kind", FindingKey(f.kind)},
                            {"labels", labels},
                            {"component", ComponentJson(f.component)},
                            {"at", {f.at.x, f.at.y}},
                            {"amount", f.amount},
                            {"note", f.note}});
    }
    const LeaderLengths& lengths = report.leaderLengths;
    return Json{
        {"sheet", arguments.sheet},
        {"config", config},
        {"areas", report.areas},
        {"componentLabels", report.componentLabels},
        {"sideLabels", report.sideLabels},
        {"selectedComponents", report.selectedComponents},
        {"leaders", report.leaders},
        {"leadersThroughBodies", report.leadersThroughBodies},
        {"leadersThroughBodiesShare", report.leaders ? static_cast<double>(report.leadersThroughBodies) /
                                                           static_cast<double>(report.leaders)
                                                     : 0.0},
        {"leaderLength",
         {{"count", lengths.count}, {"median", lengths.median}, {"p95", lengths.p95}, {"max", lengths.max}}},
        {"counts", counts},
        {"findings", findings}};
}

// The rows `auto` would read: the dialog as it opens, or the general part and one style.
ItemRows LoadLabelRows(mdlOPM_Labeller& module, const std::optional<std::string>& style) {
    ItemRows labelItems;
    ItemRows dimItems;
    if (style) {
        LoadSettingsFile(module, nullptr, labelItems, dimItems, *style, true);
        return labelItems;
    }
    clsOPM_Labeller(module, DialogCommands{}).Start_Labeller();
    ReadSettingsFromDialog(module, *module.dialog, labelItems, dimItems);
    return labelItems;
}

void Check(const CheckArguments& arguments) {
    cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    const io::ConfigurationFolder configuration(arguments.config, arguments.sheet, "give one with --config");
    drawing.macroProjectPath = configuration.MacroProjectPath();
    cad::CadHost host(std::move(drawing));
    host.SetPrompter(std::make_shared<StderrPrompter>());
    mdlOPM_Labeller module(host);
    const ItemRows labelItems = LoadLabelRows(module, arguments.style);
    const QualityReport report = CheckAnnotation(module, labelItems);

    if (arguments.json) {
        std::cout << ReportJson(arguments, configuration.File().string(), report).dump(2) << "\n";
    } else {
        std::cout << arguments.sheet << ": " << report.areas
                  << (report.areas == 1 ? " drawing area, " : " drawing areas, ") << report.componentLabels
                  << " component labels, " << report.sideLabels << " side labels, "
                  << report.selectedComponents << " components the label rows select\n";
        PrintQualitySummary(std::cout, report);
        for (const Finding& finding : report.findings)
            std::cout << FindingTitle(finding.kind) << ": " << FindingText(finding) << "\n";
    }
    if (arguments.strict && report.Overlaps() > 0)
        throw std::runtime_error(
            QuotedPath(arguments.sheet) + ": " + std::to_string(report.Count(FindingKind::BodyOverlap)) +
            " overlapping label bodies, " + std::to_string(report.Count(FindingKind::BodyOverComponent)) +
            " label bodies over components (--strict)");
}

}  // namespace

void PrintQualitySummary(std::ostream& out, const QualityReport& report) {
    for (const FindingKind kind : AllFindingKinds) {
        out << "  " << FindingTitle(kind) << ": " << report.Count(kind);
        if (kind == FindingKind::LeaderThroughBody && report.leaders > 0)
            out << " (" << report.leadersThroughBodies << " of " << report.leaders << " leaders, "
                << Number(100.0 * static_cast<double>(report.leadersThroughBodies) /
                          static_cast<double>(report.leaders))
                << "%)";
        out << "\n";
    }
    const LeaderLengths& lengths = report.leaderLengths;
    out << "  leader length: median " << Number(lengths.median) << ", 95th percentile " << Number(lengths.p95)
        << ", max " << Number(lengths.max) << " (" << lengths.count << " component labels)\n";
}

QualityReport CheckAfterRun(mdlOPM_Labeller& module) {
    ItemRows labelItems;
    ItemRows dimItems;
    if (module.dialog)
        ReadSettingsFromDialog(module, *module.dialog, labelItems, dimItems);
    else
        LoadSettingsFile(module, nullptr, labelItems, dimItems, "", true);
    return CheckAnnotation(module, labelItems);
}

Command AddCheckCommand(CLI::App& program) {
    auto arguments = std::make_shared<CheckArguments>();
    CLI::App* check = program.add_subcommand(
        "check",
        "Report the layout quality of an annotated sheet: overlaps, crossing leaders, missing labels");
    check->add_option("sheet", arguments->sheet, "The annotated sheet (JSON)")->required();
    check->add_option("--config", arguments->config, "The configuration file")
        ->default_str("ZKL_Labeller.ini beside the sheet");
    check->add_option(
        "--style", arguments->style,
        "Take the label rows of this label style (\"\": the general part alone, as auto --args); "
        "default: the dialog's, as auto");
    check->add_flag("--json", arguments->json, "Print the report as JSON (docs/quality.md)");
    check->add_flag("--strict", arguments->strict,
                    "Exit with 1 when label bodies overlap each other or components");
    return {check, [arguments] { Check(*arguments); }};
}

}  // namespace zkl::app
