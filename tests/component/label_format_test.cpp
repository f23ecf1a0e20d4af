// The label format language evaluated for a pipe (values, literals, elevations, missing
// properties) and the item-row matching that classifies a component.
#include "component/label_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "plant_components.h"

namespace zkl {
namespace {

// A horizontal pipe 1001-P, DN 150, service SW, centreline 2350 above the plant origin.
Element Pipe(PropertyList extra = {}) {
    PropertyList properties = {{"EC_CLASS_NAME", "PIPE"},
                               {"PIPELINE", "1001-P"},
                               {"SERVICE", "SW"},
                               {"OUTSIDE_DIAMETER", 219.1},
                               {"LENGTH_EFFECTIVE", 2.0}};
    properties.insert(properties.end(), extra.begin(), extra.end());
    return test::PlantComponent({{0, 0, 2350}}, std::move(properties));
}

class LabelFormatTest : public ::testing::Test {
protected:
    // Unit factors 1 : 0.01 undo the division of coordinates by 100.
    test::PlantSession session{test::PlantDrawing(cad::test::Translation({500, 300, 0}), 0.01)};
    mdlOPM_Labeller& module = session.module;
    ItemRows rows = test::ClassRows();
};

TEST_F(LabelFormatTest, EvaluatesTheWorkedExamples) {
    const Element pipe = Pipe({{"NOMINAL_DIAMETER", 150.0}});
    struct Case {
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {R"([PIPELINE]&"-"&[NOMINAL_DIAMETER])", "1001-P-150"},
        {R"([PIPELINE]&"-"&[NOMINAL_DIAMETER]&{EL})", "1001-P-150 EL+2350"},
        {R"([pipeline]&"-"&[Nominal_Diameter])", "1001-P-150"},
        {R"([PIPELINE]&{BOP})", "1001-P BOP EL+2240"},
        {R"([PIPELINE]&{bop})", "1001-P EL+2350"},  // keywords keep their case
        {R"([PIPELINE]&[SERVICE])", "1001-PSW"},
        {R"(  [PIPELINE]  &  [SERVICE]  )", "1001-PSW"},
        {R"([PIPELINE]&" / "&[SERVICE])", "1001-P / SW"},  // a literal keeps its inner spaces
        {R"([PIPELINE]&"A&B")", "1001-P"},                 // "&" cuts the literal; both halves go
        {R"("Line"&PIPELINE&[SERVICE)", "Line"},           // plain words and one delimiter add nothing
        {R"([&"&{&})", ""},                                // single characters add nothing
        {R"("")", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EvaluateLabelFormat(module, pipe, rows, c.format), c.expected) << c.format;
    EXPECT_EQ(module.invalidPropertyList, ",");
}

TEST_F(LabelFormatTest, MissingPropertyDiscardsTextBuiltSoFarAndIsRecordedOnce) {
    const Element pipe = Pipe();
    EXPECT_EQ(EvaluateLabelFormat(module, pipe, rows, R"([PIPELINE]&"-"&[NOMINAL_DIAMETER])"), "");
    EXPECT_EQ(EvaluateLabelFormat(module, pipe, rows, R"([PIPELINE]&[nominal_diameter]&" "&[SERVICE])"),
              " SW");
    EXPECT_EQ(module.invalidPropertyList, ",NOMINAL_DIAMETER,");
    EXPECT_EQ(EvaluateLabelFormat(module, pipe, rows, "[INSULATION]&[PIPELINE]"), "1001-P");
    EXPECT_EQ(module.invalidPropertyList, ",NOMINAL_DIAMETER,INSULATION,");
}

TEST_F(LabelFormatTest, ElevationThatCannotBeComputedAddsNothing) {
    const Element pipe = Pipe();
    module.settings.PlantOriginOffset = "0,0";
    EXPECT_EQ(EvaluateLabelFormat(module, pipe, rows, R"([PIPELINE]&{EL}&"!")"), "1001-P!");
}

TEST_F(LabelFormatTest, LastMatchingRowWinsAndEveryRowIsEvaluated) {
    const Element pipe = Pipe();
    const ItemRows matching = {
        {"[MISSING_BEFORE]", "*", "", 0, "EQUIPMENT"},
        {"[EC_CLASS_NAME]", "PIPE*,VALVE", "", 0, "STRAIGHT"},
        {"[EC_CLASS_NAME]", "ELBOW,PIPE", "", 0, "TURN90"},
        {"[MISSING_AFTER]", "ELBOW", "", 0, "TEE"},
    };
    EXPECT_EQ(FindItemRow(module, pipe, matching), 2);
    EXPECT_EQ(GetComponentClass(module, pipe, matching), "TURN90");
    // The failed reads emptied the match text of rows 0 and 3; row 0 still matched "*".
    EXPECT_EQ(module.invalidPropertyList, ",MISSING_BEFORE,MISSING_AFTER,");
}

TEST_F(LabelFormatTest, PatternsAreComparedAsWritten) {
    const Element pipe = Pipe();
    struct Case {
        const char* matchFormat;
        const char* patterns;
        std::optional<std::size_t> expected;
    };
    const Case cases[] = {
        {"[EC_CLASS_NAME]", "ELBOW, PIPE", std::nullopt},  // the second pattern begins with a space
        {"[EC_CLASS_NAME]", "ELBOW,PIPE", 0},
        {"[EC_CLASS_NAME]", "pipe", std::nullopt},
        {"[EC_CLASS_NAME]", "", std::nullopt},  // no patterns at all never match
        {"", "", std::nullopt},
        {"", "*", 0},  // "*" takes the empty match text
        {"", "ELBOW,", 0},
    };
    for (const Case& c : cases) {
        const ItemRows one = {{c.matchFormat, c.patterns, "", 0, "STRAIGHT"}};
        EXPECT_EQ(FindItemRow(module, pipe, one), c.expected)
            << "'" << c.matchFormat << "' / '" << c.patterns << "'";
    }
    EXPECT_EQ(GetComponentClass(module, pipe, {ItemRow{}}), "");
}

TEST_F(LabelFormatTest, ElevationInAMatchFormatDoesNotClassifyByItself) {
    // Classifying needs the match text and the elevation needs the class: the token is
    // left out of match texts instead of asking for itself.
    const ItemRows selfReferring = {{"[PIPELINE]&{EL}", "1001-P", "", 0, "STRAIGHT"}};
    EXPECT_EQ(FindItemRow(module, Pipe(), selfReferring), 0);
}

TEST_F(LabelFormatTest, RowsBeyondSixteenBitIndexesAreFoundWhereTheyAre) {
    // Only the last row matches; an index that wrapped would pick an early row or none.
    for (const std::size_t count : {32768u, 40001u, 65539u}) {
        ItemRows many(count, ItemRow{"[EC_CLASS_NAME]", "VALVE", "", 0, "STRAIGHT"});
        many.back() = {"[EC_CLASS_NAME]", "PIPE", "[PIPELINE]", 0, "TURN90"};
        EXPECT_EQ(FindItemRow(module, Pipe(), many), count - 1) << count;
        EXPECT_EQ(GetComponentClass(module, Pipe(), many), "TURN90") << count;
    }
}

}  // namespace
}  // namespace zkl
