// Guards the synthetic sheets: one seed always gives the same sheet, the requested number of
// components at a plan's density, every kind of plant part the labeller handles, graphics
// that follow the placement rule of the example sheet, and rows of the example
// configuration that match every component.
#include "io/sheet_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>

#include "cad/cad_host.h"
#include "component/label_format.h"
#include "component/wildcard.h"
#include "io/plant_cells.h"
#include "io/sheet_file.h"
#include "settings/labeller_module.h"
#include "settings/settings_file.h"

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

cad::Drawing Generate(int components, std::uint32_t seed, bool border = true) {
    SheetGeneratorOptions options;
    options.components = components;
    options.seed = seed;
    options.border = border;
    return GenerateSheet(options);
}

using namespace zkl::testing;

std::vector<Element> PlantCells(const cad::Drawing& sheet) {
    std::vector<Element> cells;
    for (const auto& [id, entry] : sheet.Model(1).Entries())
        if (entry.element.Cell().name != "GRID") cells.push_back(entry.element);
    return cells;
}

TEST(SheetGenerator, SameSeedGivesTheSameSheetAndAnotherSeedAnother) {
    const std::string once = SerializeSheet(Generate(150, 7), fs::temp_directory_path());
    EXPECT_EQ(SerializeSheet(Generate(150, 7), fs::temp_directory_path()), once);
    EXPECT_NE(SerializeSheet(Generate(150, 8), fs::temp_directory_path()), once);
    // What is written is what is read back.
    const cad::Drawing reread = ParseSheet(once, "generated", fs::temp_directory_path());
    EXPECT_EQ(SerializeSheet(reread, fs::temp_directory_path()), once);
}

TEST(SheetGenerator, HoldsExactlyTheComponentsAskedForAtAPlansDensity) {
    for (const int count : {1, 7, 100, 2000}) {
        SCOPED_TRACE(count);
        const cad::Drawing sheet = Generate(count, 3);
        ASSERT_EQ(sheet.attachments.size(), 1u);
        EXPECT_EQ(PlantCells(sheet).size(), static_cast<std::size_t>(count));
        const Range plant = sheet.AttachmentRange(1);
        EXPECT_GT(plant.low.x, 40.0) << "Automatic Place draws borders right of x = 40 only";
        if (count >= 100) {
            const double area = (plant.high.x - plant.low.x) * (plant.high.y - plant.low.y);
            EXPECT_GT(area / count, 800.0);
            EXPECT_LT(area / count, 4000.0);
        }
    }
    EXPECT_THROW(Generate(0, 1), std::invalid_argument);
}

TEST(SheetGenerator, DrawsOneBorderAroundThePlantOrNoneWhenAskedNotTo) {
    for (const bool border : {true, false}) {
        const cad::Drawing sheet = Generate(50, 2, border);
        int borders = 0;
        for (const auto& [id, entry] : sheet.activeModel.Entries())
            if (entry.element.type == ElementType::Shape && entry.element.symbology.level == "ZKL_Border") {
                ++borders;
                EXPECT_TRUE(sheet.AttachmentRange(1).Overlaps2d(sheet.RangeOf(entry.element)));
            }
        EXPECT_EQ(borders, border ? 1 : 0);
        EXPECT_NO_THROW((void)sheet.FindLineStyle("6"));
        EXPECT_NO_THROW((void)sheet.FindTextStyle("ZKL_Text"));
        EXPECT_NO_THROW((void)sheet.FindDimensionStyle("ZKL_Dim"));
    }
}

TEST(SheetGenerator, EveryKindOfPartIsThereDrawnByThePlacementRule) {
    const cad::Drawing sheet = Generate(600, 5);
    std::map<std::string, int> kinds;
    int risers = 0;
    for (const Element& cell : PlantCells(sheet)) {
        const auto className = Find(cell, "EC_CLASS_NAME");
        if (!className) {
            EXPECT_EQ(cell.Cell().name, "EQUIPMENT");
            EXPECT_TRUE(Find(cell, "EQUIPMENT_LOCATION"));
            ++kinds["EQUIPMENT"];
            continue;
        }
        const std::string kind = className->Text();
        SCOPED_TRACE(cell.Describe() + " " + kind);
        ++kinds[kind];
        const Frame f = FrameOf(cell);
        EXPECT_NEAR(Length(f.x), 1.0, 1e-9);
        EXPECT_NEAR(Dot(f.x, f.y), 0.0, 1e-9);
        EXPECT_TRUE(Near(Cross(f.x, f.y), f.z)) << "axes must be right-handed";
        EXPECT_TRUE(Near(cell.Cell().origin, ToModel(f.origin)));
        if (kind == "PIPE") {
            EXPECT_TRUE(
                HasLineBetween(cell, ToModel(f.origin),
                               ToModel(f.origin + f.x * (NumberOf(cell, "LENGTH_EFFECTIVE") * 1000))));
            if (std::abs(f.x.z) == 1) ++risers;
        } else if (kind == "PIPE_ELBOW_90_DEGREE_LONG_RADIUS") {
            const double r = NumberOf(cell, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE") * 1000;
            EXPECT_TRUE(HasLineBetween(cell, ToModel(f.origin), ToModel(f.origin + f.x * r + f.z * r)));
        } else if (kind == "PIPE_EQUAL_TEE") {
            const Point centre =
                f.origin + f.x * (NumberOf(cell, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE") * 1000);
            const double run = NumberOf(cell, "DESIGN_LENGTH_CENTER_TO_OUTLET_END_EFFECTIVE") * 1000;
            const double branch = NumberOf(cell, "DESIGN_LENGTH_CENTER_TO_BRANCH_END_EFFECTIVE") * 1000;
            EXPECT_TRUE(HasLineBetween(cell, ToModel(f.origin), ToModel(centre + f.x * run)));
            EXPECT_TRUE(HasLineBetween(cell, ToModel(centre), ToModel(centre + f.z * branch)));
        } else if (kind == "ECCENTRIC_PIPE_REDUCER") {
            EXPECT_FALSE(Find(cell, "OUTSIDE_DIAMETER")) << "the diameters belong to the reducer's parts";
            std::vector<double> diameters;
            for (const auto& part : cell.Cell().components)
                if (auto d = Find(part, "OUTSIDE_DIAMETER")) diameters.push_back(d->Number());
            ASSERT_EQ(diameters.size(), 2u);
            const Point end = f.origin + f.x * (NumberOf(cell, "LENGTH_EFFECTIVE") * 1000) -
                              f.z * (std::abs(diameters[1] - diameters[0]) / 2);
            EXPECT_TRUE(HasLineBetween(cell, ToModel(f.origin), ToModel(end)));
            EXPECT_LT(NumberOf(cell, "SECONDARY_NOMINAL_DIAMETER"), NumberOf(cell, "NOMINAL_DIAMETER"));
        } else {
            ADD_FAILURE() << "unexpected class";
        }
    }
    for (const char* kind : {"PIPE", "PIPE_ELBOW_90_DEGREE_LONG_RADIUS", "PIPE_EQUAL_TEE",
                             "ECCENTRIC_PIPE_REDUCER", "EQUIPMENT"})
        EXPECT_GE(kinds[kind], 5) << kind;
    EXPECT_GE(risers, 5);
}

TEST(SheetGenerator, ExampleConfigurationRowsMatchEveryComponentAndTheGridCell) {
    cad::CadHost host(Generate(300, 9));
    mdlOPM_Labeller module(host);
    ItemRows labelItems, dimItems;
    LoadSettingsFile(fs::path(ZKL_EXAMPLES_DIR) / "ZKL_Labeller.ini", module, nullptr, labelItems, dimItems,
                     "", true);
    int grids = 0;
    for (const auto& [id, entry] : host.GetDrawing().Model(1).Entries()) {
        Element cell = entry.element;
        cell.model = 1;
        if (cell.Cell().name == "GRID") {
            ++grids;
            EXPECT_TRUE(MatchesWildcard(cell.Cell().name, module.settings.GridCellName));
            continue;
        }
        const std::optional<std::size_t> row = FindItemRow(module, cell, labelItems);
        ASSERT_TRUE(row) << cell.Describe();
        EXPECT_FALSE(EvaluateLabelFormat(module, cell, labelItems, labelItems[*row].LabelFormat).empty())
            << cell.Describe();
    }
    EXPECT_EQ(grids, 1);
}

}  // namespace
}  // namespace zkl::io
