#include "app/cli/auto_command.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "cad/cad_host.h"
#include "commands/automatic_placement.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_file.h"
#include "io/svg_renderer.h"
#include "settings/settings_file.h"

namespace zkl::app {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct AutoArguments {
    std::string sheet;
    std::optional<std::string> config;
    std::optional<std::string> keyinArguments;
    std::string output;
    std::optional<std::string> svg;
    bool quiet = false;
};

std::string CheckExtension(const std::string& path, const std::string& extension, const std::string& what) {
    if (fs::path(path).extension() == extension) return "";
    return "'" + path + "' is not a " + extension + " file name; " + what;
}

// Message boxes of a command-line run are shown on stderr, one line each.
class StderrPrompter : public cad::Prompter {
public:
    void MessageBox(std::string_view title, std::string_view text) override {
        std::string line(text);
        for (char& c : line)
            if (c == '\r') c = ' ';
        std::cerr << ProgramName << ": " << title << ": " << line << "\n";
    }
};

// The labeller reads ZKL_Labeller.ini from the folder of the macro project. A configuration
// of another name is copied under that name into a folder of its own for the run.
class ConfigurationFolder {
public:
    explicit ConfigurationFolder(const fs::path& config) {
        if (!fs::is_regular_file(config))
            throw std::runtime_error("the configuration file '" + config.string() +
                                     "' does not exist (give one with --config)");
        if (config.filename() == ConfigurationFileName) {
            folder_ = fs::absolute(config).parent_path();
            return;
        }
        temporary_ = fs::temp_directory_path() / ("zkl-labeller-config-" + std::to_string(::getpid()));
        fs::create_directories(*temporary_);
        fs::copy_file(config, *temporary_ / ConfigurationFileName, fs::copy_options::overwrite_existing);
        folder_ = *temporary_;
    }
    ~ConfigurationFolder() {
        std::error_code ignored;
        if (temporary_) fs::remove_all(*temporary_, ignored);
    }
    ConfigurationFolder(const ConfigurationFolder&) = delete;
    ConfigurationFolder& operator=(const ConfigurationFolder&) = delete;

    std::string MacroProjectPath() const { return (folder_ / "ZKL_Labeller.mvba").string(); }

private:
    fs::path folder_;
    std::optional<fs::path> temporary_;
};

// Prints a line at every drawing area and, between them, at most one a second.
class ProgressPrinter {
public:
    explicit ProgressPrinter(bool quiet) : quiet_(quiet), start_(Clock::now()), last_(start_) {}

    PlacementProgress Hooks() {
        PlacementProgress progress;
        if (quiet_) return progress;
        progress.borderDone = [this](int done, int total, const PlacementReport& sofar) {
            std::cerr << "area " << done << "/" << total << " done: " << sofar.labels << " labels, "
                      << sofar.sideLabels << " side labels, " << sofar.dimensions << " dimensions ("
                      << Seconds() << " s)\n";
            last_ = Clock::now();
        };
        progress.labelPlaced = [this](const PassLabel&, const PlacementReport& sofar) {
            if (Clock::now() - last_ < std::chrono::seconds(1)) return;
            last_ = Clock::now();
            std::cerr << "  " << sofar.labels << " labels placed (" << Seconds() << " s)\n";
        };
        return progress;
    }

    std::string Seconds() const {
        std::ostringstream text;
        text.precision(2);
        text << std::fixed << std::chrono::duration<double>(Clock::now() - start_).count();
        return text.str();
    }

private:
    bool quiet_;
    Clock::time_point start_;
    Clock::time_point last_;
};

void PrintMessages(const cad::CadHost& host) {
    constexpr std::size_t Shown = 20;
    const auto& messages = host.Messages();
    for (std::size_t i = 0; i < messages.size() && i < Shown; ++i)
        std::cerr << "message: " << messages[i].text << "\n";
    if (messages.size() > Shown) std::cerr << "message: ... and " << messages.size() - Shown << " more\n";
}

void Auto(const AutoArguments& arguments) {
    cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    const fs::path config = arguments.config
                                ? fs::path(*arguments.config)
                                : fs::path(arguments.sheet).parent_path() / ConfigurationFileName;
    const ConfigurationFolder configuration(config);
    const std::string sheetMacroProject = drawing.macroProjectPath;
    drawing.macroProjectPath = configuration.MacroProjectPath();

    cad::CadHost host(std::move(drawing));
    host.SetPrompter(std::make_shared<StderrPrompter>());
    mdlOPM_Labeller module(host);
    ProgressPrinter printer(arguments.quiet);
    const PlacementProgress progress = printer.Hooks();

    PlacementReport report;
    bool ran = false;
    if (arguments.keyinArguments && !arguments.keyinArguments->empty()) {
        host.SetKeyinArguments(*arguments.keyinArguments);
        report = RunAutomaticPlacement(module, true, true, progress);
        ran = true;
    } else {
        DialogCommands commands = MakeDialogCommands(module);
        commands.automatic = [&](bool placeDimensions, bool placeLabels) {
            report = RunAutomaticPlacement(module, placeDimensions, placeLabels, progress);
            ran = true;
        };
        clsOPM_Labeller labeller(module, commands);
        labeller.Start_Labeller();
        module.dialog->cmdAutoPlace_Click();
    }
    if (!ran) throw std::runtime_error("Automatic Place did not run");
    const std::string elapsed = printer.Seconds();
    if (!arguments.quiet) PrintMessages(host);

    cad::Drawing& result = host.GetDrawing();
    result.macroProjectPath = sheetMacroProject;
    std::string svg;
    if (arguments.svg) svg = io::RenderSvg(result);
    io::SaveSheet(result, arguments.output);
    if (arguments.svg) io::WriteFileAtomically(*arguments.svg, svg);

    std::cout << "Automatic Place: " << report.borders << (report.borders == 1 ? " area" : " areas")
              << (report.bordersDrawn > 0 ? " (" + std::to_string(report.bordersDrawn) + " drawn)" : "")
              << ", " << report.labels << " labels (" << report.freePlaces << " at a free place), "
              << report.sideLabels << " side labels, " << report.dimensions << " dimensions, "
              << report.probes << " probes, " << printer.Seconds() << " s\n";
}

}  // namespace

Command AddAutoCommand(CLI::App& program) {
    auto arguments = std::make_shared<AutoArguments>();
    CLI::App* command = program.add_subcommand("auto", "Annotate a sheet as Automatic Place does");
    command->add_option("sheet", arguments->sheet, "The sheet to annotate (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    command->add_option("--config", arguments->config,
                        "The configuration file (default: ZKL_Labeller.ini beside the sheet)");
    command->add_option("--args", arguments->keyinArguments,
                        "Run as the key-in with these arguments, settings from the configuration file "
                        "(\"FALSE\" first: no dimensions; \"FALSE\" second: no labels)");
    command->add_option("-o,--output", arguments->output, "The annotated sheet to write (FILE.json)")
        ->required()
        ->check(CLI::Validator(
            [](std::string& path) { return CheckExtension(path, ".json", "auto writes sheets (FILE.json)"); },
            "FILE.json", "sheet file name"));
    command->add_option("--svg", arguments->svg, "Also draw the annotated sheet (FILE.svg)")
        ->check(CLI::Validator(
            [](std::string& path) {
                return CheckExtension(path, ".svg", "--svg writes SVG pictures (FILE.svg)");
            },
            "FILE.svg", "picture file name"));
    command->add_flag("-q,--quiet", arguments->quiet, "No progress and no messages on stderr");
    return {command, [arguments] { Auto(*arguments); }};
}

}  // namespace zkl::app
