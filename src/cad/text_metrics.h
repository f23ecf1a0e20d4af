// The text metrics rule of our drawing engine (docs/text-metrics.md): every character is
// one cell `width` wide and `height` tall, so a text's box is (glyphs x width) by height,
// placed about the origin by the justification code and turned by the text's rotation.
// Rendering uses the same rule, so what the user sees is the box placement tests against.
#pragma once

#include <array>
#include <string_view>

#include "host/element.h"
#include "host/geometry.h"

namespace zkl::cad {

// Characters counted as UTF-8 code points; an empty text still has a box of one glyph
// height and zero width.
int GlyphCount(std::string_view utf8);

// The four corners of the text's box in world coordinates, counter-clockwise from the
// corner at the start of the baseline: bottom-left, bottom-right, top-right, top-left as
// seen in the text's own reading direction.
std::array<Point, 4> TextCorners(const TextGeometry& text);

// The axis-aligned range of those corners (z of the origin).
Range TextBoxRange(const TextGeometry& text);

// Offset of the box's bottom-left corner from the origin, in the text's own frame, for a
// justification code (column = code / 3, row = code % 3); codes outside 0..14 act as 2.
Point JustificationOffset(int justification, double boxWidth, double boxHeight);

}  // namespace zkl::cad
