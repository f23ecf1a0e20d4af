// Guards the shortcut of the free-place probes: whenever a piece is said to reach deep into a
// fence rectangle, the exact fence test finds that it meets it, and pieces that merely touch
// or graze the rectangle are left to the exact test.
#include <gtest/gtest.h>

#include <random>

#include "cad/deep_overlap.h"
#include "cad/fence.h"

namespace zkl::cad {
namespace {

std::vector<Point> Rectangle(const Point& low, const Point& high) {
    return {low, {high.x, low.y, 0}, high, {low.x, high.y, 0}};
}

TEST(DeepOverlap, OnlyAxisAlignedRectanglesHaveAnInside) {
    EXPECT_TRUE(InnerRectangleOf(Rectangle({0, 0, 0}, {4, 2, 0})));
    EXPECT_TRUE(InnerRectangleOf({{0, 0, 0}, {0, 2, 0}, {4, 2, 0}, {4, 0, 0}}));  // the other way round
    EXPECT_FALSE(InnerRectangleOf({{0, 0, 0}, {4, 0, 0}, {0, 2, 0}}));
    EXPECT_FALSE(InnerRectangleOf({{0, 0, 0}, {4, 0.1, 0}, {4, 2, 0}, {0, 2, 0}}));
    EXPECT_FALSE(InnerRectangleOf(Rectangle({0, 0, 0}, {1e-9, 2, 0})));  // too thin to shrink
}

TEST(DeepOverlap, PiecesThatOnlyTouchOrGrazeAreLeftToTheExactTest) {
    const InnerRectangle inner = *InnerRectangleOf(Rectangle({0, 0, 0}, {10, 5, 0}));
    const struct {
        const char* what;
        ConvexPiece piece;
        bool deep;
    } cases[] = {
        {"segment across", SegmentPiece({-1, 2, 0}, {11, 3, 0}), true},
        {"segment inside", SegmentPiece({1, 1, 0}, {2, 2, 0}), true},
        {"point inside", SegmentPiece({5, 2, 0}, {5, 2, 0}), true},
        {"segment along the edge", SegmentPiece({-1, 5, 0}, {11, 5, 0}), false},
        {"segment touching a corner", SegmentPiece({10, 5, 0}, {12, 7, 0}), false},
        {"segment past a corner", SegmentPiece({9, 6, 0}, {11, 4, 0}), false},
        {"point on the edge", SegmentPiece({0, 2, 0}, {0, 2, 0}), false},
        {"box around the fence", ConvexQuadrilateral({Point{-5, -5, 0}, {20, -5, 0}, {20, 20, 0}, {-5, 20, 0}}), true},
        {"box beside the fence", ConvexQuadrilateral({Point{10, 0, 0}, {12, 0, 0}, {12, 5, 0}, {10, 5, 0}}), false},
        {"turned box over a corner", ConvexQuadrilateral({Point{11, 5, 0}, {10, 6, 0}, {9, 5, 0}, {10, 4, 0}}), true},
        {"turned box off a corner", ConvexQuadrilateral({Point{12, 5, 0}, {11, 6, 0}, {10, 5, 0}, {11, 4, 0}}), false},
        {"bow tie is no piece", ConvexQuadrilateral({Point{1, 1, 0}, {3, 3, 0}, {3, 1, 0}, {1, 3, 0}}), false},
    };
    for (const auto& c : cases) EXPECT_EQ(ReachesInto(c.piece, inner), c.deep) << c.what;
}

TEST(DeepOverlap, ADeepPieceAlwaysMeetsTheFenceByTheExactTest) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> at(-20, 20), size(0.01, 15), unit(0, 1);
    int deep = 0;
    for (int i = 0; i < 20000; ++i) {
        // Corners on a coarse grid now and then, so that pieces touch the fence exactly.
        auto coordinate = [&] { return unit(random) < 0.3 ? std::round(at(random)) : at(random); };
        const Point low{coordinate(), coordinate(), 0};
        const Point high = low + Point{size(random), size(random), 0};
        const Fence fence{Rectangle(low, high)};
        const FenceTest exact(fence);
        const auto inner = InnerRectangleOf(fence.polygon);
        if (!inner) continue;
        const Point a{coordinate(), coordinate(), 0};
        const Point b{coordinate(), coordinate(), 0};
        if (i % 2 == 0) {
            const ConvexPiece piece = SegmentPiece(a, b);
            if (!ReachesInto(piece, *inner)) continue;
            ++deep;
            ASSERT_TRUE(exact.SegmentMeets({a, b})) << "segment " << i;
        } else {
            const Point side{b.x - a.x, b.y - a.y, 0};
            const double across = size(random) / 4;
            const Point normal{-side.y * across, side.x * across, 0};
            const std::array<Point, 4> corners{a, b, b + normal, a + normal};
            const ConvexPiece piece = ConvexQuadrilateral(corners);
            if (!ReachesInto(piece, *inner)) continue;
            ++deep;
            ASSERT_TRUE(exact.SolidMeets(corners)) << "box " << i;
        }
    }
    EXPECT_GT(deep, 2000) << "the cases must give the shortcut something to answer";
}

}  // namespace
}  // namespace zkl::cad
