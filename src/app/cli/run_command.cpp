#include "app/cli/run_command.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

#include "cad/cad_host.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/input_script.h"
#include "io/sheet_file.h"
#include "io/svg_renderer.h"
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
    std::optional<std::string> svg;
};

// The dialog button each command name presses.
const std::map<std::string, void (FrmMain::*)()>& Buttons() {
    static const std::map<std::string, void (FrmMain::*)()> buttons{
        {"manual", &FrmMain::cmdManual_Click},
        {"pipeline", &FrmMain::cmdPipeline_Click},
        {"equipment", &FrmMain::cmdEquip_Click},
        {"revise-dim", &FrmMain::cmdReviseDim_Click},
    };
    return buttons;
}

std::string CheckPictureName(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".svg") return "";
    return "'" + path + "' is not an .svg file name (FILE.svg)";
}

// Message boxes cannot wait for a click here; they are shown on stderr as they come.
class PrintingPrompter : public cad::Prompter {
public:
    void MessageBox(std::string_view title, std::string_view text) override {
        std::string shown(text);
        std::replace(shown.begin(), shown.end(), '\r', ' ');
        std::cerr << ProgramName << ": message box \"" << title << "\": " << shown << "\n";
    }
};

// The configuration the dialog loads: the one named, or "ZKL_Labeller.ini" in the folder of
// the sheet's macro project (the sheet's own folder when it names none).
fs::path ConfigurationFile(const RunArguments& arguments, const cad::Drawing& drawing) {
    if (arguments.config) return *arguments.config;
    if (!drawing.macroProjectPath.empty()) return ConfigurationFilePath(drawing.macroProjectPath);
    return fs::path(arguments.sheet).parent_path() / ConfigurationFileName;
}

// The dialog finds its configuration beside the host's macro project, so for the time of its
// initialisation the host's macro project is made to lie beside the file wanted; a file of
// another name is copied under the expected name into a folder of its own. The sheet's own
// macro project path comes back afterwards, so the saved sheet keeps it.
class ConfigurationBeside {
public:
    ConfigurationBeside(cad::Drawing& drawing, const fs::path& configuration)
        : drawing_(drawing), savedPath_(drawing.macroProjectPath) {
        if (!fs::is_regular_file(configuration))
            throw std::runtime_error("cannot read the configuration '" + configuration.string() +
                                     "': no such file");
        fs::path folder = configuration.parent_path();
        if (configuration.filename() != ConfigurationFileName) {
            copyFolder_ = fs::temp_directory_path() / ("zkl_run_" + std::to_string(::getpid()));
            fs::create_directories(copyFolder_);
            fs::copy_file(configuration, copyFolder_ / ConfigurationFileName,
                          fs::copy_options::overwrite_existing);
            folder = copyFolder_;
        }
        drawing_.macroProjectPath = (folder / "ZKL_Labeller.mvba").string();
    }
    ~ConfigurationBeside() {
        drawing_.macroProjectPath = savedPath_;
        std::error_code ignored;  // a temporary copy left behind is no reason to fail the run
        if (!copyFolder_.empty()) fs::remove_all(copyFolder_, ignored);
    }
    ConfigurationBeside(const ConfigurationBeside&) = delete;
    ConfigurationBeside& operator=(const ConfigurationBeside&) = delete;

private:
    cad::Drawing& drawing_;
    std::string savedPath_;
    fs::path copyFolder_;
};

void PrintMessages(const cad::CadHost& host) {
    for (const Message& message : host.Messages()) {
        std::cout << message.text;
        if (!message.details.empty()) std::cout << " (" << message.details << ")";
        std::cout << "\n";
    }
    std::cout.flush();
}

void RunScripted(const RunArguments& arguments) {
    // Everything is read and checked before the command starts, so bad input writes nothing.
    std::vector<Input> inputs = io::LoadInputScript(arguments.input);
    cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    const fs::path configuration = ConfigurationFile(arguments, drawing);

    cad::CadHost host(std::move(drawing));
    auto source = std::make_shared<cad::ScriptedInputSource>(std::deque<Input>(inputs.begin(), inputs.end()));
    host.SetInputSource(source);
    host.SetPrompter(std::make_shared<PrintingPrompter>());

    mdlOPM_Labeller module(host);
    clsOPM_Labeller labeller(module, MakeDialogCommands(module));
    {
        ConfigurationBeside beside(host.GetDrawing(), configuration);
        labeller.Start_Labeller();
    }

    try {
        (module.dialog.get()->*Buttons().at(arguments.command))();
    } catch (...) {
        // What the command reported before it failed helps to find where the script went wrong.
        PrintMessages(host);
        throw;
    }
    PrintMessages(host);
    if (source->Pending() > 0)
        std::cerr << ProgramName << ": note: the command ended with " << source->Pending()
                  << " input(s) of the script left unused\n";

    io::SaveSheet(host.GetDrawing(), arguments.output);
    if (arguments.svg) io::WriteFileAtomically(*arguments.svg, io::RenderSvg(host.GetDrawing()));
}

}  // namespace

Command AddRunCommand(CLI::App& program) {
    auto arguments = std::make_shared<RunArguments>();
    CLI::App* run =
        program.add_subcommand("run", "Run an interactive command on a sheet with scripted input");
    run->add_option("sheet", arguments->sheet, "The sheet file (JSON)")->required();
    std::vector<std::string> names;
    for (const auto& [name, button] : Buttons()) names.push_back(name);
    run->add_option("--command", arguments->command, "The command: manual, pipeline, equipment or revise-dim")
        ->required()
        ->check(CLI::IsMember(names));
    run->add_option("--input", arguments->input, "The input script (see docs/input-scripts.md)")->required();
    run->add_option("--config", arguments->config,
                    "The configuration file (default: ZKL_Labeller.ini beside the sheet's macro project)");
    run->add_option("-o,--output", arguments->output, "The sheet file to write (JSON)")->required();
    run->add_option("--svg", arguments->svg, "Also draw the result as a picture (FILE.svg)")
        ->check(CLI::Validator(CheckPictureName, "FILE.svg", "picture file name"));
    return {run, [arguments] { RunScripted(*arguments); }};
}

}  // namespace zkl::app
