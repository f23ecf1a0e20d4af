#include "app/cli/run_report.h"

#include <nlohmann/json.hpp>

#include "app/cli/command.h"

namespace zkl::app {

std::string SerializeRunReport(const RunReport& report) {
    // Ordered, so that a person reading one report finds the outcome first.
    nlohmann::ordered_json json;
    json["program"] = std::string(ProgramName) + " " + ProgramVersion;
    json["sheet"] = report.sheet;
    json["output"] = report.output;
    json["exitStatus"] = report.exitStatus;
    json["error"] = report.error.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(report.error);
    json["areas"] = report.placement.borders;
    json["areasDrawn"] = report.placement.bordersDrawn;
    json["labels"] = report.placement.labels;
    json["freePlaces"] = report.placement.freePlaces;
    json["sideLabels"] = report.placement.sideLabels;
    json["dimensions"] = report.placement.dimensions;
    json["probes"] = report.placement.probes;
    json["placement"] = report.placementRule;
    json["clearLeaderFallbacks"] = report.placement.clearLeaderFallbacks;
    json["messages"] = report.messages;
    json["seconds"] = report.seconds;
    // Replacing bad UTF-8 keeps a report writable whatever bytes a sheet's names hold.
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace zkl::app
