// Property reads through nested cells (first value or all distinct values, "0" with and
// without acceptZero) and the recognition of what a picked object stands for.
#include "component/property_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/numbers.h"
#include "plant_components.h"

namespace zkl {
namespace {

Element Part(PropertyList properties) {
    Element element = MakeLine({0, 0, 0}, {1, 0, 0});
    element.properties = std::move(properties);
    return element;
}

Element Cell(PropertyList properties, std::vector<Element> components) {
    Element cell = MakeCell("Component", std::move(components), {0, 0, 0});
    cell.properties = std::move(properties);
    return cell;
}

class PropertyTextTest : public ::testing::Test {
protected:
    cad::CadHost host{test::PlantDrawing(Transform3d::Identity())};
};

TEST_F(PropertyTextTest, SearchesNestedCellsDepthFirstForTheFirstOrAllValues) {
    // A reducer whose own record lacks the diameter; its parts carry 219.1, 219.1, 168.3.
    const Element reducer =
        Cell({{"NAME", "R1"}}, {Part({{"OUTSIDE_DIAMETER", 219.1}}),
                                Cell({}, {Part({{"OTHER", 1.0}}), Part({{"OUTSIDE_DIAMETER", 219.1}}),
                                          Part({{"OUTSIDE_DIAMETER", "168.3"}})})});
    const Element withOwnValue = Cell({{"OUTSIDE_DIAMETER", 300.0}}, {reducer});
    const Element innerFirst =
        Cell({}, {Cell({}, {Part({{"NOMINAL_DIAMETER", 150.0}})}), Part({{"NOMINAL_DIAMETER", 200.0}})});

    struct Case {
        const Element* element;
        const char* accessString;
        bool collectAll;
        const char* expected;
    };
    const Case cases[] = {
        {&reducer, "OUTSIDE_DIAMETER", false, "219.1"},
        {&reducer, "OUTSIDE_DIAMETER", true, "219.1,168.3"},  // a repeated value once, no stray comma
        {&withOwnValue, "OUTSIDE_DIAMETER", false, "300"},
        {&withOwnValue, "OUTSIDE_DIAMETER", true, "300,219.1,168.3"},
        {&innerFirst, "NOMINAL_DIAMETER", false, "150"},
        {&innerFirst, "NOMINAL_DIAMETER", true, "150,200"},
        {&reducer, "MISSING", true, ""},
        {&reducer.Cell().components[0], "NOMINAL_DIAMETER", true, ""},  // not a cell, lacks it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetPropertyText(host, *c.element, c.accessString, false, c.collectAll), c.expected)
            << c.accessString << (c.collectAll ? " (all)" : " (first)");
    }
}

TEST_F(PropertyTextTest, ZeroIsAValueOnlyWhenAccepted) {
    const Element zeroOnly = Cell({{"LENGTH_EFFECTIVE", 0.0}}, {Part({{"LENGTH_EFFECTIVE", "0"}})});
    const Element zeroThenValue = Cell(
        {{"LENGTH_EFFECTIVE", 0.0}}, {Part({{"LENGTH_EFFECTIVE", 0.0}}), Part({{"LENGTH_EFFECTIVE", 2.5}})});
    struct Case {
        const Element* element;
        bool acceptZero;
        bool collectAll;
        const char* expected;
    };
    const Case cases[] = {
        {&zeroOnly, true, false, "0"},         {&zeroOnly, false, false, ""},
        {&zeroThenValue, true, false, "0"},  // the parts are not searched
        {&zeroThenValue, true, true, "0,2.5"}, {&zeroThenValue, false, false, "2.5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetPropertyText(host, *c.element, "LENGTH_EFFECTIVE", c.acceptZero, c.collectAll),
                  c.expected)
            << "acceptZero " << c.acceptZero << ", collectAll " << c.collectAll;
    }
}

TEST_F(PropertyTextTest, NumbersReadAsTheirTextReadsBack) {
    // The number of a property is that of its text form, however the value is kept: zero
    // (and minus zero) only where accepted, else the parts' value; texts and odd values too.
    const PropertyValue values[] = {0.1 + 0.2, -0.0, 0.0, 1e300, 5e-324, -2350.0, 1e15, 123456789.125,
                                    "42.5", " 7 ", "0", "abc", ""};
    for (const PropertyValue& value : values) {
        const Element element = Cell({{"LENGTH_EFFECTIVE", value}}, {Part({{"LENGTH_EFFECTIVE", 2.5}})});
        for (const bool acceptZero : {true, false}) {
            const std::string text = GetPropertyText(host, element, "LENGTH_EFFECTIVE", acceptZero, false);
            std::optional<double> expected;
            try {
                expected = TextToDouble(text);
            } catch (const ConversionError&) {
            }
            const auto where = "value '" + value.ToText() + "', acceptZero " + std::to_string(acceptZero);
            if (!expected) {
                EXPECT_THROW(GetPropertyNumber(host, element, "LENGTH_EFFECTIVE", acceptZero), ConversionError)
                    << where;
                continue;
            }
            const double number = GetPropertyNumber(host, element, "LENGTH_EFFECTIVE", acceptZero);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(number), std::bit_cast<std::uint64_t>(*expected)) << where;
        }
    }
}

// An object carrying `count` access strings, "DESIGN_STATE" at `designStateAt` (or nowhere
// for -1), and an "EC_CLASS_NAME" among them.
Element GroupingObject(int count, int designStateAt) {
    PropertyList properties;
    for (int i = 0; i < count; ++i) {
        std::string name = i == designStateAt ? "DESIGN_STATE" : "P" + std::to_string(i);
        if (i == 1 && designStateAt != 1) name = "EC_CLASS_NAME";
        properties.push_back({name, "GROUP"});
    }
    return Part(std::move(properties));
}

TEST_F(PropertyTextTest, ObjectClassNameFollowsTheCountOfAccessStrings) {
    struct Case {
        Element element;
        const char* expected;
    };
    const Case cases[] = {
        {GroupingObject(25, 0), "AREA"},
        {GroupingObject(25, 10), "UNIT"},
        {GroupingObject(25, -1), "UNKNOWN"},  // even though it has a class name
        {GroupingObject(32, -1), "SERVICE"},
        {GroupingObject(34, -1), "ISO"},
        {GroupingObject(73, -1), "SEG"},
        {GroupingObject(79, -1), "PIPELINE"},
        {GroupingObject(26, -1), "GROUP"},
        {Part({{"NAME", "P-1"}, {"EC_CLASS_NAME", "PIPE"}}), "PIPE"},
        {Part({{"EC_CLASS_NAME", ""}}), ""},
        {Part({{"NAME", "P-101"}, {"EQUIPMENT_LOCATION", ""}}), "EQUIPMENT"},
        {Part({{"NAME", "P-101"}}), "UNKNOWN"},
        {Part({}), "UNKNOWN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetObjectClassName(host, c.element), c.expected)
            << c.element.properties.size() << " properties";
}

}  // namespace
}  // namespace zkl
