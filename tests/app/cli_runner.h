// Runs the built zkl-labeller as a user would, each test in its own temporary folder (so
// tests may run in parallel), and captures exit code, stdout and stderr.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zkl::testing {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("zkl_cli_test_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                   info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Runs the program inside the test's folder, so relative paths resolve there.
    CliResult Run(const std::vector<std::string>& arguments) const {
        std::string command = "cd " + ShellQuote(folder_.string()) + " && " + ShellQuote(ZKL_CLI_PATH);
        for (const std::string& argument : arguments) command += " " + ShellQuote(argument);
        command += " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        CliResult result;
        if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        result.out = ReadFile(folder_ / "stdout.txt");
        result.err = ReadFile(folder_ / "stderr.txt");
        return result;
    }

    std::filesystem::path folder_;
};

}  // namespace zkl::testing
