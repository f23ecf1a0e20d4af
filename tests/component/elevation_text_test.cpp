// Elevation texts of horizontal, sloped and vertical pipes and of bends, measured from the
// plant origin in the plant model's units; and the slope text of a sloped run.
#include "component/elevation_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/numbers.h"
#include "plant_components.h"

namespace zkl {
namespace {

const char* const VerticalMessage = "The component is vertical, elevation is invalid!";
const char* const SlopedMessage = "The component is sloped, working point elevation at main port!";

// A pipe along the local x axis whose start lies `height` above the model's zero.
Element Pipe(double height, double diameter, const Point& direction = {1, 0, 0}) {
    test::Placement placement{{0, 0, height}, direction, {0, 1, 0}, {0, 0, 1}};
    return test::PlantComponent(
        placement, {{"EC_CLASS_NAME", "PIPE"}, {"OUTSIDE_DIAMETER", diameter}, {"LENGTH_EFFECTIVE", 2.0}});
}

std::vector<std::string> MessageTexts(const cad::CadHost& host) {
    std::vector<std::string> texts;
    for (const Message& message : host.Messages()) {
        EXPECT_EQ(message.priority, 12);
        EXPECT_FALSE(message.alert);
        texts.push_back(message.text);
    }
    return texts;
}

class ElevationTextTest : public ::testing::Test {
protected:
    // Unit factors 1 : 0.01 undo the division of coordinates by 100, so a pipe stored at
    // 2350 is written 2350.
    test::PlantSession session{test::PlantDrawing(cad::test::Translation({500, 300, 0}), 0.01)};
    mdlOPM_Labeller& module = session.module;
    ItemRows rows = test::ClassRows();

    std::string Elevation(const Element& element, std::string_view keyword) {
        return GetElevationText(module, element, keyword, rows);
    }
};

TEST_F(ElevationTextTest, HorizontalPipeGivesCentreBottomOrTopRoundedHalfToEven) {
    struct Case {
        double height;
        double diameter;
        const char* keyword;
        const char* expected;
    };
    const Case cases[] = {
        {2350, 219.1, "EL", " EL+2350"},
        {2350, 219.1, "BOP", " BOP EL+2240"},  // 2240.45
        {2350, 219.1, "TOP", " TOP EL+2460"},  // 2459.55
        {2350, 219.1, "AUTO", " BOP EL+2240"},
        {2300, 100, "AUTO", " BOP EL+2250"},
        {2305, 100, "AUTO", " EL+2305"},     // 2255 and 2355 both end in 5
        {2312, 16, "AUTO", " TOP EL+2320"},  // bottom 2304, top 2320
        {2350, 219.1, "bop", " EL+2350"},
        {2350, 219.1, "", " EL+2350"},
        {0, 100, "EL", " EL0"},
        {-1200, 100, "EL", " EL-1200"},
        {-1200, 100, "TOP", " TOP EL-1150"},
        {2.5, 1, "EL", " EL+2"},
        {3.5, 1, "EL", " EL+4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Elevation(Pipe(c.height, c.diameter), c.keyword), c.expected)
            << c.height << " / " << c.diameter << " " << c.keyword;
    }
    EXPECT_TRUE(session.host.Messages().empty());
}

TEST_F(ElevationTextTest, HeightIsMeasuredFromThePlantOrigin) {
    module.settings.PlantOriginOffset = "10, 20 ,350";
    EXPECT_EQ(Elevation(Pipe(2700, 219.1), "EL"), " EL+2350");
    for (const char* offset : {"0,0", "350", "", "0,,350", "0,0,x"}) {
        module.settings.PlantOriginOffset = offset;
        EXPECT_THROW(Elevation(Pipe(2700, 219.1), "EL"), ConversionError) << "'" << offset << "'";
    }
}

TEST_F(ElevationTextTest, SlopedPipeGivesItsStartWithAMessage) {
    EXPECT_EQ(Elevation(Pipe(2350, 219.1, {1, 0, 0.1}), "BOP"), " WP EL+2350");
    EXPECT_EQ(Elevation(Pipe(-40, 219.1, {1, 0, -0.1}), "EL"), " WP EL-40");
    EXPECT_EQ(MessageTexts(session.host), (std::vector<std::string>{SlopedMessage, SlopedMessage}));
}

TEST_F(ElevationTextTest, VerticalPipeGivesNothingWithAMessage) {
    EXPECT_EQ(Elevation(Pipe(2350, 219.1, {0, 0, 1}), "EL"), "");
    EXPECT_EQ(MessageTexts(session.host), std::vector<std::string>{VerticalMessage});
}

TEST_F(ElevationTextTest, OnlyStraightsAndBendsHaveAnElevation) {
    Element tee = Pipe(2350, 219.1);
    tee.properties.push_back({"EC_CLASS_NAME", "PIPE_TEE"});
    tee.properties.erase(tee.properties.begin() + 12);  // the first class name
    EXPECT_EQ(Elevation(tee, "EL"), "");
    Element withoutDiameter = Pipe(2350, 0);
    EXPECT_THROW(Elevation(withoutDiameter, "EL"), ConversionError);
    EXPECT_TRUE(session.host.Messages().empty());
}

TEST(ElevationText, BendIsMeasuredAtItsCornerWhateverItsOrientation) {
    test::PlantSession session{test::PlantDrawing(cad::test::QuarterTurnThenShift({1000, 500, 20}), 0.01)};
    // The first leg rises: the corner lies R = 150 above the start.
    const test::Placement rising{{300, 700, 2350}, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}};
    const Element bend = test::PlantComponent(rising, {{"EC_CLASS_NAME", "PIPE_ELBOW_90"},
                                                       {"DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", 0.15},
                                                       {"OUTSIDE_DIAMETER", 100.0}});
    EXPECT_EQ(GetElevationText(session.module, bend, "EL", test::ClassRows()), " EL+2500");
    EXPECT_EQ(GetElevationText(session.module, bend, "AUTO", test::ClassRows()), " BOP EL+2450");
    EXPECT_TRUE(session.host.Messages().empty());
}

TEST(ElevationText, SlopeTextIsWrittenInEachFormat) {
    struct Case {
        Point end;
        SlopeFormat format;
        const char* expected;
    };
    const Case cases[] = {
        {{100, 0, 1.5}, SlopeFormat::Percent, "SLOP 1.5%"},
        {{100, 0, 1.7}, SlopeFormat::PerHundred, "SLOP 2:100"},
        {{100, 0, 1.5}, SlopeFormat::Degrees, "SLOP 0.9 deg"},
        {{0, -100, -100}, SlopeFormat::Degrees, "SLOP 45 deg"},  // no ".0", falling counts the same
        {{60, 80, -2}, SlopeFormat::Percent, "SLOP 2%"},
        {{100, 0, 0}, SlopeFormat::Percent, ""},
        {{0, 0, 100}, SlopeFormat::Percent, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlopeText({0, 0, 0}, c.end, c.format), c.expected) << static_cast<int>(c.format);
}

}  // namespace
}  // namespace zkl
