// Guards `zkl-labeller settings` as a user meets it: the shipped configuration shown in
// both modes, as text and JSON, and one error line with exit code 1 for a bad file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct SettingsRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SettingsCli : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("zkl_settings_cli_test_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    SettingsRun Run(const std::vector<std::string>& arguments) const {
        std::string command = "cd " + Quote(folder_.string()) + " && " + Quote(ZKL_CLI_PATH) + " settings";
        for (const std::string& argument : arguments) command += " " + Quote(argument);
        command += " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        SettingsRun result;
        if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        result.out = ReadFile(folder_ / "stdout.txt");
        result.err = ReadFile(folder_ / "stderr.txt");
        return result;
    }

    static std::string Example() { return std::string(ZKL_EXAMPLES_DIR) + "/ZKL_Labeller.ini"; }

    fs::path folder_;
};

TEST_F(SettingsCli, SettingsModeShowsTheGeneralPartAndItsRows) {
    const SettingsRun text = Run({"--config", Example()});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("  DimStyleName: ZKL_Dim\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  TextHeight: 2.5\n"), std::string::npos) << text.out;

    const SettingsRun json = Run({"--config", Example(), "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["mode"], "settings");
    EXPECT_EQ(report["settings"]["ShapeLevelName"], "ZKL_Border");
    EXPECT_EQ(report["settings"]["PlantOriginOffset"], "0,0,0");
    EXPECT_EQ(report["labelItems"][0]["ComponentClass"], "STRAIGHT");
    EXPECT_EQ(report["messages"].size(), 0u);
}

TEST_F(SettingsCli, DialogModeListsTheStylesAndFillsTheControlsOfAStyle) {
    const SettingsRun opening = Run({"--config", Example(), "--style", "", "--json"});
    ASSERT_EQ(opening.exitCode, 0) << opening.err;
    const auto lists = nlohmann::json::parse(opening.out)["lists"];
    EXPECT_EQ(lists["cmbDimStyle"], (nlohmann::json{"Piping", "Equipment"}));

    const SettingsRun piping = Run({"--config", Example(), "--style", "PIPING", "--json"});
    ASSERT_EQ(piping.exitCode, 0) << piping.err;
    const auto report = nlohmann::json::parse(piping.out);
    EXPECT_EQ(report["controls"]["txtTextHeight"], "3");
    EXPECT_EQ(report["record"]["DimStyleName"], "ZKL_Dim");
    EXPECT_FALSE(report["lists"].contains("cmbDimStyle"));
}

TEST_F(SettingsCli, FaultyRowsAreShownAndBadFilesEndWithOneErrorLine) {
    std::ofstream(folder_ / "ZKL_Labeller.ini") << "LABELITEMS=A;B\nTEXTHEIGHT=2\n";
    const SettingsRun rows = Run({});
    ASSERT_EQ(rows.exitCode, 0) << rows.err;
    EXPECT_NE(rows.out.find("Please check row 1\n      A\n      B\n"), std::string::npos) << rows.out;

    std::ofstream(folder_ / "bad.ini") << "\nTEXTHEIGHT=big\n";
    const SettingsRun bad = Run({"--config", "bad.ini"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "zkl-labeller: bad.ini line 2: TEXTHEIGHT: cannot convert \"big\" to a number\n");

    const SettingsRun missing = Run({"--config", "none.ini"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find((fs::canonical(folder_) / "none.ini").string()), std::string::npos)
        << missing.err;
    EXPECT_EQ(missing.out, "");
}

}  // namespace
