// Geometry value types: the arithmetic every caller relies on (frames, rotations, inverses).
#include <gtest/gtest.h>

#include "host/geometry.h"
#include "host/host_error.h"

namespace zkl {
namespace {

void ExpectNear(const Point& actual, const Point& expected, double tolerance = 1e-12) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Geometry, PointArithmeticAndDistance) {
    const Point a{1, 2, 3}, b{4, 6, 3};
    EXPECT_EQ(a + b, (Point{5, 8, 6}));
    EXPECT_EQ(b - a, (Point{3, 4, 0}));
    EXPECT_EQ(a * 2.0, (Point{2, 4, 6}));
    EXPECT_DOUBLE_EQ(Distance(a, b), 5.0);
}

TEST(Geometry, AngleBetweenVectorsIsUnsignedAndZeroForZeroVector) {
    EXPECT_NEAR(AngleBetween({1, 0, 0}, {0, 1, 0}), Pi / 2, 1e-15);
    EXPECT_NEAR(AngleBetween({1, 0, 0}, {0, -1, 0}), Pi / 2, 1e-15);
    EXPECT_NEAR(AngleBetween({1, 0, 0}, {-1, 0, 0}), Pi, 1e-15);
    EXPECT_NEAR(AngleBetween({1, 1e-9, 0}, {1, 0, 0}), 1e-9, 1e-20);
    EXPECT_EQ(AngleBetween({0, 0, 0}, {1, 0, 0}), 0.0);
}

TEST(Geometry, LocalOffsetCombinesTheMatrixRows) {
    // Rows are the local axes of a component frame: x along world y, z along world -x.
    const Matrix3d frame = Matrix3d::FromRows({0, 1, 0}, {0, 0, 1}, {-1, 0, 0});
    ExpectNear(frame.LocalOffset({2, 0, 0}), {0, 2, 0});
    ExpectNear(frame.LocalOffset({0, 0, 3}), {-3, 0, 0});
    ExpectNear(frame.LocalOffset({1, 1, 1}), {-1, 1, 1});
}

TEST(Geometry, RotationsTurnCounterClockwiseAboutTheirAxis) {
    ExpectNear(Matrix3d::RotationAboutAxisIndex(2, Pi / 2).Apply({1, 0, 0}), {0, 1, 0});
    ExpectNear(Matrix3d::RotationAboutAxisIndex(0, Pi / 2).Apply({0, 1, 0}), {0, 0, 1});
    ExpectNear(Matrix3d::RotationAboutAxisIndex(1, Pi / 2).Apply({0, 0, 1}), {1, 0, 0});
    ExpectNear(Matrix3d::RotationAboutAxis({0, 0, 5}, Pi).Apply({1, 2, 3}), {-1, -2, 3});
    EXPECT_THROW(Matrix3d::RotationAboutAxisIndex(3, 1.0), HostError);
    EXPECT_THROW(Matrix3d::RotationAboutAxis({0, 0, 0}, 1.0), HostError);
}

TEST(Geometry, TransformInverseUndoesTheTransform) {
    const Transform3d t = Transform3d::FromMatrixAndTranslation(
        Matrix3d::RotationAboutAxis({1, 2, 3}, 0.7) * Matrix3d::FromRows({2, 0, 0}, {0, 2, 0}, {0, 0, 2}),
        {10, -20, 5});
    const Point p{3, 4, 5};
    ExpectNear(t.Inverse().Apply(t.Apply(p)), p, 1e-12);
    ExpectNear((t * t.Inverse()).Apply(p), p, 1e-12);
}

TEST(Geometry, SingularTransformCannotBeInverted) {
    const Transform3d flat = Transform3d::FromMatrixAndTranslation(
        Matrix3d::FromRows({1, 0, 0}, {0, 1, 0}, {0, 0, 0}), {});
    EXPECT_THROW(flat.Inverse(), HostError);
}

TEST(Geometry, RangeTestsAreInclusiveAndIgnoreZ) {
    const Range r = Range::FromCorners({10, 10, 5}, {0, 0, 0});
    EXPECT_EQ(r.low, (Point{0, 0, 0}));
    EXPECT_TRUE(r.Contains2d({10, 0, 99}));
    EXPECT_FALSE(r.Contains2d({10.0000001, 0, 0}));
    EXPECT_TRUE(r.Overlaps2d({{10, 10, 0}, {20, 20, 0}}));
    EXPECT_FALSE(r.Overlaps2d({{10.5, 0, 0}, {20, 20, 0}}));
}

}  // namespace
}  // namespace zkl
