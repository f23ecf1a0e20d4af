#include "settings/read_settings_from_dialog.h"

#include <string>

#include "host/numbers.h"

namespace zkl {

namespace {

template <typename Convert>
auto ConvertBox(const SettingsDialog& dialog, std::string_view control, Convert convert) {
    const std::string text = dialog.ControlText(control);
    try {
        return convert(text);
    } catch (const ConversionError& error) {
        throw ConversionError(std::string(control) + ": " + error.what());
    }
}

ItemRows ReadRows(Host& host, const SettingsDialog& dialog, std::string_view list, std::string_view heading) {
    ItemRows rows(1);
    const int count = dialog.ComboEntryCount(list);
    for (int index = 0; index < count; ++index) {
        if (index > 0) rows.emplace_back();
        const ParsedItemRow parsed = ParseItemRow(dialog.ComboEntry(list, index));
        rows.back() = parsed.row;
        if (!parsed.complete)
            host.ShowMessageBox(
                "Error!", FaultyRowMessage(std::string(heading) + std::to_string(index + 1), parsed.parts));
    }
    return rows;
}

}  // namespace

void ReadSettingsFromDialog(mdlOPM_Labeller& module, const SettingsDialog& dialog, ItemRows& labelItems,
                            ItemRows& dimItems) {
    module.invalidPropertyList = ",";
    LabellerSettings& settings = module.settings;
    settings.IgnoreDN = ConvertBox(dialog, "txtIgnoreDN", TextToDouble);
    settings.DimStyleName = dialog.ComboValue("cmbDimStyleName");
    settings.TextStyleName = dialog.ComboValue("cmbTextStyle");
    settings.DimLevelName = dialog.ComboValue("cmbDimLevel");
    settings.PlantOriginOffset = dialog.ControlText("txtPlantOriginOffset");
    settings.LabelDistance1 = ConvertBox(dialog, "txtLabelDistance1", TextToDouble);
    settings.LabelDistance2 = ConvertBox(dialog, "txtLabelDistance2", TextToDouble);
    settings.StepDistance = ConvertBox(dialog, "txtStepDistance", TextToDouble);
    settings.DimHeight = ConvertBox(dialog, "txtDimHeight", TextToDouble);
    settings.UnderlineDistance = ConvertBox(dialog, "txtUnderlineDistance", TextToDouble);
    settings.TextHeight = ConvertBox(dialog, "txtTextHeight", TextToDouble);
    settings.TextWidth = ConvertBox(dialog, "txtTextWidth", TextToDouble);
    settings.LineLabelFormat = dialog.ControlText("txtLineLabelFormat");
    settings.EquipmentLabelFormat = dialog.ControlText("txtEquipLabelFormat");
    settings.LabelFrameStyle = dialog.ControlText("txtLabelFrameStyle");
    settings.ShapeLevelName = dialog.ComboValue("cmbShapeLevelName");
    settings.GridCellName = dialog.ControlText("txtGridCellName");
    settings.DimMode = ConvertBox(dialog, "txtDimMode", TextToInt16);

    dimItems = ReadRows(module.host, dialog, "cmbDimItems", "Please check dimension items row ");
    labelItems = ReadRows(module.host, dialog, "cmbLabelItems", "Please check label items row ");
}

}  // namespace zkl
