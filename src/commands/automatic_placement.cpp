#include "commands/automatic_placement.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <vector>

#include "commands/zoomed_out.h"
#include "dialog/frm_main.h"
#include "label/interactive_placement.h"
#include "label/label_cell.h"
#include "layout/border_annotation.h"
#include "settings/read_settings_from_dialog.h"
#include "settings/settings_file.h"

namespace zkl {

namespace {

// The left edge an attachment must lie beyond to get a border drawn around it: further left
// lies the sheet's own frame and legend, not a plant drawing.
constexpr double BorderAttachmentMinimumX = 40.0;

struct RunState {
    ItemRows labelItems;
    ItemRows dimItems;
};

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool ReadsFalse(std::string_view part) {
    std::string upper(Trimmed(part));
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == "FALSE";
}

void PostInfo(Host& host, std::string text) { host.PostMessage({std::move(text), "", 12, false}); }

const SettingsDialog& DialogOf(const mdlOPM_Labeller& module, const char* command) {
    if (!module.dialog)
        throw std::invalid_argument(std::string(command) +
                                    " reads its settings from the main dialog, which has not been opened");
    return *module.dialog;
}

}  // namespace

// Failures of the host here are absorbed so that a level that cannot be created is reported
// once, by name, below.
Level FindOrCreateBorderLevel(Host& host, const std::string& name) {
    std::optional<Level> level;
    try {
        level = host.FindLevel(name);
    } catch (const HostError&) {
        try {
            host.CreateLevel(name);
            host.CommitLevels();
            level = host.FindLevel(name);
        } catch (const HostError&) {
            // Reported below, with the setting that names the level.
        }
    }
    if (!level)
        throw HostError("the border level '" + name +
                        "' (setting ShapeLevelName) is not in the design file and cannot be created");
    return *level;
}

void CheckStepDistance(const LabellerSettings& settings) {
    if (!(settings.StepDistance > 0.0) || !std::isfinite(settings.StepDistance))
        throw std::invalid_argument(
            "the setting StepDistance must be a number greater than 0 to place labels, not " +
            DoubleToText(settings.StepDistance) +
            " (STEPDISTANCE in the configuration file, or the step distance box of the dialog)");
}

namespace {

struct AddedCounts {
    std::int64_t labelCells = 0;
    std::int64_t dimensions = 0;
};

AddedCounts CountAnnotation(const Host& host) {
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    criteria.IncludeType(ElementType::Dimension);
    AddedCounts counts;
    for (const Element& element : host.Scan(criteria)) {
        if (element.IsDimension())
            ++counts.dimensions;
        else if (element.Cell().name == LabelCellName)
            ++counts.labelCells;
    }
    return counts;
}

// Counts each label as it is placed, so that progress shows the run so far.
std::function<void(const PassLabel&)> LabelCounter(PlacementReport& report,
                                                   const PlacementProgress& progress) {
    return [&report, &progress](const PassLabel& label) {
        ++report.labels;
        report.probes += label.search.probes;
        if (label.search.free) ++report.freePlaces;
        if (label.clearLeaderFallback) ++report.clearLeaderFallbacks;
        if (progress.labelPlaced) progress.labelPlaced(label, report);
    };
}

// Scans for the border shapes, drawing them once when there are none; each shape found is
// handed to `visit`. Stops with a message when no shape exists and none could be drawn.
template <typename Visit>
void ForEachBorder(mdlOPM_Labeller& module, const Level& level, PlacementReport& report,
                   const PlacementProgress& progress, Visit&& visit) {
    Host& host = module.host;
    const ScanCriteria criteria = BorderShapeCriteria(level.name);
    bool drawn = false;
    while (true) {
        const std::vector<Element> borders = host.Scan(criteria);
        const int total = static_cast<int>(borders.size());
        for (const Element& border : borders) {
            visit(border);
            ++report.borders;
            if (progress.borderDone) progress.borderDone(report.borders, total, report);
        }
        if (!borders.empty()) return;
        if (drawn) break;
        report.bordersDrawn = CreateBorderShapes(module, level.name);
        drawn = true;
        if (report.bordersDrawn == 0) break;
    }
    PostInfo(host, NoDrawingAreaMessage(level.name));
}

}  // namespace

std::string NoDrawingAreaMessage(std::string_view levelName) {
    return "No drawing area to annotate: the active model has no border shape on level '" +
           std::string(levelName) + "' and no displayed attachment lies right of x = 40 to draw one around";
}

void ApplyKeyinArguments(std::string_view arguments, bool& placeDimensions, bool& placeLabels) {
    const std::size_t comma = arguments.find(',');
    if (ReadsFalse(arguments.substr(0, comma))) placeDimensions = false;
    if (comma == std::string_view::npos) return;
    std::string_view second = arguments.substr(comma + 1);
    second = second.substr(0, second.find(','));
    if (ReadsFalse(second)) placeLabels = false;
}

int CreateBorderShapes(mdlOPM_Labeller& module, std::string_view levelName) {
    Host& host = module.host;
    int drawn = 0;
    for (const AttachmentInfo& attachment : host.Attachments()) {
        if (!attachment.displayed) continue;
        const Point& l = attachment.range.low;
        const Point& h = attachment.range.high;
        if (!(l.x > BorderAttachmentMinimumX)) continue;
        Element shape =
            MakeShape({{l.x, l.y, 0}, {h.x, l.y, 0}, {h.x, h.y, 0}, {l.x, h.y, 0}, {l.x, l.y, 0}});
        shape.symbology.level = host.FindLevel(levelName).name;
        shape.symbology.colour = host.ActiveColour();
        shape.symbology.lineStyle = host.FindLineStyle("6").name;
        shape.symbology.weight = 4;
        host.AddElement(shape);
        ++drawn;
    }
    return drawn;
}

PlacementReport RunAutomaticPlacement(mdlOPM_Labeller& module, bool placeDimensions, bool placeLabels,
                                      const PlacementProgress& progress) {
    Host& host = module.host;
    RunState run;
    const std::string arguments = host.KeyinArguments();
    if (!arguments.empty()) {
        ApplyKeyinArguments(arguments, placeDimensions, placeLabels);
        LoadSettingsFile(module, nullptr, run.labelItems, run.dimItems, "", true);
    } else {
        ReadSettingsFromDialog(module, DialogOf(module, "Automatic Place"), run.labelItems, run.dimItems);
    }
    // Without a row that can match, the free-place search never runs and needs no step.
    const bool labelsCanMatch = std::any_of(run.labelItems.begin(), run.labelItems.end(),
                                            [](const ItemRow& row) { return !row.MatchPatterns.empty(); });
    if (placeLabels && labelsCanMatch) CheckStepDistance(module.settings);

    PostInfo(host, "Starting to place labels");
    const Level level = FindOrCreateBorderLevel(host, module.settings.ShapeLevelName);

    PlacementReport report;
    ForEachBorder(module, level, report, progress, [&](const Element& border) {
        if (placeDimensions) {
            const AddedCounts before = CountAnnotation(host);
            AnnotateBorderSides(module, border, run.dimItems);
            const AddedCounts after = CountAnnotation(host);
            report.sideLabels += after.labelCells - before.labelCells;
            report.dimensions += after.dimensions - before.dimensions;
            host.RedrawView(host.LastInputView());
        }
        if (placeLabels) {
            ZoomedOut zoom(host);
            LabelComponentsInBorder(module, border, LabellingManner::Automatic, run.labelItems,
                                    LabelCounter(report, progress));
            zoom.ZoomBack();
        }
    });
    PostRunSummary(module);
    return report;
}

PlacementReport RunSemiAutomaticPlacement(mdlOPM_Labeller& module, const PlacementProgress& progress) {
    Host& host = module.host;
    PostInfo(host, "Starting to place labels");
    host.SendKeyin("accudraw dialog main");
    const Level level = FindOrCreateBorderLevel(host, module.settings.ShapeLevelName);

    RunState run;
    ReadSettingsFromDialog(module, DialogOf(module, "Semi-Auto Place"), run.labelItems, run.dimItems);

    PlacementReport report;
    ForEachBorder(module, level, report, progress, [&](const Element& border) {
        const PassResult pass = LabelComponentsInBorder(module, border, LabellingManner::SemiAutomatic,
                                                        run.labelItems, LabelCounter(report, progress));
        report.quitByUser = report.quitByUser || pass.quit;
    });
    PostRunSummary(module);
    return report;
}

}  // namespace zkl
