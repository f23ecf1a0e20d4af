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

TEST_F(Cli, RenderWritesTheFormatTheExtensionOrFormatOptionNames) {
    const std::string demo = std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-o", Output("a.svg").string()}, "<?xml"},
        {{"-o", Output("a.DXF").string()}, "  0\r\nSECTION"},
        {{"-o", Output("a.pdf").string()}, "%PDF-"},
        {{"-o", Output("plot.out").string(), "--format", "PDF"}, "%PDF-"},
        {{"-o", Output("b.svg").string(), "--format", "dxf"}, "  0\r\nSECTION"},
    };
    for (const auto& [options, start] : cases) {
        std::vector<std::string> arguments{"render", demo};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(ReadFile(options[1]).rfind(start, 0), 0u) << options[1];
    }
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
        {"input is a folder", {"render", Output("folder.json").string(), "-o", "OUT"}, 1, "it is a folder"},
        {"output is a folder",
         {"render", std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json", "-o", Output("folder.svg").string()},
         1,
         "folder.svg': it is a folder"},
        {"output of no known format",
         {"render", Data("cli_bad_sheet.json"), "-o", Output("out.png").string()},
         2,
         "out.png"},
        {"unknown format",
         {"render", std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json", "-o", "OUT", "--format", "png"},
         2,
         "--format 'png' is not one of svg, dxf, pdf"},
        {"output missing", {"render", Data("cli_bad_sheet.json")}, 2, "--output"},
        {"unknown subcommand",
         {"draw", Data("cli_bad_sheet.json"), "-o", "OUT"},
         2,
         "'draw' is not a command"},
        {"unknown option", {"render", "--colour", Data("cli_bad_sheet.json"), "-o", "OUT"}, 2, "--colour"},
        {"no subcommand", {}, 2, "--help"},
    };
    fs::create_directory(Output("folder.json"));
    fs::create_directory(Output("folder.svg"));
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

TEST_F(Cli, ErrorsAboutValuesHoldingLineBreaksStayOnOneLine) {
    // Names and values are the user's and may hold anything; the error still is one line,
    // the break shown as "\n".
    const std::string demo = std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json";
    fs::copy_file(demo, Output("demo\nsheet.json"));
    fs::copy_file(std::string(ZKL_EXAMPLES_DIR) + "/ZKL_Labeller.ini", Output("ZKL_Labeller.ini"));
    fs::create_directory(Output("conf\ndir"));
    std::ofstream(Output("odd\nname.ini")) << "TEXTHEIGHT=big\a\n";
    std::ofstream(Output("script\n.txt")) << "point 1 2\nturn left\n";
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        int exitCode;
        std::string mentioned;
    };
    const std::vector<Case> cases{
        {"missing sheet", {"render", "no\nsheet.json", "-o", "out.svg"}, 1, "'no\\nsheet.json'"},
        {"level name in a sheet",
         {"render", Data("cli_line_break_sheet.json"), "-o", "out.svg"},
         1,
         "level \"Pipes\\nSouth\" is not in the level table"},
        {"missing output folder", {"render", demo, "-o", "new\nfolder/out.svg"}, 1, "'new\\nfolder/out.svg'"},
        {"output name",
         {"render", demo, "-o", "out\n.png"},
         2,
         "'out\\n.png' is not a .svg, .dxf or .pdf file name"},
        {"command name", {"dra\nw"}, 2, "'dra\\nw' is not a command"},
        {"configuration file name and value",
         {"settings", "--config", "odd\nname.ini"},
         1,
         "odd\\nname.ini line 1: TEXTHEIGHT: cannot convert \"big\\u0007\" to a number"},
        {"configuration folder",
         {"auto", demo, "--config", "conf\ndir", "-o", "out.json"},
         1,
         "the configuration file 'conf\\ndir' is a folder"},
        {"input script name",
         {"run", demo, "--command", "manual", "--input", "script\n.txt", "-o", "out.json"},
         1,
         "script\\n.txt:2: 'turn' is not an input"},
        {"sheet name",
         {"inspect", "demo\nsheet.json", "--element", "99999"},
         1,
         "'demo\\nsheet.json' has no component"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(LineCount(result.err), 1u) << result.err;
        EXPECT_NE(result.err.find(c.mentioned), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(Output("out.svg")));
        EXPECT_FALSE(fs::exists(Output("out.json")));
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
