// How resolved symbology is written in SVG: colours as "#rrggbb", dash patterns as
// stroke-dasharray values.
#pragma once

#include <string>
#include <vector>

#include "io/display_list.h"

namespace zkl::io {

// "#rrggbb" of a colour (see ColourRgb).
std::string HexColour(const Rgb& colour);
std::string ColourOf(int colourIndex);

// The stroke-dasharray value of a dash pattern, "" for a solid line.
std::string DashArrayOf(const std::vector<double>& dashes);

}  // namespace zkl::io
