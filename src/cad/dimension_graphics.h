// What a dimension element draws: the dimension line at its offset, an extension line from
// each point to it, terminators, and one text per segment ("*" shows the measured length).
// The fence, locate and SVG rendering all use these graphics, so they agree.
#pragma once

#include <vector>

#include "host/element.h"
#include "host/host_types.h"

namespace zkl::cad {

// Detached lines and texts in the dimension's coordinates, symbology taken from it.
std::vector<Element> DimensionGraphics(const Element& dimension, const DimensionStyle& style);

// The text a segment shows: its own text, or the measured length when the text is "*"
// (rounded to the style's decimals).
std::string SegmentDisplayText(const DimensionGeometry& dimension, int number, const DimensionStyle& style);

}  // namespace zkl::cad
