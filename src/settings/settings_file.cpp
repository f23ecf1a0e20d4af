#include "settings/settings_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "host/message_text.h"
#include "host/numbers.h"
#include "settings/config_text.h"

namespace zkl {

namespace {

std::string ReadWholeFile(const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    const std::string shownPath = Escaped((error ? file : absolute).string());
    if (std::filesystem::is_directory(file, error))
        throw SettingsFileError("cannot read the configuration file '" + shownPath + "': it is a folder");
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        // The stream does not say why; errno from the failed open does.
        const std::string reason = errno != 0 ? std::strerror(errno) : "cannot open it";
        throw SettingsFileError("cannot read the configuration file '" + shownPath + "': " + reason);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        throw SettingsFileError("cannot read the configuration file '" + shownPath + "': read error");
    return bytes.str();
}

// The first row's empty MatchFormat marks a list that is still at its initial empty row;
// while it is, a new row takes the last slot instead of growing the list.
void AppendRow(ItemRows& rows, const ItemRow& row) {
    if (rows.front().MatchFormat.empty())
        rows.back() = row;
    else
        rows.push_back(row);
}

struct Loader {
    mdlOPM_Labeller& module;
    SettingsDialog* dialog;
    ItemRows& labelItems;
    ItemRows& dimItems;
    std::string_view styleName;
    bool intoSettings;
    std::string fileName;

    std::size_t lineNumber = 0;
    std::string key;

    template <typename Convert>
    auto Number(std::string_view value, Convert convert) const {
        try {
            return convert(value);
        } catch (const ConversionError& error) {
            throw ConversionError(Escaped(fileName) + " line " + std::to_string(lineNumber) + ": " +
                                  Escaped(key) + ": " + error.what());
        }
    }

    void Double(std::string_view value, double& field, std::string_view control) const {
        if (intoSettings)
            field = Number(value, TextToDouble);
        else
            dialog->SetControlText(control, value);
    }

    void Text(std::string_view value, std::string& field, std::string_view control) const {
        if (intoSettings)
            field = std::string(value);
        else
            dialog->SetControlText(control, value);
    }

    void Row(std::string_view value, ItemRows& rows, std::string_view list) const {
        if (!intoSettings) {
            dialog->AppendComboEntry(list, value);
            return;
        }
        const ParsedItemRow parsed = ParseItemRow(value);
        AppendRow(rows, parsed.row);
        if (!parsed.complete)
            module.host.ShowMessageBox(
                "Error!", FaultyRowMessage("Please check row " + std::to_string(lineNumber), parsed.parts));
    }

    // Keys the file format does not know (blank lines included) change nothing.
    void Apply(std::string_view value) {
        LabellerSettings& settings = module.settings;
        if (key == "IGNOREDN")
            Double(value, settings.IgnoreDN, "txtIgnoreDN");
        else if (key == "DIMSTYLENAME")
            settings.DimStyleName = value;
        else if (key == "TEXTSTYLENAME")
            settings.TextStyleName = value;
        else if (key == "DIMLEVELNAME")
            settings.DimLevelName = value;
        else if (key == "SHAPELEVELNAME")
            settings.ShapeLevelName = value;
        else if (key == "PLANTORIGINOFFSET") {
            // The dialog's origin offset box is typed by the user, never filled from the file.
            if (intoSettings) {
                settings.PlantOriginOffset.clear();
                for (const char c : value)
                    if (c != ' ') settings.PlantOriginOffset += c;
            }
        } else if (key == "LABELDISTANCE1")
            Double(value, settings.LabelDistance1, "txtLabelDistance1");
        else if (key == "LABELDISTANCE2")
            Double(value, settings.LabelDistance2, "txtLabelDistance2");
        else if (key == "STEPDISTANCE")
            Double(value, settings.StepDistance, "txtStepDistance");
        else if (key == "DIMHEIGHT")
            Double(value, settings.DimHeight, "txtDimHeight");
        else if (key == "UNDERLINEDISTANCE")
            Double(value, settings.UnderlineDistance, "txtUnderlineDistance");
        else if (key == "TEXTHEIGHT")
            Double(value, settings.TextHeight, "txtTextHeight");
        else if (key == "TEXTWIDTH")
            Double(value, settings.TextWidth, "txtTextWidth");
        else if (key == "LINELABELFORMAT")
            Text(value, settings.LineLabelFormat, "txtLineLabelFormat");
        else if (key == "EQUIPMENTLABELFORMAT")
            Text(value, settings.EquipmentLabelFormat, "txtEquipLabelFormat");
        else if (key == "LABELFRAMESTYLE")
            Text(value, settings.LabelFrameStyle, "txtLabelFrameStyle");
        else if (key == "GRIDCELLNAME")
            Text(value, settings.GridCellName, "txtGridCellName");
        else if (key == "DIMMODE") {
            if (intoSettings)
                settings.DimMode = Number(value, TextToInt16);
            else
                dialog->SetControlText("txtDimMode", value);
        } else if (key == "DIMITEMS")
            Row(value, dimItems, "cmbDimItems");
        else if (key == "LABELITEMS")
            Row(value, labelItems, "cmbLabelItems");
    }

    void Run(const std::vector<std::string>& lines) {
        bool sectionApplies = true;  // the general part, before any "LABEL STYLE" line
        for (const std::string& line : lines) {
            ++lineNumber;
            const std::string_view text = line;
            if (TrimSpaces(text).starts_with('#')) continue;
            const std::size_t equals = text.find('=');
            key = ToUpperAscii(TrimSpaces(text.substr(0, equals)));
            const std::string_view value =
                equals == std::string_view::npos ? std::string_view{} : TrimSpaces(text.substr(equals + 1));
            // "[GENERAL]" is only a heading for people reading the file: it does not end a
            // style section.
            if (key == "[GENERAL]") continue;
            if (key == "LABEL STYLE") {
                // A style without a name is still a style: a load of the general part alone
                // must not take it in.
                sectionApplies = !styleName.empty() && EqualsIgnoringAsciiCase(value, styleName);
                if (!intoSettings && styleName.empty()) dialog->AppendComboEntry("cmbDimStyle", value);
                continue;
            }
            if (sectionApplies) Apply(value);
        }
    }
};

}  // namespace

std::string ConfigurationFilePath(std::string_view macroProjectPath) {
    const std::size_t slash = macroProjectPath.find_last_of("\\/");
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view{} : macroProjectPath.substr(0, slash + 1);
    return std::string(folder) + std::string(ConfigurationFileName);
}

void LoadSettingsFile(mdlOPM_Labeller& module, SettingsDialog* dialog, ItemRows& labelItems,
                      ItemRows& dimItems, std::string_view styleName, bool intoSettings) {
    const std::string path = ConfigurationFilePath(module.host.MacroProperty("activevbproject", "FileName"));
    LoadSettingsFile(path, module, dialog, labelItems, dimItems, styleName, intoSettings);
}

void LoadSettingsFile(const std::filesystem::path& file, mdlOPM_Labeller& module, SettingsDialog* dialog,
                      ItemRows& labelItems, ItemRows& dimItems, std::string_view styleName,
                      bool intoSettings) {
    if (!intoSettings && dialog == nullptr)
        throw std::invalid_argument("LoadSettingsFile: dialog mode needs the dialog to fill");
    labelItems.assign(1, ItemRow{});
    dimItems.assign(1, ItemRow{});
    module.invalidPropertyList = ",";

    const std::string text = DecodeConfigurationText(ReadWholeFile(file));
    Loader loader{module, dialog, labelItems, dimItems, styleName, intoSettings, file.filename().string(),
                  0,      {}};
    loader.Run(SplitLines(text));
}

}  // namespace zkl
