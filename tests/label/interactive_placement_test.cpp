// Guards placing one label by hand under scripted input: what data points, Ctrl+Reset,
// Reset and Esc do, the prompt and drawing-aid hints shown while the body is dragged, and
// that the body never stays in the model.
#include "label/interactive_placement.h"

#include <gtest/gtest.h>

#include <memory>

#include "cad/cad_host.h"
#include "cad/test_drawings.h"

namespace zkl {
namespace {

const Point Sentinel{-987.654321, 0, 0};

// Notes what the host shows each time the command waits for input.
class WatchingSource : public cad::InputSource {
public:
    struct Seen {
        std::string prompt;
        std::optional<DrawingAidHints> hints;
        std::size_t modelSize = 0;
        std::optional<cad::DragState> drag;
    };
    WatchingSource(const cad::CadHost& host, std::deque<Input> inputs)
        : host_(host), inputs_(std::move(inputs)) {}

    std::optional<Input> Next() override {
        seen.push_back({host_.Status(StatusField::Prompt), host_.GetDrawingAidHints(),
                        host_.GetDrawing().activeModel.Entries().size(), host_.Drag()});
        if (inputs_.empty()) return std::nullopt;
        Input next = inputs_.front();
        inputs_.pop_front();
        return next;
    }
    std::vector<Seen> seen;

private:
    const cad::CadHost& host_;
    std::deque<Input> inputs_;
};

std::deque<Input> Rotations(int count, Input then) {
    std::deque<Input> inputs(static_cast<std::size_t>(count), Input::Keyin(CtrlResetKeyin));
    inputs.push_back(std::move(then));
    return inputs;
}

struct PlacementTest : ::testing::Test {
    PlacementTest() : host(cad::test::BasicDrawing()), module(host) {
        module.settings.DimLevelName = "Piping";
        module.settings.LabelDistance2 = 10;
    }

    // A centred text with an underline below it, built around the origin.
    static std::vector<Element> Body() {
        Element text = MakeText("AB", {});
        text.Text().justification = 7;
        return {text, MakeLineString({{-1, -1, 0}, {1, -1, 0}})};
    }

    WatchingSource& Place(std::deque<Input> inputs, bool placeOnReset, Point position,
                          const Point& knee = {}) {
        for (const Element& element : host.Scan({})) host.RemoveElement(element);
        source = std::make_shared<WatchingSource>(host, std::move(inputs));
        host.SetInputSource(source);
        body = Body();
        outcome = PlaceLabelInteractive(module, body, placeOnReset, anchor, position, 0, knee);
        finalPosition = position;
        return *source;
    }

    // The placed label's text: where it stands and which way it reads.
    std::optional<TextGeometry> PlacedText() const {
        const auto elements = host.Scan({});
        if (elements.size() != 1 || !elements[0].IsCell()) return std::nullopt;
        return elements[0].Cell().components.front().Text();
    }

    static void ExpectNear(const Point& actual, const Point& expected) {
        EXPECT_NEAR(Distance(actual, expected), 0.0, 1e-9) << actual.x << "," << actual.y;
    }

    cad::CadHost host;
    mdlOPM_Labeller module;
    std::shared_ptr<WatchingSource> source;
    const Point anchor{30, 40, 0};
    std::vector<Element> body;
    PlacementOutcome outcome{};
    Point finalPosition;
};

TEST_F(PlacementTest, DataPointPlacesTheLabelTurnedByTheCountOfCtrlResetsModuloFour) {
    struct Case {
        int rotations;
        Point reading;
    };
    for (const Case& c : {Case{0, {1, 0, 0}}, Case{2, {-1, 0, 0}}, Case{5, {0, 1, 0}}}) {
        SCOPED_TRACE(c.rotations);
        WatchingSource& watch = Place(Rotations(c.rotations, Input::DataPoint({50, 60, 0})), false, Sentinel);

        EXPECT_EQ(outcome, PlacementOutcome::Placed);
        EXPECT_EQ(finalPosition, (Point{50, 60, 0}));
        const auto text = PlacedText();
        ASSERT_TRUE(text) << "exactly one label cell and nothing else in the model";
        ExpectNear(text->rotation.Column(0), c.reading);
        ExpectNear(text->origin, {50, 60, 0});  // turned about its own reference point
        EXPECT_EQ(body.size(), 3u) << "the caller gets body and leader";
        EXPECT_EQ(body.back().Linear().vertices.front(), anchor);

        // While waiting, the body was in the model and dragged by "move" from the origin.
        ASSERT_EQ(watch.seen.size(), static_cast<std::size_t>(c.rotations) + 1);
        EXPECT_EQ(watch.seen[0].modelSize, 2u);
        ASSERT_TRUE(watch.seen[0].drag);
        EXPECT_EQ(watch.seen[0].drag->elements.size(), 2u);
        EXPECT_EQ(watch.seen[0].drag->basePoint, (Point{0, 0, 0}));
        EXPECT_FALSE(host.Drag());
        EXPECT_TRUE(host.Transient().empty());
    }
}

TEST_F(PlacementTest, ResetOrEscPutARelocatedLabelBackUnturnedAtItsPosition) {
    for (const Input& last : {Input::Reset(), Input::Keyin(EscapeKeyin)}) {
        SCOPED_TRACE(last.text);
        Place(Rotations(3, last), true, {70, 80, 0});

        const auto text = PlacedText();
        ASSERT_TRUE(text);
        ExpectNear(text->rotation.Column(0), {1, 0, 0});
        ExpectNear(text->origin, {70, 80, 0});
        EXPECT_EQ(finalPosition, (Point{70, 80, 0}));
    }
}

TEST_F(PlacementTest, ResetWithoutPlaceOnResetLeavesNothingAndReturnsTheBody) {
    Place(Rotations(1, Input::Reset()), false, Sentinel);

    EXPECT_EQ(outcome, PlacementOutcome::NotPlaced);
    EXPECT_TRUE(host.Scan({}).empty());
    EXPECT_EQ(finalPosition, Sentinel);
    ASSERT_EQ(body.size(), 2u);
    EXPECT_FALSE(body[0].IsInModel());
    ExpectNear(body[0].Text().rotation.Column(0), {1, 0, 0});
    ExpectNear(body[1].Linear().vertices[0], {-1, -1, 0});
}

TEST_F(PlacementTest, EscEndsTheRunWithAnEmptyBodyAndPostsTheSummary) {
    for (const bool placeOnReset : {false, true}) {
        module.invalidPropertyList = ",A,B,";
        Place({Input::Keyin(EscapeKeyin)}, placeOnReset, {70, 80, 0});

        EXPECT_EQ(outcome, PlacementOutcome::Quit);
        EXPECT_TRUE(body.empty());
        EXPECT_EQ(host.Messages().back(),
                  (Message{"Label placed by Quorvel. These properties are invalid, Please check: A,B", "", 12,
                           false}));
        EXPECT_EQ(host.Scan({}).size(), placeOnReset ? 1u : 0u);
    }
    EXPECT_EQ(RunSummary(","), "Label placed by Quorvel");
}

TEST_F(PlacementTest, PromptOffersEscOnlyForAPositionAtXZero) {
    const std::string prompt = "Ctrl+RESET to rotate/RESET to cancel";
    EXPECT_EQ(Place({}, false, Sentinel).seen.at(0).prompt, prompt);
    EXPECT_EQ(Place({}, false, {0, 25, 0}).seen.at(0).prompt, prompt + "/ESC to quit");
    EXPECT_EQ(host.Status(StatusField::Command), "Select point to place label");
}

TEST_F(PlacementTest, DrawingAidHintKeepsTheLabelDistanceAlongTheKnee) {
    struct Case {
        Point knee;
        bool endsInCircle;
        std::optional<double> x;
        std::optional<double> y;
    };
    const Case cases[] = {
        {{0, -4, 0}, false, std::nullopt, -10.0},        {{0, -4, 0}, true, std::nullopt, -12.5},
        {{2, 4, 0}, false, std::nullopt, 10.0},          {{-5, 0, 0}, true, -12.5, std::nullopt},
        {{3, -3, 0}, false, std::nullopt, std::nullopt},  // x + y = 0: no distance
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.knee.x << "," << c.knee.y << (c.endsInCircle ? " circle" : ""));
        for (const Element& element : host.Scan({})) host.RemoveElement(element);
        auto watch = std::make_shared<WatchingSource>(host, std::deque<Input>{});
        host.SetInputSource(watch);
        std::vector<Element> elements = Body();
        if (c.endsInCircle) elements.back() = MakeEllipse({}, 5, 5);
        Point position = Sentinel;
        PlaceLabelInteractive(module, elements, false, anchor, position, 0, c.knee);

        const auto& hints = watch->seen.at(0).hints;
        ASSERT_TRUE(hints);
        EXPECT_EQ(hints->origin, anchor + c.knee);
        EXPECT_EQ(hints->xDistance, c.x);
        EXPECT_EQ(hints->yDistance, c.y);
    }
}

}  // namespace
}  // namespace zkl
