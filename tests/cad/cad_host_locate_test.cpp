// Guards CadHost's locate: the nearest element within the pick tolerance wins, over the
// active model and the displayed attachments, with attachment elements found where they
// appear in the active model and handed back in their own coordinates.
#include <gtest/gtest.h>

#include "cad/cad_host.h"
#include "test_drawings.h"

namespace zkl::cad {
namespace {

using test::BasicDrawing;

TEST(CadHostLocate, NearestElementWithinTheToleranceWins) {
    Drawing drawing = BasicDrawing();  // views 100 wide: the default tolerance is 1
    test::AddTo(drawing, ActiveModelId, MakeLine({0, 10.6, 0}, {20, 10.6, 0}));  // 0.6 away
    test::AddTo(drawing, ActiveModelId, MakeLine({0, 9.7, 0}, {20, 9.7, 0}));    // 0.3 away
    test::AddTo(drawing, ActiveModelId, MakeLine({0, 30, 0}, {20, 30, 0}));
    CadHost host(std::move(drawing));

    EXPECT_DOUBLE_EQ(host.PickTolerance(1), 1.0);
    const std::optional<Element> found = host.LocateElement({10, 10, 0}, 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, 2);
}

TEST(CadHostLocate, NothingIsFoundOutsideTheTolerance) {
    Drawing drawing = BasicDrawing();
    test::AddTo(drawing, ActiveModelId, MakeLine({0, 0, 0}, {20, 0, 0}));
    drawing.View(2).extent = {1000, 1000, 0};  // tolerance 10 in view 2
    CadHost host(std::move(drawing));

    struct Case {
        Point point;
        int view;
        bool found;
    };
    const std::vector<Case> cases = {
        {{10, 0.9, 0}, 1, true}, {{10, 1.5, 0}, 1, false}, {{21.5, 0, 0}, 1, false},
        {{10, 1.5, 0}, 2, true}, {{10, 11, 0}, 2, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host.LocateElement(c.point, c.view).has_value(), c.found)
            << c.point.x << ", " << c.point.y << " in view " << c.view;

    host.SetPickTolerance(2);
    EXPECT_TRUE(host.LocateElement({10, 1.5, 0}, 1));
    EXPECT_THROW(host.SetPickTolerance(0), HostError);
    EXPECT_THROW(host.LocateElement({10, 0, 0}, 0), HostError);
}

TEST(CadHostLocate, AttachmentElementIsFoundAtItsActivePosition) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", test::QuarterTurnThenShift({50, 0, 0}));
    // (0..10, 0) in the plant model is x = 50, y 0..10 in the active model.
    const Element pipe = test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {10, 0, 0}));
    const ModelId hidden = test::Attach(drawing, "hidden", Transform3d::Identity(), false);
    test::AddTo(drawing, hidden, MakeLine({0, 0, 0}, {10, 0, 0}));
    CadHost host(std::move(drawing));

    const std::optional<Element> found = host.LocateElement({50.5, 5, 0}, 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->model, plant);
    EXPECT_EQ(*found, pipe);
    // Its own coordinates show nothing of the plant, and the hidden attachment is not seen.
    EXPECT_FALSE(host.LocateElement({5, 0, 0}, 1));
}

TEST(CadHostLocate, TiesGoToTheActiveModelThenToTheLowerId) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", Transform3d::Identity());
    test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {10, 0, 0}));
    test::AddTo(drawing, ActiveModelId, MakeLine({0, 5, 0}, {10, 5, 0}));  // 1
    test::AddTo(drawing, ActiveModelId, MakeLine({0, 0, 0}, {10, 0, 0}));  // 2
    test::AddTo(drawing, ActiveModelId, MakeLine({5, 0, 0}, {5, 9, 0}));   // 3 crosses the point too
    CadHost host(std::move(drawing));

    const std::optional<Element> found = host.LocateElement({5, 0, 0}, 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->model, ActiveModelId);
    EXPECT_EQ(found->id, 2);
}

}  // namespace
}  // namespace zkl::cad
