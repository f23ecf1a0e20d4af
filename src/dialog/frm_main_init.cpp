// The dialog's initialisation: window state, the general part of the configuration file,
// the design file's styles and levels, and the first label style.
#include <string>

#include "dialog/frm_main.h"
#include "settings/settings_file.h"

namespace zkl {

void FrmMain::Initialise() {
    title_ = "ZKL_Labeller Beta V" + std::to_string(LabellerVersionMajor) + "." +
             std::to_string(LabellerVersionMinor);
    staysOnTop_ = true;
    windowHeight_ = CompactWindowHeight;
    Text("txtPlantOriginOffset").text = "0,0,0";

    // The general part fills the boxes, both item lists and the four names; every style
    // name goes into the label style list. The row lists are not needed in dialog mode.
    ItemRows labelItems;
    ItemRows dimItems;
    LoadSettingsFile(module_, this, labelItems, dimItems, "", false);

    FillStyleAndLevelLists();

    for (const std::string_view name : {std::string_view("cmbDimItems"), std::string_view("cmbLabelItems")}) {
        ComboBox& list = Combo(name);
        list.SetSelectedIndex(list.Count() - 1);
    }

    // A configuration file without label styles leaves nothing to choose: the dialog opens
    // with the general part alone.
    ComboBox& styles = Combo("cmbDimStyle");
    if (styles.Count() > 0) styles.SetSelectedIndex(0);
}

// Names are compared exactly; a name listed twice ends up selected at its last place.
void FrmMain::FillStyleAndLevelLists() {
    const LabellerSettings& settings = module_.settings;
    const auto addTo = [](ComboBox& list, const std::string& name, const std::string& wanted) {
        list.Append(name);
        if (name == wanted) list.SetSelectedIndex(list.Count() - 1);
    };

    ComboBox& dimensionStyles = Combo("cmbDimStyleName");
    for (const DimensionStyle& style : module_.host.DimensionStyles())
        if (!style.name.empty()) addTo(dimensionStyles, style.name, settings.DimStyleName);

    ComboBox& textStyles = Combo("cmbTextStyle");
    for (const TextStyle& style : module_.host.TextStyles())
        if (!style.name.empty()) addTo(textStyles, style.name, settings.TextStyleName);

    ComboBox& shapeLevels = Combo("cmbShapeLevelName");
    ComboBox& labelLevels = Combo("cmbDimLevel");
    for (const Level& level : module_.host.Levels()) {
        if (level.name.empty()) continue;
        addTo(shapeLevels, level.name, settings.ShapeLevelName);
        addTo(labelLevels, level.name, settings.DimLevelName);
    }
}

}  // namespace zkl
