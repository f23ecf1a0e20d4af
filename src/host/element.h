// Drawing elements as values. A detached element is built with the Make* functions, moved,
// rotated and changed freely; a host gives it an id and a model when it is added, and takes
// changed copies back through rewrite. Cells hold their components by value, recursively.
//
// Units: drawing units of the model the element lives in; angles in radians. Matrices of
// texts, ellipses and dimensions map local to world coordinates: column 0 is the local x
// axis (a text's reading direction, an ellipse's primary axis, a dimension's measuring
// direction), column 1 the local y axis.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "host/geometry.h"
#include "host/property_value.h"

namespace zkl {

// The host's element type codes.
enum class ElementType : int {
    Cell = 2,
    Line = 3,
    LineString = 4,
    Shape = 6,
    Ellipse = 15,
    Text = 17,
    Dimension = 33,
};

const char* ElementTypeName(ElementType type);

using ElementId = std::int64_t;
inline constexpr ElementId NoElementId = 0;  // a detached element

// 0 is the active model; attachments are numbered from 1 in the host's order.
using ModelId = int;
inline constexpr ModelId ActiveModelId = 0;

struct Symbology {
    std::string level;  // level name; empty until the element is given one
    int colour = 0;
    std::string lineStyle = "0";  // line style name
    int weight = 0;

    friend bool operator==(const Symbology&, const Symbology&) = default;
};

// Line (2 vertices), line string (2 or more) and closed shape (last vertex = first).
struct LinearGeometry {
    std::vector<Point> vertices;
    friend bool operator==(const LinearGeometry&, const LinearGeometry&) = default;
};

struct EllipseGeometry {
    Point centre;
    double primaryRadius = 0.0;
    double secondaryRadius = 0.0;
    Matrix3d rotation;
    friend bool operator==(const EllipseGeometry&, const EllipseGeometry&) = default;
};

// Justification codes: column * 3 + row, columns 0 left, 1 left margin, 2 centre,
// 3 right margin, 4 right; rows 0 top, 1 centre, 2 bottom (2 left-bottom, 7 centre-centre,
// 14 right-bottom). The text box rule is documented in docs/text-metrics.md.
struct TextGeometry {
    std::string text;
    Point origin;
    Matrix3d rotation;
    std::string style;  // text style name
    double height = 1.0;
    double width = 1.0;
    int justification = 2;
    // Lets a one-line text keep its origin when edited (the placement option a side text
    // switches off); carried for the host, it does not change the box.
    bool fixedOrigin = true;
    friend bool operator==(const TextGeometry&, const TextGeometry&) = default;
};

struct Element;

struct CellGeometry {
    std::string name;
    Point origin;
    std::vector<Element> components;
    bool pointCell = false;
    // The cell's three-value scale property (x, y, z).
    std::array<double, 3> scale{1.0, 1.0, 1.0};
    friend bool operator==(const CellGeometry&, const CellGeometry&);
};

// What the three style options of a dimension mean in our engine (docs/dimensions.md).
struct DimensionOptions {
    int terminator = 1;             // 0 none, 1 open arrow, 2 filled arrow, 3 oblique stroke
    double textMargin = 5;          // gap between dimension line and text, in tenths of a text height
    double extensionOvershoot = 5;  // extension line beyond the dimension line, in tenths of a text height
    friend bool operator==(const DimensionOptions&, const DimensionOptions&) = default;
};

// A linear dimension chain. Points are numbered from 1 by the host API (PointAt etc.);
// segment text i belongs to the segment that ends at point i ("*" shows the measured value).
struct DimensionGeometry {
    std::vector<Point> points;
    std::vector<std::string> segmentTexts;  // same length as points; entry 0 unused
    Matrix3d rotation;
    int dimensionType = 15;
    std::string style;  // dimension style name
    DimensionOptions options;
    double offset = 0.0;  // distance of the dimension line from the points, along local y
    double scale = 1.0;   // multiplies the style's text size
    std::uint64_t savedValue = 0;

    int PointCount() const { return static_cast<int>(points.size()); }
    const Point& PointAt(int number) const;  // 1-based; throws HostError
    void AddPoint(const Point& p);
    void InsertPoint(int number, const Point& p);  // becomes point `number`
    void DeletePoint(int number);
    void SetSegmentText(int number, const std::string& text);
    std::string SegmentText(int number) const;
    // Distance from point number-1 to point number along the measuring direction.
    double MeasuredLength(int number) const;

    friend bool operator==(const DimensionGeometry&, const DimensionGeometry&) = default;
};

struct Element {
    ElementId id = NoElementId;
    ModelId model = ActiveModelId;
    ElementType type = ElementType::Line;
    Symbology symbology;
    bool locked = false;
    PropertyList properties;
    std::variant<LinearGeometry, EllipseGeometry, TextGeometry, CellGeometry, DimensionGeometry> geometry;

    bool IsInModel() const { return id != NoElementId; }

    // Typed views; each throws HostError naming the element when it is of another kind.
    LinearGeometry& Linear();
    const LinearGeometry& Linear() const;
    EllipseGeometry& Ellipse();
    const EllipseGeometry& Ellipse() const;
    TextGeometry& Text();
    const TextGeometry& Text() const;
    CellGeometry& Cell();
    const CellGeometry& Cell() const;
    DimensionGeometry& Dimension();
    const DimensionGeometry& Dimension() const;

    bool IsLinear() const { return std::holds_alternative<LinearGeometry>(geometry); }
    bool IsEllipse() const { return type == ElementType::Ellipse; }
    bool IsText() const { return type == ElementType::Text; }
    bool IsCell() const { return type == ElementType::Cell; }
    bool IsDimension() const { return type == ElementType::Dimension; }

    void Move(const Point& by);
    // Rotates about pivot; rotation is applied to every point and orientation.
    void Rotate(const Matrix3d& rotation, const Point& pivot);
    // Counter-clockwise about the z axis through pivot.
    void RotateAboutZ(double angle, const Point& pivot);
    // Any affine transform; sizes (text height and width, radii, dimension offset) scale by
    // the transform's mean scale factor.
    void ApplyTransform(const Transform3d& transform);

    // A short description for messages: "text 42 'ABC'", "cell 7 'ZKL_Label'".
    std::string Describe() const;

    friend bool operator==(const Element&, const Element&) = default;
};

// How deep cells may nest: a model element that is a cell is level 1, a cell among its
// components level 2, and so on. Real drawings nest a few levels (a label cell in a component
// cell); the limit is generous. Every walk over an element (its range and outline, the fence,
// properties, transforms, drawing and saving) recurses into cell components, so a model
// refuses deeper cells where they enter it, and no walk ever sees more than this.
inline constexpr int MaxCellNesting = 64;

// The levels of cells from the element down to its deepest component: 0 for an element that
// is not a cell, 1 for a cell of lines and texts, 2 for a cell holding such a cell. Counts no
// further than MaxCellNesting + 1, so that measuring a cell that is too deep cannot itself
// exhaust the stack.
int CellNesting(const Element& element);
// Throws HostError naming the element when its cells nest deeper than MaxCellNesting.
void CheckCellNesting(const Element& element);

inline bool operator==(const CellGeometry& a, const CellGeometry& b) {
    return a.name == b.name && a.origin == b.origin && a.components == b.components &&
           a.pointCell == b.pointCell && a.scale == b.scale;
}

// Detached elements. Symbology starts empty (level "", colour 0, style "0", weight 0).
Element MakeLine(const Point& start, const Point& end);
Element MakeLineString(std::vector<Point> vertices);
// Two vertices make a line, more make a line string.
Element MakeLineFromVertices(std::vector<Point> vertices);
// Closes the vertex list when its last vertex is not the first.
Element MakeShape(std::vector<Point> vertices);
Element MakeEllipse(const Point& centre, double primaryRadius, double secondaryRadius,
                    const Matrix3d& rotation = Matrix3d::Identity());
Element MakeText(std::string text, const Point& origin, const Matrix3d& rotation = Matrix3d::Identity());
Element MakeCell(std::string name, std::vector<Element> components, const Point& origin,
                 bool pointCell = false);
Element MakeDimension(const Matrix3d& rotation, int dimensionType = 15);

}  // namespace zkl
