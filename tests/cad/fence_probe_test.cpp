// Guards the fast fence probe: under overlap mode the piece-by-piece test agrees with the
// whole-outline relation for every kind of element, in the active model and in a turned,
// scaled attachment; the linear scan finds exactly what the R-tree finds; and a model's
// extent stays right as elements come and go.
#include <gtest/gtest.h>

#include <random>

#include "cad/cad_host.h"
#include "cad/element_geometry.h"
#include "cad/fence.h"
#include "cad/test_drawings.h"

namespace zkl::cad {
namespace {

using test::OnLevel;

// Every kind of element the engine draws, scattered over a 100 x 100 square.
Element RandomElement(std::mt19937& random, int kind) {
    std::uniform_real_distribution<double> at(0, 100), size(0.5, 12), angle(0, 2 * Pi);
    const Point p{at(random), at(random), 0};
    const Point q =
        p + Point{size(random) * std::cos(angle(random)), size(random) * std::sin(angle(random)), 0};
    switch (kind % 7) {
        case 0:
            return MakeLine(p, q);
        case 1:
            return MakeLineString({p, q, q + Point{size(random), 0, 0}});
        case 2:
            return test::Square(p, size(random));
        case 3:
            return MakeEllipse(p, size(random), size(random) / 2,
                               Matrix3d::RotationAboutAxisIndex(2, angle(random)));
        case 4: {
            Element text = MakeText("LABEL-" + std::to_string(kind), p,
                                    Matrix3d::RotationAboutAxisIndex(2, angle(random)));
            text.Text().height = 2.5;
            text.Text().width = 2;
            text.Text().justification = kind % 15;
            return text;
        }
        case 5:
            return MakeCell("PART", {MakeLine(p, q), MakeEllipse(q, 1, 1)}, p);
        default: {
            Element vertical = MakeLine(p, p + Point{0, 0, 30});  // a riser: a point in plan
            return vertical;
        }
    }
}

struct Scene {
    Drawing drawing = test::BasicDrawing();
    ModelId attachment = 0;
};

Scene RandomScene(std::uint32_t seed) {
    Scene scene;
    scene.attachment =
        test::Attach(scene.drawing, "Plant",
                     Transform3d::FromMatrixAndTranslation(Matrix3d::RotationAboutAxisIndex(2, 0.3) *
                                                               Matrix3d{{1.5, 0, 0, 0, 1.5, 0, 0, 0, 1.5}},
                                                           {20, -10, 0}));
    std::mt19937 random(seed);
    for (int i = 0; i < 300; ++i) {
        test::AddTo(scene.drawing, ActiveModelId, OnLevel(RandomElement(random, i), "Default"));
        test::AddTo(scene.drawing, scene.attachment, OnLevel(RandomElement(random, i + 3), "Default"));
    }
    return scene;
}

std::vector<std::vector<Point>> RandomFences(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> at(-10, 110), size(0.2, 25);
    std::vector<std::vector<Point>> fences;
    for (int i = 0; i < 400; ++i) {
        const Point low{at(random), at(random), 0};
        const Point high = low + Point{size(random), size(random), 0};
        if (i % 5 == 0)  // now and then a triangle instead of a probe rectangle
            fences.push_back({low, {high.x, low.y, 0}, {low.x, high.y, 0}});
        else
            fences.push_back({low, {high.x, low.y, 0}, high, {low.x, high.y, 0}});
    }
    return fences;
}

// What the fence takes in by the whole-outline relation, found without the engine's index.
std::set<std::pair<ModelId, ElementId>> ByRelation(const Drawing& drawing, const Fence& fence,
                                                   const FenceModes& modes) {
    const DimensionStyleLookup styles = [&](const std::string& name) {
        return drawing.DimensionStyleOrDefault(name);
    };
    std::set<std::pair<ModelId, ElementId>> taken;
    for (ModelId model = 0; model < drawing.ModelCount(); ++model)
        for (const auto& [id, entry] : drawing.Model(model).Entries()) {
            Outline outline = ElementOutline(entry.element, styles);
            if (model != ActiveModelId) outline.ApplyTransform(drawing.AttachmentOf(model).toActive);
            if (Fence::TakesIn(fence.Relate(outline), modes)) taken.insert({model, id});
        }
    return taken;
}

std::set<std::pair<ModelId, ElementId>> Contents(const CadHost& host) {
    std::set<std::pair<ModelId, ElementId>> taken;
    for (const Element& element : host.FenceContents()) taken.insert({element.model, element.id});
    return taken;
}

TEST(FenceProbe, PieceByPieceTestAgreesWithTheWholeOutlineRelation) {
    CadHost host(RandomScene(5).drawing);
    int nonEmpty = 0;
    for (const auto& points : RandomFences(6)) {
        host.DefineFenceFromPoints(points, 1);
        const auto expected = ByRelation(host.GetDrawing(), host.CurrentFence(), host.GetFenceModes());
        ASSERT_EQ(Contents(host), expected) << "fence at " << points[0].x << ", " << points[0].y;
        EXPECT_EQ(host.FenceHasContents(), !expected.empty());
        if (!expected.empty()) ++nonEmpty;
    }
    EXPECT_GT(nonEmpty, 100) << "the scene must give the test something to find";
}

TEST(FenceProbe, EveryMethodFindsExactlyWhatTheIndexFinds) {
    // Each fence is probed again a few small steps aside, as a free-place search does, so
    // the method that asks the last element found first meets both a hit that still holds
    // and one that no longer does. Halfway, the elements last found are deleted; at three
    // quarters, the elements found are moved and the attachment turns, so that the pieces
    // prepared for the fence test must be made again (the whole-outline relation is the
    // judge of that).
    CadHost reference(RandomScene(7).drawing);
    reference.SetFenceProbeMethod(FenceProbeMethod::SpatialIndex);
    CadHost linear(RandomScene(7).drawing);
    linear.SetFenceProbeMethod(FenceProbeMethod::LinearScan);
    CadHost recalling(RandomScene(7).drawing);
    recalling.SetFenceProbeMethod(FenceProbeMethod::IndexAskingLastFirst);
    const auto fences = RandomFences(8);
    int hits = 0;
    for (std::size_t i = 0; i < fences.size(); ++i) {
        for (int step = 0; step < 4; ++step) {
            std::vector<Point> points = fences[i];
            for (Point& p : points) p = p + Point{0.7 * step, -0.4 * step, 0};
            for (CadHost* host : {&reference, &linear, &recalling}) host->DefineFenceFromPoints(points, 1);
            const bool hit = reference.FenceHasContents();
            EXPECT_EQ(linear.FenceHasContents(), hit) << "fence " << i << " step " << step;
            EXPECT_EQ(recalling.FenceHasContents(), hit) << "fence " << i << " step " << step;
            EXPECT_EQ(Contents(linear), Contents(reference));
            EXPECT_EQ(Contents(recalling),
                      ByRelation(recalling.GetDrawing(), recalling.CurrentFence(), recalling.GetFenceModes()));
            hits += hit;
        }
        if (i == fences.size() / 2) {
            for (const Element& element : recalling.FenceContents())
                if (element.model == ActiveModelId)
                    for (CadHost* host : {&reference, &linear, &recalling}) host->RemoveElement(element);
        }
        if (i == 3 * fences.size() / 4) {
            for (Element element : recalling.FenceContents()) {
                if (element.model != ActiveModelId) continue;
                element.ApplyTransform(Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), {3, 2, 0}));
                for (CadHost* host : {&reference, &linear, &recalling}) host->RewriteElement(element);
            }
            for (CadHost* host : {&reference, &linear, &recalling}) {
                Transform3d& toActive = host->GetDrawing().attachments.front().toActive;
                toActive = Transform3d::FromMatrixAndTranslation(Matrix3d::RotationAboutAxisIndex(2, 0.1), {0, 5, 0}) *
                           toActive;
            }
        }
    }
    EXPECT_GT(hits, 100) << "the scene must give the test something to find";
}

TEST(ElementStore, ExtentFollowsAdditionsRemovalsAndRewrites) {
    ElementStore store;
    Element a = MakeLine({0, 0, 0}, {10, 5, 0});
    Element b = MakeLine({-5, 2, 1}, {3, 20, 4});
    store.Add(a, {{0, 0, 0}, {10, 5, 0}});
    EXPECT_EQ(store.Extent(), (Range{{0, 0, 0}, {10, 5, 0}}));
    store.Add(b, {{-5, 2, 1}, {3, 20, 4}});
    EXPECT_EQ(store.Extent(), (Range{{-5, 0, 0}, {10, 20, 4}}));
    store.Replace(b, {{1, 1, 1}, {2, 2, 2}});
    EXPECT_EQ(store.Extent(), (Range{{0, 0, 0}, {10, 5, 2}}));
    store.Remove(a.id);
    EXPECT_EQ(store.Extent(), (Range{{1, 1, 1}, {2, 2, 2}}));
    Element c = MakeLine({7, 7, 7}, {8, 8, 8});
    c.id = 40;
    store.Insert(c, {{7, 7, 7}, {8, 8, 8}});
    EXPECT_EQ(store.Extent(), (Range{{1, 1, 1}, {8, 8, 8}}));
}

}  // namespace
}  // namespace zkl::cad
