// Geometry value types shared by the labeller and every host: points (also used as
// vectors), ranges, 3x3 matrices and 3x4 transforms. Coordinates are drawing units of the
// model they belong to; angles are radians. Everything here is plain arithmetic.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace zkl {

inline constexpr double Pi = std::numbers::pi;

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend bool operator==(const Point&, const Point&) = default;
};

// Inline: every probe of a free-place search does point arithmetic.
inline Point operator+(const Point& a, const Point& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Point operator-(const Point& a, const Point& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Point operator-(const Point& a) { return {-a.x, -a.y, -a.z}; }
inline Point operator*(const Point& a, double factor) { return {a.x * factor, a.y * factor, a.z * factor}; }
inline Point operator*(double factor, const Point& a) { return a * factor; }
inline double Dot(const Point& a, const Point& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

double Distance(const Point& a, const Point& b);
double Length(const Point& v);
Point Cross(const Point& a, const Point& b);
// Unsigned angle between two vectors, 0..pi; 0 when either is the zero vector.
double AngleBetween(const Point& a, const Point& b);

// Axis-aligned box given by its low and high corner.
struct Range {
    Point low;
    Point high;

    friend bool operator==(const Range&, const Range&) = default;

    static Range FromPoint(const Point& p) { return {p, p}; }
    // The smallest range holding both corners, whatever their order.
    static Range FromCorners(const Point& a, const Point& b) {
        Range r{a, a};
        r.Extend(b);
        return r;
    }
    // Inline: fence probes and range building run it millions of times.
    void Extend(const Point& p) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    void Extend(const Range& other);
    bool Contains2d(const Point& p) const;
    bool Overlaps2d(const Range& other) const;
};

// Row-major 3x3 matrix. Row i is the image of local axis i when the matrix is used as a
// frame (LocalOffset); Apply is the ordinary matrix-times-column product.
struct Matrix3d {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};

    friend bool operator==(const Matrix3d&, const Matrix3d&) = default;

    static Matrix3d Identity() { return {}; }
    static Matrix3d FromRows(const Point& row0, const Point& row1, const Point& row2);
    // Rotation by angle (counter-clockwise looking down the axis) about axis 0, 1 or 2.
    static Matrix3d RotationAboutAxisIndex(int axis, double angle);
    // Rotation by angle about an arbitrary axis vector (need not be unit length).
    static Matrix3d RotationAboutAxis(const Point& axis, double angle);

    double At(int row, int column) const { return m[static_cast<std::size_t>(row * 3 + column)]; }
    Point Row(int row) const { return {At(row, 0), At(row, 1), At(row, 2)}; }
    Point Column(int column) const { return {At(0, column), At(1, column), At(2, column)}; }
    Point Apply(const Point& p) const;
    // a*row0 + b*row1 + c*row2 for offset (a, b, c): an offset in the frame the rows span.
    Point LocalOffset(const Point& offset) const;
    Matrix3d operator*(const Matrix3d& other) const;
    Matrix3d Transposed() const;
    double Determinant() const;
};

// 3x4 affine transform: a 3x3 linear part and a translation, row-major as twelve doubles
// (m00 m01 m02 t0 / m10 m11 m12 t1 / m20 m21 m22 t2).
struct Transform3d {
    std::array<double, 12> t{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

    friend bool operator==(const Transform3d&, const Transform3d&) = default;

    static Transform3d Identity() { return {}; }
    static Transform3d FromMatrixAndTranslation(const Matrix3d& matrix, const Point& translation);

    Matrix3d Linear() const;
    Point Translation() const { return {t[3], t[7], t[11]}; }
    // The linear part's rows dotted with p, then the translation added, spelt out inline:
    // attachment geometry goes through here for every fence probe.
    Point Apply(const Point& p) const {
        return {t[0] * p.x + t[1] * p.y + t[2] * p.z + t[3], t[4] * p.x + t[5] * p.y + t[6] * p.z + t[7],
                t[8] * p.x + t[9] * p.y + t[10] * p.z + t[11]};
    }
    Transform3d operator*(const Transform3d& other) const;
    // Throws HostError when the linear part is singular.
    Transform3d Inverse() const;
};

}  // namespace zkl
