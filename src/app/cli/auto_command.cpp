#include "app/cli/auto_command.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "app/cli/change_report.h"
#include "app/cli/check_command.h"
#include "app/cli/cli_support.h"
#include "app/cli/picture_output.h"
#include "app/cli/run_report.h"
#include "app/cli/update_run.h"
#include "cad/cad_host.h"
#include "commands/automatic_placement.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/configuration_folder.h"
#include "io/sheet_file.h"
#include "settings/placement_options.h"
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
    std::optional<std::string> report;
    bool quiet = false;
    bool check = false;
    std::optional<std::string> placement;  // overrides LABELPLACEMENT
    bool keepInside = false;               // overrides KEEPLABELSINSIDE
    bool update = false;                   // update the annotation instead of adding one
    std::optional<std::string> changes;    // with update: the change report as JSON
};

// The configuration file says how labels are placed; the command line, when it says, wins.
PlacementOptions PlacementOf(const AutoArguments& arguments, const std::filesystem::path& configuration) {
    PlacementOptions options = ReadPlacementOptions(configuration);
    if (arguments.placement) options.rule = ParsePlacementRule(*arguments.placement);
    if (arguments.keepInside) {
        if (options.rule != PlacementRule::ClearLeader)
            throw UsageError("--keep-inside keeps the bodies of clear-leader placement inside the drawing area; "
                             "it needs --placement clear (or LABELPLACEMENT=clear in the configuration)");
        options.keepInsideArea = true;
    }
    return options;
}

std::string PlacementSummary(const PlacementOptions& options, const PlacementReport& report) {
    if (options.rule != PlacementRule::ClearLeader) return "";
    return ", " + std::to_string(report.labels - report.clearLeaderFallbacks) + " with a clear leader, " +
           std::to_string(report.clearLeaderFallbacks) + " at the first free place for want of one";
}

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

    double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

    std::string Seconds() const {
        std::ostringstream text;
        text.precision(2);
        text << std::fixed << Elapsed();
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

std::vector<std::string> MessageLines(const cad::CadHost& host) {
    std::vector<std::string> lines;
    for (const Message& message : host.Messages()) lines.push_back(OneLine(message.text));
    return lines;
}

std::vector<std::string> Outputs(const AutoArguments& arguments) {
    std::vector<std::string> outputs{arguments.output};
    if (arguments.changes) outputs.push_back(*arguments.changes);
    for (const PictureRequest& picture : arguments.pictures.Requests()) outputs.push_back(picture.path);
    return outputs;
}

// Milliseconds are all a batch summary can use; more digits would only vary from run to run.
double Rounded(double seconds) { return std::round(seconds * 1000) / 1000; }

// `record`, when given, is filled in as the run gets on and staged with the other outputs,
// so the report lands with them.
void Annotate(const AutoArguments& arguments, ProgressPrinter& printer, RunReport* record) {
    CheckOutputs(Outputs(arguments));  // before a long run, not after it
    cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    const io::ConfigurationFolder configuration(arguments.config, arguments.sheet, "give one with --config");
    const std::string sheetMacroProject = drawing.macroProjectPath;
    drawing.macroProjectPath = configuration.MacroProjectPath();

    const PlacementOptions placement = PlacementOf(arguments, configuration.File());
    cad::CadHost host(std::move(drawing));
    host.SetPrompter(std::make_shared<StderrPrompter>());
    mdlOPM_Labeller module(host);
    module.placement = placement;
    if (record) record->placementRule = std::string(PlacementRuleName(placement.rule));
    const PlacementProgress progress = printer.Hooks();

    PlacementReport report;
    std::optional<LabelChanges> changes;
    bool ran = false;
    // A failed command's messages often say why; the report keeps them either way.
    const auto keepMessages = [&] {
        if (record) record->messages = MessageLines(host);
    };
    try {
        if (arguments.update) {
            const UpdateResult result = RunUpdate(module, host, arguments.keyinArguments, arguments.sheet, progress);
            report = result.placement;
            changes = result.changes;
            ran = true;
        } else if (arguments.keyinArguments && !arguments.keyinArguments->empty()) {
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
    } catch (...) {
        keepMessages();
        throw;
    }
    keepMessages();
    if (record) record->placement = report;
    if (!ran) throw std::runtime_error("Automatic Place did not run");
    if (!arguments.quiet) PrintMessages(host);

    // While the configuration is still where the run found it.
    const std::optional<QualityReport> quality =
        arguments.check ? std::optional(CheckAfterRun(module)) : std::nullopt;
    cad::Drawing& result = host.GetDrawing();
    result.macroProjectPath = sheetMacroProject;
    io::OutputSet written;
    io::AddSheet(written, result, arguments.output);
    AddPictures(written, result, arguments.pictures.Requests(), arguments.output);
    if (changes && arguments.changes) written.Add(*arguments.changes, ChangeReportJson(*changes));
    if (record) {
        record->seconds = Rounded(printer.Elapsed());
        written.Add(*arguments.report, SerializeRunReport(*record));
    }
    written.Commit();

    if (changes) std::cout << ChangeReportText(*changes);
    std::cout << (changes ? "Update: " : "Automatic Place: ") << report.borders << (report.borders == 1 ? " area" : " areas")
              << (report.bordersDrawn > 0 ? " (" + std::to_string(report.bordersDrawn) + " drawn)" : "")
              << ", " << report.labels << " labels (" << report.freePlaces << " at a free place"
              << PlacementSummary(placement, report) << "), "
              << report.sideLabels << " side labels, " << report.dimensions << " dimensions, "
              << report.probes << " probes, " << printer.Seconds() << " s\n";
    if (quality) PrintQualitySummary(std::cout, *quality);
}

// The report must be able to tell of any later failure, so it is checked first and on its
// own; and since a failure report is written alone, it must not be able to replace the sheet
// the run reads or another of its outputs.
void CheckReport(const AutoArguments& arguments) {
    const std::string& report = *arguments.report;
    io::CheckOutputPath(report);
    if (io::SameFile(report, arguments.sheet))
        throw UsageError("the report " + QuotedPath(report) + " is the sheet to annotate");
    for (const std::string& output : Outputs(arguments))
        if (io::SameFile(output, report))
            throw UsageError("the outputs " + QuotedPath(output) + " and " + QuotedPath(report) +
                             " are the same file");
}

// A report that cannot be written must not hide why the run failed: its own error is one
// more line on stderr.
void WriteReportOfFailure(const std::string& path, const RunReport& record) {
    try {
        io::WriteFileAtomically(path, SerializeRunReport(record));
    } catch (const io::FileError& writeError) {
        std::cerr << ProgramName << ": " << OneLine(writeError.what()) << "\n";
    }
}

void Auto(const AutoArguments& arguments) {
    ProgressPrinter printer(arguments.quiet);
    if (!arguments.report) return Annotate(arguments, printer, nullptr);
    CheckReport(arguments);
    RunReport record;
    record.sheet = arguments.sheet;
    record.output = arguments.output;
    try {
        Annotate(arguments, printer, &record);
    } catch (const std::exception& error) {
        record.exitStatus = ExitCodeOf(error);
        record.error = OneLine(error.what());
        record.seconds = Rounded(printer.Elapsed());
        WriteReportOfFailure(*arguments.report, record);
        throw;
    }
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
    command
        ->add_option("--report", arguments->report,
                     "Also write what the run did, or why it failed, as JSON (docs/batch.md)")
        ->check(CLI::Validator(CheckReportName, "FILE.json", "report file name"));
    command->add_flag("-q,--quiet", arguments->quiet, "No progress and no messages on stderr");
    command->add_flag("--check", arguments->check, "Print the quality summary of the result, as check does");
    command
        ->add_option("--placement", arguments->placement,
                     "How labels are placed: first (the first free place of the spiral, the default) or clear "
                     "(the shortest leader that crosses no other leader or label body; LABELPLACEMENT)")
        ->check(CLI::Validator(CheckPlacementRule, "first|clear", "placement"));
    command->add_flag("--keep-inside", arguments->keepInside,
                      "With --placement clear: a place counts as clear only when the body stays inside the "
                      "drawing area (KEEPLABELSINSIDE)");
    command->add_flag("--update", arguments->update,
                      "Update the annotation of a sheet that carries labels: hand-placed labels stay, the rest "
                      "follows the model; prints what changed (docs/revisions.md)");
    command
        ->add_option("--changes", arguments->changes, "With --update: also write what changed as JSON")
        ->check(CLI::Validator(CheckReportName, "FILE.json", "report file name"))
        ->needs("--update");
    return {command, [arguments] { Auto(*arguments); }};
}

}  // namespace zkl::app
