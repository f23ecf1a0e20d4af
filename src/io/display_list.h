// The sheet flattened for drawing: what every picture of it (SVG, DXF, PDF, the desktop
// canvas) shows, worked out once. Reference attachments are moved into active-model
// coordinates and marked as such, cells keep their nesting so a back end can group them,
// dimensions are expanded into their graphics, texts carry the box the text-metrics rule
// gives them, and symbology is resolved against the design file's tables.
//
// Units are active-model drawing units. The list owns copies of everything it shows; it
// does not refer back to the drawing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing.h"

namespace zkl::io {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// How a piece is drawn, resolved from its element's symbology.
struct DisplayStyle {
    Symbology symbology;         // as stored: level, colour index, line style name, weight
    Rgb colour;                  // the colour index on a white sheet
    std::vector<double> dashes;  // on, off, on, ... lengths in drawing units; empty: solid
    double strokeWidth = 0.0;    // drawing units
};

// One element as drawn. A cell holds its components and a dimension its graphics in
// `parts`; any other element is one primitive, `shape`, already in active-model coordinates.
struct DisplayElement {
    ElementType type = ElementType::Line;
    ElementId id = NoElementId;  // NoElementId for parts
    std::string cellName;        // cells only
    DisplayStyle style;
    bool filled = false;             // a closed shape drawn filled (dimension arrowheads)
    std::optional<Element> shape;    // line, line string, shape, ellipse or text
    std::array<Point, 4> textBox{};  // texts: corners as cad::TextCorners gives them
    std::vector<DisplayElement> parts;
};

// The elements of one model in storage order.
struct DisplayModel {
    ModelId model = ActiveModelId;
    std::string name;        // the attachment's name; empty for the active model
    bool reference = false;  // graphics of a reference attachment, drawn dimmed
    std::vector<DisplayElement> elements;
};

struct DisplayList {
    // Displayed attachments in their order, then the active model, which is drawn on top.
    std::vector<DisplayModel> models;
    // The xy range of everything drawn; none when nothing is.
    std::optional<Range> extent;
};

// Throws HostError when an element cannot be drawn (a dimension whose graphics cannot be
// built).
DisplayList BuildDisplayList(const cad::Drawing& drawing);

// An ellipse as seen from above, which is how every picture shows it: its semi-axes and the
// angle of the major one from the x axis (radians). Mirrored and tilted ellipses included.
struct EllipseFromAbove {
    double major = 0.0;
    double minor = 0.0;
    double angle = 0.0;
};
EllipseFromAbove SeenFromAbove(const EllipseGeometry& ellipse);

// "#rrggbb" of a colour index: 0 is black (the sheet is white), 1 blue, 2 green, 3 red, 4 a
// yellow dark enough to read, 5 violet, 6 orange, 7 dark grey; higher indices cycle through
// a fixed table of sixteen and negative ones are black.
Rgb ColourRgb(int colourIndex);

// Stroke width in drawing units: 0.18 for weight 0, thicker by 0.1 per weight step;
// negative weights draw as weight 0.
double StrokeWidthOf(int weight);

// The dash pattern of a line style: empty for a solid line, an unknown name, and patterns
// no back end can draw (negative, not-a-number or all-zero lengths).
std::vector<double> DashPatternOf(const std::vector<LineStyle>& lineStyles, const std::string& lineStyleName);

}  // namespace zkl::io
