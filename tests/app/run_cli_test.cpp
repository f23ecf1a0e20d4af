// Guards `zkl-labeller run` as a user meets it: the example session labels the example
// sheet and writes sheet and picture, the configuration is found beside the sheet or taken
// from --config, a faulty script stops the run before anything is written, and the
// transcript tells what each session showed and took, a failed one included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using zkl::testing::ReadFile;

const std::string Examples = ZKL_EXAMPLES_DIR;
const std::string Data = ZKL_TEST_DATA_DIR;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Each input of a transcript with the prompt that was showing when it was taken.
std::vector<std::pair<std::string, std::string>> AnsweredPrompts(const std::vector<std::string>& transcript) {
    std::vector<std::pair<std::string, std::string>> answered;
    std::string prompt;
    for (const std::string& line : transcript) {
        if (line.starts_with("status prompt:")) prompt = line.substr(std::string("status prompt:").size());
        if (line.starts_with("input: "))
            answered.emplace_back(prompt, line.substr(std::string("input: ").size()));
    }
    return answered;
}

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

struct TranscribedSession {
    const char* name;
    const char* command;
    std::string script;
    std::size_t labels;
    std::vector<std::pair<std::string, std::string>> answeredPrompts;
    std::string lastLine;
};

TEST_F(RunCli, TranscriptShowsEachPromptWithTheInputThatAnsweredItAndEndsWithTheRunSummary) {
    const std::string select = " Select element to label or select label to relocate/Reset to exit";
    const std::string place = " Ctrl+RESET to rotate/RESET to cancel";
    const std::string placeOrQuit = place + "/ESC to quit";
    const std::string summary =
        "message: Label placed by Quorvel. These properties are invalid, Please check: ";
    const std::vector<TranscribedSession> sessions{
        {"semi-automatic: place, skip, turn and place, quit",
         "semi",
         Data + "/semi_session.txt",
         2,
         {{placeOrQuit, "point 110 145"},
          {placeOrQuit, "reset"},
          {placeOrQuit, "rotate"},
          {placeOrQuit, "point 119 195"},
          {placeOrQuit, "esc"}},
         summary + "EQUIPMENT_LOCATION"},
        {"semi-automatic: quit at once",
         "semi",
         "quit.txt",
         0,
         {{placeOrQuit, "esc"}},
         summary + "EQUIPMENT_LOCATION"},
        {"manual: the example session",
         "manual",
         Examples + "/label_session.txt",
         3,
         {{select, "point 95 130"},
          {place, "point 110 145"},
          {select, "point 128 155"},
          {place, "rotate"},
          {place, "point 119 195"},
          {select, "point 290 185"},
          {place, "point 322 196"},
          {select, "point 110 145"},
          {place, "point 118 112"},
          {select, "reset"}},
         summary + "EQUIPMENT_LOCATION,EC_CLASS_NAME"},
    };
    WriteScript("quit.txt", "esc\n");

    for (const TranscribedSession& session : sessions) {
        SCOPED_TRACE(session.name);
        fs::remove(folder_ / "out.json");
        const auto result = Run({"run", Examples + "/demo_sheet.json", "--command", session.command,
                                 "--input", session.script, "-o", "out.json", "--transcript", "session.txt"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(Labels(folder_ / "out.json").size(), session.labels);

        const std::vector<std::string> transcript = Lines(ReadFile(folder_ / "session.txt"));
        ASSERT_FALSE(transcript.empty());
        EXPECT_EQ(transcript.front(), "keyin: mark")
            << "the undo mark comes before the command does anything";
        EXPECT_EQ(AnsweredPrompts(transcript), session.answeredPrompts);
        EXPECT_EQ(transcript.back(), session.lastLine);
        // Every message printed on stdout is in the transcript, in the same order.
        std::vector<std::string> messages;
        for (const std::string& line : transcript)
            if (line.starts_with("message: "))
                messages.push_back(line.substr(std::string("message: ").size()));
        EXPECT_EQ(messages, Lines(result.out));
    }
}

TEST_F(RunCli, FailedSessionStillWritesItsTranscriptEndingWithTheErrorButNoSheetOrPicture) {
    // A configuration without a border level: Semi-Auto Place fails once it looks for the
    // drawing areas.
    std::string configuration = ReadFile(Examples + "/ZKL_Labeller.ini");
    const std::string level = "SHAPELEVELNAME=ZKL_Border";
    ASSERT_NE(configuration.find(level), std::string::npos);
    configuration.replace(configuration.find(level), level.size(), "SHAPELEVELNAME=");
    std::ofstream(folder_ / "no_border.ini") << configuration;

    const auto result = Run({"run", Examples + "/demo_sheet.json", "--command", "semi", "--input",
                             Data + "/semi_session.txt", "--config", "no_border.ini", "-o", "out.json",
                             "--svg", "out.svg", "--transcript", "session.txt"});

    const std::string error =
        "the border level '' (setting ShapeLevelName) is not in the design file and cannot be created";
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "zkl-labeller: " + error + "\n");
    EXPECT_FALSE(fs::exists(folder_ / "out.json"));
    EXPECT_FALSE(fs::exists(folder_ / "out.svg"));
    EXPECT_EQ(Lines(ReadFile(folder_ / "session.txt")),
              (std::vector<std::string>{"keyin: mark", "message: Starting to place labels",
                                        "keyin: accudraw dialog main", "error: " + error}));
}

}  // namespace
