// Guards the revise-dimension command: which pick deletes a chain point and which inserts
// one, the dimension mode it finds for a chain, the extension lines kept in step, and what
// it says about picks it cannot use.
#include "dimension/revise_dimension.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog_fixture.h"
#include "dimension/dimension_chain.h"

namespace zkl {
namespace {

constexpr const char* Configuration =
    "[GENERAL]\n"
    "IGNOREDN=0\nLABELDISTANCE1=12\nLABELDISTANCE2=6\nSTEPDISTANCE=5\nDIMHEIGHT=8\n"
    "UNDERLINEDISTANCE=0.8\nTEXTHEIGHT=2.5\nTEXTWIDTH=2\nDIMMODE=1\n"
    "DIMSTYLENAME=DimA\nDIMLEVELNAME=Shared\nTEXTSTYLENAME=TextB\nSHAPELEVELNAME=Border\n";

constexpr std::uint64_t SavedValue = 0xFEEDFACE12345678u;

// Scripted picks that also note what the status area's first field showed each time the
// command waited, so messages overwritten by the next prompt are still seen.
class WatchedInput : public cad::InputSource {
public:
    WatchedInput(const cad::CadHost& host, std::deque<Input> inputs)
        : host_(host), inputs_(std::move(inputs)) {}

    std::optional<Input> Next() override {
        shown.push_back(host_.Status(StatusField::Command));
        if (inputs_.empty()) return Input::Reset();
        Input next = inputs_.front();
        inputs_.pop_front();
        return next;
    }

    std::vector<std::string> shown;

private:
    const cad::CadHost& host_;
    std::deque<Input> inputs_;
};

Input Pick(double x, double y) { return Input::DataPoint({x, y, 0}); }

class ReviseDimensionTest : public test::DialogTest {
protected:
    ReviseDimensionTest() {
        Start(Configuration);
        host->GetDrawing().lineStyles = {{"0", {}}, {"2", {3, 1.5}}};
        host->SetPickTolerance(0.5);
    }

    // A chain as the placement makes it, with its dimension line at `offset` from point 1.
    Element AddChain(const std::vector<Point>& points, const Matrix3d& rotation = Matrix3d::Identity(),
                     double offset = 5) {
        Element chain = MakeDimension(rotation);
        for (const Point& p : points) chain.Dimension().AddPoint(p);
        for (int i = 2; i <= chain.Dimension().PointCount(); ++i) chain.Dimension().SetSegmentText(i, "*");
        chain.Dimension().style = "DimA";
        chain.Dimension().offset = offset;
        chain.Dimension().savedValue = SavedValue;
        host->AddElement(chain);
        return chain;
    }

    // Runs the command to its end (an exhausted script resets) and returns the first status
    // field as seen at every wait.
    std::vector<std::string> Run(std::deque<Input> inputs) {
        auto source = std::make_shared<WatchedInput>(*host, std::move(inputs));
        host->SetInputSource(source);
        RunReviseDimension(*module);
        return source->shown;
    }

    std::vector<Point> PointsOf(const Element& element) const {
        return host->GetElement(ActiveModelId, element.id).Dimension().points;
    }
};

TEST_F(ReviseDimensionTest, PickOnAPointDeletesItAndPickBetweenInsertsOnTheBaseLine) {
    struct Case {
        double x;
        std::vector<double> expected;  // x of the chain's points afterwards
        bool outside;
    };
    const Case cases[] = {
        {10.6, {0, 20}, false},  {5, {0, 5, 10, 20}, false}, {20.5, {0, 10}, false},
        {25, {0, 10, 20}, true}, {-3, {0, 10, 20}, true},    {0.5, {0, 0.5, 10, 20}, false},
    };
    const Element original = AddChain({{0, 0}, {10, 0}, {20, 0}});
    for (const Case& c : cases) {
        host->RewriteElement(original);
        const std::size_t messagesBefore = host->Messages().size();
        // Pick the chain on its dimension line, then the point; y 7 is off the base line.
        Run({Pick(15, 5), Pick(c.x, 7)});

        std::vector<Point> expected;
        for (double x : c.expected) expected.push_back({x, 0, 0});
        EXPECT_EQ(PointsOf(original), expected) << c.x;
        EXPECT_EQ(host->Messages().size() - messagesBefore, c.outside ? 1u : 0u) << c.x;
        if (c.outside) {
            EXPECT_EQ(host->Messages().back(), (Message{"Point is outside the range!", "", 12, false}));
        }
        const Element revised = host->GetElement(ActiveModelId, original.id);
        EXPECT_EQ(revised.Dimension().savedValue, SavedValue) << c.x;
        EXPECT_EQ(module->settings.DimMode, DimModeOnEdge) << "aligned points without extension lines";
    }
}

TEST_F(ReviseDimensionTest, RepeatsUntilResetAndReportsPicksItCannotUse) {
    const Element chain = AddChain({{0, 0}, {10, 0}, {20, 0}});
    Element pipe = MakeLine({0, 50}, {20, 50});
    host->AddElement(pipe);
    // A half turn measures along -x; the rule would take it as vertical and edit it along y.
    const Element turned = AddChain({{60, 0}, {50, 0}, {40, 0}}, Matrix3d::RotationAboutAxisIndex(2, Pi), -5);
    Element single = MakeDimension(Matrix3d::Identity());
    single.Dimension().AddPoint({0, 80});
    single.Dimension().offset = 5;
    single.Dimension().style = "DimA";
    host->AddElement(single);

    const int defaultCommands = host->DefaultCommandCount();
    // Nothing, a line, the half-turned chain, a one-point dimension; then two revisions.
    const auto shown = Run({Pick(50, 30), Pick(10, 50), Pick(55, 5), Pick(0, 83), Pick(15, 5), Pick(5, 0),
                            Pick(15, 5), Pick(10.2, 0)});
    // A message stays in the first field until a chain is picked.
    EXPECT_EQ(shown, (std::vector<std::string>{"Revise dimension", "No element selected!",
                                               "Invalid element selected!", "Invalid element selected!",
                                               "Invalid element selected!", "Revise dimension",
                                               "Revise dimension", "Revise dimension", "Revise dimension"}));
    EXPECT_EQ(PointsOf(chain), (std::vector<Point>{{0, 0}, {5, 0}, {20, 0}}));
    EXPECT_EQ(host->GetElement(ActiveModelId, turned.id), turned);
    EXPECT_EQ(host->Status(StatusField::Command), "");
    EXPECT_EQ(host->Status(StatusField::Prompt), "");
    EXPECT_EQ(host->DefaultCommandCount(), defaultCommands + 1);
    EXPECT_TRUE(host->Highlighted().empty());
    EXPECT_TRUE(host->Messages().empty());
}

TEST_F(ReviseDimensionTest, WorksWithTheSettingsAsTheyAreWithoutReadingTheDialog) {
    // Boxes still being typed in matter to the placing commands only.
    module->dialog->SetControlText("txtStepDistance", "5,,");
    module->dialog->SetControlText("txtDimMode", "x");
    module->settings.TextHeight = 7.25;
    const Element chain = AddChain({{0, 0}, {10, 0}, {20, 0}});

    ASSERT_NO_THROW(Run({Pick(15, 5), Pick(5, 7)}));
    EXPECT_EQ(PointsOf(chain), (std::vector<Point>{{0, 0}, {5, 0}, {10, 0}, {20, 0}}));
    EXPECT_EQ(module->settings.DimMode, DimModeOnEdge) << "the chain's mode is kept for later placement";
    EXPECT_EQ(module->settings.TextHeight, 7.25) << "other settings are left as they were";
}

TEST_F(ReviseDimensionTest, StaggeredChainKeepsThePickedPointAcrossItsDirection) {
    struct Case {
        const char* what;
        std::vector<Point> points;
        Matrix3d rotation;
        Point chainPick;
        Point pointPick;
        std::vector<Point> expected;
    };
    const Matrix3d quarter = Matrix3d::RotationAboutAxisIndex(2, Pi / 2);
    const Case cases[] = {
        {"horizontal",
         {{0, 0}, {10, 3}, {20, 0}},
         Matrix3d::Identity(),
         {15, 5},
         {5, 7},
         {{0, 0}, {5, 7}, {10, 3}, {20, 0}}},
        {"vertical",
         {{100, 0}, {103, 10}, {100, 20}},
         quarter,
         {95, 15},
         {107, 5},
         {{100, 0}, {107, 5}, {103, 10}, {100, 20}}},
        // Aligned along y: the new point goes onto point 1's x.
        {"vertical aligned",
         {{100, 50}, {100, 60}, {100, 70}},
         quarter,
         {95, 65},
         {107, 55},
         {{100, 50}, {100, 55}, {100, 60}, {100, 70}}},
    };
    for (const Case& c : cases) {
        const Element chain = AddChain(c.points, c.rotation);
        Run({Input::DataPoint(c.chainPick), Input::DataPoint(c.pointPick)});
        EXPECT_EQ(PointsOf(chain), c.expected) << c.what;
        EXPECT_EQ(module->settings.DimMode, c.what == std::string("vertical aligned") ? 0 : 1) << c.what;
        host->RemoveElement(chain);
    }
}

TEST_F(ReviseDimensionTest, ExtensionLinesStayOnePerDimensionPoint) {
    // A BOTTOM chain placed in mode 2 on the border (0, 0)-(100, 60).
    module->settings.DimStyleName = "DimA";
    module->settings.DimLevelName = "Shared";
    std::vector<Point> points = {{70, 20}, {30, 10}};
    std::vector<Point> placed;
    BuildDimensionChain(*module, placed, points, {0, 0, 0}, {100, 60, 0}, "BOTTOM",
                        DimModeOnEdgeWithExtensions);
    const Element chain = CreateDimension(*module, placed, -8, true, 1);

    ScanCriteria cells;
    cells.IncludeType(ElementType::Cell);
    const ElementId cellId = host->Scan(cells).at(0).id;
    const auto lineStarts = [&] {
        std::vector<double> xs;
        const Element cell = host->GetElement(ActiveModelId, cellId);
        for (const Element& line : cell.Cell().components) xs.push_back(line.Linear().vertices[0].x);
        return xs;
    };
    const auto chainXs = [&] {
        std::vector<double> xs;
        for (const Point& p : PointsOf(chain)) xs.push_back(p.x);
        return xs;
    };

    struct Step {
        double x;
        std::vector<double> expected;  // chain points and extension lines, as x
    };
    const Step steps[] = {
        {50, {0, 30, 50, 70, 100}},  // inserted: a copy of the first line from the pick down to the edge
        {30.4, {0, 50, 70, 100}},    // deleted with its line
        {50.9, {0, 70, 100}},
        {85, {0, 70, 85, 100}},
    };
    for (const Step& step : steps) {
        Run({Pick(20, -8), Pick(step.x, 15)});
        EXPECT_EQ(module->settings.DimMode, DimModeOnEdgeWithExtensions) << step.x;
        EXPECT_EQ(chainXs(), step.expected) << step.x;
        std::vector<double> starts = lineStarts();
        std::sort(starts.begin(), starts.end());
        EXPECT_EQ(starts, step.expected) << step.x;
    }
    const Element cell = host->GetElement(ActiveModelId, cellId);
    const Element& added = cell.Cell().components.back();
    EXPECT_EQ(added.Linear().vertices, (std::vector<Point>{{85, 15, 0}, {85, 0, 0}}));
    EXPECT_EQ(added.symbology, cell.Cell().components.front().symbology);
}

}  // namespace
}  // namespace zkl
