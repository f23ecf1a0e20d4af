// The configuration loader on any file content, in both of its modes. Settings mode may
// refuse a number (ConversionError) and nothing else; dialog mode converts nothing and so
// must never fail. Both modes read the same lines, so when neither refuses, the rows the
// settings get are the rows the dialog lists hold, parsed.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cad/cad_host.h"
#include "fuzz_check.h"
#include "host/numbers.h"
#include "settings/config_text.h"
#include "settings/item_row.h"
#include "settings/settings_file.h"

namespace zkl::fuzz {
namespace {

namespace fs = std::filesystem;

// The loader only reads files and has no entry point for text, so each input is written
// once to a file in memory (/dev/shm where there is one) and loaded from there four times.
class ScratchFile {
public:
    ScratchFile() {
        const fs::path folder =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        path_ = folder / ("zkl_fuzz_" + std::to_string(::getpid()) + "_ZKL_Labeller.ini");
    }
    ~ScratchFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    const fs::path& Write(std::string_view bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        Check(!out.fail(), "the scratch configuration file could not be written");
        return path_;
    }

private:
    fs::path path_;
};

class MapDialog : public SettingsDialog {
public:
    void SetControlText(std::string_view control, std::string_view text) override {
        texts_[std::string(control)] = std::string(text);
    }
    std::string ControlText(std::string_view control) const override {
        const auto found = texts_.find(std::string(control));
        return found == texts_.end() ? "" : found->second;
    }
    std::string ComboValue(std::string_view combo) const override { return ControlText(combo); }
    void AppendComboEntry(std::string_view combo, std::string_view text) override {
        lists_[std::string(combo)].emplace_back(text);
    }
    int ComboEntryCount(std::string_view combo) const override {
        return static_cast<int>(Entries(combo).size());
    }
    std::string ComboEntry(std::string_view combo, int index) const override {
        return Entries(combo).at(static_cast<std::size_t>(index));
    }
    const std::vector<std::string>& Entries(std::string_view combo) const {
        static const std::vector<std::string> none;
        const auto found = lists_.find(std::string(combo));
        return found == lists_.end() ? none : found->second;
    }

private:
    std::map<std::string, std::string> texts_;
    std::map<std::string, std::vector<std::string>> lists_;
};

struct Loaded {
    LabellerSettings settings;
    ItemRows labelItems;
    ItemRows dimItems;
    bool refused = false;
};

Loaded LoadIntoSettings(const fs::path& file, std::string_view style) {
    cad::CadHost host{cad::Drawing{}};
    mdlOPM_Labeller module(host);
    Loaded loaded;
    try {
        LoadSettingsFile(file, module, nullptr, loaded.labelItems, loaded.dimItems, style, true);
    } catch (const ConversionError&) {
        loaded.refused = true;
    }
    loaded.settings = module.settings;
    Check(!loaded.labelItems.empty() && !loaded.dimItems.empty(), "settings mode left a row list empty");
    return loaded;
}

// The rows the settings get for the lines the dialog listed. The first row replaces the
// initial empty one, and while the list's first row has no match format the next row
// replaces it again; from then on rows are appended.
ItemRows RowsFromEntries(const std::vector<std::string>& entries) {
    ItemRows rows(1);
    for (const std::string& entry : entries) {
        const ItemRow row = ParseItemRow(entry).row;
        if (rows.front().MatchFormat.empty())
            rows.back() = row;
        else
            rows.push_back(row);
    }
    return rows;
}

void CheckDialogMode(const fs::path& file, std::string_view style, const Loaded& fromSettings) {
    cad::CadHost host{cad::Drawing{}};
    mdlOPM_Labeller module(host);
    MapDialog dialog;
    ItemRows labelItems{{"old", "", "", 0, ""}};
    ItemRows dimItems;
    LoadSettingsFile(file, module, &dialog, labelItems, dimItems, style, false);

    Check(labelItems == ItemRows(1) && dimItems == ItemRows(1), "dialog mode filled a row list");
    LabellerSettings onlyNames;
    onlyNames.DimStyleName = module.settings.DimStyleName;
    onlyNames.TextStyleName = module.settings.TextStyleName;
    onlyNames.DimLevelName = module.settings.DimLevelName;
    onlyNames.ShapeLevelName = module.settings.ShapeLevelName;
    Check(module.settings == onlyNames, "dialog mode set a setting other than the four names");

    // A refused load stops at the number, so only a whole load compares with the dialog's.
    if (fromSettings.refused) return;
    Check(module.settings.DimStyleName == fromSettings.settings.DimStyleName &&
              module.settings.ShapeLevelName == fromSettings.settings.ShapeLevelName,
          "the modes read different style or level names");
    Check(RowsFromEntries(dialog.Entries("cmbLabelItems")) == fromSettings.labelItems,
          "the label rows of settings mode differ from the dialog's list");
    Check(RowsFromEntries(dialog.Entries("cmbDimItems")) == fromSettings.dimItems,
          "the dimension rows of settings mode differ from the dialog's list");
}

void CheckDecoding(std::string_view bytes) {
    const std::string text = DecodeConfigurationText(bytes);
    Check(IsValidUtf8(text), "the decoded configuration text is not UTF-8");
    if (IsValidUtf8(bytes) && !bytes.starts_with("\xEF\xBB\xBF"))
        Check(text == bytes, "valid UTF-8 without a byte-order mark changed in decoding");
}

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl::fuzz;
    static const ScratchFile scratch;
    const std::string_view bytes = AsText(data, size);
    CheckDecoding(bytes);
    const fs::path& file = scratch.Write(bytes);
    const Loaded general = LoadIntoSettings(file, "");
    const Loaded piping = LoadIntoSettings(file, "Piping");
    CheckDialogMode(file, "", general);
    CheckDialogMode(file, "Piping", piping);
    // A style's load is the general part's load with that style's sections on top, and
    // sections only ever add rows.
    if (!general.refused && !piping.refused && !general.labelItems.front().MatchFormat.empty()) {
        Check(general.labelItems.size() <= piping.labelItems.size() &&
                  std::equal(general.labelItems.begin(), general.labelItems.end(), piping.labelItems.begin()),
              "a style's load does not start with the rows of the general part's load");
    }
    return 0;
}
