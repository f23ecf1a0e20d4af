// Guards `zkl-labeller run` as a user meets it: the example session labels the example
// sheet and writes sheet and picture, the configuration is found beside the sheet or taken
// from --config, and a faulty script stops the run before anything is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "app/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using zkl::testing::ReadFile;

const std::string Examples = ZKL_EXAMPLES_DIR;

class RunCli : public zkl::testing::CliTest {
protected:
    zkl::testing::CliResult RunSession(const std::string& sheet, const std::string& script,
                                       std::vector<std::string> more = {}) const {
        std::vector<std::string> arguments{"run",     sheet,  "--command", "manual",
                                           "--input", script, "-o",        "out.json"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Run(arguments);
    }

    // The label cells of a written sheet, each as the list of its component types.
    std::vector<std::vector<std::string>> Labels(const fs::path& sheet) const {
        std::vector<std::vector<std::string>> labels;
        const auto json = nlohmann::json::parse(ReadFile(sheet));
        for (const auto& element : json["elements"]) {
            if (element["type"] != "cell" || element["name"] != "ZKL_Label") continue;
            std::vector<std::string> types;
            for (const auto& component : element["components"]) types.push_back(component["type"]);
            labels.push_back(types);
        }
        return labels;
    }

    void WriteScript(const std::string& name, const std::string& text) const {
        std::ofstream(folder_ / name) << text;
    }
};

TEST_F(RunCli, ExampleSessionLabelsTheSheetAndPrintsTheMessages) {
    const auto result =
        RunSession(Examples + "/demo_sheet.json", Examples + "/label_session.txt", {"--svg", "out.svg"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "Starting to place labels\n"
              "Label placed by Quorvel. These properties are invalid, Please check: "
              "EQUIPMENT_LOCATION,EC_CLASS_NAME\n");
    EXPECT_EQ(result.err, "") << "the script is used up exactly";

    // Two boxed pipe labels (one of them relocated) and the vessel's split circle.
    const std::vector<std::vector<std::string>> expected{{"text", "lineString", "lineString"},
                                                         {"text", "lineString", "lineString"},
                                                         {"text", "text", "ellipse", "lineString"}};
    auto labels = Labels(folder_ / "out.json");
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, expected);

    const std::string svg = ReadFile(folder_ / "out.svg");
    std::size_t drawn = 0;
    for (auto at = svg.find("cell ZKL_Label"); at != std::string::npos;
         at = svg.find("cell ZKL_Label", at + 1))
        ++drawn;
    EXPECT_EQ(drawn, 3u);

    // The written sheet still finds its macro project (a path relative to the sheet's own
    // folder), and so its configuration.
    const auto written = nlohmann::json::parse(ReadFile(folder_ / "out.json"));
    const fs::path macro = written["macroProjectPath"].get<std::string>();
    EXPECT_TRUE(fs::equivalent((folder_ / macro).parent_path(), Examples)) << macro;
}

TEST_F(RunCli, ConfigurationOfAnotherNameIsTakenFromTheOption) {
    // Pipe labels of the opening style made plain texts instead of boxed ones.
    std::string configuration = ReadFile(Examples + "/ZKL_Labeller.ini");
    const std::string boxed = "{BOP};2;STRAIGHT";
    ASSERT_NE(configuration.find(boxed), std::string::npos);
    configuration.replace(configuration.find(boxed), boxed.size(), "{BOP};0;STRAIGHT");
    std::ofstream(folder_ / "plain.ini") << configuration;
    WriteScript("one.txt", "point 95 130\npoint 110 145\n");

    const auto named = RunSession(Examples + "/demo_sheet.json", "one.txt", {"--config", "plain.ini"});
    ASSERT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(Labels(folder_ / "out.json"), (std::vector<std::vector<std::string>>{{"text", "lineString"}}));

    const auto missing = RunSession(Examples + "/demo_sheet.json", "one.txt", {"--config", "none.ini"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("none.ini"), std::string::npos) << missing.err;
}

TEST_F(RunCli, FaultyScriptIsReportedByLineAndNothingIsWritten) {
    WriteScript("bad.txt", "# two mistakes\npoint 95\nreset\nturn\n");
    const auto result = RunSession(Examples + "/demo_sheet.json", "bad.txt", {"--svg", "out.svg"});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "zkl-labeller: bad.txt:2: a point needs its X and Y: point X Y [view N]\n"
              "bad.txt:4: 'turn' is not an input; a line is one of: point X Y [view N], reset, rotate, esc, "
              "keyin TEXT\n");
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(folder_ / "out.json"));
    EXPECT_FALSE(fs::exists(folder_ / "out.svg"));
}

}  // namespace
