// How an element's symbology looks on a white sheet: colour index to RGB, line weight to
// stroke width in drawing units, line style to an SVG dash pattern. The palette is fixed so
// that the same drawing always renders to the same colours.
#pragma once

#include <string>
#include <vector>

#include "host/host_types.h"

namespace zkl::io {

// "#rrggbb" for a colour index. 0 is black (the sheet is white), 1 blue, 2 green, 3 red,
// 4 a yellow dark enough to read, 5 violet, 6 orange, 7 dark grey; higher indices cycle
// through a fixed table of sixteen and negative ones are black.
std::string ColourOf(int colourIndex);

// Stroke width in drawing units: 0.18 for weight 0, thicker by 0.1 per weight step;
// negative weights draw as weight 0.
double StrokeWidthOf(int weight);

// The stroke-dasharray value for a line style name, or "" for a solid line: unknown names,
// styles without dashes and patterns SVG cannot draw (negative or all-zero lengths).
std::string DashArrayOf(const std::vector<LineStyle>& lineStyles, const std::string& lineStyleName);

}  // namespace zkl::io
