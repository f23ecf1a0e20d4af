// Guards `zkl-labeller import-pcf` as a user runs it on the bundled PCF file: every
// component becomes a cell the labeller classifies as its kind, with a nominal diameter
// that reads as a number and key points on the PCF's own points, as `inspect` shows; `auto`
// labels every pipe, elbow, tee and reducer with the shipped configuration and reports no
// invalid property; --per-pipeline names the sheets after the pipelines; bad input is one
// line naming the file, exit 1, and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "app/cli_runner.h"
#include "io/pcf_reader.h"
#include "io/sheet_file.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using zkl::Point;
using zkl::testing::CliResult;
using zkl::testing::ReadFile;

class ImportPcfCli : public zkl::testing::CliTest {
protected:
    fs::path Path(const std::string& name) const { return folder_ / name; }
    static fs::path Example(const std::string& name) { return fs::path(ZKL_EXAMPLES_DIR) / name; }

    void Write(const std::string& name, const std::string& content) const {
        std::ofstream(Path(name), std::ios::binary) << content;
    }

    // The example imported beside the shipped configuration.
    void ImportExample() {
        fs::copy_file(Example("ZKL_Labeller.ini"), Path("ZKL_Labeller.ini"));
        const CliResult result = Run({"import-pcf", Example("pipes.pcf").string(), "-o", "plan.json"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        summary_ = result.out;
    }

    Json Inspect(const std::vector<std::string>& options) const {
        std::vector<std::string> arguments{"inspect", "plan.json", "--json"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return Json::parse(result.out);
    }

    std::string summary_;
};

TEST_F(ImportPcfCli, EveryComponentIsClassifiedWithANumericDiameterAndKeyPointsOnItsPcfPoints) {
    ImportExample();
    EXPECT_EQ(summary_,
              "Wrote plan.json (A3 at 1:100): 2 pipelines, 26 components (11 PIPE, 4 "
              "PIPE_ELBOW_90_DEGREE_LONG_RADIUS, 3 PIPE_FLANGE, 3 PIPE_SUPPORT, 1 ECCENTRIC_PIPE_REDUCER, 1 "
              "PIPE_CAP, 1 PIPE_OLET, 1 PIPE_REDUCING_TEE, 1 VALVE), 0 skipped\n");

    // The PCF's components by line, to compare the cells with.
    const zkl::io::pcf::PcfFile pcf = zkl::io::ReadPcf(Example("pipes.pcf"));
    std::map<int, const zkl::io::pcf::Component*> byLine;
    for (const auto& pipeline : pcf.pipelines)
        for (const auto& component : pipeline.components) byLine[component.line] = &component;

    // Sheet -> plant millimetres: the attachment's scale and shift, x 100, plus the local
    // origin the title block names.
    const zkl::cad::Drawing sheet = zkl::io::LoadSheet(Path("plan.json"));
    const auto& attachment = sheet.attachments.at(0);
    const Point origin{500000, 198000, 0};
    const auto toPlant = [&](const Json& p) {
        const Point model =
            attachment.toActive.Inverse().Apply({p[0].get<double>(), p[1].get<double>(), p[2].get<double>()});
        return Point{model.x * 100 + origin.x, model.y * 100 + origin.y, model.z * 100};
    };
    std::map<zkl::ElementId, int> lineOfCell;
    for (const auto& [id, entry] : attachment.model.Entries())
        for (const auto& property : entry.element.properties)
            if (property.accessString == "PCF.LINE")
                lineOfCell[id] = static_cast<int>(property.value.Number());

    // A row that labels every component with its nominal diameter alone.
    Write("every.ini", "[GENERAL]\nLABELITEMS=[EC_CLASS_NAME];*;[NOMINAL_DIAMETER];0;EQUIPMENT\n");
    const Json diameters = Inspect({"--config", "every.ini"});
    const Json shipped = Inspect({});
    ASSERT_EQ(shipped["components"].size(), 26u);
    for (std::size_t i = 0; i < shipped["components"].size(); ++i) {
        const Json& c = shipped["components"][i];
        SCOPED_TRACE(c["cell"].get<std::string>() + " #" + std::to_string(c["id"].get<int>()));
        EXPECT_EQ(c["className"], c["cell"]);
        EXPECT_EQ(c["invalidProperties"], "");
        const std::string nominal = diameters["components"][i]["labelText"].get<std::string>();
        EXPECT_TRUE(std::regex_match(nominal, std::regex("[1-9][0-9]*(\\.[0-9]+)?"))) << nominal;

        const auto* component = byLine.at(lineOfCell.at(c["id"].get<zkl::ElementId>()));
        std::vector<Point> own;
        for (const auto& end : component->ends) own.push_back(end.position);
        if (component->ends.size() == 2)
            own.push_back((component->ends[0].position + component->ends[1].position) * 0.5);
        if (component->centre) own.push_back(*component->centre);
        for (const auto& branch : component->branches) own.push_back(branch.position);
        ASSERT_FALSE(c["keyPoints"].is_null()) << c["keyPointError"];
        const bool eccentric = c["cell"] == "ECCENTRIC_PIPE_REDUCER";
        for (const Json& key : c["keyPoints"]) {
            const Point plant = toPlant(key);
            double nearest = 1e300;
            for (const Point& p : own) {
                // The labeller scales a reducer's eccentric offset as a design length
                // (x 1000), so only its plan position can be compared.
                const Point d = plant - p;
                nearest = std::min(nearest, eccentric ? std::hypot(d.x, d.y) : zkl::Length(d));
            }
            EXPECT_LE(nearest, 0.5) << key.dump();
        }
    }
}

TEST_F(ImportPcfCli, AutoLabelsEveryPipeElbowTeeAndReducerWithoutInvalidProperties) {
    ImportExample();
    const CliResult result = Run({"auto", "plan.json", "-o", "labelled.json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("properties are invalid"), std::string::npos) << result.err;

    // What the rows of the first label style compose, which auto uses, for every labelled kind.
    std::multiset<std::string> expected;
    const Json inspected = Inspect({"--style", "Piping"});
    for (const Json& c : inspected["components"])
        if (!c["labelText"].is_null()) expected.insert(c["labelText"].get<std::string>());
    EXPECT_EQ(expected.size(), 17u) << "11 pipes, 4 elbows, a tee and a reducer";

    std::multiset<std::string> labelled;
    const zkl::cad::Drawing drawing = zkl::io::LoadSheet(Path("labelled.json"));
    for (const auto& [id, entry] : drawing.activeModel.Entries())
        if (entry.element.IsCell() && entry.element.Cell().name == "ZKL_Label")
            for (const auto& part : entry.element.Cell().components)
                if (part.IsText()) labelled.insert(part.Text().text);
    for (const std::string& text : expected) {
        EXPECT_GE(labelled.count(text), expected.count(text)) << text;
        EXPECT_FALSE(text.empty());
    }
}

TEST_F(ImportPcfCli, PerPipelineWritesOneSheetNamedAfterEachPipeline) {
    Write(
        "lines.pcf",
        "UNITS-BORE MM\nUNITS-CO-ORDS MM\n"
        "PIPELINE-REFERENCE \"/AREA 10/1001\" $P\nPIPE\n    END-POINT 0 0 0 150\n    END-POINT 5000 0 0 150\n"
        "PIPELINE-REFERENCE 1002-CW\nPIPE\n    END-POINT 0 9000000 0 100\n    END-POINT 0 9004000 0 100\n");
    const CliResult together = Run({"import-pcf", "lines.pcf", "-o", "one.json"});
    EXPECT_EQ(together.exitCode, 1);
    EXPECT_NE(together.err.find("the pipelines span"), std::string::npos) << together.err;
    EXPECT_NE(together.err.find("--per-pipeline"), std::string::npos) << together.err;
    EXPECT_FALSE(fs::exists(Path("one.json")));

    const CliResult apart = Run({"import-pcf", "lines.pcf", "--per-pipeline", "-o", "plan.json"});
    ASSERT_EQ(apart.exitCode, 0) << apart.err;
    EXPECT_TRUE(fs::exists(Path("plan_AREA_10_1001_P.json")));
    EXPECT_TRUE(fs::exists(Path("plan_1002-CW.json")));
    EXPECT_NE(apart.out.find("2 pipelines, 2 components (2 PIPE)"), std::string::npos) << apart.out;
}

TEST_F(ImportPcfCli, BadInputIsOneLineNamingTheFileExitsOneAndWritesNothing) {
    Write("binary.pcf", std::string("PIPE\n\x7F"
                                    "ELF\x02\x01\x01\0\0\0",
                                    15));
    Write("empty.pcf", "");
    Write("header.pcf", "ISOGEN-FILES ISOGEN.FLS\nUNITS-BORE MM\nUNITS-CO-ORDS MM\nPIPELINE-REFERENCE A\n");
    Write("good.pcf",
          "UNITS-BORE MM\nUNITS-CO-ORDS MM\nPIPE\n    END-POINT 0 0 0 50\n    END-POINT 900 0 0 50\n");
    Write("grid.txt", "A E 0\nB Q 7\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
        int exitCode;
    };
    const std::vector<Case> cases{
        {{"binary.pcf"}, "zkl-labeller: binary.pcf:2: not a PCF file: binary data (byte 0x02)\n", 1},
        {{"empty.pcf"}, "zkl-labeller: empty.pcf: the file is empty\n", 1},
        {{"header.pcf"},
         "zkl-labeller: header.pcf: no components: not one PIPE, ELBOW, TEE, FLANGE, VALVE or other "
         "component line\n",
         1},
        {{"good.pcf", "missing.pcf"},
         "zkl-labeller: cannot read 'missing.pcf': No such file or directory\n",
         1},
        {{"good.pcf", "--grid", "grid.txt"},
         "zkl-labeller: grid.txt:2: expected NAME E|N POSITION (\"A E 1000\"), found \"B Q 7\"\n",
         1},
        {{"good.pcf", "--scale", "1:30"},
         "zkl-labeller: --scale \"1:30\" is not one of 1:20, 1:25, 1:50, 1:100, 1:200, 1:250, 1:500 (see "
         "zkl-labeller import-pcf --help)\n",
         2},
    };
    Write("plan.json", "old");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        std::vector<std::string> arguments{"import-pcf"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.insert(arguments.end(), {"-o", "plan.json"});
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(ReadFile(Path("plan.json")), "old");
        for (const auto& entry : fs::directory_iterator(folder_))
            EXPECT_FALSE(entry.path().filename().string().starts_with("plan_") ||
                         entry.path().filename().string().find(".tmp") != std::string::npos)
                << entry.path();
    }
    // The good file alone is imported; its pipeline has no name, which is worth a warning.
    const CliResult good = Run({"import-pcf", "good.pcf", "-o", "plan.json"});
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(good.err,
              "good.pcf:3: warning: components before any PIPELINE-REFERENCE; they form a pipeline without a "
              "name\n");
}

}  // namespace
