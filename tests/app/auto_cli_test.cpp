// Guards `zkl-labeller generate` and `zkl-labeller auto` as a user runs them: a seed gives
// the same sheet, Automatic Place annotates it and says what it did in one line, the
// configuration is found beside the sheet or where --config says, --args acts as the
// key-in, and bad input writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "app/cli_runner.h"
#include "io/sheet_file.h"

namespace {

namespace fs = std::filesystem;

using zkl::testing::CliResult;
using zkl::testing::ReadFile;

class AutoCli : public zkl::testing::CliTest {
protected:
    fs::path Path(const std::string& name) const { return folder_ / name; }

    // A generated sheet in the test's folder, with or without the example configuration
    // beside it.
    void GenerateSheet(int components, bool withConfiguration = true) {
        const CliResult result =
            Run({"generate", "--components", std::to_string(components), "--seed", "4", "-o", "plant.json"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        if (withConfiguration) fs::copy_file(Example("ZKL_Labeller.ini"), Path("ZKL_Labeller.ini"));
    }

    static fs::path Example(const std::string& name) { return fs::path(ZKL_EXAMPLES_DIR) / name; }

    static long Count(const std::string& summary, const std::string& what) {
        std::smatch match;
        if (!std::regex_search(summary, match, std::regex("(\\d+) " + what))) return -1;
        return std::stol(match[1]);
    }

    static std::size_t LabelCells(const fs::path& sheet) {
        const zkl::cad::Drawing drawing = zkl::io::LoadSheet(sheet);
        std::size_t cells = 0;
        for (const auto& [id, entry] : drawing.activeModel.Entries())
            if (entry.element.IsCell() && entry.element.Cell().name == "ZKL_Label") ++cells;
        return cells;
    }
};

TEST_F(AutoCli, GenerateWritesTheSameSheetForTheSameSeed) {
    for (const char* name : {"a.json", "b.json"})
        ASSERT_EQ(Run({"generate", "--components", "120", "--seed", "9", "-o", name}).exitCode, 0);
    const CliResult other =
        Run({"generate", "--components", "120", "--seed", "10", "--no-border", "-o", "c.json"});
    EXPECT_EQ(other.exitCode, 0) << other.err;
    EXPECT_NE(other.out.find("120 components"), std::string::npos) << other.out;
    EXPECT_EQ(ReadFile(Path("a.json")), ReadFile(Path("b.json")));
    EXPECT_NE(ReadFile(Path("a.json")), ReadFile(Path("c.json")));
    // The macro project, and so the configuration, is looked for beside the sheet.
    EXPECT_NE(ReadFile(Path("a.json")).find("\"macroProjectPath\": \"ZKL_Labeller.mvba\""),
              std::string::npos);

    // Without a border Automatic Place draws one around the plant and says so.
    const CliResult drawn = Run({"auto", "c.json", "--config", Example("ZKL_Labeller.ini").string(), "--args",
                                 "FALSE", "-o", "c_out.json", "-q"});
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
    EXPECT_NE(drawn.out.find("1 area (1 drawn)"), std::string::npos) << drawn.out;

    EXPECT_EQ(Run({"generate", "--components", "0", "-o", "d.json"}).exitCode, 2);
    EXPECT_FALSE(fs::exists(Path("d.json")));
}

TEST_F(AutoCli, AutoAnnotatesTheSheetAndSummarisesInOneLine) {
    GenerateSheet(150);
    const CliResult result = Run({"auto", "plant.json", "-o", "out.json", "--svg", "out.svg"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
    const long labels = Count(result.out, "labels");
    EXPECT_GT(labels, 100) << result.out;
    EXPECT_GT(Count(result.out, "side labels"), 0) << result.out;
    EXPECT_GE(Count(result.out, "probes"), labels);
    EXPECT_NE(result.out.find(" s\n"), std::string::npos) << "elapsed time";
    EXPECT_NE(result.err.find("area 1/1 done"), std::string::npos) << result.err;
    EXPECT_EQ(static_cast<long>(LabelCells(Path("out.json"))), labels + Count(result.out, "side labels"));
    EXPECT_EQ(ReadFile(Path("out.svg")).rfind("<?xml", 0), 0u);
}

TEST_F(AutoCli, KeyinArgumentsAndAConfigurationOfAnotherNameAreUsed) {
    GenerateSheet(60, false);
    fs::copy_file(Example("ZKL_Labeller.ini"), Path("plant settings.ini"));
    const CliResult none = Run({"auto", "plant.json", "--config", "plant settings.ini", "--args",
                                " false , FALSE ", "-o", "none.json", "-q"});
    ASSERT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.err, "");
    EXPECT_EQ(Count(none.out, "labels"), 0) << none.out;
    EXPECT_EQ(Count(none.out, "dimensions"), 0) << none.out;
    EXPECT_EQ(LabelCells(Path("none.json")), 0u);

    const CliResult labelsOnly = Run({"auto", "plant.json", "--config", "plant settings.ini", "--args",
                                      "FALSE", "-o", "labels.json", "-q"});
    ASSERT_EQ(labelsOnly.exitCode, 0) << labelsOnly.err;
    EXPECT_GT(Count(labelsOnly.out, "labels"), 0) << labelsOnly.out;
    EXPECT_EQ(Count(labelsOnly.out, "side labels"), 0) << labelsOnly.out;
    EXPECT_FALSE(fs::exists(Path("ZKL_Labeller.ini"))) << "the configuration is not copied beside the sheet";
}

TEST_F(AutoCli, BadInputGivesOneErrorLineAndWritesNothing) {
    GenerateSheet(20, false);
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        int exitCode;
        std::string mentioned;
    } cases[] = {
        {"no configuration beside the sheet",
         {"auto", "plant.json", "-o", "out.json"},
         1,
         "ZKL_Labeller.ini"},
        {"missing --config", {"auto", "plant.json", "--config", "gone.ini", "-o", "out.json"}, 1, "gone.ini"},
        {"--config that is a folder",
         {"auto", "plant.json", "--config", "settings.d", "-o", "out.json"},
         1,
         "the configuration file 'settings.d' is a folder"},
        {"sheet that does not exist", {"auto", "nothing.json", "-o", "out.json"}, 2, "nothing.json"},
        {"output that is not a sheet", {"auto", "plant.json", "-o", "out.svg"}, 2, "out.svg"},
        {"generated sheet that is not a sheet",
         {"generate", "--components", "5", "-o", "out.svg"},
         2,
         "out.svg"},
    };
    fs::create_directory(Path("settings.d"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliResult result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.mentioned), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(fs::exists(Path("out.json")));
        EXPECT_FALSE(fs::exists(Path("out.svg")));
    }

    // A configuration whose step distance cannot place labels: refused, naming the setting.
    std::ifstream in(Example("ZKL_Labeller.ini"));
    std::ofstream out(Path("ZKL_Labeller.ini"));
    for (std::string line; std::getline(in, line);)
        out << (line.rfind("STEPDISTANCE=", 0) == 0 ? "STEPDISTANCE=0" : line) << "\n";
    out.close();
    const CliResult step = Run({"auto", "plant.json", "--args", "TRUE", "-o", "out.json"});
    EXPECT_EQ(step.exitCode, 1);
    EXPECT_NE(step.err.find("StepDistance"), std::string::npos) << step.err;
    EXPECT_FALSE(fs::exists(Path("out.json")));
}

TEST_F(AutoCli, OutputsThatCannotAllBeWrittenLeaveEveryFileAsItWas) {
    GenerateSheet(20);
    std::ofstream(Path("out.json")) << "earlier sheet";
    fs::create_directory(Path("folder.svg"));
    fs::create_directory(Path("folder.json"));
    fs::create_symlink("out.json", Path("link.svg"));
    const std::set<fs::path> before{fs::directory_iterator(folder_), fs::directory_iterator()};
    const std::vector<std::string> run{"run",     Example("demo_sheet.json").string(),  "--command", "manual",
                                       "--input", Example("label_session.txt").string()};
    const struct {
        const char* what;
        std::vector<std::string> arguments;  // the outputs are added
        std::vector<std::string> outputs;
        int exitCode;
        std::string message;
    } cases[] = {
        {"picture is a folder",
         {"auto", "plant.json"},
         {"-o", "out.json", "--svg", "folder.svg"},
         1,
         "cannot write 'folder.svg': it is a folder"},
        {"sheet is a folder",
         {"auto", "plant.json"},
         {"-o", "folder.json", "--svg", "out.svg"},
         1,
         "cannot write 'folder.json': it is a folder"},
        {"picture folder missing",
         {"auto", "plant.json"},
         {"-o", "out.json", "--svg", "none/out.svg"},
         1,
         "cannot write 'none/out.svg': folder 'none' does not exist"},
        {"picture is the sheet",
         {"auto", "plant.json"},
         {"-o", "out.json", "--svg", "link.svg"},
         2,
         "the outputs 'out.json' and 'link.svg' are the same file"},
        {"run: picture is a folder",
         run,
         {"-o", "out.json", "--svg", "folder.svg"},
         1,
         "cannot write 'folder.svg': it is a folder"},
        {"run: picture is the sheet",
         run,
         {"-o", "out.json", "--svg", "link.svg"},
         2,
         "the outputs 'out.json' and 'link.svg' are the same file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), c.outputs.begin(), c.outputs.end());
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find("zkl-labeller: " + c.message), std::string::npos) << result.err;
        EXPECT_EQ(ReadFile(Path("out.json")), "earlier sheet");
        EXPECT_EQ((std::set<fs::path>{fs::directory_iterator(folder_), fs::directory_iterator()}), before)
            << "no output and no temporary file is left";
    }

    // The sheet written over its own input is allowed: it is read in full first.
    const CliResult over = Run({"auto", "plant.json", "-o", "plant.json", "-q"});
    ASSERT_EQ(over.exitCode, 0) << over.err;
    EXPECT_GT(LabelCells(Path("plant.json")), 0u);
}

}  // namespace
