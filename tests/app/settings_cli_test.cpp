// Guards `zkl-labeller settings` as a user meets it: the shipped configuration shown in
// both modes, as text and JSON, and one error line with exit code 1 for a bad file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/cli_runner.h"
#include <sstream>

namespace {

namespace fs = std::filesystem;

using SettingsRun = zkl::testing::CliResult;
using zkl::testing::ReadFile;

class SettingsCli : public zkl::testing::CliTest {
protected:
    SettingsRun Run(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "settings");
        return CliTest::Run(arguments);
    }

    static std::string Example() { return std::string(ZKL_EXAMPLES_DIR) + "/ZKL_Labeller.ini"; }

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
