// Guards the zkl-labeller command line as a user meets it: exit codes (0 done, 1 bad input
// or failed write, 2 bad usage), one error line naming the file, and no output written
// when the input is bad.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli_runner.h"
#include "io/svg_reading.h"

namespace {

namespace fs = std::filesystem;

using zkl::testing::CliResult;
using zkl::testing::ReadFile;

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class Cli : public zkl::testing::CliTest {
protected:
    fs::path Output(const std::string& name) const { return folder_ / name; }

    static std::string Data(const std::string& name) { return std::string(ZKL_TEST_DATA_DIR) + "/" + name; }

};

TEST_F(Cli, RenderingTheExampleSheetWritesAnSvgPicture) {
    const fs::path output = Output("demo.svg");
    const CliResult result =
        Run({"render", std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json", "-o", output.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string svg = ReadFile(output);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_TRUE(zkl::svg_reading::WellFormed(svg));
    EXPECT_NE(svg.find("class=\"cell "), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    // Only the picture is left in the folder: the temporary file was renamed onto it.
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder_))
        if (entry.path().extension() != ".txt") ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(Cli, FailuresGiveOneLineNamingTheCauseAndWriteNothing) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;  // "OUT" stands for the output path
        int exitCode;
        std::string mentioned;  // what the error line must name
    };
    const std::string missing = Output("no_such_sheet.json").string();
    const std::vector<Case> cases{
        {"missing input", {"render", missing, "-o", "OUT"}, 1, missing},
        {"JSON syntax error",
         {"render", Data("cli_bad_sheet.json"), "-o", "OUT"},
         1,
         "cli_bad_sheet.json: line 4"},
        {"bad value", {"render", Data("cli_bad_value_sheet.json"), "-o", "OUT"}, 1, "/elements/1/vertices/1"},
        {"JSON that is no sheet",
         {"render", Data("cli_not_a_sheet.json"), "-o", "OUT"},
         1,
         "cli_not_a_sheet.json"},
        {"output folder missing",
         {"render", std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json", "-o",
          Output("none/out.svg").string()},
         1,
         "none/out.svg"},
        {"output not SVG",
         {"render", Data("cli_bad_sheet.json"), "-o", Output("out.dxf").string()},
         2,
         "out.dxf"},
        {"output missing", {"render", Data("cli_bad_sheet.json")}, 2, "--output"},
        {"unknown subcommand",
         {"draw", Data("cli_bad_sheet.json"), "-o", "OUT"},
         2,
         "'draw' is not a command"},
        {"unknown option", {"render", "--colour", Data("cli_bad_sheet.json"), "-o", "OUT"}, 2, "--colour"},
        {"no subcommand", {}, 2, "--help"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = c.arguments;
        for (std::string& argument : arguments)
            if (argument == "OUT") argument = Output("out.svg").string();
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(LineCount(result.err), 1u) << result.err;
        EXPECT_NE(result.err.find(c.mentioned), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(Output("out.svg")));
        EXPECT_FALSE(fs::exists(Output("out.dxf")));
    }
}

TEST_F(Cli, BadInputLeavesAnExistingPictureAsItWas) {
    const fs::path output = Output("kept.svg");
    std::ofstream(output) << "earlier picture";
    const CliResult result = Run({"render", Data("cli_bad_value_sheet.json"), "-o", output.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(ReadFile(output), "earlier picture");
}

TEST_F(Cli, VersionAndHelpAnswerOnStandardOutput) {
    const CliResult version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "zkl-labeller 1.0\n");

    const CliResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("render"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");
}

}  // namespace
