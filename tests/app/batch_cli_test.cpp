// Guards what a batch of `zkl-labeller auto` runs relies on: every run leaves a report that
// says what it did or why it failed, with the exit status the program gave; the GNU parallel
// recipe and the Slurm array script in examples/batch/ annotate a folder of sheets, one
// output and one report per sheet; and the summary script adds the reports up. The recipes'
// tests skip when GNU parallel or Slurm is missing; `make test` installs both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "app/cli_runner.h"
#include "io/sheet_file.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using zkl::testing::CliResult;
using zkl::testing::ReadFile;
using zkl::testing::ShellQuote;

const fs::path Examples = ZKL_EXAMPLES_DIR;
const fs::path Batch = Examples / "batch";

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::size_t LabelCells(const fs::path& sheet) {
    const zkl::cad::Drawing drawing = zkl::io::LoadSheet(sheet);
    std::size_t cells = 0;
    for (const auto& [id, entry] : drawing.activeModel.Entries())
        if (entry.element.IsCell() && entry.element.Cell().name == "ZKL_Label") ++cells;
    return cells;
}

class BatchCli : public zkl::testing::CliTest {
protected:
    fs::path Path(const std::string& name) const { return folder_ / name; }

    // Runs a shell command line in the test's folder with the program named by ZKL_LABELLER.
    CliResult Shell(const std::string& line) const {
        const std::string command = "cd " + ShellQuote(folder_.string()) +
                                    " && ZKL_LABELLER=" + ShellQuote(ZKL_CLI_PATH) + " " + line +
                                    " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        CliResult result;
        if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        result.out = ReadFile(Path("stdout.txt"));
        result.err = ReadFile(Path("stderr.txt"));
        return result;
    }

    Json Report(const std::string& name) const { return Json::parse(ReadFile(Path(name))); }

    // Eight generated sheets and one that is no JSON, with the example configuration.
    void MakeSheetFolder() {
        fs::create_directory(Path("sheets"));
        for (int seed = 1; seed <= 8; ++seed) {
            const CliResult made = Run({"generate", "--components", "30", "--seed", std::to_string(seed),
                                        "-o", "sheets/plant" + std::to_string(seed) + ".json"});
            ASSERT_EQ(made.exitCode, 0) << made.err;
        }
        std::ofstream(Path("sheets/broken.json")) << "{\"elements\": [";
        fs::copy_file(Examples / "ZKL_Labeller.ini", Path("sheets/ZKL_Labeller.ini"));
    }

    // Each good sheet annotated as its report says, the broken one reported and not written;
    // then the summary script's totals are those of the reports.
    void ExpectEverySheetAnnotatedAndReported(const std::string& out) {
        Json sums = {{"areas", 0}, {"labels", 0}, {"sideLabels", 0}, {"dimensions", 0}, {"probes", 0}};
        for (int seed = 1; seed <= 8; ++seed) {
            const std::string name = out + "/plant" + std::to_string(seed);
            SCOPED_TRACE(name);
            ASSERT_TRUE(fs::exists(Path(name + ".report.json")));
            const Json report = Report(name + ".report.json");
            EXPECT_EQ(report["exitStatus"], 0);
            EXPECT_TRUE(report["error"].is_null());
            EXPECT_EQ(fs::path(report["sheet"].get<std::string>()).filename(),
                      fs::path(name).filename() += ".json");
            EXPECT_GT(report["labels"].get<int>(), 0);
            EXPECT_EQ(LabelCells(Path(name + ".json")),
                      report["labels"].get<std::size_t>() + report["sideLabels"].get<std::size_t>());
            for (auto& [key, sum] : sums.items()) sum = sum.get<long>() + report[key].get<long>();
        }
        const Json broken = Report(out + "/broken.report.json");
        EXPECT_EQ(broken["exitStatus"], 1);
        EXPECT_NE(broken["error"].get<std::string>().find("broken.json"), std::string::npos) << broken;
        EXPECT_FALSE(fs::exists(Path(out + "/broken.json")));

        const CliResult summary = Shell("python3 " + ShellQuote((Batch / "summarise-reports.py").string()) +
                                        " --json " + out + "/*.report.json");
        EXPECT_EQ(summary.exitCode, 1) << "a run failed";
        const Json totals = Json::parse(summary.out);
        EXPECT_EQ(totals["sheets"], 9);
        EXPECT_EQ(totals["annotated"], 8);
        EXPECT_EQ(totals["failed"], 1);
        for (const auto& [key, sum] : sums.items()) EXPECT_EQ(totals[key], sum) << key;
    }
};

TEST_F(BatchCli, ReportTellsWhatTheRunDidOrWhyItFailedWithTheExitStatus) {
    ASSERT_EQ(Run({"generate", "--components", "40", "--seed", "3", "-o", "plant.json"}).exitCode, 0);
    fs::copy_file(Examples / "ZKL_Labeller.ini", Path("ZKL_Labeller.ini"));

    const CliResult done = Run({"auto", "plant.json", "-o", "out.json", "--report", "report.json", "-q"});
    ASSERT_EQ(done.exitCode, 0) << done.err;
    const Json report = Report("report.json");
    EXPECT_EQ(report["sheet"], "plant.json");
    EXPECT_EQ(report["output"], "out.json");
    EXPECT_EQ(report["exitStatus"], 0);
    EXPECT_TRUE(report["error"].is_null());
    EXPECT_FALSE(report["messages"].empty());
    EXPECT_GE(report["seconds"].get<double>(), 0.0);
    // The figures are the summary line's.
    const std::regex figures(
        "(\\d+) area, (\\d+) labels \\((\\d+) at a free place\\), (\\d+) side labels, (\\d+) dimensions, "
        "(\\d+) probes");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(done.out, match, figures)) << done.out;
    const char* keys[] = {"areas", "labels", "freePlaces", "sideLabels", "dimensions", "probes"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(report[keys[i]].get<long>(), std::stol(match[i + 1])) << keys[i];

    // Each failure leaves only the report, with the error line the program printed.
    fs::create_directory(Path("folder.json"));
    std::ofstream(Path("broken.json")) << "[1, 2";
    std::ofstream(Path("earlier.json")) << "earlier sheet";
    fs::create_symlink("earlier.json", Path("link.svg"));
    fs::create_directory(Path("step"));
    fs::copy_file(Path("plant.json"), Path("step/plant.json"));
    {
        std::ifstream in(Examples / "ZKL_Labeller.ini");
        std::ofstream zero(Path("step/ZKL_Labeller.ini"));
        for (std::string line; std::getline(in, line);)
            zero << (line.starts_with("STEPDISTANCE=") ? "STEPDISTANCE=0" : line) << "\n";
    }
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        int exitCode;
        std::string mentioned;
    } failures[] = {
        {"a sheet that is no JSON", {"broken.json", "-o", "failed.json"}, 1, "broken.json"},
        {"no configuration", {"plant.json", "--config", "gone.ini", "-o", "failed.json"}, 1, "gone.ini"},
        {"a failed command", {"step/plant.json", "--args", "TRUE", "-o", "failed.json"}, 1, "StepDistance"},
        {"an output that is a folder", {"plant.json", "-o", "folder.json"}, 1, "folder.json"},
        {"two outputs that are one file",
         {"plant.json", "-o", "earlier.json", "--svg", "link.svg"},
         2,
         "the same file"},
    };
    for (const auto& c : failures) {
        SCOPED_TRACE(c.what);
        fs::remove(Path("failed_report.json"));
        std::vector<std::string> arguments{"auto"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.insert(arguments.end(), {"--report", "failed_report.json", "-q"});
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_FALSE(fs::exists(Path("failed.json")));
        ASSERT_TRUE(fs::exists(Path("failed_report.json")));
        const Json failed = Report("failed_report.json");
        EXPECT_EQ(failed["exitStatus"], c.exitCode);
        const std::string error = failed["error"].get<std::string>();
        EXPECT_NE(error.find(c.mentioned), std::string::npos) << error;
        EXPECT_EQ(result.err.rfind("zkl-labeller: " + error, 0), 0u) << result.err;
        EXPECT_EQ(failed["labels"], 0);
        EXPECT_EQ(ReadFile(Path("earlier.json")), "earlier sheet");
    }

    // A report that could not carry the news is refused before anything is done.
    const std::string sheetBefore = ReadFile(Path("plant.json"));
    const struct {
        const char* what;
        std::string report;
        int exitCode;
        std::string message;
    } refused[] = {
        {"its folder is missing", "none/report.json", 1, "'none/report.json'"},
        {"it is the sheet read", "./plant.json", 2, "the report './plant.json' is the sheet to annotate"},
        {"it is the annotated sheet", "out.json", 2,
         "the outputs 'out.json' and 'out.json' are the same file"},
        {"it is no JSON file name", "report.txt", 2, "'report.txt' is not a .json file name"},
    };
    fs::remove(Path("out.json"));
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        const CliResult result = Run({"auto", "plant.json", "-o", "out.json", "--report", c.report, "-q"});
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(fs::exists(Path("out.json")));
        EXPECT_FALSE(fs::exists(Path("report.txt")));
        EXPECT_EQ(ReadFile(Path("plant.json")), sheetBefore);
    }
}

TEST_F(BatchCli, ParallelRecipeAnnotatesEverySheetOfAFolderWithAReportEach) {
    if (!Installed("parallel")) GTEST_SKIP() << "GNU parallel is not installed (make test installs it)";
    MakeSheetFolder();
    const CliResult result = Shell(ShellQuote((Batch / "annotate-folder.sh").string()) + " sheets out -j 2");
    EXPECT_EQ(result.exitCode, 1) << "the broken sheet failed\n" << result.err;
    EXPECT_NE(result.err.find("broken.json"), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 8)
        << "a summary line per annotated sheet\n"
        << result.out;
    ExpectEverySheetAnnotatedAndReported("out");
}

// A Slurm of this one host, up for as long as the object lives (tests/data/batch).
class OneNodeSlurm {
public:
    OneNodeSlurm() : folder_(fs::temp_directory_path() / ("zkl_slurm_" + std::to_string(::getpid()))) {
        // Short: the munge socket's path must fit a socket address.
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        started_ = std::system(Command("start").c_str()) == 0;
    }
    ~OneNodeSlurm() {
        std::system(Command("stop").c_str());
        fs::remove_all(folder_);
    }
    OneNodeSlurm(const OneNodeSlurm&) = delete;
    OneNodeSlurm& operator=(const OneNodeSlurm&) = delete;

    bool Started() const { return started_; }
    // The helper script's command line for this cluster: start, wait JOB or stop.
    std::string Command(const std::string& what) const {
        return ShellQuote(std::string(ZKL_TEST_DATA_DIR) + "/batch/one_node_slurm.sh") + " " + what + " " +
               ShellQuote(folder_.string());
    }
    std::string Environment() const { return "SLURM_CONF=" + ShellQuote((folder_ / "slurm.conf").string()); }
    std::string Logs() const { return (folder_ / "log").string(); }

private:
    static std::string Script() {
        return ShellQuote(std::string(ZKL_TEST_DATA_DIR) + "/batch/one_node_slurm.sh");
    }

    fs::path folder_;
    bool started_ = false;
};

TEST_F(BatchCli, SlurmArrayScriptAnnotatesEverySheetOfAFolderWithAReportEach) {
    for (const char* program : {"slurmctld", "slurmd", "sbatch", "munged", "mungekey"})
        if (!Installed(program)) GTEST_SKIP() << program << " is not installed (package slurm-wlm)";
    if (::geteuid() != 0) GTEST_SKIP() << "a Slurm of this host can only be started as root";
    const OneNodeSlurm slurm;
    ASSERT_TRUE(slurm.Started()) << "see " << slurm.Logs();
    MakeSheetFolder();
    const CliResult submitted = Shell(slurm.Environment() + " sbatch --parsable --array=0-8 " +
                                      ShellQuote((Batch / "annotate-array.sbatch").string()) + " sheets out");
    ASSERT_EQ(submitted.exitCode, 0) << submitted.err;
    const std::string job = submitted.out.substr(0, submitted.out.find_first_of(";\n"));
    const CliResult tasks = Shell(slurm.Command("wait") + " " + ShellQuote(job));
    // The sheets are taken in name order: broken.json first.
    std::string expected = "0 1:0\n";
    for (int task = 1; task <= 8; ++task) expected += std::to_string(task) + " 0:0\n";
    EXPECT_EQ(tasks.out, expected) << tasks.err;
    ExpectEverySheetAnnotatedAndReported("out");
}

}  // namespace
