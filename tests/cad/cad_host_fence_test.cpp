// Guards CadHost's fence: which elements of the active model and of the displayed
// attachments it takes in under each mode, in active-model coordinates, and that the
// early-stopping probe agrees with the full contents.
#include <gtest/gtest.h>

#include "cad/cad_host.h"
#include "test_drawings.h"

namespace zkl::cad {
namespace {

using test::BasicDrawing;
using test::Ids;

// Active model: 1 a line inside (20..30, 20..30), 2 a line crossing the fence's right edge,
// 3 a line well outside, 4 a text inside. The fence is (10, 10) to (50, 50).
CadHost HostWithFenceScene() {
    Drawing drawing = BasicDrawing();
    test::AddTo(drawing, ActiveModelId, MakeLine({20, 20, 0}, {30, 30, 0}));
    test::AddTo(drawing, ActiveModelId, MakeLine({40, 30, 0}, {70, 30, 0}));
    test::AddTo(drawing, ActiveModelId, MakeLine({80, 80, 0}, {90, 90, 0}));
    test::AddTo(drawing, ActiveModelId, MakeText("T", {15, 40, 0}));
    CadHost host(std::move(drawing));
    host.DefineFenceFromPoints({{10, 10, 0}, {50, 10, 0}, {50, 50, 0}, {10, 50, 0}}, 1);
    return host;
}

TEST(CadHostFence, ModesChooseBetweenInsideOverlappingAndOutside) {
    CadHost host = HostWithFenceScene();
    struct Case {
        FenceModes modes;
        std::vector<ElementId> expected;
    };
    const std::vector<Case> cases = {
        {{true, false, false}, {1, 2, 4}},  // inside or overlapping
        {{false, false, false}, {1, 4}},    // inside only
        {{false, false, true}, {3}},        // void: outside only
        {{true, false, true}, {2, 3}},      // void overlap: outside or overlapping
    };
    for (const Case& c : cases) {
        host.SetFenceModes(c.modes);
        EXPECT_EQ(host.GetFenceModes(), c.modes);
        EXPECT_EQ(Ids(host.FenceContents()), c.expected)
            << c.modes.overlap << c.modes.clip << c.modes.outside;
        EXPECT_EQ(host.FenceHasContents(), !c.expected.empty());
    }
}

TEST(CadHostFence, AttachmentElementsAreTakenInWhereTheyLieInTheActiveModel) {
    Drawing drawing = BasicDrawing();
    // The plant model is turned a quarter and shifted: its (0..10, 0) line lies along
    // x = 100, y 0..10 in the active model.
    const ModelId plant = test::Attach(drawing, "plant", test::QuarterTurnThenShift({100, 0, 0}));
    const Element pipe = test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {10, 0, 0}));
    const ModelId hidden = test::Attach(drawing, "hidden", test::QuarterTurnThenShift({100, 0, 0}), false);
    test::AddTo(drawing, hidden, MakeLine({0, 0, 0}, {10, 0, 0}));
    const Element label = test::AddTo(drawing, ActiveModelId, MakeLine({95, 2, 0}, {98, 2, 0}));
    CadHost host(std::move(drawing));
    host.SetFenceModes({false, false, false});

    host.DefineFenceFromPoints({{90, -5, 0}, {110, -5, 0}, {110, 20, 0}, {90, 20, 0}}, 1);
    const std::vector<Element> contents = host.FenceContents();
    ASSERT_EQ(contents.size(), 2u);
    EXPECT_EQ(contents[0], label);  // the active model comes first
    EXPECT_EQ(contents[1].model, plant);
    EXPECT_EQ(contents[1].Linear().vertices, pipe.Linear().vertices);  // in its own coordinates

    // A fence around the line's own coordinates finds nothing there.
    host.DefineFenceFromPoints({{-5, -5, 0}, {15, -5, 0}, {15, 5, 0}, {-5, 5, 0}}, 1);
    EXPECT_TRUE(host.FenceContents().empty());
    EXPECT_FALSE(host.FenceHasContents());
}

TEST(CadHostFence, BorderShapeAroundAProbeIsNotTakenIn) {
    Drawing drawing = BasicDrawing();
    test::AddTo(drawing, ActiveModelId, test::Square({0, 0, 0}, 100));
    CadHost host(std::move(drawing));
    host.DefineFenceFromPoints({{40, 40, 0}, {60, 40, 0}, {60, 60, 0}, {40, 60, 0}}, 1);
    EXPECT_TRUE(host.FenceContents().empty());
    EXPECT_FALSE(host.FenceHasContents());

    // A probe over the border's edge does meet it.
    host.DefineFenceFromPoints({{90, 40, 0}, {110, 40, 0}, {110, 60, 0}, {90, 60, 0}}, 1);
    EXPECT_EQ(Ids(host.FenceContents()), std::vector<ElementId>{1});
}

TEST(CadHostFence, EarlyStoppingProbeAgreesWithTheContents) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", test::Translation({200, 0, 0}));
    for (int i = 0; i < 20; ++i) {
        const double x = i * 10.0;
        test::AddTo(drawing, ActiveModelId, MakeLine({x, 0, 0}, {x + 4, 4, 0}));
        test::AddTo(drawing, plant, MakeEllipse({x, 50, 0}, 2, 1));
    }
    test::AddTo(drawing, ActiveModelId, test::Square({-10, -10, 0}, 500));
    CadHost host(std::move(drawing));

    // Probes sliding across the drawing: some empty, some over one model or both.
    for (const FenceModes modes : {FenceModes{true, false, false}, FenceModes{false, false, false}}) {
        host.SetFenceModes(modes);
        for (double y = -5; y <= 60; y += 5) {
            for (double x = -5; x <= 420; x += 15) {
                host.DefineFenceFromPoints({{x, y, 0}, {x + 3, y, 0}, {x + 3, y + 6, 0}, {x, y + 6, 0}}, 1);
                EXPECT_EQ(host.FenceHasContents(), !host.FenceContents().empty()) << x << ", " << y;
            }
        }
    }
}

TEST(CadHostFence, FenceFromAnElementUsesAShapesVerticesOrElseItsRange) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", test::Translation({100, 0, 0}));
    const Element plantBorder = test::AddTo(drawing, plant, test::Square({0, 0, 0}, 10));
    CadHost host(std::move(drawing));

    const Element triangle = MakeShape({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}});
    host.DefineFenceFromElement(triangle, 1);
    EXPECT_EQ(host.CurrentFence().polygon, (std::vector<Point>{{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}));

    const Element cell = MakeCell("VALVE", {MakeLine({2, 3, 0}, {6, 8, 0})}, {0, 0, 0});
    host.DefineFenceFromElement(cell, 1);
    EXPECT_EQ(host.CurrentFence().Bounds(), (Range{{2, 3, 0}, {6, 8, 0}}));
    EXPECT_EQ(host.CurrentFence().polygon.size(), 4u);

    host.DefineFenceFromElement(plantBorder, 2);
    EXPECT_EQ(host.CurrentFence().Bounds(), (Range{{100, 0, 0}, {110, 10, 0}}));

    EXPECT_THROW(host.DefineFenceFromElement(triangle, 9), HostError);
    EXPECT_THROW(host.DefineFenceFromPoints({{0, 0, 0}, {1, 0, 0}, {0, 0, 0}}, 1), HostError);
}

TEST(CadHostFence, ContentsWithoutAFenceIsAnError) {
    CadHost host = HostWithFenceScene();
    host.ClearFence();
    try {
        host.FenceContents();
        FAIL() << "expected an error";
    } catch (const HostError& error) {
        EXPECT_STREQ(error.what(), "no fence is defined");
    }
    EXPECT_THROW(host.FenceHasContents(), HostError);
}

}  // namespace
}  // namespace zkl::cad
