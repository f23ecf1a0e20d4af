#include "layout/grid_lines.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "component/component_geometry.h"
#include "host/property_value.h"
#include "layout/dimension_points.h"

namespace zkl {

namespace {

// Two sightings this close in x stand one above the other.
constexpr double SameXTolerance = 0.000001;

// What the cell says about one grid name so far.
struct GridNameSightings {
    std::string name;
    Point first;                   // the first sighting's origin
    std::optional<GridLine> line;  // set by the second sighting
};

}  // namespace

void AppendGridLine(GridLines& lines, GridLine line) {
    if (lines.empty() || lines.front().name.empty())
        lines.assign(1, std::move(line));
    else
        lines.push_back(std::move(line));
}

bool HasGridLines(const GridLines& lines) { return !lines.empty() && !lines.back().name.empty(); }

void CollectGridLines(const Host& host, const Element& cell, const Range& border, GridLines& lines) {
    std::optional<AttachmentInfo> attachment;
    if (host.IsAttachedReference(cell.model)) attachment = host.Attachment(cell.model);

    // Insertion order matters: a name moves to the end when its second sighting comes, and
    // the lines are appended in that order.
    std::vector<GridNameSightings> names;
    for (const Element& component : cell.Cell().components) {
        if (component.type != ElementType::Text) continue;
        const std::string& name = component.Text().text;
        const Point origin = attachment ? ReferenceToActivePoint(component.Text().origin, *attachment)
                                        : component.Text().origin;
        auto found = std::find_if(names.begin(), names.end(),
                                  [&](const GridNameSightings& s) { return s.name == name; });
        if (found == names.end()) {
            names.push_back({name, origin, std::nullopt});
            continue;
        }
        // A name written a third time (a label in the middle of a long line) adds nothing.
        if (found->line) continue;
        GridNameSightings sightings = std::move(*found);
        names.erase(found);
        if (std::abs(sightings.first.x - origin.x) < SameXTolerance)
            sightings.line = GridLine{name, "X", origin.x};
        else
            sightings.line = GridLine{name, "Y", origin.y};
        names.push_back(std::move(sightings));
    }

    for (const GridNameSightings& sightings : names) {
        if (!sightings.line) continue;
        const GridLine& line = *sightings.line;
        const bool inside = line.axis == "X"
                                ? border.low.x <= line.position && line.position <= border.high.x
                                : border.low.y <= line.position && line.position <= border.high.y;
        if (inside) AppendGridLine(lines, line);
    }
}

void AppendGridPoints(const GridLines& lines, const Range& border, std::vector<Point>& dimensionPoints) {
    if (!HasGridLines(lines)) return;
    for (const GridLine& line : lines) {
        Point first, second;
        if (line.axis == "X") {
            first = {line.position, border.low.y, 0.0};
            second = {line.position, border.high.y, 0.0};
        } else if (line.axis == "Y") {
            first = {border.low.x, line.position, 0.0};
            second = {border.high.x, line.position, 0.0};
        }
        AppendDimensionPoint(dimensionPoints, first);
        AppendDimensionPoint(dimensionPoints, second);
    }
}

double DimensionScale(const Host& host, const Element& cell) {
    const double scale = cell.Cell().scale[0];
    const double divisor = host.Attachment(cell.model).scaleDivisor;
    if (divisor == 0.0 || scale / divisor < 0.0)
        throw std::domain_error("the dimension scale cannot be taken from " + cell.Describe() +
                                ": its scale " + DoubleToText(scale) +
                                " divided by the attachment's scale divisor " + DoubleToText(divisor) +
                                " has no square root");
    return std::sqrt(scale / divisor);
}

}  // namespace zkl
