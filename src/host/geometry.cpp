#include "host/geometry.h"

#include <algorithm>

#include "host/host_error.h"

namespace zkl {

Point Cross(const Point& a, const Point& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Point& v) { return std::sqrt(Dot(v, v)); }
double Distance(const Point& a, const Point& b) { return Length(a - b); }

double AngleBetween(const Point& a, const Point& b) {
    const double la = Length(a);
    const double lb = Length(b);
    if (la == 0.0 || lb == 0.0) return 0.0;
    // atan2 of |a x b| and a.b stays accurate for nearly parallel vectors, unlike acos.
    return std::atan2(Length(Cross(a, b)), Dot(a, b));
}

void Range::Extend(const Range& other) {
    Extend(other.low);
    Extend(other.high);
}

bool Range::Contains2d(const Point& p) const {
    return low.x <= p.x && p.x <= high.x && low.y <= p.y && p.y <= high.y;
}

bool Range::Overlaps2d(const Range& other) const {
    return low.x <= other.high.x && other.low.x <= high.x && low.y <= other.high.y &&
           other.low.y <= high.y;
}

Matrix3d Matrix3d::FromRows(const Point& row0, const Point& row1, const Point& row2) {
    return {{row0.x, row0.y, row0.z, row1.x, row1.y, row1.z, row2.x, row2.y, row2.z}};
}

Matrix3d Matrix3d::RotationAboutAxisIndex(int axis, double angle) {
    switch (axis) {
        case 0: return RotationAboutAxis({1, 0, 0}, angle);
        case 1: return RotationAboutAxis({0, 1, 0}, angle);
        case 2: return RotationAboutAxis({0, 0, 1}, angle);
        default: throw HostError("rotation axis index must be 0, 1 or 2, not " + std::to_string(axis));
    }
}

Matrix3d Matrix3d::RotationAboutAxis(const Point& axis, double angle) {
    const double length = Length(axis);
    if (length == 0.0) throw HostError("cannot rotate about a zero-length axis");
    const Point u = axis * (1.0 / length);
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double k = 1.0 - c;
    // Rodrigues' formula.
    return {{c + u.x * u.x * k, u.x * u.y * k - u.z * s, u.x * u.z * k + u.y * s,
             u.y * u.x * k + u.z * s, c + u.y * u.y * k, u.y * u.z * k - u.x * s,
             u.z * u.x * k - u.y * s, u.z * u.y * k + u.x * s, c + u.z * u.z * k}};
}

Point Matrix3d::Apply(const Point& p) const { return {Dot(Row(0), p), Dot(Row(1), p), Dot(Row(2), p)}; }

Point Matrix3d::LocalOffset(const Point& offset) const {
    return Row(0) * offset.x + Row(1) * offset.y + Row(2) * offset.z;
}

Matrix3d Matrix3d::operator*(const Matrix3d& other) const {
    Matrix3d r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[static_cast<std::size_t>(i * 3 + j)] = Dot(Row(i), other.Column(j));
    return r;
}

Matrix3d Matrix3d::Transposed() const { return FromRows(Column(0), Column(1), Column(2)); }

double Matrix3d::Determinant() const { return Dot(Row(0), Cross(Row(1), Row(2))); }

Transform3d Transform3d::FromMatrixAndTranslation(const Matrix3d& matrix, const Point& translation) {
    const auto& a = matrix.m;
    return {{a[0], a[1], a[2], translation.x, a[3], a[4], a[5], translation.y, a[6], a[7], a[8],
             translation.z}};
}

Matrix3d Transform3d::Linear() const { return {{t[0], t[1], t[2], t[4], t[5], t[6], t[8], t[9], t[10]}}; }

Transform3d Transform3d::operator*(const Transform3d& other) const {
    return FromMatrixAndTranslation(Linear() * other.Linear(), Apply(other.Translation()));
}

Transform3d Transform3d::Inverse() const {
    const Matrix3d a = Linear();
    const double det = a.Determinant();
    if (std::abs(det) < 1e-300) throw HostError("the transform cannot be inverted: its matrix is singular");
    // The inverse of a matrix is its adjugate over its determinant; the adjugate's rows are
    // cross products of the columns.
    const Point c0 = a.Column(0), c1 = a.Column(1), c2 = a.Column(2);
    const Matrix3d inv = Matrix3d::FromRows(Cross(c1, c2) * (1 / det), Cross(c2, c0) * (1 / det),
                                            Cross(c0, c1) * (1 / det));
    return FromMatrixAndTranslation(inv, -inv.Apply(Translation()));
}

}  // namespace zkl
