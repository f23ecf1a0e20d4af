#include "app/cli/revision_import.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "app/cli/cli_support.h"
#include "app/cli/update_run.h"
#include "cad/cad_host.h"
#include "io/configuration_folder.h"
#include "label/label_cell.h"
#include "label/label_origin.h"

namespace zkl::app {

namespace {

// Where a point of the earlier sheet lies on the new one: through the plant model's
// coordinates, which both attachments show.
Point Carried(const cad::Drawing& earlier, const cad::Drawing& sheet, const Point& point) {
    if (earlier.attachments.empty() || sheet.attachments.empty()) return point;
    const Point plant = earlier.attachments.front().toActive.Inverse().Apply(point);
    return sheet.attachments.front().toActive.Apply(plant);
}

}  // namespace

CarriedLabels CarryLabels(const cad::Drawing& earlier, const std::string& earlierName, cad::Drawing& sheet) {
    CarriedLabels result;
    for (const auto& [id, entry] : earlier.activeModel.Entries()) {
        const Element& cell = entry.element;
        if (!cell.IsCell() || cell.Cell().name != LabelCellName) continue;
        LabelOrigin origin;
        try {
            origin = ReadLabelOrigin(cell);
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument(QuotedPath(earlierName) + ": " + error.what());
        }
        if (origin.placement == LabelPlacement::Side) continue;
        if (origin.component.empty()) {
            ++result.unrecorded;
            continue;
        }
        Element carried = cell;
        carried.id = NoElementId;
        // The whole label moves with its leader's start, so its body keeps its size and its
        // place beside the component, whatever the new sheet's paper.
        const Point anchor = carried.Cell().origin;
        carried.Move(Carried(earlier, sheet, anchor) - anchor);
        sheet.activeModel.Add(carried, sheet.RangeOf(carried));
        ++result.carried;
    }
    return result;
}

UpdateResult UpdateCarriedAnnotation(cad::Drawing& sheet, const std::filesystem::path& configuration) {
    const io::ConfigurationFolder folder(configuration, configuration, "give one with --config");
    const std::string sheetMacroProject = sheet.macroProjectPath;
    sheet.macroProjectPath = folder.MacroProjectPath();
    cad::CadHost host(std::move(sheet));
    host.SetPrompter(std::make_shared<StderrPrompter>());
    mdlOPM_Labeller module(host);
    const UpdateResult result = RunUpdate(module, host, std::nullopt, "");
    sheet = std::move(host.GetDrawing());
    sheet.macroProjectPath = sheetMacroProject;
    return result;
}

}  // namespace zkl::app
