// What every zkl-labeller subcommand provides, and the exit codes they share. A subcommand
// lives in its own file with one Add...Command function that declares its arguments on the
// program and returns the action main runs when that subcommand was given; adding a
// subcommand is that file plus one line in main.cpp.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <stdexcept>
#include <string>

namespace zkl::app {

inline constexpr const char* ProgramName = "zkl-labeller";
inline constexpr const char* ProgramVersion = "1.0";

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;  // bad input file, failed write, failed command
inline constexpr int ExitUsage = 2;    // arguments the program cannot act on

// Arguments that parse but make no sense together; reported like a parse error.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// The exit code main gives for a failure, for a command that must state it before main sees
// the exception (a run report).
inline int ExitCodeOf(const std::exception& error) {
    return dynamic_cast<const UsageError*>(&error) ? ExitUsage : ExitFailure;
}

struct Command {
    CLI::App* subcommand = nullptr;
    // Runs after parsing; failures are exceptions whose message is one line for the user.
    std::function<void()> run;
};

}  // namespace zkl::app
