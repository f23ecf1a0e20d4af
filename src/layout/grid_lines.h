// Grid lines of a drawing area, read from grid cells: cells whose name matches the setting
// GridCellName and whose texts are the grid names, each written at both ends of its line.
// Also the two things grid lines add to the layout of a drawing area: their end points on
// the border for the dimension chains, and the dimension scale taken from a plant cell.
//
// Units: active-model drawing units. Texts of a grid cell that lives in a reference
// attachment are mapped into active-model coordinates before they are compared with the
// border. The caller owns every list; these functions only append to them.
#pragma once

#include <string>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"

namespace zkl {

struct GridLine {
    std::string name;  // the grid name as written in the cell
    std::string axis;  // "X": a line of constant x; "Y": a line of constant y
    double position = 0.0;

    friend bool operator==(const GridLine&, const GridLine&) = default;
};

// A run's grid lines. It behaves as a list that starts with one nameless record: a record
// appended while the first one is nameless takes its place, and the list counts as holding
// no grid lines while its last record is nameless (so a grid name written as empty text
// behaves as it always has).
using GridLines = std::vector<GridLine>;

void AppendGridLine(GridLines& lines, GridLine line);
bool HasGridLines(const GridLines& lines);

// Reads the texts of `cell` (direct components only, in the cell's order): the first two
// sightings of a name make its line, "X" when their x agree within 0.000001, otherwise "Y"
// at the second sighting's y; further sightings are ignored and a name seen once makes no
// line. Lines whose position lies within `border` (bounds inclusive) are appended to
// `lines` in the order their second sighting came. HostError when the cell's attachment
// cannot be read.
void CollectGridLines(const Host& host, const Element& cell, const Range& border, GridLines& lines);

// For each grid line, the two points where it meets the border's sides: an "X" line the
// bottom and the top side, a "Y" line the left and the right side (z 0). Appended with
// AppendDimensionPoint, so they replace the empty-list marker.
void AppendGridPoints(const GridLines& lines, const Range& border, std::vector<Point>& dimensionPoints);

// (first value of the cell's three-value scale / the scale divisor of its attachment)^0.5.
// HostError when the cell does not lie in an attachment; std::domain_error naming the
// cell when the quotient is negative or the divisor 0.
double DimensionScale(const Host& host, const Element& cell);

}  // namespace zkl
