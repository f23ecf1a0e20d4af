#include "cad/text_metrics.h"

namespace zkl::cad {

int GlyphCount(std::string_view utf8) {
    // Every byte that does not continue a multi-byte sequence starts a code point; a broken
    // sequence still counts its lead bytes, so a malformed text keeps a sensible width.
    int count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

Point JustificationOffset(int justification, double boxWidth, double boxHeight) {
    if (justification < 0 || justification > 14) justification = 2;
    const int column = justification / 3;
    const int row = justification % 3;
    // The margin columns (1 and 3) only differ from left and right for texts of several
    // lines; every text here is one line.
    double x = 0.0;
    if (column == 2) x = -boxWidth / 2;
    if (column >= 3) x = -boxWidth;
    double y = 0.0;
    if (row == 0) y = -boxHeight;
    if (row == 1) y = -boxHeight / 2;
    return {x, y, 0.0};
}

std::array<Point, 4> TextCorners(const TextGeometry& text) {
    const double width = GlyphCount(text.text) * text.width;
    const double height = text.height;
    const Point low = JustificationOffset(text.justification, width, height);
    const std::array<Point, 4> local{low, low + Point{width, 0, 0}, low + Point{width, height, 0},
                                     low + Point{0, height, 0}};
    std::array<Point, 4> corners;
    for (std::size_t i = 0; i < local.size(); ++i) corners[i] = text.origin + text.rotation.Apply(local[i]);
    return corners;
}

Range TextBoxRange(const TextGeometry& text) {
    const auto corners = TextCorners(text);
    Range range = Range::FromPoint(corners[0]);
    for (const Point& corner : corners) range.Extend(corner);
    range.low.z = text.origin.z;
    range.high.z = text.origin.z;
    return range;
}

}  // namespace zkl::cad
