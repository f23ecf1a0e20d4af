#include "cad/deep_overlap.h"

#include <algorithm>
#include <cmath>

namespace zkl::cad {

namespace {

// A thousand times the fence test's touching tolerance (1e-9 of the largest coordinate), and
// still a few thousandths of a unit on a sheet thousands of units wide.
constexpr double MarginOfSize = 1e-6;

double Cross(const Point& a, const Point& b, const Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// The piece's box, found once: a probe asks many pieces, and most lie beside it.
ConvexPiece Boxed(ConvexPiece piece) {
    piece.lowX = piece.highX = piece.corners[0].x;
    piece.lowY = piece.highY = piece.corners[0].y;
    for (std::size_t i = 1; i < piece.count; ++i) {
        piece.lowX = std::min(piece.lowX, piece.corners[i].x);
        piece.highX = std::max(piece.highX, piece.corners[i].x);
        piece.lowY = std::min(piece.lowY, piece.corners[i].y);
        piece.highY = std::max(piece.highY, piece.corners[i].y);
    }
    return piece;
}

}  // namespace

std::optional<InnerRectangle> InnerRectangleOf(const std::vector<Point>& ring) {
    if (ring.size() != 4) return std::nullopt;
    const Point& a = ring[0];
    const Point& b = ring[1];
    const Point& c = ring[2];
    const Point& d = ring[3];
    const bool xFirst = b.y == a.y && b.x == c.x && c.y == d.y && d.x == a.x;
    const bool yFirst = b.x == a.x && b.y == c.y && c.x == d.x && d.y == a.y;
    if (!xFirst && !yFirst) return std::nullopt;
    const double size =
        std::max(std::max(1.0, std::abs(a.x)), std::max(std::max(std::abs(a.y), std::abs(c.x)), std::abs(c.y)));
    const double margin = MarginOfSize * size;
    InnerRectangle inner{std::min(a.x, c.x) + margin, std::min(a.y, c.y) + margin,
                         std::max(a.x, c.x) - margin, std::max(a.y, c.y) - margin};
    if (!(inner.lowX < inner.highX && inner.lowY < inner.highY)) return std::nullopt;
    return inner;
}

ConvexPiece SegmentPiece(const Point& a, const Point& b) {
    if (a.x == b.x && a.y == b.y) return Boxed({{a}, 1});
    return Boxed({{a, b}, 2});
}

ConvexPiece ConvexQuadrilateral(const std::array<Point, 4>& corners) {
    bool left = true, right = true;
    for (std::size_t i = 0; i < 4; ++i) {
        const double turn = Cross(corners[i], corners[(i + 1) % 4], corners[(i + 2) % 4]);
        left = left && turn > 0;
        right = right && turn < 0;
    }
    if (!left && !right) return {};
    return Boxed({corners, 4});
}

bool ReachesInto(const ConvexPiece& piece, const InnerRectangle& inner) {
    if (piece.count == 0) return false;
    // Separating axes: the rectangle's two, then the normal of each edge of the piece.
    if (piece.highX <= inner.lowX || piece.lowX >= inner.highX || piece.highY <= inner.lowY ||
        piece.lowY >= inner.highY)
        return false;
    if (piece.count == 1) return true;
    const std::size_t edges = piece.count == 2 ? 1 : piece.count;
    for (std::size_t i = 0; i < edges; ++i) {
        const Point& from = piece.corners[i];
        const Point& to = piece.corners[(i + 1) % piece.count];
        const double nx = from.y - to.y, ny = to.x - from.x;
        // The rectangle's extent along the normal, from its corners.
        const double cornersX[2] = {inner.lowX * nx, inner.highX * nx};
        const double cornersY[2] = {inner.lowY * ny, inner.highY * ny};
        const double rectLow = std::min(cornersX[0], cornersX[1]) + std::min(cornersY[0], cornersY[1]);
        const double rectHigh = std::max(cornersX[0], cornersX[1]) + std::max(cornersY[0], cornersY[1]);
        double pieceLow = from.x * nx + from.y * ny, pieceHigh = pieceLow;
        for (std::size_t k = 0; k < piece.count; ++k) {
            const double along = piece.corners[k].x * nx + piece.corners[k].y * ny;
            pieceLow = std::min(pieceLow, along);
            pieceHigh = std::max(pieceHigh, along);
        }
        if (pieceHigh <= rectLow || pieceLow >= rectHigh) return false;
    }
    return true;
}

}  // namespace zkl::cad
