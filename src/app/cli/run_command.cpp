#include "app/cli/run_command.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/cli/cli_support.h"
#include "app/cli/picture_output.h"
#include "app/cli/session_transcript.h"
#include "cad/cad_host.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/input_script.h"
#include "io/configuration_folder.h"
#include "io/sheet_file.h"
#include "settings/settings_file.h"

namespace zkl::app {

namespace {

namespace fs = std::filesystem;

struct RunArguments {
    std::string sheet;
    std::string command;
    std::string input;
    std::optional<std::string> config;
    std::string output;
    std::optional<std::string> transcript;
    PictureOptions pictures;
};

// The dialog button each command name presses.
const std::map<std::string, void (FrmMain::*)()>& Buttons() {
    static const std::map<std::string, void (FrmMain::*)()> buttons{
        {"manual", &FrmMain::cmdManual_Click},        {"semi", &FrmMain::cmdSemiAuto_Click},
        {"pipeline", &FrmMain::cmdPipeline_Click},    {"equipment", &FrmMain::cmdEquip_Click},
        {"revise-dim", &FrmMain::cmdReviseDim_Click},
    };
    return buttons;
}

void PrintMessages(const cad::CadHost& host) {
    for (const Message& message : host.Messages()) {
        std::cout << OneLine(message.text);
        if (!message.details.empty()) std::cout << " (" << OneLine(message.details) << ")";
        std::cout << "\n";
    }
    std::cout.flush();
}

// A transcript that cannot be written must not hide why the command failed: its own error
// is one more line on stderr.
void WriteTranscriptOfFailure(TranscriptHost& host, const std::string& path, std::string_view error) {
    host.RecordError(error);
    try {
        io::OutputSet written;
        written.Add(path, host.Text());
        written.Commit();
    } catch (const std::exception& writeError) {
        std::cerr << ProgramName << ": " << OneLine(writeError.what()) << "\n";
    }
}

void RunScripted(const RunArguments& arguments) {
    // Everything is read and checked before the command starts, so bad input writes nothing.
    std::vector<std::string> outputs{arguments.output};
    for (const PictureRequest& picture : arguments.pictures.Requests()) outputs.push_back(picture.path);
    if (arguments.transcript) outputs.push_back(*arguments.transcript);
    CheckOutputs(outputs);
    std::vector<Input> inputs = io::LoadInputScript(arguments.input);
    cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    const io::ConfigurationFolder configuration(arguments.config, arguments.sheet, "give one with --config");
    const std::string sheetMacroProject = drawing.macroProjectPath;
    drawing.macroProjectPath = configuration.MacroProjectPath();

    auto source = std::make_shared<cad::ScriptedInputSource>(std::deque<Input>(inputs.begin(), inputs.end()));
    TranscriptHost host(std::move(drawing), source);
    host.SetPrompter(std::make_shared<StderrPrompter>());

    mdlOPM_Labeller module(host);
    clsOPM_Labeller labeller(module, MakeDialogCommands(module));
    labeller.Start_Labeller();

    try {
        (module.dialog.get()->*Buttons().at(arguments.command))();
    } catch (const std::exception& error) {
        // What the command reported before it failed helps to find where the script went
        // wrong; the transcript is most wanted exactly then, so it alone is written.
        PrintMessages(host);
        if (arguments.transcript) WriteTranscriptOfFailure(host, *arguments.transcript, error.what());
        throw;
    } catch (...) {
        PrintMessages(host);
        if (arguments.transcript) WriteTranscriptOfFailure(host, *arguments.transcript, "unknown error");
        throw;
    }
    PrintMessages(host);
    if (source->Pending() > 0)
        std::cerr << ProgramName << ": note: the command ended with " << source->Pending()
                  << " input(s) of the script left unused\n";

    host.GetDrawing().macroProjectPath = sheetMacroProject;
    io::OutputSet written;
    io::AddSheet(written, host.GetDrawing(), arguments.output);
    AddPictures(written, host.GetDrawing(), arguments.pictures.Requests(), arguments.output);
    if (arguments.transcript) written.Add(*arguments.transcript, host.Text());
    written.Commit();
}

}  // namespace

Command AddRunCommand(CLI::App& program) {
    auto arguments = std::make_shared<RunArguments>();
    CLI::App* run =
        program.add_subcommand("run", "Run an interactive command on a sheet with scripted input");
    run->add_option("sheet", arguments->sheet, "The sheet file (JSON)")->required();
    std::vector<std::string> names;
    for (const auto& [name, button] : Buttons()) names.push_back(name);
    run->add_option("--command", arguments->command,
                    "The command: manual, semi, pipeline, equipment or revise-dim")
        ->required()
        ->check(CLI::IsMember(names));
    run->add_option("--input", arguments->input, "The input script (see docs/input-scripts.md)")->required();
    run->add_option("--config", arguments->config,
                    "The configuration file (default: ZKL_Labeller.ini beside the sheet)");
    run->add_option("-o,--output", arguments->output, "The sheet file to write (FILE.json)")
        ->required()
        ->check(CLI::Validator(CheckSheetName, "FILE.json", "sheet file name"));
    run->add_option("--transcript", arguments->transcript,
                    "Write the session's prompts, messages, message boxes, key-ins and inputs to "
                    "FILE, one a line (also when the command fails)")
        ->type_name("FILE");
    AddPictureOptions(*run, arguments->pictures, "the result");
    return {run, [arguments] { RunScripted(*arguments); }};
}

}  // namespace zkl::app
