// A plant model in two revisions (tests/data/revision): the first imported and annotated,
// one label moved by hand, then the second imported over it with --from. Between them a
// pipe is rerouted, a valve added, a tee (and the branch it fed) removed and a line renamed.
// And a sheet from before labels recorded their origin stays what it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <nlohmann/json.hpp>
#include <string>

#include "cli_runner.h"
#include "io/sheet_file.h"
#include "label/label_origin.h"

namespace zkl::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path RevisionData = fs::path(ZKL_TEST_DATA_DIR) / "revision";

class RevisionCli : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        for (const char* name : {"plant_rev1.pcf", "plant_rev2.pcf", "ZKL_Labeller.ini"})
            fs::copy_file(RevisionData / name, folder_ / name);
    }

    Json ReadJson(const std::string& name) const { return Json::parse(ReadFile(folder_ / name)); }

    void Expect(const std::vector<std::string>& arguments) const {
        const CliResult result = Run(arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }

    // The label cell of the sheet that records this component.
    static Json LabelOf(const Json& sheet, const std::string& component) {
        for (const Json& element : sheet["elements"]) {
            if (element.value("name", "") != "ZKL_Label" || !element.contains("properties")) continue;
            for (const Json& property : element["properties"])
                if (property["name"] == LabelComponentProperty && property["text"] == component) return element;
        }
        return nullptr;
    }
};

TEST_F(RevisionCli, TheDraftersWorkStaysAndTheLabelsFollowTheModel) {
    Expect({"import-pcf", "plant_rev1.pcf", "-o", "rev1.json"});
    Expect({"auto", "rev1.json", "-q", "-o", "rev1_auto.json"});

    // The drafter picks the label of P-1 on its text and drops it 15 mm higher.
    const Json annotated = ReadJson("rev1_auto.json");
    const Json text = LabelOf(annotated, "id:P-1")["components"][0];
    const double x = text["origin"][0], y = text["origin"][1];
    std::ofstream(folder_ / "move.txt") << "point " << x << " " << y << "\npoint " << x << " " << y + 15 << "\n";
    Expect({"run", "rev1_auto.json", "--command", "manual", "--input", "move.txt", "-o", "rev1_moved.json"});
    EXPECT_EQ(LabelOf(ReadJson("rev1_moved.json"), "id:P-1")["properties"][1]["text"], "moved");

    Expect({"import-pcf", "plant_rev2.pcf", "--from", "rev1_moved.json", "-o", "rev2.json", "--changes",
            "changes.json"});
    const Json changes = ReadJson("changes.json");
    std::map<std::string, Json> byComponent;
    for (const Json& entry : changes["labels"]) byComponent[entry["component"]] = entry;

    struct Expected {
        const char* component;
        std::vector<std::string> changes;  // either will do: a new text may not fit where the old one stood
        const char* newText;
    };
    const Expected expected[] = {
        {"id:P-1", {"kept"}, "100-P-150 EL+3000"},                 // moved by hand: stays
        {"id:E-1", {"kept"}, "100-P-150"},
        {"id:P-2", {"kept"}, "100-P-150 EL+3000"},
        {"id:P-3", {"moved"}, "100-P-150 EL+3000"},                // rerouted
        {"id:T-1", {"removed"}, ""},
        {"id:P-4", {"removed"}, ""},                               // the branch the tee fed
        {"id:V-1", {"added"}, "VALVE V-1"},
        {"id:Q-1", {"retexted", "moved"}, "201-P-150 EL+3000"},   // the renamed line
        {"id:EQ-1", {"retexted", "moved"}, "201-P-150"},
        {"id:Q-2", {"retexted", "moved"}, "201-P-150 EL+3000"},
    };
    EXPECT_EQ(byComponent.size(), std::size(expected));
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.component);
        ASSERT_TRUE(byComponent.count(e.component));
        const Json& entry = byComponent[e.component];
        EXPECT_NE(std::find(e.changes.begin(), e.changes.end(), entry["change"]), e.changes.end()) << entry.dump();
        EXPECT_EQ(entry["newText"], e.newText);
    }
    EXPECT_EQ(byComponent["id:P-1"]["placed"], "moved");
    EXPECT_EQ(byComponent["id:P-1"]["newPlace"], byComponent["id:P-1"]["oldPlace"]);
    const Json revised = ReadJson("rev2.json");
    EXPECT_TRUE(LabelOf(revised, "id:T-1").is_null());
    EXPECT_FALSE(LabelOf(revised, "id:V-1").is_null());

    // Updating the revised sheet again finds nothing to do and writes the same bytes.
    const CliResult again = Run({"auto", "rev2.json", "--update", "-q", "-o", "rev2_again.json", "--changes",
                                 "again.json"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(ReadFile(folder_ / "rev2_again.json"), ReadFile(folder_ / "rev2.json"));
    EXPECT_EQ(ReadJson("again.json")["sheetChanged"], false);
    EXPECT_NE(again.out.find("labels: 8 kept, 0 retexted, 0 moved, 0 removed, 0 added, 0 orphaned"),
              std::string::npos)
        << again.out;
}

// What every label cell of a sheet draws, in no particular order.
std::multiset<std::string> LabelGraphics(const Json& sheet) {
    std::multiset<std::string> graphics;
    for (const Json& element : sheet["elements"])
        if (element.value("name", "") == "ZKL_Label") graphics.insert(element["components"].dump());
    return graphics;
}

TEST_F(RevisionCli, ASheetWithoutRecordedOriginsLoadsAnnotatesAndSavesAsBefore) {
    Expect({"import-pcf", "plant_rev1.pcf", "-o", "rev1.json"});
    Expect({"auto", "rev1.json", "-q", "-o", "annotated.json", "--svg", "annotated.svg"});
    // The same annotation as a sheet from before labels recorded their origin.
    cad::Drawing old = io::LoadSheet(folder_ / "annotated.json");
    std::vector<Element> labels;
    for (const auto& [id, entry] : old.activeModel.Entries())
        if (entry.element.IsCell() && entry.element.Cell().name == "ZKL_Label") labels.push_back(entry.element);
    for (Element& cell : labels) {
        RecordLabelOrigin(cell, {});
        old.activeModel.Replace(cell, old.RangeOf(cell));
    }
    io::SaveSheet(old, folder_ / "old.json");
    const std::string oldBytes = ReadFile(folder_ / "old.json");
    EXPECT_EQ(oldBytes.find("ZKL_LABEL"), std::string::npos);

    // It loads and saves to the same bytes, and draws as the sheet that records origins does.
    io::SaveSheet(io::LoadSheet(folder_ / "old.json"), folder_ / "resaved.json");
    EXPECT_EQ(ReadFile(folder_ / "resaved.json"), oldBytes);
    Expect({"render", "old.json", "-o", "old.svg"});
    EXPECT_EQ(ReadFile(folder_ / "old.svg"), ReadFile(folder_ / "annotated.svg"));

    // Annotating it from scratch gives the labels the sheet had, now with their origins.
    Expect({"auto", "rev1.json", "-q", "-o", "again.json", "--svg", "again.svg"});
    EXPECT_EQ(ReadFile(folder_ / "again.svg"), ReadFile(folder_ / "annotated.svg"));

    // The update takes its labels for hand-placed ones (nobody knows better) and moves none.
    const CliResult update = Run({"auto", "old.json", "--update", "-q", "-o", "updated.json"});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    EXPECT_NE(update.out.find("labels: 9 kept, 0 retexted, 0 moved, 0 removed, 0 added, 0 orphaned"),
              std::string::npos)
        << update.out;
    EXPECT_EQ(LabelGraphics(ReadJson("updated.json")), LabelGraphics(ReadJson("old.json")));
}

TEST_F(RevisionCli, AFaultyRecordedPlacementIsRefusedNamingSheetAndCellAndNothingIsWritten) {
    Expect({"import-pcf", "plant_rev1.pcf", "-o", "rev1.json"});
    Expect({"auto", "rev1.json", "-q", "-o", "annotated.json"});
    std::string text = ReadFile(folder_ / "annotated.json");
    const std::size_t word = text.find("\"automatic\"");
    ASSERT_NE(word, std::string::npos);
    text.replace(word, 11, "\"sideways\"");
    std::ofstream(folder_ / "faulty.json") << text;

    const std::vector<std::vector<std::string>> commands = {
        {"auto", "faulty.json", "--update", "-o", "out.json"},
        {"import-pcf", "plant_rev2.pcf", "--from", "faulty.json", "-o", "out.json"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.front());
        const CliResult result = Run(command);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("'faulty.json': cell "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("ZKL_LABEL.PLACED is 'sideways'"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(folder_ / "out.json"));
    }
}

}  // namespace
}  // namespace zkl::testing
