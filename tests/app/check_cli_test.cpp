// Guards `zkl-labeller check` and `auto --check` as a user meets them: the report of the
// annotated example in text and JSON, --strict failing on overlapping bodies with one line,
// and the sheet loader's error for a bad sheet.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "app/cli_runner.h"

namespace {

class CheckCli : public zkl::testing::CliTest {
protected:
    static std::string Example(const std::string& name) { return std::string(ZKL_EXAMPLES_DIR) + "/" + name; }
    static std::string Data(const std::string& name) { return std::string(ZKL_TEST_DATA_DIR) + "/" + name; }
};

TEST_F(CheckCli, ReportsTheAnnotatedExampleAsAutoCheckSummarisesIt) {
    const auto annotated = Run({"auto", Example("demo_sheet.json"), "-o", "out.json", "-q", "--check"});
    ASSERT_EQ(annotated.exitCode, 0) << annotated.err;
    EXPECT_NE(annotated.out.find("\n  components without a label: 0\n"), std::string::npos) << annotated.out;

    const auto text = Run({"check", "out.json", "--config", Example("ZKL_Labeller.ini")});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("out.json: 1 drawing area, 19 component labels, ", 0), 0u) << text.out;
    // The summary lines are the ones auto --check printed after its own line.
    const std::string summary = annotated.out.substr(annotated.out.find('\n') + 1);
    EXPECT_EQ(text.out.substr(text.out.find('\n') + 1, summary.size()), summary);

    const auto json = Run({"check", "out.json", "--config", Example("ZKL_Labeller.ini"), "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["componentLabels"], 19);
    EXPECT_EQ(report["selectedComponents"], 19);
    EXPECT_EQ(report["counts"]["unlabelledComponent"], 0);
    EXPECT_EQ(report["findings"].size(), report["counts"]["bodyOutsideArea"].get<std::size_t>() +
                                             report["counts"]["leaderThroughBody"].get<std::size_t>() +
                                             report["counts"]["bodyOverComponent"].get<std::size_t>() +
                                             report["counts"]["leaderCrossing"].get<std::size_t>());
}

TEST_F(CheckCli, StrictFailsOnOverlappingBodiesAndBadSheetsNameTheFile) {
    const auto strict =
        Run({"check", Data("check_overlap_sheet.json"), "--config", Example("ZKL_Labeller.ini"), "--strict"});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_NE(
        strict.out.find("overlapping label bodies: label #2 and label #3 overlap by 0.01 at (19.995, 12.5)"),
        std::string::npos)
        << strict.out;
    EXPECT_EQ(strict.err, "zkl-labeller: '" + Data("check_overlap_sheet.json") +
                              "': 1 overlapping label bodies, 0 label bodies over components (--strict)\n");

    const auto lenient =
        Run({"check", Data("check_overlap_sheet.json"), "--config", Example("ZKL_Labeller.ini")});
    EXPECT_EQ(lenient.exitCode, 0) << lenient.err;

    const auto bad =
        Run({"check", Data("cli_bad_value_sheet.json"), "--config", Example("ZKL_Labeller.ini")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err.rfind("zkl-labeller: " + Data("cli_bad_value_sheet.json") + ": ", 0), 0u) << bad.err;
    EXPECT_EQ(bad.out, "");
}

}  // namespace
