#include "app/cli/auto_command.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "app/cli/cli_support.h"
#include "app/cli/picture_output.h"
#include "cad/cad_host.h"
#include "commands/automatic_placement.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/configuration_folder.h"
#include "io/sheet_file.h"
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
    PictureOptions pictures;
    bool quiet = false;
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
        std::cerr << "message: " << OneLine(messages[i].text) << "\n";
    if (messages.size() > Shown) std::cerr << "message: ... and " << messages.size() - Shown << " more\n";
}

void Auto(const AutoArguments& arguments) {
    std::vector<std::string> outputs{arguments.output};
    for (const PictureRequest& picture : arguments.pictures.Requests()) outputs.push_back(picture.path);
    CheckOutputs(outputs);  // before a long run, not after it
    cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    const io::ConfigurationFolder configuration(arguments.config, arguments.sheet, "give one with --config");
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
    io::OutputSet written;
    io::AddSheet(written, result, arguments.output);
    AddPictures(written, result, arguments.pictures.Requests(), arguments.output);
    written.Commit();

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
        ->check(CLI::Validator(CheckSheetName, "FILE.json", "sheet file name"));
    AddPictureOptions(*command, arguments->pictures, "the annotated sheet");
    command->add_flag("-q,--quiet", arguments->quiet, "No progress and no messages on stderr");
    return {command, [arguments] { Auto(*arguments); }};
}

}  // namespace zkl::app
