#include "app/cli/import_pcf_command.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/change_report.h"
#include "app/cli/cli_support.h"
#include "app/cli/revision_import.h"
#include "host/message_text.h"
#include "io/atomic_file.h"
#include "io/grid_file.h"
#include "io/pcf_reader.h"
#include "io/pcf_sheet.h"
#include "io/sheet_file.h"
#include "settings/config_text.h"

namespace zkl::app {

namespace {

namespace fs = std::filesystem;
namespace pcf = io::pcf;

struct ImportArguments {
    std::vector<std::string> files;
    std::string output;
    std::optional<std::string> scale;
    std::string paper = "auto";
    bool perPipeline = false;
    std::optional<std::string> grid;
    std::optional<std::string> from;     // the earlier revision's annotated sheet
    std::optional<std::string> config;   // with from: the configuration of the update
    std::optional<std::string> changes;  // with from: the change report as JSON
};

int ScaleOf(const std::string& text) {
    std::string_view divisor = text;
    if (divisor.starts_with("1:")) divisor.remove_prefix(2);
    for (const int scale : io::StandardScales)
        if (divisor == std::to_string(scale)) return scale;
    std::string scales;
    for (const int scale : io::StandardScales)
        scales += (scales.empty() ? "1:" : ", 1:") + std::to_string(scale);
    throw UsageError("--scale " + Quoted(text) + " is not one of " + scales);
}

// A file name part from a pipeline name: letters, digits, "-", "_" and "." stay, every
// other run of characters becomes one "_".
std::string SafeName(const std::string& name) {
    std::string safe;
    for (const char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_' || c == '.';
        if (keep)
            safe += c;
        else if (safe.empty() || safe.back() != '_')
            safe += '_';
    }
    const auto first = safe.find_first_not_of("_.");
    if (first == std::string::npos) return "pipeline";
    return safe.substr(first, safe.find_last_not_of("_.") - first + 1);
}

std::string Located(const std::string& source, int line) {
    return OneLine(source) + (line > 0 ? ":" + std::to_string(line) : std::string());
}

std::string Plural(std::size_t count, const std::string& word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

struct Sheet {
    fs::path path;
    std::vector<io::PcfPipeline> pipelines;
    std::optional<io::PcfSheet> built;
};

void Import(const ImportArguments& arguments) {
    io::PcfSheetOptions options;
    if (arguments.scale) options.scale = ScaleOf(*arguments.scale);
    if (!EqualsIgnoringAsciiCase(arguments.paper, "auto")) {
        options.paper = io::PaperNamed(arguments.paper);
        if (!options.paper)
            throw UsageError("--paper " + Quoted(arguments.paper) + " is not one of A3, A2, A1, A0, auto");
    }
    CheckOutputs(arguments.changes ? std::vector<std::string>{arguments.output, *arguments.changes}
                                   : std::vector<std::string>{arguments.output});
    if (arguments.grid) options.grid = io::ReadGridAxes(*arguments.grid);
    std::optional<cad::Drawing> earlier;
    fs::path configuration;
    if (arguments.from) {
        if (arguments.perPipeline)
            throw UsageError("--from carries one sheet's labels onto one new sheet; it cannot go with --per-pipeline");
        earlier = io::LoadSheet(*arguments.from);
        configuration = arguments.config ? fs::path(*arguments.config)
                                         : fs::path(*arguments.from).parent_path() / "ZKL_Labeller.ini";
        // The revision is drawn where the earlier one was, so that what did not change stands
        // where it stood and components without identifiers keep their keys.
        options.localOrigin = io::PcfSheetLocalOrigin(*earlier);
        if (!arguments.scale) options.scale = io::PcfSheetScale(*earlier);
        if (!options.localOrigin)
            std::cerr << "warning: " << OneLine(*arguments.from)
                      << " has no title block origin of an imported sheet; the revision is placed afresh\n";
    }

    std::vector<pcf::PcfFile> files;
    for (const std::string& name : arguments.files) files.push_back(io::ReadPcf(name));

    std::size_t skipped = 0;
    std::string skippedText;
    for (const pcf::PcfFile& file : files) {
        for (const pcf::Warning& warning : file.warnings)
            std::cerr << Located(file.source, warning.line) << ": warning: " << OneLine(warning.text) << "\n";
        for (const pcf::Pipeline& pipeline : file.pipelines)
            for (const pcf::Skipped& item : pipeline.skipped) {
                std::cerr << Located(file.source, item.line) << ": warning: " << item.keyword
                          << " skipped: " << OneLine(item.reason) << "\n";
                if (++skipped <= 2)
                    skippedText += std::string(skipped > 1 ? "; " : "") + item.keyword + " at " +
                                   Located(file.source, item.line) + ": " + OneLine(item.reason);
            }
    }

    const fs::path output = arguments.output;
    std::vector<Sheet> sheets;
    std::vector<std::string> used;
    for (const pcf::PcfFile& file : files)
        for (const pcf::Pipeline& pipeline : file.pipelines) {
            if (pipeline.components.empty()) continue;
            if (!arguments.perPipeline) {
                if (sheets.empty()) sheets.push_back({output, {}, std::nullopt});
                sheets[0].pipelines.push_back({&file, &pipeline});
                continue;
            }
            std::string stem = output.stem().string() + "_" + SafeName(pipeline.name);
            for (int n = 2; std::find(used.begin(), used.end(), ToUpperAscii(stem)) != used.end(); ++n)
                stem = output.stem().string() + "_" + SafeName(pipeline.name) + "_" + std::to_string(n);
            used.push_back(ToUpperAscii(stem));
            sheets.push_back({output.parent_path() / (stem + output.extension().string()),
                              {{&file, &pipeline}},
                              std::nullopt});
        }
    std::vector<std::string> paths;
    for (const Sheet& sheet : sheets) paths.push_back(sheet.path.string());
    CheckOutputs(paths);

    io::OutputSet written;
    std::size_t components = 0, pipelines = 0;
    std::vector<std::pair<std::string, int>> byClass;
    std::string wroteText;
    std::string changesText;
    for (Sheet& sheet : sheets) {
        options.macroProjectPath = (fs::absolute(sheet.path).parent_path() / "ZKL_Labeller.mvba").string();
        sheet.built = io::BuildPcfSheet(sheet.pipelines, options);
        for (const std::string& warning : sheet.built->warnings)
            std::cerr << "warning: " << OneLine(warning) << "\n";
        if (earlier) {
            const CarriedLabels carried = CarryLabels(*earlier, *arguments.from, sheet.built->drawing);
            const UpdateResult update = UpdateCarriedAnnotation(sheet.built->drawing, configuration);
            changesText = "Carried " + Plural(carried.carried, "label") + " from " + OneLine(*arguments.from) +
                          (carried.unrecorded ? " (" + Plural(carried.unrecorded, "label") +
                                                    " without a recorded component stayed behind)"
                                              : std::string()) +
                          "\n" + ChangeReportText(update.changes);
            if (arguments.changes) written.Add(*arguments.changes, ChangeReportJson(update.changes));
        }
        io::AddSheet(written, sheet.built->drawing, sheet.path);
        components += sheet.built->components;
        pipelines += sheet.pipelines.size();
        for (const auto& [name, count] : sheet.built->componentsByClass) {
            auto found =
                std::find_if(byClass.begin(), byClass.end(), [&](const auto& e) { return e.first == name; });
            if (found == byClass.end())
                byClass.emplace_back(name, count);
            else
                found->second += count;
        }
        wroteText += (wroteText.empty() ? "" : ", ") + OneLine(sheet.path.string()) + " (" +
                     io::PaperName(sheet.built->paper) + " at 1:" + std::to_string(sheet.built->scale) + ")";
    }
    written.Commit();

    std::stable_sort(byClass.begin(), byClass.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::string kinds;
    for (const auto& [name, count] : byClass)
        kinds += (kinds.empty() ? "" : ", ") + std::to_string(count) + " " + name;
    std::cout << "Wrote " << wroteText << ": " << Plural(pipelines, "pipeline") << ", "
              << Plural(components, "component") << " (" << kinds << "), " << skipped << " skipped"
              << (skipped ? " (" + skippedText + (skipped > 2 ? "; ..." : "") + ")" : std::string()) << "\n";
    std::cout << changesText;
}

}  // namespace

Command AddImportPcfCommand(CLI::App& program) {
    auto arguments = std::make_shared<ImportArguments>();
    CLI::App* command = program.add_subcommand("import-pcf", "Turn PCF piping files into a plan sheet");
    command->add_option("files", arguments->files, "The PCF files to import (FILE.pcf ...)")->required();
    command
        ->add_option("-o,--output", arguments->output,
                     "The sheet to write (FILE.json); with --per-pipeline FILE_<pipeline>.json for each")
        ->required()
        ->check(CLI::Validator(CheckSheetName, "FILE.json", "sheet file name"));
    command->add_option("--scale", arguments->scale,
                        "The plan's scale, 1:20 to 1:500 (chosen to fit when left out)");
    command->add_option("--paper", arguments->paper, "A3, A2, A1, A0, or auto: the smallest that fits")
        ->default_val("auto");
    command->add_flag("--per-pipeline", arguments->perPipeline, "Write one sheet for each pipeline");
    command->add_option("--grid", arguments->grid, "Plant grid axes, one \"NAME E|N POSITION\" a line (mm)");
    command->add_option("--from", arguments->from,
                        "The earlier revision's annotated sheet: its labels come over by component and the "
                        "annotation is updated (docs/revisions.md)")
        ->check(CLI::ExistingFile);
    command->add_option("--config", arguments->config, "With --from: the configuration (default: ZKL_Labeller.ini beside the earlier sheet)")
        ->needs("--from");
    command->add_option("--changes", arguments->changes, "With --from: also write what changed as JSON")
        ->check(CLI::Validator(CheckReportName, "FILE.json", "report file name"))
        ->needs("--from");
    return {command, [arguments] { Import(*arguments); }};
}

}  // namespace zkl::app
