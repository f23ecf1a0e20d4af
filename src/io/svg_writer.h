// The XML text pieces an SVG file is made of: escaped character data and attribute values,
// numbers with a bounded number of digits, and point lists. Pure functions on strings; the
// renderer decides what to write, these make sure what it writes is well-formed and the
// same bytes every time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/geometry.h"

namespace zkl::io {

// Text from a drawing made safe as XML character data or attribute value: &, <, >, " and '
// become entities, characters XML 1.0 forbids (most control characters, U+FFFE, U+FFFF)
// are dropped, and bytes that are not valid UTF-8 become U+FFFD, so that no text can end
// the markup it sits in or make the file unreadable.
std::string EscapeXml(std::string_view utf8);

// A number in SVG syntax with at most ten significant digits, "0" for values within 1e-9 of
// zero (no "-0" or "1e-17" from rounding noise) and for values that are not finite.
std::string FormatNumber(double value);

// ` name="value"` with the value escaped; the leading space lets attributes be chained.
std::string Attribute(std::string_view name, std::string_view value);
std::string Attribute(std::string_view name, double value);

// "x1,y1 x2,y2 ..." of the points' x and y, for polyline and polygon.
std::string PointList(const std::vector<Point>& points);

}  // namespace zkl::io
