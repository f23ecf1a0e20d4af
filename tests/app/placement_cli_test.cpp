// Guards the placement switches from the command line: the default is the first free place
// and writes what --placement first writes, clear is counted in the summary and the report,
// a value that is neither is refused by name, and inspect --element tells why a label stands
// where it does.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/cli_runner.h"

namespace zkl::testing {
namespace {

class PlacementCli : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        const std::filesystem::path examples(ZKL_EXAMPLES_DIR);
        std::filesystem::copy_file(examples / "demo_sheet.json", folder_ / "demo_sheet.json");
        std::filesystem::copy_file(examples / "ZKL_Labeller.ini", folder_ / "ZKL_Labeller.ini");
    }
};

TEST_F(PlacementCli, SwitchesChooseTheRuleAndRefuseWhatTheyDoNotKnow) {
    struct Case {
        std::vector<std::string> switches;
        int exitCode;
        std::string inOut;  // in stdout (0) or stderr (otherwise)
    };
    const std::vector<Case> cases{
        {{}, 0, "19 labels (19 at a free place)"},
        {{"--placement", "first"}, 0, "19 labels (19 at a free place)"},
        {{"--placement", "clear"}, 0, "with a clear leader, 0 at the first free place for want of one"},
        {{"--placement", "bogus"}, 2, "unknown placement 'bogus': the placements are 'first'"},
        {{"--keep-inside"}, 2, "--keep-inside"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        std::vector<std::string> arguments{"auto", "demo_sheet.json", "-o", "out" + std::to_string(i) + ".json",
                                           "-q", "--report", "report" + std::to_string(i) + ".json"};
        arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE((c.exitCode == 0 ? result.out : result.err).find(c.inOut), std::string::npos)
            << result.out << result.err;
    }
    EXPECT_EQ(ReadFile(folder_ / "out0.json"), ReadFile(folder_ / "out1.json"));
    EXPECT_NE(ReadFile(folder_ / "out0.json"), ReadFile(folder_ / "out2.json"));
    EXPECT_NE(ReadFile(folder_ / "report2.json").find("\"placement\": \"clear\""), std::string::npos);
    EXPECT_NE(ReadFile(folder_ / "report0.json").find("\"clearLeaderFallbacks\": 0"), std::string::npos);
}

TEST_F(PlacementCli, InspectElementTellsWhichStepFoundThePlaceAndWhatBlockedTheEarlierOnes) {
    ASSERT_EQ(Run({"auto", "demo_sheet.json", "-o", "first.json", "-q"}).exitCode, 0);
    ASSERT_EQ(Run({"auto", "demo_sheet.json", "-o", "clear.json", "-q", "--placement", "clear"}).exitCode, 0);
    for (const std::string rule : {"first", "clear"}) {
        SCOPED_TRACE(rule);
        const CliResult result =
            Run({"inspect", rule + ".json", "--element", "12", "--style", "Piping", "--placement", rule});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        for (const std::string& expected : std::vector<std::string>{"why here:", "recomputed on the sheet as it is now", "placement " + rule, "is the first free place",
              "ring 1, steps 1-6 blocked; nearest: PlantModel #12 cell 'PIPE'",
              // Clear placement gives an area's places together: this label left the shorter
              // clear place the search for it alone takes to a neighbour.
              rule == "first" ? "the label stands at this place" : "the label stands at step 181 (ring 8), leader 36.8709, clear of"})
            EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\n" << result.out;
        EXPECT_EQ(result.out.find("clear-leader placement takes") != std::string::npos, rule == "clear")
            << result.out;
    }
}

}  // namespace
}  // namespace zkl::testing
