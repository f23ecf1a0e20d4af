// Guards the bundled example sheet: its tables, border and attachment are what the demos
// rely on, and every plant component's graphics agree with the key-point rule its
// properties imply (origin and axes from TRANSFORMATION_MATRIX in mm, design lengths in m,
// attached-model coordinates = mm / 100).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "io/plant_cells.h"
#include "io/sheet_file.h"

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

const fs::path ExampleSheet = fs::path(ZKL_EXAMPLES_DIR) / "demo_sheet.json";

class DemoSheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { drawing_ = new cad::Drawing(LoadSheet(ExampleSheet)); }
    static void TearDownTestSuite() {
        delete drawing_;
        drawing_ = nullptr;
    }
    static const cad::Drawing& Sheet() { return *drawing_; }

    static const Element& Border() {
        const Element* border = nullptr;
        for (const auto& [id, entry] : Sheet().activeModel.Entries())
            if (entry.element.type == ElementType::Shape && entry.element.symbology.level == "ZKL_Border") {
                EXPECT_EQ(border, nullptr) << "the example has one drawing area";
                border = &entry.element;
            }
        if (!border) throw std::runtime_error("the example has no border shape");
        return *border;
    }

private:
    static inline cad::Drawing* drawing_ = nullptr;
};

using namespace zkl::testing;

std::vector<const Element*> ComponentCells(const cad::Drawing& sheet) {
    std::vector<const Element*> cells;
    for (const auto& [id, entry] : sheet.Model(1).Entries())
        if (entry.element.IsCell() && Find(entry.element, "EC_CLASS_NAME")) cells.push_back(&entry.element);
    return cells;
}

TEST_F(DemoSheetTest, HasTheTablesAndSettingsTheDemosUse) {
    std::set<std::string> levels;
    for (const auto& level : Sheet().levels) levels.insert(level.name);
    for (const char* name : {"Default", "ZKL_Border", "ZKL_Label", "ZKL_Dim", "Pipes", "Equipment", "Grid"})
        EXPECT_EQ(levels.count(name), 1u) << name;
    EXPECT_EQ(Sheet().FindTextStyle("ZKL_Text").height, 2.5);
    EXPECT_EQ(Sheet().FindTextStyle("ZKL_Text").width, 2.0);
    EXPECT_GE(Sheet().textStyles.size(), 2u);
    EXPECT_NO_THROW((void)Sheet().FindDimensionStyle("ZKL_Dim"));
    EXPECT_TRUE(Sheet().FindLineStyle("0").dashes.empty());
    EXPECT_FALSE(Sheet().FindLineStyle("2").dashes.empty());
    EXPECT_FALSE(Sheet().FindLineStyle("6").dashes.empty());
    EXPECT_EQ(Sheet().activeUnitFactor, 100.0);
    EXPECT_EQ(fs::path(Sheet().macroProjectPath), fs::path(ZKL_EXAMPLES_DIR) / "ZKL_Labeller.mvba");
}

TEST_F(DemoSheetTest, BorderAndViewsLieOnTheSheetAndThePlantStartsRightOfX40) {
    const Range border = Sheet().RangeOf(Border());
    EXPECT_GT(border.low.x, 0);
    EXPECT_GT(border.low.y, 0);
    EXPECT_LT(border.high.x, 420);
    EXPECT_LT(border.high.y, 297);
    for (int view = 1; view <= cad::ViewCount; ++view) {
        const ViewArea& area = Sheet().View(view);
        EXPECT_LE(area.origin.x, 0) << "view " << view;
        EXPECT_LE(area.origin.y, 0) << "view " << view;
        EXPECT_GE(area.origin.x + area.extent.x, 420) << "view " << view;
        EXPECT_GE(area.origin.y + area.extent.y, 297) << "view " << view;
    }
    ASSERT_EQ(Sheet().attachments.size(), 1u);
    const cad::Attachment& plant = Sheet().attachments[0];
    EXPECT_EQ(plant.name, "PlantModel");
    EXPECT_EQ(plant.unitFactor, 1.0);
    EXPECT_EQ(plant.scaleDivisor, 1.0);
    EXPECT_TRUE(plant.displayed);
    EXPECT_GT(Sheet().AttachmentRange(1).low.x, 40.0);
}

TEST_F(DemoSheetTest, ComponentGraphicsAgreeWithTheirProperties) {
    std::map<std::string, int> classes;
    for (const Element* cell : ComponentCells(Sheet())) {
        const std::string className = Find(*cell, "EC_CLASS_NAME")->Text();
        SCOPED_TRACE(cell->Describe() + " " + className);
        ++classes[className];
        const Frame f = FrameOf(*cell);
        EXPECT_NEAR(Length(f.x), 1.0, 1e-6);
        EXPECT_NEAR(Dot(f.x, f.y), 0.0, 1e-6);
        EXPECT_TRUE(Near(Cross(f.x, f.y), f.z)) << "axes must be right-handed";
        EXPECT_TRUE(Near(cell->Cell().origin, ToModel(f.origin)));
        ASSERT_TRUE(Find(*cell, "PIPELINE"));
        if (className == "PIPE") {
            const Point end = f.origin + f.x * (NumberOf(*cell, "LENGTH_EFFECTIVE") * 1000);
            EXPECT_TRUE(HasLineBetween(*cell, ToModel(f.origin), ToModel(end)));
        } else if (className == "PIPE_ELBOW_90_DEGREE_LONG_RADIUS") {
            const double r = NumberOf(*cell, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE") * 1000;
            EXPECT_TRUE(HasLineBetween(*cell, ToModel(f.origin), ToModel(f.origin + f.x * r + f.z * r)));
        } else if (className == "PIPE_EQUAL_TEE") {
            const Point centre =
                f.origin + f.x * (NumberOf(*cell, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE") * 1000);
            const double run = NumberOf(*cell, "DESIGN_LENGTH_CENTER_TO_OUTLET_END_EFFECTIVE") * 1000;
            const double branch = NumberOf(*cell, "DESIGN_LENGTH_CENTER_TO_BRANCH_END_EFFECTIVE") * 1000;
            EXPECT_TRUE(HasLineBetween(*cell, ToModel(f.origin), ToModel(centre + f.x * run)));
            EXPECT_TRUE(HasLineBetween(*cell, ToModel(centre), ToModel(centre + f.z * branch)));
        } else if (className == "ECCENTRIC_PIPE_REDUCER") {
            EXPECT_FALSE(Find(*cell, "OUTSIDE_DIAMETER")) << "the diameters belong to the reducer's parts";
            std::vector<double> diameters;
            for (const auto& part : cell->Cell().components)
                if (auto diameter = Find(part, "OUTSIDE_DIAMETER")) diameters.push_back(diameter->Number());
            ASSERT_EQ(diameters, (std::vector<double>{219.1, 168.3}));
            const double offset = std::abs(diameters[1] - diameters[0]) / 2;
            const Point end = f.origin + f.x * (NumberOf(*cell, "LENGTH_EFFECTIVE") * 1000) - f.z * offset;
            EXPECT_TRUE(HasLineBetween(*cell, ToModel(f.origin), ToModel(end)));
        } else {
            ADD_FAILURE() << "unexpected class";
        }
    }
    EXPECT_GE(classes["PIPE"], 5);
    EXPECT_GE(classes["PIPE_ELBOW_90_DEGREE_LONG_RADIUS"], 2);
    EXPECT_EQ(classes["PIPE_EQUAL_TEE"], 1);
    EXPECT_EQ(classes["ECCENTRIC_PIPE_REDUCER"], 1);
}

TEST_F(DemoSheetTest, PipesCrossEveryBorderSideAndARiserStandsInside) {
    const Range border = Sheet().RangeOf(Border());
    const Transform3d& toActive = Sheet().attachments[0].toActive;
    std::set<std::string> crossedSides;
    int risersInside = 0, sloped = 0;
    for (const Element* cell : ComponentCells(Sheet())) {
        if (Find(*cell, "EC_CLASS_NAME")->Text() != "PIPE") continue;
        const Frame f = FrameOf(*cell);
        const Point start = toActive.Apply(ToModel(f.origin));
        const Point end =
            toActive.Apply(ToModel(f.origin + f.x * (NumberOf(*cell, "LENGTH_EFFECTIVE") * 1000)));
        const bool startInside = border.Contains2d(start), endInside = border.Contains2d(end);
        if (startInside != endInside) {
            const Point outside = startInside ? end : start;
            if (outside.x < border.low.x) crossedSides.insert("LEFT");
            if (outside.x > border.high.x) crossedSides.insert("RIGHT");
            if (outside.y < border.low.y) crossedSides.insert("BOTTOM");
            if (outside.y > border.high.y) crossedSides.insert("TOP");
        }
        if (f.x == Point{0, 0, 1} && startInside && endInside) ++risersInside;
        if (f.x.z != 0 && std::abs(f.x.z) < 0.5) ++sloped;
    }
    EXPECT_EQ(crossedSides, (std::set<std::string>{"BOTTOM", "LEFT", "RIGHT", "TOP"}));
    EXPECT_GE(risersInside, 1);
    EXPECT_GE(sloped, 1);
}

TEST_F(DemoSheetTest, EquipmentAndGridAreWhatTheLabellerRecognises) {
    int equipment = 0, grids = 0;
    for (const auto& [id, entry] : Sheet().Model(1).Entries()) {
        const Element& element = entry.element;
        SCOPED_TRACE(element.Describe());
        // These counts of access strings mark grouping objects, never components.
        for (std::size_t count : {25u, 32u, 34u, 73u, 79u}) EXPECT_NE(element.properties.size(), count);
        if (!element.IsCell() || Find(element, "EC_CLASS_NAME")) continue;
        if (element.Cell().name == "GRID") {
            ++grids;
            EXPECT_EQ(element.symbology.level, "Grid");
            std::map<std::string, std::vector<Point>> sightings;
            int lines = 0;
            for (const auto& component : element.Cell().components) {
                if (component.IsText()) sightings[component.Text().text].push_back(component.Text().origin);
                if (component.type == ElementType::Line) ++lines;
            }
            EXPECT_EQ(lines, 6);
            for (const char* name : {"A", "B", "C"}) {
                ASSERT_EQ(sightings[name].size(), 2u) << name;
                EXPECT_EQ(sightings[name][0].x, sightings[name][1].x) << name << " is a line of constant x";
            }
            for (const char* name : {"1", "2", "3"}) {
                ASSERT_EQ(sightings[name].size(), 2u) << name;
                EXPECT_EQ(sightings[name][0].y, sightings[name][1].y) << name << " is a line of constant y";
                EXPECT_NE(sightings[name][0].x, sightings[name][1].x) << name;
            }
        } else {
            ++equipment;
            EXPECT_TRUE(Find(element, "EQUIPMENT_LOCATION"));
            EXPECT_NO_THROW(FrameOf(element));
            EXPECT_TRUE(
                std::any_of(element.Cell().components.begin(), element.Cell().components.end(),
                            [](const Element& c) { return c.IsEllipse() || c.type == ElementType::Shape; }));
        }
    }
    EXPECT_EQ(grids, 1);
    EXPECT_GE(equipment, 1);
}

}  // namespace
}  // namespace zkl::io
