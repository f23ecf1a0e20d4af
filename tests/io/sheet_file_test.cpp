// Guards the sheet file: what is saved loads back as the same drawing, saving is
// deterministic, defaults fill in what hand-written sheets leave out, and every faulty file
// is refused with the place of the fault.
#include "io/sheet_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

const fs::path DataDir = ZKL_TEST_DATA_DIR;
const fs::path ExampleSheet = fs::path(ZKL_EXAMPLES_DIR) / "demo_sheet.json";

void ExpectModelsEqual(const cad::ElementStore& a, const cad::ElementStore& b, const std::string& what) {
    ASSERT_EQ(a.Size(), b.Size()) << what;
    for (const auto& [id, entry] : a.Entries()) {
        const Element* other = b.Find(id);
        ASSERT_NE(other, nullptr) << what << ": element " << id << " is missing";
        EXPECT_EQ(entry.element, *other) << what << ": element " << id << " differs";
    }
}

void ExpectDrawingsEqual(const cad::Drawing& a, const cad::Drawing& b) {
    EXPECT_EQ(a.levels, b.levels);
    EXPECT_EQ(a.textStyles, b.textStyles);
    EXPECT_EQ(a.dimensionStyles, b.dimensionStyles);
    EXPECT_EQ(a.lineStyles, b.lineStyles);
    EXPECT_EQ(a.activeUnitFactor, b.activeUnitFactor);
    EXPECT_EQ(a.views, b.views);
    EXPECT_EQ(a.activeSymbology, b.activeSymbology);
    EXPECT_EQ(a.fenceModes, b.fenceModes);
    EXPECT_EQ(a.macroProjectPath, b.macroProjectPath);
    ExpectModelsEqual(a.activeModel, b.activeModel, "active model");
    ASSERT_EQ(a.attachments.size(), b.attachments.size());
    for (std::size_t i = 0; i < a.attachments.size(); ++i) {
        const auto& x = a.attachments[i];
        const auto& y = b.attachments[i];
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.toActive, y.toActive);
        EXPECT_EQ(x.unitFactor, y.unitFactor);
        EXPECT_EQ(x.scaleDivisor, y.scaleDivisor);
        EXPECT_EQ(x.displayed, y.displayed);
        ExpectModelsEqual(x.model, y.model, "attachment " + x.name);
    }
}

class SheetFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("zkl_sheet_test_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

TEST_F(SheetFileTest, ExampleSheetLoadsSavesAndLoadsAsTheSameDrawing) {
    const cad::Drawing first = LoadSheet(ExampleSheet);
    SaveSheet(first, folder_ / "copy.json");
    const cad::Drawing second = LoadSheet(folder_ / "copy.json");
    ExpectDrawingsEqual(first, second);
    SaveSheet(second, folder_ / "copy2.json");
    EXPECT_EQ(ReadWholeFile(folder_ / "copy.json"), ReadWholeFile(folder_ / "copy2.json"));
}

TEST(SheetFile, ExampleSheetIsStoredInTheFormTheWriterProduces) {
    // Saving the untouched example where it lies must not change a byte.
    const cad::Drawing drawing = LoadSheet(ExampleSheet);
    EXPECT_EQ(SerializeSheet(drawing, ExampleSheet.parent_path()), ReadWholeFile(ExampleSheet));
}

TEST_F(SheetFileTest, EveryElementTypeAndPropertyKindSurvivesARoundTrip) {
    const cad::Drawing first = LoadSheet(DataDir / "sheet_all_elements.json");
    SaveSheet(first, folder_ / "all.json");
    const cad::Drawing second = LoadSheet(folder_ / "all.json");
    ExpectDrawingsEqual(first, second);

    // Spot checks that the file was read as written, not merely consistently.
    ASSERT_EQ(second.activeModel.Size(), 7u);
    const Element& cell = second.activeModel.Get(12);
    ASSERT_EQ(cell.properties.size(), 3u);
    EXPECT_EQ(cell.properties[0].value, PropertyValue("1001-P"));
    EXPECT_EQ(cell.properties[1].value, PropertyValue(150.0));
    EXPECT_TRUE(cell.properties[2].value.IsEmpty());
    ASSERT_EQ(cell.Cell().components.size(), 3u);
    EXPECT_EQ(cell.Cell().components[1].id, 44);
    EXPECT_EQ(cell.Cell().components[1].properties[0].value, PropertyValue(168.3));
    EXPECT_EQ(cell.Cell().components[2].Cell().components[0].Ellipse().secondaryRadius, 0.5);
    EXPECT_EQ(second.activeModel.Get(9).Dimension().savedValue, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(second.activeModel.Get(7).Text().text, "NOTE 1: \"quoted\" \xc3\xa9");
    EXPECT_EQ(second.Model(1).Get(3).model, 1);
    EXPECT_EQ(second.levels[1].id, 65);
    EXPECT_FALSE(second.attachments[0].displayed);
}

TEST(SheetFile, ExtremeNumbersAndNegativeZeroRoundTripExactly) {
    cad::Drawing drawing;
    const std::vector<Point> vertices{
        {0.1 + 0.2, 1e-300, 5e-324},
        {std::numeric_limits<double>::max(), -1.0 / 3.0, 123456789012345680000.0},
        {-0.0, 2.0 / 3.0, 1e15 + 0.5}};
    Element line = MakeLineString(vertices);
    line.id = 1;
    line.symbology.level = "";
    drawing.Insert(ActiveModelId, line);
    const std::string text = SerializeSheet(drawing, ".");
    const cad::Drawing back = ParseSheet(text, "extreme.json", ".");
    EXPECT_EQ(back.activeModel.Get(1).Linear().vertices, vertices);
    // -0 is written as 0, so a second save gives the same bytes.
    EXPECT_EQ(SerializeSheet(back, "."), text);
    EXPECT_NE(text.find("[0, 0.6666666666666666, 1000000000000000.5]"), std::string::npos) << text;
}

TEST(SheetFile, HandWrittenSheetGetsItsDefaults) {
    const cad::Drawing drawing = ParseSheet(R"({
        "format": "zkl-sheet", "version": 1,
        "levels": [{"name": "Default"}, {"name": "Pipes"}],
        "textStyles": [{"name": "ZKL_Text", "height": 2.5, "width": 2}],
        "dimensionStyles": [{"name": "ZKL_Dim", "terminator": 2}],
        "views": [{"origin": [0, 0, 0], "extent": [420, 297, 0]}],
        "elements": [
          {"id": 1, "type": "shape", "vertices": [[0, 0, 0], [10, 0, 0], [10, 10, 0]]},
          {"id": 2, "type": "text", "text": "A", "origin": [0, 0, 0], "style": "ZKL_Text", "rotation": 90},
          {"id": 3, "type": "cell", "name": "PIPE", "level": "Pipes", "colour": 3, "origin": [0, 0, 0],
           "components": [{"type": "ellipse", "centre": [0, 0, 0], "primaryRadius": 2}]},
          {"id": 4, "type": "dimension", "style": "ZKL_Dim", "points": [[0, 0, 0], [5, 0, 0]]}
        ]})",
                                            "hand.json", ".");
    EXPECT_EQ(drawing.levels[1].id, 2);
    const Element& shape = drawing.activeModel.Get(1);
    EXPECT_EQ(shape.symbology, (Symbology{"Default", 0, "0", 0}));
    EXPECT_FALSE(shape.locked);
    EXPECT_EQ(shape.Linear().vertices.size(), 4u) << "a shape is closed when its last vertex is left out";
    const TextGeometry& text = drawing.activeModel.Get(2).Text();
    EXPECT_EQ(text.height, 2.5);
    EXPECT_EQ(text.width, 2.0);
    EXPECT_EQ(text.justification, 2);
    EXPECT_EQ(text.rotation, Matrix3d::FromRows({0, -1, 0}, {1, 0, 0}, {0, 0, 1}));
    const Element& component = drawing.activeModel.Get(3).Cell().components[0];
    EXPECT_EQ(component.symbology, (Symbology{"Pipes", 3, "0", 0}))
        << "components take their cell's symbology";
    EXPECT_EQ(component.Ellipse().secondaryRadius, 2.0);
    EXPECT_EQ(component.id, NoElementId);
    const DimensionGeometry& dimension = drawing.activeModel.Get(4).Dimension();
    EXPECT_EQ(dimension.options.terminator, 2) << "dimensions take their style's options";
    EXPECT_EQ(dimension.segmentTexts, (std::vector<std::string>{"", ""}));
    for (int view = 1; view <= cad::ViewCount; ++view)
        EXPECT_EQ(drawing.View(view).extent, (Point{420, 297, 0}));
    EXPECT_EQ(drawing.activeSymbology.level, "");
    EXPECT_EQ(drawing.fenceModes, FenceModes{});
}

// A sheet around the given elements, with the levels "Default" and "Pipes".
std::string SheetWith(const std::string& elements) {
    return R"({"format": "zkl-sheet", "version": 1, "levels": [{"name": "Default"}, {"name": "Pipes"}],
               "elements": [)" +
           elements + "]}";
}

// A cell `levels` deep: each level a cell whose one component is the next, the last holding a line.
std::string NestedCellJson(int levels, int id = 1) {
    std::string json;
    for (int level = 1; level <= levels; ++level)
        json += std::string(R"({"type": "cell", "name": "C", "origin": [0, 0, 0], )") +
                (level == 1 ? R"("id": )" + std::to_string(id) + ", " : "") + R"("components": [)";
    json += R"({"type": "line", "vertices": [[0, 0, 0], [1, 1, 0]]})";
    for (int level = 1; level <= levels; ++level) json += "]}";
    return json;
}

// `count` lines, with `other` in place of the line at index `at`.
std::string LongSheetWith(int count, int at, const std::string& other) {
    std::string elements;
    for (int i = 0; i < count; ++i) {
        if (i > 0) elements += ",\n";
        elements += i == at ? other
                            : R"({"id": )" + std::to_string(i + 1) +
                                  R"(, "type": "line", "vertices": [[0, 0, 0], [1, 0, 0]]})";
    }
    return SheetWith(elements);
}

std::string Repeated(const std::string& step, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += step;
    return text;
}

TEST(SheetFile, FaultyContentIsRefusedWithThePlaceOfTheFault) {
    const std::string goodLine = R"({"id": 1, "type": "line", "vertices": [[0, 0, 0], [1, 0, 0]]})";
    struct Case {
        const char* fault;
        std::string json;
        std::string message;
    };
    const std::vector<Case> cases{
        {"missing field", SheetWith(R"({"id": 1, "type": "line"})"),
         "bad.json: /elements/0: missing \"vertices\""},
        {"missing id", SheetWith(R"({"type": "line", "vertices": [[0, 0, 0], [1, 0, 0]]})"),
         "bad.json: /elements/0: missing \"id\""},
        {"wrong type", SheetWith(R"({"id": 1, "type": "text", "text": 12, "origin": [0, 0, 0]})"),
         "bad.json: /elements/0/text: expected text (in double quotes), found the number 12"},
        {"unknown element type", SheetWith(R"({"id": 1, "type": "arc"})"),
         "bad.json: /elements/0/type: unknown element type \"arc\""},
        {"duplicate id", SheetWith(goodLine + "," + goodLine),
         "bad.json: /elements/1/id: element id 1 is used twice in one model (also at /elements/0)"},
        {"unknown level",
         SheetWith(R"({"id": 1, "type": "line", "level": "Pipez", "vertices": [[0,0,0],[1,0,0]]})"),
         "bad.json: /elements/0/level: level \"Pipez\" is not in the level table"},
        {"unknown level in a component",
         SheetWith(R"({"id": 1, "type": "cell", "name": "C", "origin": [0, 0, 0],
                       "components": [{"type": "line", "level": "X", "vertices": [[0,0,0],[1,0,0]]}]})"),
         "bad.json: /elements/0/components/0/level: level \"X\" is not in the level table"},
        {"bad vertex",
         SheetWith(R"({"id": 1, "type": "lineString", "vertices": [[0, 0, 0], [1, 0], [2, 0, 0]]})"),
         "bad.json: /elements/0/vertices/1: expected an array of 3 numbers"},
        {"text in a vertex", SheetWith(R"({"id": 1, "type": "line", "vertices": [[0, 0, 0], [1, "0", 0]]})"),
         "bad.json: /elements/0/vertices/1: expected an array of 3 numbers"},
        {"line with one vertex", SheetWith(R"({"id": 1, "type": "line", "vertices": [[0, 0, 0]]})"),
         "bad.json: /elements/0/vertices: a line needs exactly 2 points, found 1"},
        {"unknown element key", SheetWith(R"({"id": 1, "type": "line", "vertics": [[0,0,0],[1,0,0]]})"),
         "bad.json: /elements/0/vertics: unknown key in a line"},
        {"unknown top-level key", R"({"format": "zkl-sheet", "version": 1, "level": []})",
         "bad.json: /level: unknown key in a sheet"},
        {"repeated key", SheetWith(R"({"id": 1, "type": "line", "id": 2, "vertices": [[0,0,0],[1,0,0]]})"),
         "bad.json: /elements/0/id: the key \"id\" appears twice in one object"},
        {"wrong format", R"({"format": "dxf", "version": 1})", "bad.json: /format: expected \"zkl-sheet\""},
        {"missing format", R"({"version": 1})", "bad.json: missing \"format\""},
        {"newer version", R"({"format": "zkl-sheet", "version": 2})",
         "bad.json: /version: version 2 is not supported"},
        {"not an object", "[1, 2]", "bad.json: expected a sheet (a JSON object), found an array"},
        {"zero id", SheetWith(R"({"id": 0, "type": "line", "vertices": [[0,0,0],[1,0,0]]})"),
         "bad.json: /elements/0/id: expected a whole number from 1"},
        {"fractional colour",
         SheetWith(R"({"id": 1, "type": "line", "colour": 1.5, "vertices": [[0,0,0],[1,0,0]]})"),
         "bad.json: /elements/0/colour: expected a whole number"},
        {"number and text in one property",
         SheetWith(R"({"id": 1, "type": "line", "vertices": [[0,0,0],[1,0,0]],
                       "properties": [{"name": "A", "number": 1, "text": "1"}]})"),
         "bad.json: /elements/0/properties/0: a property holds either \"number\" or \"text\", not both"},
        {"duplicate level",
         R"({"format": "zkl-sheet", "version": 1, "levels": [{"name": "A"}, {"name": "A"}]})",
         "bad.json: /levels/1/name: level \"A\" is defined twice (also at /levels/0/name)"},
        {"singular transform",
         R"({"format": "zkl-sheet", "version": 1, "attachments": [{"name": "P", "transform":
             {"matrix": [[1, 0, 0], [0, 1, 0], [0, 0, 0]]}}]})",
         "bad.json: /attachments/0/transform/matrix: expected an invertible matrix"},
        {"bad vertex in an attachment",
         R"({"format": "zkl-sheet", "version": 1, "levels": [{"name": "Default"}], "attachments": [{"name": "P",
             "elements": [{"id": 1, "type": "line", "vertices": [[0, 0, 0], {"x": 1}]}]}]})",
         "bad.json: /attachments/0/elements/0/vertices/1: expected an array of 3 numbers"},
        {"default level missing", R"({"format": "zkl-sheet", "version": 1,
             "elements": [{"id": 1, "type": "line", "vertices": [[0,0,0],[1,0,0]]}]})",
         "bad.json: /elements/0: no \"level\" given, and the level it then takes, \"Default\", is not in the "
         "level"},
        {"too many views", R"({"format": "zkl-sheet", "version": 1, "views": [{},{},{},{},{},{},{},{},{}]})",
         "bad.json: /views: expected 1 to 8 views, found 9"},
        {"segment texts of the wrong length",
         SheetWith(R"({"id": 1, "type": "dimension", "points": [[0,0,0],[1,0,0]], "segmentTexts": ["*"]})"),
         "bad.json: /elements/0/segmentTexts: expected an array of 2 texts, one per point"},
        {"key with a slash", R"({"format": "zkl-sheet", "version": 1, "a/b": 1})",
         "bad.json: /a~1b: unknown key"},
        {"key repeated after a nested value", R"({"format": "zkl-sheet", "levels": [], "levels": []})",
         "bad.json: /levels: the key \"levels\" appears twice in one object"},
        {"key repeated deep in a long element list",
         LongSheetWith(20000, 12345,
                       R"({"id": 12346, "type": "cell", "name": "C", "origin": [0, 0, 0], "components": [
                             {"type": "line", "vertices": [[0, 0, 0], [1, 0, 0]],
                              "properties": [{"name": "A", "text": "x", "text": "y"}]}]})"),
         "bad.json: /elements/12345/components/0/properties/0/text: the key \"text\" appears twice in one "
         "object"},
        {"cells nested one level too deep", SheetWith(NestedCellJson(MaxCellNesting + 1)),
         "bad.json: /elements/0" + Repeated("/components/0", MaxCellNesting) +
             ": cells nest deeper than 64 levels here (this cell is level 65)"},
        // Refused by the JSON reader before any cell is looked at: object and components
        // array of cell n lie at nesting 2n + 1 and 2n + 2, so cell 256 is the 513th level.
        {"cells nested a thousand deep", SheetWith(NestedCellJson(1000)),
         "bad.json: /elements/0" + Repeated("/components/0", 255) +
             ": arrays and objects nest deeper than 512 levels here"},
        {"arrays nested too deep",
         R"({"format": "zkl-sheet", "version": 1, "views": )" + Repeated("[", 100000) +
             Repeated("]", 100000) + "}",
         "bad.json: /views" + Repeated("/0", 511) + ": arrays and objects nest deeper than 512 levels here"},
    };
    for (const auto& c : cases) {
        try {
            (void)ParseSheet(c.json, "bad.json", ".");
            ADD_FAILURE() << c.fault << ": the sheet was accepted";
        } catch (const SheetError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u)
                << c.fault << "\n  got:      " << error.what() << "\n  expected: " << c.message << "...";
        }
    }
}

TEST(SheetFile, CellsNestedToTheLimitLoadSaveAndLoadAgain) {
    const cad::Drawing drawing = ParseSheet(SheetWith(NestedCellJson(MaxCellNesting)), "deep.json", ".");
    const Element& cell = drawing.activeModel.Get(1);
    EXPECT_EQ(CellNesting(cell), MaxCellNesting);
    const std::string saved = SerializeSheet(drawing, ".");
    const cad::Drawing again = ParseSheet(saved, "deep.json", ".");
    EXPECT_EQ(again.activeModel.Get(1), cell);
    EXPECT_EQ(SerializeSheet(again, "."), saved);
}

TEST(SheetFile, JsonSyntaxErrorsNameLineAndColumn) {
    struct Case {
        std::string json;
        std::string location;
    };
    const std::vector<Case> cases{
        {"{\n  \"format\": \"zkl-sheet\",\n  \"version\": 1,\n  \"levels\": [}\n}", "line 4, column 14"},
        {"{\"format\": \"zkl-sheet\",\n \"version\": 1,,\n}", "line 2, column 15"},
        {"{\"text\": \"\xc3\xa9\xc3\xa9\" x}", "line 1, column 15"},
        {"{\"format\": \"zkl-sheet\", \"version\": 1", "line 1, column 37"},
        {"{\"format\": \"zkl-sheet\",\n\"version\": 1e400}", "line 2, column 12"},
    };
    for (const auto& c : cases) {
        try {
            (void)ParseSheet(c.json, "syntax.json", ".");
            ADD_FAILURE() << "accepted: " << c.json;
        } catch (const SheetError& error) {
            EXPECT_EQ(error.Location(), c.location) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind("syntax.json: " + c.location + ": ", 0), 0u)
                << error.what();
        }
    }
}

TEST(SheetFile, MissingFileIsReportedWithItsName) {
    try {
        (void)LoadSheet("/no/such/folder/plant.json");
        FAIL() << "a missing file was loaded";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("/no/such/folder/plant.json"), std::string::npos)
            << error.what();
    }
}

TEST_F(SheetFileTest, FailedSaveLeavesTheExistingFileUntouched) {
    const fs::path target = folder_ / "sheet.json";
    cad::Drawing drawing = LoadSheet(DataDir / "sheet_all_elements.json");
    SaveSheet(drawing, target);
    const std::string before = ReadWholeFile(target);

    // A number JSON cannot hold refuses the save before anything is written.
    Element bad = MakeLine({0, 0, 0}, {1, 0, 0});
    bad.id = 99;
    bad.symbology.level = "Pipes";
    bad.properties.push_back({"LENGTH_EFFECTIVE", std::nan("")});
    drawing.Insert(ActiveModelId, bad);
    try {
        SaveSheet(drawing, target);
        FAIL() << "a NaN coordinate was saved";
    } catch (const SheetError& error) {
        EXPECT_NE(std::string(error.what()).find("/elements/7/properties/0/number"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(ReadWholeFile(target), before);

    EXPECT_THROW(SaveSheet(drawing, folder_ / "missing" / "sheet.json"), FileError);
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

TEST(SheetFile, MacroProjectPathIsResolvedAtLoadAndWrittenRelativeWhenPossible) {
    const std::string sheet = R"({"format": "zkl-sheet", "version": 1, "macroProjectPath": ")";
    const fs::path root = fs::temp_directory_path() / "zkl_projects";

    const cad::Drawing relative = ParseSheet(sheet + R"(../macros/./ZKL.mvba"})", "a.json", root / "sheets");
    EXPECT_EQ(relative.macroProjectPath, (root / "macros" / "ZKL.mvba").string());
    const cad::Drawing absolute = ParseSheet(sheet + R"(/opt/zkl/ZKL.mvba"})", "a.json", root / "sheets");
    EXPECT_EQ(absolute.macroProjectPath, "/opt/zkl/ZKL.mvba");

    const auto written = [](const cad::Drawing& drawing, const fs::path& folder) {
        const std::string text = SerializeSheet(drawing, folder);
        const std::string key = "\"macroProjectPath\": \"";
        const std::size_t start = text.find(key) + key.size();
        return text.substr(start, text.find('"', start) - start);
    };
    EXPECT_EQ(written(relative, root / "sheets"), "../macros/ZKL.mvba");
    EXPECT_EQ(written(relative, root / "macros"), "ZKL.mvba");
    EXPECT_EQ(written(relative, root / "out" / "deep"), "../../macros/ZKL.mvba");
    // Sharing only the root: a relative path would break as soon as the sheet moved.
    EXPECT_EQ(written(absolute, root / "sheets"), "/opt/zkl/ZKL.mvba");
    EXPECT_EQ(written(relative, "/var/sheets"), (root / "macros" / "ZKL.mvba").string());

    // Written from one folder, read in another: the same file again.
    const cad::Drawing moved = ParseSheet(SerializeSheet(relative, root / "out"), "b.json", root / "out");
    EXPECT_EQ(moved.macroProjectPath, relative.macroProjectPath);
}

}  // namespace
}  // namespace zkl::io
