#include "cad/dimension_graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zkl::cad {

namespace {

constexpr double TextWidthFactor = 0.8;     // glyph width over text height
constexpr double ArrowHalfWidth = 1.0 / 6;  // of the arrow's length: a 1:3 arrow head

// Rounds half to even at `decimals` digits, treating values within rounding noise of a half
// as halves: a measured 10.35 is a decimal half to the user even though its double is not.
double RoundHalfEven(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    const double floor = std::floor(scaled);
    const double fraction = scaled - floor;
    const double slack = 1e-9 * std::max(1.0, std::abs(scaled));
    double rounded;
    if (std::abs(fraction - 0.5) <= slack)
        rounded = std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
    else
        rounded = std::round(scaled);
    return rounded / scale;
}

std::string FormatMeasured(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 12);
    if (!std::isfinite(value)) return "0";
    const double rounded = RoundHalfEven(std::abs(value), decimals);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    return buffer;
}

// Option values of the text margin and the extension overshoot count in tenths of a text
// height.
constexpr double OptionUnit = 0.1;

// Components within rounding noise of 0 are 0: a quarter turn built from cos(pi/2) leaves
// 6e-17 in its matrix, and feet must keep their points' coordinates exactly so that a
// chain's range ends where its outer points are.
Point Unit(const Point& v, const Point& fallback) {
    const double length = Length(v);
    if (!(length > 0)) return fallback;
    Point unit = v * (1 / length);
    for (double* c : {&unit.x, &unit.y, &unit.z})
        if (std::abs(*c) < 1e-12) *c = 0.0;
    const double snapped = Length(unit);
    return snapped > 0 ? unit * (1 / snapped) : fallback;
}

// An arrow at `tip`, whose segment runs from the tip in direction `inward`; `across` is the
// dimension's offset direction, so arrows lie in the dimension's plane.
void AddTerminator(int kind, const Point& tip, const Point& inward, const Point& across, double size,
                   std::vector<Element>& graphics) {
    const Point back = tip + inward * size;
    const Point wing = across * (size * ArrowHalfWidth);
    switch (kind) {
        case 1:
            graphics.push_back(MakeLine(tip, back + wing));
            graphics.push_back(MakeLine(tip, back - wing));
            break;
        case 2:
            graphics.push_back(MakeShape({tip, back + wing, back - wing}));
            break;
        default:
            break;  // 0 draws nothing; 3, the stroke, does not depend on the direction
    }
}

}  // namespace

std::string SegmentDisplayText(const DimensionGeometry& dimension, int number, const DimensionStyle& style) {
    (void)dimension.PointAt(number);  // throws HostError naming a point that does not exist
    // A sheet file may carry fewer segment texts than points; the missing ones show nothing.
    const auto index = static_cast<std::size_t>(number - 1);
    const std::string text =
        index < dimension.segmentTexts.size() ? dimension.segmentTexts[index] : std::string();
    if (text != "*") return text;
    return FormatMeasured(dimension.MeasuredLength(number), style.decimals);
}

std::vector<Element> DimensionGraphics(const Element& dimension, const DimensionStyle& style) {
    const DimensionGeometry& geometry = dimension.Dimension();
    std::vector<Element> graphics;
    if (geometry.points.empty()) return graphics;

    const Point along = Unit(geometry.rotation.Column(0), {1, 0, 0});
    const Point across = Unit(geometry.rotation.Column(1), {0, 1, 0});
    // Texts read along the same cleaned-up frame, so a vertical chain's read exactly upwards.
    const Matrix3d textRotation = Matrix3d::FromRows(along, across, Cross(along, across)).Transposed();
    const double textHeight = std::abs(style.textHeight * geometry.scale);
    const DimensionOptions& options = geometry.options;
    // Texts and overshoots go to the side of the dimension line away from the points.
    const double side = geometry.offset < 0 ? -1.0 : 1.0;

    // A point's foot is the point moved across onto the dimension line, so along the
    // dimension it stays exactly where the point is.
    const double lineAcross = Dot(geometry.points.front(), across) + geometry.offset;
    std::vector<Point> feet;
    for (const Point& p : geometry.points) feet.push_back(p - across * Dot(p, across) + across * lineAcross);

    for (std::size_t i = 0; i < feet.size(); ++i) {
        const double towards = Dot(feet[i] - geometry.points[i], across);
        const double direction = std::abs(towards) > 0 ? (towards > 0 ? 1.0 : -1.0) : side;
        graphics.push_back(
            MakeLine(geometry.points[i],
                     feet[i] + across * (direction * options.extensionOvershoot * OptionUnit * textHeight)));
    }

    for (std::size_t i = 1; i < feet.size(); ++i) {
        graphics.push_back(MakeLine(feet[i - 1], feet[i]));
        const Point forward = Unit(feet[i] - feet[i - 1], along);
        if (options.terminator == 3) {
            // An oblique stroke leans at 45 degrees the same way at every point.
            const Point half = Unit(along + across, along) * (textHeight / 2);
            graphics.push_back(MakeLine(feet[i - 1] - half, feet[i - 1] + half));
            graphics.push_back(MakeLine(feet[i] - half, feet[i] + half));
        } else {
            AddTerminator(options.terminator, feet[i - 1], forward, across, textHeight, graphics);
            AddTerminator(options.terminator, feet[i], -forward, across, textHeight, graphics);
        }
    }

    for (int number = 2; number <= geometry.PointCount(); ++number) {
        const std::string text = SegmentDisplayText(geometry, number, style);
        if (text.empty()) continue;
        const auto i = static_cast<std::size_t>(number - 1);
        const Point middle = (feet[i - 1] + feet[i]) * 0.5;
        // Bottom-centre justified and reading along the dimension: on the negative side the
        // baseline sits a text height further out so the glyphs grow away from the line.
        const double margin = options.textMargin * OptionUnit;
        const double distance = side > 0 ? margin * textHeight : -(margin + 1) * textHeight;
        Element element = MakeText(text, middle + across * distance, textRotation);
        TextGeometry& textGeometry = element.Text();
        textGeometry.height = textHeight;
        textGeometry.width = textHeight * TextWidthFactor;
        textGeometry.justification = 8;
        graphics.push_back(std::move(element));
    }

    for (Element& graphic : graphics) graphic.symbology = dimension.symbology;
    return graphics;
}

}  // namespace zkl::cad
