// zkl-labeller: the command-line front end. Parses the arguments, runs the one subcommand
// given and turns every failure into one line on stderr and an exit code (see command.h).
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/auto_command.h"
#include "app/cli/check_command.h"
#include "app/cli/cli_support.h"
#include "app/cli/command.h"
#include "app/cli/generate_command.h"
#include "app/cli/import_pcf_command.h"
#include "app/cli/inspect_command.h"
#include "app/cli/render_command.h"
#include "app/cli/run_command.h"
#include "app/cli/settings_command.h"
#include "host/message_text.h"
#include "io/input_script.h"

namespace {

using namespace zkl::app;

int ReportParseError(const CLI::App& program, const CLI::ParseError& error) {
    // --help and --version arrive as "errors" that exit successfully.
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return program.exit(error);
    std::string message = OneLine(error.what());
    std::string help = std::string(ProgramName) + " --help";
    const auto given = program.get_subcommands();
    if (!given.empty()) {
        help = std::string(ProgramName) + " " + given.front()->get_name() + " --help";
    } else if (!program.remaining().empty()) {
        // CLI11 would only say that a subcommand is required; name what was given instead.
        const std::string first = program.remaining().front();
        message = "'" + zkl::Escaped(first) +
                  (first.starts_with('-') ? "' is not an option" : "' is not a command");
    }
    std::cerr << ProgramName << ": " << message << " (see " << help << ")\n";
    return ExitUsage;
}

// Every message is made one line where it is built; OneLine is the last line of defence for
// text from places that forgot, and changes nothing in a message that is right already.
int Run(const Command& command) {
    try {
        command.run();
        return ExitSuccess;
    } catch (const UsageError& error) {
        std::cerr << ProgramName << ": " << OneLine(error.what()) << " (see " << ProgramName << " "
                  << command.subcommand->get_name() << " --help)\n";
        return ExitUsage;
    } catch (const zkl::io::InputScriptError& error) {
        // A faulty script is reported as a compiler does: one line for each faulty line.
        if (error.Problems().empty()) std::cerr << ProgramName << ": " << OneLine(error.what()) << "\n";
        bool first = true;
        for (const zkl::io::ScriptProblem& problem : error.Problems()) {
            if (first) std::cerr << ProgramName << ": ";
            first = false;
            std::cerr << OneLine(error.Source()) << ":" << problem.line << ": " << OneLine(problem.problem)
                      << "\n";
        }
        return ExitFailure;
    } catch (const std::exception& error) {
        std::cerr << ProgramName << ": " << OneLine(error.what()) << "\n";
        return ExitFailure;
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App program{"ZKL Labeller: annotates plant-design drawing sheets.", ProgramName};
    program.set_version_flag("--version", std::string(ProgramName) + " " + ProgramVersion);
    program.require_subcommand(1);

    const std::vector<Command> commands{
        AddInspectCommand(program),   AddRenderCommand(program), AddAutoCommand(program),
        AddGenerateCommand(program),  AddRunCommand(program),    AddSettingsCommand(program),
        AddImportPcfCommand(program), AddCheckCommand(program),
    };

    try {
        program.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return ReportParseError(program, error);
    }
    for (const Command& command : commands)
        if (command.subcommand->parsed()) return Run(command);
    return ExitUsage;  // require_subcommand makes this unreachable
}
