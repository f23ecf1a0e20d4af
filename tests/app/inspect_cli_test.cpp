// Guards `zkl-labeller inspect` on the example sheet: what a user sees of each component's
// class, row, key points and label text, and one error line for an unknown element.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "app/cli_runner.h"

namespace {

class InspectCli : public zkl::testing::CliTest {
protected:
    static std::string Sheet() { return std::string(ZKL_EXAMPLES_DIR) + "/demo_sheet.json"; }

    // The component with this id, from the JSON report.
    static nlohmann::json Component(const nlohmann::json& report, int id) {
        for (const auto& component : report["components"])
            if (component["id"] == id) return component;
        ADD_FAILURE() << "no component " << id;
        return {};
    }
};

TEST_F(InspectCli, ReportsClassRowKeyPointsAndLabelTextOfTheExampleComponents) {
    const auto result = Run({"inspect", Sheet(), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto report = nlohmann::json::parse(result.out);

    const auto pipe = Component(report, 1);
    EXPECT_EQ(pipe["className"], "PIPE");
    EXPECT_EQ(pipe["labelRow"]["class"], "STRAIGHT");
    EXPECT_EQ(pipe["labelText"], "1001-P-200 EL+4500");
    ASSERT_EQ(pipe["keyPoints"].size(), 3u);
    // Placement (500, 8000, 4500) / 100 through the attachment's translation (60, 50, 0).
    EXPECT_EQ(pipe["keyPoints"][0], nlohmann::json({65.0, 130.0, 45.0}));

    const auto riser = Component(report, 9);
    EXPECT_EQ(riser["labelText"], "1001-P-150");
    EXPECT_EQ(riser["messages"][0], "The component is vertical, elevation is invalid!");

    const auto sloped = Component(report, 14);
    EXPECT_EQ(sloped["labelText"], "1002-P-150 WP EL+3000");
    EXPECT_FALSE(sloped["slope"].is_null());

    const auto pump = Component(report, 17);
    EXPECT_EQ(pump["className"], "EQUIPMENT");
    EXPECT_EQ(pump["labelText"], "P-101");
    EXPECT_EQ(pump["keyPoints"].size(), 1u);

    // Every row's match format is evaluated, so pipes miss the equipment row's property.
    EXPECT_EQ(report["invalidProperties"], "EQUIPMENT_LOCATION,EC_CLASS_NAME");
}

TEST_F(InspectCli, TextReportNamesUnreadablePropertiesAndUnknownElementsFail) {
    const auto one = Run({"inspect", Sheet(), "--element", "6"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_NE(one.out.find("ECC 200x150"), std::string::npos) << one.out;
    EXPECT_NE(one.out.find("unreadable:   EQUIPMENT_LOCATION"), std::string::npos) << one.out;

    const auto missing = Run({"inspect", Sheet(), "--element", "999"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no component"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());
}

}  // namespace
