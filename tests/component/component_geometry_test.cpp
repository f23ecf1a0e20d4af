// Key points of each component class, mapped through a rotated and shifted attachment;
// the eccentric offset in either diameter order; failures that name the property; and the
// inclusive 2D range test.
#include "component/component_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/numbers.h"
#include "plant_components.h"

namespace zkl {
namespace {

// The plant model is turned a quarter counter-clockwise and shifted by (1000, 500, 20).
Point ExpectedInActive(const Point& stored) {
    const Point divided{stored.x / 100, stored.y / 100, stored.z / 100};
    return {-divided.y + 1000, divided.x + 500, divided.z + 20};
}

// Placed with its local x along the plant's y, local y along -x, local z up.
const test::Placement Turned{{100, 200, 300}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};

// An eccentric reducer: a cell with the placement and length, whose two parts carry the
// outside diameters.
Element Reducer(const test::Placement& placement, double firstDiameter, double secondDiameter) {
    Element reducer = MakeCell("Reducer", {}, {});
    Element part = MakeLine({0, 0, 0}, {1, 0, 0});
    for (double diameter : {firstDiameter, secondDiameter}) {
        part.properties = {{"OUTSIDE_DIAMETER", diameter}};
        reducer.Cell().components.push_back(part);
    }
    reducer.id = test::ComponentId;
    reducer.model = test::PlantModel;
    reducer.properties = test::PlantComponent(placement, {{"LENGTH_EFFECTIVE", 0.4}}).properties;
    reducer.properties.push_back({"EC_CLASS_NAME", "ECCENTRIC_PIPE_REDUCER"});
    return reducer;
}

class ComponentGeometryTest : public ::testing::Test {
protected:
    test::PlantSession session{test::PlantDrawing(cad::test::QuarterTurnThenShift({1000, 500, 20}), 0.01)};
    mdlOPM_Labeller& module = session.module;
    ItemRows rows = test::ClassRows();
};

TEST_F(ComponentGeometryTest, KeyPointsOfEachClassEndWithTheAnchor) {
    struct Case {
        Element element;
        std::vector<Point> expected;  // in the plant model, before the division by 100
    };
    const Point o = Turned.origin;
    const auto component = [](const char* ecClass, PropertyList properties) {
        properties.push_back({"EC_CLASS_NAME", ecClass});
        return test::PlantComponent(Turned, std::move(properties));
    };
    const std::vector<Case> cases = {
        {component("PIPE", {{"LENGTH_EFFECTIVE", 0.5}}), {o, {100, 700, 300}, {100, 450, 300}}},
        {component("PIPE_ELBOW_90", {{"DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", 0.2}}),
         {o, {100, 400, 500}, {100, 400, 300}}},
        {component("PIPE_TEE", {{"DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", 0.1},
                                {"DESIGN_LENGTH_CENTER_TO_OUTLET_END_EFFECTIVE", 0.12},
                                {"DESIGN_LENGTH_CENTER_TO_BRANCH_END_EFFECTIVE", 0.15}}),
         {o, {100, 420, 300}, {100, 300, 450}, {100, 300, 300}}},
        {Reducer(Turned, 219.1, 168.3),
         // E = |168.3 - 219.1| / 2 * 1000 = 25400, the far end E below the axis.
         {o, {100, 600, 300 - 25400}, {100, 400, 300 - 12700}}},
        {component("PUMP", {{"LENGTH_EFFECTIVE", 0.5}}), {o}},
        {component("GATE_VALVE", {{"LENGTH_EFFECTIVE", 0.5}}), {o}},  // "straight" is not "STRAIGHT"
        {component("UNLISTED", {}), {o}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element.properties.back().value.ToText());
        const std::vector<Point> points = GetComponentPoints(module, c.element, rows);
        ASSERT_EQ(points.size(), c.expected.size());
        for (std::size_t i = 0; i < points.size(); ++i)
            test::ExpectNear(points[i], ExpectedInActive(c.expected[i]));
    }
}

TEST_F(ComponentGeometryTest, EccentricOffsetDoesNotDependOnTheOrderOfTheDiameters) {
    const std::vector<Point> wideFirst = GetComponentPointsOfClass(module, Reducer({}, 219.1, 168.3), "ECC");
    const std::vector<Point> narrowFirst =
        GetComponentPointsOfClass(module, Reducer({}, 168.3, 219.1), "ECC");
    ASSERT_EQ(wideFirst.size(), 3u);
    ASSERT_EQ(narrowFirst.size(), 3u);
    test::ExpectNear(wideFirst[1], ExpectedInActive({400, 0, -25400}));
    test::ExpectNear(narrowFirst[1], wideFirst[1]);
    test::ExpectNear(narrowFirst[2], ExpectedInActive({200, 0, -12700}));
}

TEST_F(ComponentGeometryTest, UnusableValuesFailNamingThePropertyAndElement) {
    struct Case {
        const char* componentClass;
        PropertyList properties;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"STRAIGHT", {}, "property LENGTH_EFFECTIVE of element 42 is '' (not a number)"},
        {"TURN90",
         {{"DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", 0.0}},
         "property DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE of element 42 is '' (not a number)"},
        {"ECC",
         {{"OUTSIDE_DIAMETER", 219.1}, {"LENGTH_EFFECTIVE", 0.4}},
         "property OUTSIDE_DIAMETER of element 42 is '219.1' (needs two diameters)"},
        {"STRAIGHT",
         {{"LENGTH_EFFECTIVE", "0.5 m"}},
         "property LENGTH_EFFECTIVE of element 42 is '0.5 m' (not a number)"},
    };
    for (const Case& c : cases) {
        try {
            GetComponentPointsOfClass(module, test::PlantComponent(Turned, c.properties), c.componentClass);
            ADD_FAILURE() << c.message;
        } catch (const ConversionError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
    Element inActiveModel = test::PlantComponent(Turned, {});
    inActiveModel.model = ActiveModelId;
    EXPECT_THROW(GetComponentPointsOfClass(module, inActiveModel, "EQUIPMENT"), HostError);
}

TEST(ComponentGeometry, PointInRangeIsInclusiveAndIgnoresHeight) {
    const Point low{0, 0, 0};
    const Point high{10, 5, 0};
    struct Case {
        Point point;
        bool inside;
    };
    const Case cases[] = {
        {{5, 2, 0}, true},       {{0, 0, 0}, true},       {{10, 5, 0}, true},  {{10, 0, 99}, true},
        {{10.001, 2, 0}, false}, {{5, -0.001, 0}, false}, {{-1, 6, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PointInRange(c.point, low, high), c.inside)
            << c.point.x << ", " << c.point.y << ", " << c.point.z;
}

}  // namespace
}  // namespace zkl
