// Guards the bytes a saved sheet is made of. The writer was rewritten for speed; the digests
// below were taken from the writer before it, so any change in layout, key order, number
// form, escaping or the place a faulty value is reported at shows up here (the round trips in
// sheet_file_test.cpp would not see a layout that still reads back).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <functional>
#include <limits>

#include "io/atomic_file.h"
#include "io/sheet_file.h"
#include "io/sheet_generator.h"
#include "io/sheet_schema.h"

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

std::uint64_t Digest(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

// Every key the writer can leave out, set to something else, and texts that need escaping.
cad::Drawing Unusual() {
    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}, {7, "Pipes"}, {8, "Grid"}};
    drawing.lineStyles = {{"0", {}}, {"dash", {1.5, 0.25}}};
    drawing.textStyles = {{"T", 3, 1, "serif"}};
    drawing.dimensionStyles = {{"D", 2.5, 2, {3, 7, 5}}};
    drawing.activeUnitFactor = 2.5;
    drawing.activeSymbology = {"Pipes", 3, "dash", 1};
    drawing.fenceModes.overlap = false;
    drawing.fenceModes.clip = true;
    drawing.macroProjectPath = "/opt/macros/ZKL_Labeller.mvba";
    const Matrix3d quarter = Matrix3d::FromRows({0, -1, 0}, {1, 0, 0}, {0, 0, 1});
    drawing.views[3].rotation = quarter;
    drawing.views[4].origin = {1e-300, -0.0, 123456789012345678.0};

    Element text = MakeText("quote \" back \\ tab \t line \n control \x01 \xc3\xa9", {1, 2, 3}, quarter);
    auto& words = std::get<TextGeometry>(text.geometry);
    words.style = "T";
    words.justification = 7;
    words.fixedOrigin = false;
    text.properties = {{"A", 1.0}, {"B", std::string("x")}, {"C", PropertyValue()}};
    text.symbology = {"Pipes", 1, "dash", 2};
    text.locked = true;
    drawing.Add(ActiveModelId, text);
    Element dimension = MakeDimension(quarter, 3);
    auto& chain = std::get<DimensionGeometry>(dimension.geometry);
    chain.points = {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}};
    chain.segmentTexts = {"", "*", "x"};
    chain.style = "D";
    chain.offset = 4;
    chain.scale = 2;
    chain.savedValue = 18446744073709551615ULL;
    chain.options.textMargin = 6;
    drawing.Add(ActiveModelId, dimension);
    Element cell =
        MakeCell("PC", {MakeLine({0, 0, 0}, {1, 1, 0}), MakeShape({{0, 0, 0}, {1, 0, 0}, {2, 5, 0}})},
                 {5, 5, 0}, true);
    std::get<CellGeometry>(cell.geometry).scale = {2, 2, 1};
    cell.symbology = {"Grid", 2, "0", 0};
    drawing.Add(ActiveModelId, cell);
    Element line = MakeLine({0, 0, 0}, {1, 1, 0});
    line.symbology = sheet::ModelElementSymbology();
    line.properties = {{"SHORT", 1.0}};  // fits on one line
    drawing.Add(ActiveModelId, line);
    line.properties = {{"A_RATHER_LONG_ACCESS_STRING", std::string(40, 'x')}, {"B", 2.0}};  // does not
    drawing.Add(ActiveModelId, line);

    drawing.attachments.resize(3);
    drawing.attachments[0].name = "empty";
    drawing.attachments[1].name = "scaled";
    drawing.attachments[1].displayed = false;
    drawing.attachments[1].unitFactor = 0.001;
    drawing.attachments[1].toActive =
        Transform3d::FromMatrixAndTranslation(Matrix3d::FromRows({2, 0, 0}, {0, 2, 0}, {0, 0, 1}), {});
    drawing.attachments[2].name = "moved";
    drawing.attachments[2].scaleDivisor = 4;
    drawing.attachments[2].toActive = Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), {1, 2, 3});
    Element ellipse = MakeEllipse({1, 2, 3}, 4, 2, quarter);
    drawing.Add(2, ellipse);
    Element circle = MakeEllipse({1, 2, 3}, 4, 4);
    drawing.Add(3, circle);
    Element path = MakeLineString(std::vector<Point>(12, Point{123.456, -789.012, 3.5}));
    drawing.Add(3, path);
    return drawing;
}

cad::Drawing Generated(int components, std::uint32_t seed, bool border) {
    SheetGeneratorOptions options;
    options.components = components;
    options.seed = seed;
    options.border = border;
    options.macroProjectPath = "/opt/macros/ZKL_Labeller.mvba";  // the same text from any folder
    return GenerateSheet(options);
}

TEST(SheetWriter, WritesTheSameBytesAsBefore) {
    const struct {
        const char* name;
        std::function<cad::Drawing()> drawing;
        std::uint64_t digest;
        std::size_t size;
    } cases[] = {
        {"unusual", Unusual, 0xfe5d3c6a41cfda47ULL, 4188},
        {"1 component", [] { return Generated(1, 1, true); }, 0x165cb3e7771e79e4ULL, 7506},
        {"100 components, no border", [] { return Generated(100, 2, false); }, 0x1daca7e9dfcff3ecULL, 298372},
        {"1000 components", [] { return Generated(1000, 3, true); }, 0x499ea4280c42dc15ULL, 2913861},
    };
    for (const auto& c : cases) {
        const std::string text = SerializeSheet(c.drawing(), "/");
        EXPECT_EQ(text.size(), c.size) << c.name;
        EXPECT_EQ(Digest(text), c.digest) << c.name;
    }
}

TEST(SheetWriter, RefusesTheFirstValueItCannotWriteWithItsPlace) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        std::function<void(cad::Drawing&)> spoil;
        std::string message;
    } cases[] = {
        {"view", [&](cad::Drawing& d) { d.views[2].extent.x = nan; },
         "sheet: /views/2/extent/0: cannot write the number nan (only finite numbers can be stored)"},
        {"attachment", [&](cad::Drawing& d) { d.attachments[1].unitFactor = infinity; },
         "sheet: /attachments/1/unitFactor: cannot write the number inf (only finite numbers can be stored)"},
        {"text",
         [](cad::Drawing& d) {
             Element text = MakeText("bad \xff", {0, 0, 0});
             d.Add(ActiveModelId, text);
         },
         "sheet: /elements/5/text: cannot write text that is not valid UTF-8"},
        {"first of two",
         [&](cad::Drawing& d) {
             Element text = MakeText("ok", {0, -infinity, 0});
             text.properties = {{"P", nan}};
             d.Add(3, text);
         },
         "sheet: /attachments/2/elements/2/origin/1: cannot write the number -inf (only finite numbers can "
         "be "
         "stored)"},
        {"property",
         [&](cad::Drawing& d) {
             Element line = MakeLine({0, 0, 0}, {1, 1, 0});
             line.properties = {{"P", nan}};
             d.Add(3, line);
         },
         "sheet: /attachments/2/elements/2/properties/0/number: cannot write the number nan (only finite "
         "numbers can be stored)"},
        {"component",
         [](cad::Drawing& d) {
             Element cell = MakeCell(
                 "C", {MakeLine({0, 0, 0}, {1, 1, 0}), MakeText("\xed\xa0\x80", {0, 0, 0})}, {0, 0, 0});
             d.Add(2, cell);
         },
         "sheet: /attachments/1/elements/1/components/1/text: cannot write text that is not valid UTF-8"},
        {"macro project", [](cad::Drawing& d) { d.macroProjectPath = "\xc0\x80"; },
         "sheet: /macroProjectPath: cannot write text that is not valid UTF-8"},
    };
    for (const auto& c : cases) {
        cad::Drawing drawing = Unusual();
        c.spoil(drawing);
        try {
            SerializeSheet(drawing, ".");
            ADD_FAILURE() << c.name << ": written";
        } catch (const SheetError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.name;
        }
    }
}

TEST(SheetWriter, SavingStreamsTheSameBytesAndAFaultHalfwayLeavesTheFileAsItWas) {
    const fs::path folder = fs::temp_directory_path() / ("zkl_sheet_save_test_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path path = folder / "sheet.json";
    // Large enough for the writer to hand the text on in several pieces.
    cad::Drawing drawing = Generated(1000, 3, true);
    SaveSheet(drawing, path);
    const std::string saved = ReadWholeFile(path);
    EXPECT_EQ(saved, SerializeSheet(drawing, folder));

    // A fault in the last element of the largest model, megabytes into the text.
    ModelId largest = ActiveModelId;
    for (ModelId model = 1; model < drawing.ModelCount(); ++model)
        if (drawing.Model(model).Size() > drawing.Model(largest).Size()) largest = model;
    Element text = MakeText("bad \xff", {0, 0, 0});
    drawing.Add(largest, text);
    EXPECT_THROW(SaveSheet(drawing, path), SheetError);
    EXPECT_EQ(ReadWholeFile(path), saved);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 1) << "a temporary stayed";
    fs::remove_all(folder);
}

}  // namespace
}  // namespace zkl::io
