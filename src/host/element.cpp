#include "host/element.h"

#include <algorithm>
#include <cmath>

#include "host/host_error.h"

namespace zkl {

const char* ElementTypeName(ElementType type) {
    switch (type) {
        case ElementType::Cell:
            return "cell";
        case ElementType::Line:
            return "line";
        case ElementType::LineString:
            return "line string";
        case ElementType::Shape:
            return "shape";
        case ElementType::Ellipse:
            return "ellipse";
        case ElementType::Text:
            return "text";
        case ElementType::Dimension:
            return "dimension";
    }
    return "element";
}

namespace {

template <typename Geometry>
Geometry& As(Element& element, const char* wanted) {
    if (auto* geometry = std::get_if<Geometry>(&element.geometry)) return *geometry;
    throw HostError(element.Describe() + " is not " + wanted);
}

template <typename Geometry>
const Geometry& As(const Element& element, const char* wanted) {
    if (const auto* geometry = std::get_if<Geometry>(&element.geometry)) return *geometry;
    throw HostError(element.Describe() + " is not " + wanted);
}

void CheckNumber(const DimensionGeometry& dimension, int number, int highest) {
    if (number < 1 || number > highest)
        throw HostError("dimension point " + std::to_string(number) + " does not exist (the dimension has " +
                        std::to_string(dimension.PointCount()) + " points)");
}

// Orthonormal part of a linear map (columns normalised), so that orientations stay rotations
// when a transform also scales.
Matrix3d Orientation(const Matrix3d& linear) {
    Point c0 = linear.Column(0), c1 = linear.Column(1), c2 = linear.Column(2);
    auto unit = [](Point v) {
        const double l = Length(v);
        return l == 0.0 ? v : v * (1.0 / l);
    };
    c0 = unit(c0);
    c1 = unit(c1);
    c2 = unit(c2);
    return Matrix3d::FromRows(c0, c1, c2).Transposed();
}

}  // namespace

const Point& DimensionGeometry::PointAt(int number) const {
    CheckNumber(*this, number, PointCount());
    return points[static_cast<std::size_t>(number - 1)];
}

void DimensionGeometry::AddPoint(const Point& p) {
    points.push_back(p);
    segmentTexts.emplace_back();
}

void DimensionGeometry::InsertPoint(int number, const Point& p) {
    CheckNumber(*this, number, PointCount() + 1);
    points.insert(points.begin() + (number - 1), p);
    segmentTexts.insert(segmentTexts.begin() + (number - 1), "*");
}

void DimensionGeometry::DeletePoint(int number) {
    CheckNumber(*this, number, PointCount());
    points.erase(points.begin() + (number - 1));
    segmentTexts.erase(segmentTexts.begin() + (number - 1));
}

void DimensionGeometry::SetSegmentText(int number, const std::string& text) {
    CheckNumber(*this, number, PointCount());
    segmentTexts[static_cast<std::size_t>(number - 1)] = text;
}

std::string DimensionGeometry::SegmentText(int number) const {
    CheckNumber(*this, number, PointCount());
    return segmentTexts[static_cast<std::size_t>(number - 1)];
}

double DimensionGeometry::MeasuredLength(int number) const {
    CheckNumber(*this, number, PointCount());
    if (number == 1) return 0.0;
    return Dot(PointAt(number) - PointAt(number - 1), rotation.Column(0));
}

LinearGeometry& Element::Linear() { return As<LinearGeometry>(*this, "a line, line string or shape"); }
const LinearGeometry& Element::Linear() const {
    return As<LinearGeometry>(*this, "a line, line string or shape");
}
EllipseGeometry& Element::Ellipse() { return As<EllipseGeometry>(*this, "an ellipse"); }
const EllipseGeometry& Element::Ellipse() const { return As<EllipseGeometry>(*this, "an ellipse"); }
TextGeometry& Element::Text() { return As<TextGeometry>(*this, "a text"); }
const TextGeometry& Element::Text() const { return As<TextGeometry>(*this, "a text"); }
CellGeometry& Element::Cell() { return As<CellGeometry>(*this, "a cell"); }
const CellGeometry& Element::Cell() const { return As<CellGeometry>(*this, "a cell"); }
DimensionGeometry& Element::Dimension() { return As<DimensionGeometry>(*this, "a dimension"); }
const DimensionGeometry& Element::Dimension() const { return As<DimensionGeometry>(*this, "a dimension"); }

void Element::Move(const Point& by) {
    ApplyTransform(Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), by));
}

void Element::Rotate(const Matrix3d& rotation, const Point& pivot) {
    // p' = R (p - pivot) + pivot
    ApplyTransform(Transform3d::FromMatrixAndTranslation(rotation, pivot - rotation.Apply(pivot)));
}

void Element::RotateAboutZ(double angle, const Point& pivot) {
    Rotate(Matrix3d::RotationAboutAxisIndex(2, angle), pivot);
}

void Element::ApplyTransform(const Transform3d& transform) {
    const Matrix3d linear = transform.Linear();
    const double scale = std::cbrt(std::abs(linear.Determinant()));
    const Matrix3d orientation = Orientation(linear);
    std::visit(
        [&](auto& g) {
            using G = std::decay_t<decltype(g)>;
            if constexpr (std::is_same_v<G, LinearGeometry>) {
                for (auto& v : g.vertices) v = transform.Apply(v);
            } else if constexpr (std::is_same_v<G, EllipseGeometry>) {
                g.centre = transform.Apply(g.centre);
                g.primaryRadius *= scale;
                g.secondaryRadius *= scale;
                g.rotation = orientation * g.rotation;
            } else if constexpr (std::is_same_v<G, TextGeometry>) {
                g.origin = transform.Apply(g.origin);
                g.height *= scale;
                g.width *= scale;
                g.rotation = orientation * g.rotation;
            } else if constexpr (std::is_same_v<G, CellGeometry>) {
                g.origin = transform.Apply(g.origin);
                for (auto& component : g.components) component.ApplyTransform(transform);
            } else if constexpr (std::is_same_v<G, DimensionGeometry>) {
                for (auto& p : g.points) p = transform.Apply(p);
                g.offset *= scale;
                g.rotation = orientation * g.rotation;
            }
        },
        geometry);
}

namespace {

// The nesting, but at most `budget`: the recursion stops that many levels down, whatever the
// element holds below.
int CellNestingWithin(const Element& element, int budget) {
    const auto* cell = std::get_if<CellGeometry>(&element.geometry);
    if (cell == nullptr) return 0;
    if (budget == 1) return 1;
    int deepest = 0;
    for (const Element& component : cell->components) {
        deepest = std::max(deepest, CellNestingWithin(component, budget - 1));
        if (deepest == budget - 1) break;  // no component can give more
    }
    return 1 + deepest;
}

}  // namespace

int CellNesting(const Element& element) { return CellNestingWithin(element, MaxCellNesting + 1); }

void CheckCellNesting(const Element& element) {
    if (CellNesting(element) > MaxCellNesting)
        throw HostError(element.Describe() + " holds cells nested deeper than " +
                        std::to_string(MaxCellNesting) + " levels");
}

std::string Element::Describe() const {
    std::string text = ElementTypeName(type);
    if (id != NoElementId) text += " " + std::to_string(id);
    if (const auto* cell = std::get_if<CellGeometry>(&geometry)) text += " '" + cell->name + "'";
    if (const auto* t = std::get_if<TextGeometry>(&geometry)) text += " '" + t->text + "'";
    return text;
}

Element MakeLine(const Point& start, const Point& end) {
    Element e;
    e.type = ElementType::Line;
    e.geometry = LinearGeometry{{start, end}};
    return e;
}

Element MakeLineString(std::vector<Point> vertices) {
    if (vertices.size() < 2) throw HostError("a line string needs at least two vertices");
    Element e;
    e.type = ElementType::LineString;
    e.geometry = LinearGeometry{std::move(vertices)};
    return e;
}

Element MakeLineFromVertices(std::vector<Point> vertices) {
    if (vertices.size() == 2) return MakeLine(vertices[0], vertices[1]);
    return MakeLineString(std::move(vertices));
}

Element MakeShape(std::vector<Point> vertices) {
    if (vertices.size() < 3) throw HostError("a shape needs at least three vertices");
    if (!(vertices.front() == vertices.back())) vertices.push_back(vertices.front());
    Element e;
    e.type = ElementType::Shape;
    e.geometry = LinearGeometry{std::move(vertices)};
    return e;
}

Element MakeEllipse(const Point& centre, double primaryRadius, double secondaryRadius,
                    const Matrix3d& rotation) {
    Element e;
    e.type = ElementType::Ellipse;
    e.geometry = EllipseGeometry{centre, primaryRadius, secondaryRadius, rotation};
    return e;
}

Element MakeText(std::string text, const Point& origin, const Matrix3d& rotation) {
    Element e;
    e.type = ElementType::Text;
    TextGeometry g;
    g.text = std::move(text);
    g.origin = origin;
    g.rotation = rotation;
    e.geometry = std::move(g);
    return e;
}

Element MakeCell(std::string name, std::vector<Element> components, const Point& origin, bool pointCell) {
    Element e;
    e.type = ElementType::Cell;
    CellGeometry g;
    g.name = std::move(name);
    g.origin = origin;
    g.pointCell = pointCell;
    for (auto& component : components) {
        // Components are parts of the cell, not model elements of their own.
        component.id = NoElementId;
        g.components.push_back(std::move(component));
    }
    e.geometry = std::move(g);
    return e;
}

Element MakeDimension(const Matrix3d& rotation, int dimensionType) {
    Element e;
    e.type = ElementType::Dimension;
    DimensionGeometry g;
    g.rotation = rotation;
    g.dimensionType = dimensionType;
    e.geometry = std::move(g);
    return e;
}

}  // namespace zkl
