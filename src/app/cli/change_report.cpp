#include "app/cli/change_report.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>

namespace zkl::app {

namespace {

using Json = nlohmann::ordered_json;

constexpr LabelChange AllChanges[] = {LabelChange::Kept,    LabelChange::Retexted, LabelChange::Moved,
                                      LabelChange::Removed, LabelChange::Added,    LabelChange::Orphaned};

// Two decimals are a hundredth of a millimetre on paper; the JSON keeps the exact values.
std::string PlaceText(const Point& p) {
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "(%.2f, %.2f)", p.x + 0.0, p.y + 0.0);
    return buffer;
}

Json PointJson(const std::optional<Point>& point) {
    if (!point) return nullptr;
    return Json::array({point->x, point->y, point->z});
}

Json CellJson(ElementId id) { return id == NoElementId ? Json(nullptr) : Json(id); }

std::string Line(const LabelChangeEntry& entry) {
    std::string line = std::string(LabelChangeName(entry.change)) + " " + entry.component;
    const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
    switch (entry.change) {
        case LabelChange::Kept:
            line += ": " + quoted(entry.newText) + ", leader redrawn from the moved component";
            break;
        case LabelChange::Retexted:
            line += ": " + quoted(entry.oldText) + " -> " + quoted(entry.newText) + " at " + PlaceText(*entry.newPlace);
            break;
        case LabelChange::Moved:
            line += ": " + quoted(entry.newText) + " " + (entry.oldPlace ? PlaceText(*entry.oldPlace) : "") + " -> " +
                    PlaceText(*entry.newPlace) + (entry.oldText != entry.newText ? " (was " + quoted(entry.oldText) + ")" : "");
            break;
        case LabelChange::Removed:
            line += ": " + quoted(entry.oldText) + " (label #" + std::to_string(entry.oldCell) + ")";
            break;
        case LabelChange::Added:
            line += ": " + quoted(entry.newText) + " at " + PlaceText(*entry.newPlace);
            break;
        case LabelChange::Orphaned:
            line += (entry.component.empty() ? "(no component recorded)" : "") + std::string(": ") +
                    quoted(entry.oldText) + " (label #" + std::to_string(entry.oldCell) + ", " +
                    std::string(LabelPlacementName(entry.placement)) +
                    ") has no component any more; left in place, check it";
            break;
    }
    return line;
}

}  // namespace

std::string ChangeReportText(const LabelChanges& changes) {
    std::string text = "labels:";
    for (const LabelChange change : AllChanges)
        text += std::string(change == AllChanges[0] ? " " : ", ") + std::to_string(changes.Count(change)) + " " +
                std::string(LabelChangeName(change));
    text += "; side labels and dimensions ";
    text += !changes.sidesRebuilt ? "left as they were" : changes.sidesChanged ? "rebuilt" : "rebuilt, unchanged";
    text += "\n";
    for (const LabelChangeEntry& entry : changes.entries)
        if (entry.change != LabelChange::Kept || entry.leaderRedrawn) text += "  " + Line(entry) + "\n";
    return text;
}

std::string ChangeReportJson(const LabelChanges& changes) {
    Json counts = Json::object();
    for (const LabelChange change : AllChanges) counts[std::string(LabelChangeName(change))] = changes.Count(change);
    Json entries = Json::array();
    for (const LabelChangeEntry& entry : changes.entries)
        entries.push_back({{"change", LabelChangeName(entry.change)},
                           {"component", entry.component},
                           {"placed", LabelPlacementName(entry.placement)},
                           {"oldText", entry.oldText},
                           {"newText", entry.newText},
                           {"oldPlace", PointJson(entry.oldPlace)},
                           {"newPlace", PointJson(entry.newPlace)},
                           {"oldCell", CellJson(entry.oldCell)},
                           {"newCell", CellJson(entry.newCell)},
                           {"leaderRedrawn", entry.leaderRedrawn}});
    const Json report{{"counts", counts},
                      {"sidesRebuilt", changes.sidesRebuilt},
                      {"sidesChanged", changes.sidesChanged},
                      {"sheetChanged", changes.ChangedSheet()},
                      {"labels", entries}};
    return report.dump(2) + "\n";
}

}  // namespace zkl::app
