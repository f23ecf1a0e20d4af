// Guards plan intersections (which points, in which order along the path, with z taken from
// the path) and the arc-length walk around ellipses that label probes rely on.
#include "cad/intersections.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/host_error.h"

namespace zkl::cad {
namespace {

void ExpectPoints(const std::vector<Point>& actual, const std::vector<Point>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i].x, expected[i].x, 1e-9) << "point " << i;
        EXPECT_NEAR(actual[i].y, expected[i].y, 1e-9) << "point " << i;
        EXPECT_NEAR(actual[i].z, expected[i].z, 1e-9) << "point " << i;
    }
}

TEST(Intersections, CrossingLinesMeetWithZFromThePath) {
    const Element path = MakeLine({0, 0, 0}, {10, 0, 10});
    ExpectPoints(IntersectElements(path, MakeLine({5, -5, 99}, {5, 5, 99})), {{5, 0, 5}});
    // Touching at an end still meets; a miss beyond the end does not.
    ExpectPoints(IntersectElements(path, MakeLine({10, -5}, {10, 5})), {{10, 0, 10}});
    ExpectPoints(IntersectElements(path, MakeLine({11, -5}, {11, 5})), {});
}

TEST(Intersections, ParallelAndCollinearLinesDoNotMeet) {
    const Element path = MakeLine({0, 0}, {10, 0});
    ExpectPoints(IntersectElements(path, MakeLine({0, 1}, {10, 1})), {});
    ExpectPoints(IntersectElements(path, MakeLine({2, 0}, {8, 0})), {});
}

TEST(Intersections, PointsComeInOrderAlongThePath) {
    const Element zigzag = MakeLineString({{2, -1}, {4, 1}, {6, -1}, {8, 1}});
    ExpectPoints(IntersectElements(MakeLine({0, 0}, {10, 0}), zigzag), {{3, 0}, {5, 0}, {7, 0}});
    ExpectPoints(IntersectElements(MakeLine({10, 0}, {0, 0}), zigzag), {{7, 0}, {5, 0}, {3, 0}});

    const Element square = MakeShape({{2, -2}, {6, -2}, {6, 2}, {2, 2}});
    ExpectPoints(IntersectElements(MakeLine({0, 0}, {10, 0}), square), {{2, 0}, {6, 0}});
    ExpectPoints(IntersectElements(MakeLine({10, 0}, {0, 0}), square), {{6, 0}, {2, 0}});

    // A bent path: order follows the path, not the distance from its start.
    const Element bent = MakeLineString({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    ExpectPoints(IntersectElements(bent, MakeLine({1, -1}, {1, 11})), {{1, 0}, {1, 10}});
}

TEST(Intersections, PathThroughAVertexMeetsItOnce) {
    const Element vee = MakeLineString({{0, 5}, {5, 0}, {10, 5}});
    ExpectPoints(IntersectElements(MakeLine({5, -5}, {5, 5}), vee), {{5, 0, 0}});
    const Element path = MakeLineString({{0, 0}, {5, 0}, {10, 0}});
    ExpectPoints(IntersectElements(path, MakeLine({5, -1}, {5, 1})), {{5, 0}});
}

TEST(Intersections, LineTowardsAnEllipseCentreMeetsTheNearSideFirst) {
    ExpectPoints(IntersectElements(MakeLine({10, 0}, {0, 0}), MakeEllipse({0, 0}, 3, 3)), {{3, 0}});
    ExpectPoints(IntersectElements(MakeLine({-10, 0}, {10, 0}), MakeEllipse({0, 0}, 3, 3)),
                 {{-3, 0}, {3, 0}});

    // A rotated ellipse: primary axis along y, so the line along x meets it at x = -2.
    const Element turned = MakeEllipse({0, 0}, 4, 2, Matrix3d::RotationAboutAxisIndex(2, Pi / 2));
    ExpectPoints(IntersectElements(MakeLine({-10, 0}, {0, 0}), turned), {{-2, 0}});
    const auto hits = IntersectElements(MakeLine({-7, -9}, {7, 9}), turned);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_LT(Distance(hits[0], {-7, -9}), Distance(hits[1], {-7, -9}));
}

TEST(Intersections, EllipseStandingUpIsMetWhereItsPlanViewIs) {
    // A circle in the x-z plane looks like a segment from (-2, 0) to (2, 0) from above.
    const Element upright = MakeEllipse({0, 0}, 2, 2, Matrix3d::RotationAboutAxisIndex(0, Pi / 2));
    ExpectPoints(IntersectElements(MakeLine({1, -5}, {1, 5}), upright), {{1, 0}});
    ExpectPoints(IntersectElements(MakeLine({3, -5}, {3, 5}), upright), {});
}

TEST(Intersections, CellIsMetThroughItsComponents) {
    const Element cell = MakeCell("Label", {MakeEllipse({5, 0}, 1, 1), MakeLine({2, -1}, {2, 1})}, {0, 0});
    ExpectPoints(IntersectElements(MakeLine({0, 0}, {10, 0}), cell), {{2, 0}, {4, 0}, {6, 0}});
}

TEST(Intersections, UnsupportedElementsAreRefused) {
    EXPECT_THROW(IntersectElements(MakeShape({{0, 0}, {1, 0}, {1, 1}}), MakeLine({0, 0}, {1, 1})), HostError);
    EXPECT_THROW(IntersectElements(MakeLine({0, 0}, {1, 1}), MakeText("A", {0, 0})), HostError);
}

TEST(Ellipses, CircumferenceIsExactForCirclesAndEllipses) {
    EXPECT_NEAR(EllipseCircumference(MakeEllipse({1, 2}, 2.5, 2.5).Ellipse()) / (2 * Pi * 2.5), 1.0, 1e-12);
    // 2 x 1: 9.68844822054767619842850319... (complete elliptic integral)
    EXPECT_NEAR(EllipseCircumference(MakeEllipse({0, 0}, 2, 1).Ellipse()), 9.688448220547676, 1e-12);
    EXPECT_NEAR(EllipseCircumference(MakeEllipse({0, 0}, 1, 2).Ellipse()), 9.688448220547676, 1e-12);
    EXPECT_DOUBLE_EQ(EllipseCircumference(MakeEllipse({0, 0}, 3, 0).Ellipse()), 12);
}

TEST(Ellipses, ArcLengthStartsOnThePrimaryAxisAndRunsCounterClockwise) {
    const double r = 2.5;
    const EllipseGeometry circle = MakeEllipse({10, 20, 1}, r, r).Ellipse();
    const double c = EllipseCircumference(circle);
    struct Case {
        double distance;
        Point expected;
    };
    for (const Case& k :
         {Case{0, {10 + r, 20, 1}}, Case{c / 4, {10, 20 + r, 1}}, Case{c / 2, {10 - r, 20, 1}},
          Case{-c / 4, {10, 20 - r, 1}}, Case{c, {10 + r, 20, 1}}}) {
        const Point p = EllipsePointAtArcLength(circle, k.distance);
        EXPECT_NEAR(p.x, k.expected.x, 1e-12) << k.distance;
        EXPECT_NEAR(p.y, k.expected.y, 1e-12) << k.distance;
        EXPECT_NEAR(p.z, k.expected.z, 1e-12) << k.distance;
    }

    // Turned a quarter: starts at +y and moves towards -x.
    const EllipseGeometry turned =
        MakeEllipse({0, 0}, r, r, Matrix3d::RotationAboutAxisIndex(2, Pi / 2)).Ellipse();
    ExpectPoints({EllipsePointAtArcLength(turned, 0), EllipsePointAtArcLength(turned, c / 4)},
                 {{0, r}, {-r, 0}});
}

TEST(Ellipses, ArcLengthOnAnEllipseFollowsItsSymmetry) {
    const EllipseGeometry ellipse = MakeEllipse({0, 0}, 2, 1).Ellipse();
    const double c = EllipseCircumference(ellipse);
    ExpectPoints({EllipsePointAtArcLength(ellipse, c / 4), EllipsePointAtArcLength(ellipse, c / 2),
                  EllipsePointAtArcLength(ellipse, -c / 4)},
                 {{0, 1}, {-2, 0}, {0, -1}});
    // Equal steps along the curve are equal chords only on a circle: near the flat side the
    // parameter moves faster than near the ends of the primary axis.
    const Point early = EllipsePointAtArcLength(ellipse, c / 16);
    EXPECT_NEAR(std::pow(early.x / 2, 2) + std::pow(early.y, 2), 1.0, 1e-12);
    EXPECT_GT(std::atan2(early.y, early.x / 2), 2 * Pi / 16);
}

}  // namespace
}  // namespace zkl::cad
