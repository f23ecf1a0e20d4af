// Dimension chains along the sides of a drawing border. The automatic layout collects one
// list of dimension points per border (component points and grid-line points) and, for
// each side in the order BOTTOM, TOP, LEFT, RIGHT, calls BuildDimensionChain and then
// CreateDimension:
//
//     std::vector<Point> chain;
//     BuildDimensionChain(module, chain, dimensionPoints, low, high, "BOTTOM", module.settings.DimMode);
//     CreateDimension(module, chain, -module.settings.DimHeight, true, dimensionScale);
//
// The order matters: BOTTOM sorts the shared point list by x and TOP relies on that order,
// LEFT sorts it by y and RIGHT relies on that. Offsets: -DimHeight for BOTTOM and RIGHT,
// +DimHeight for TOP and LEFT; horizontal is true for BOTTOM and TOP.
//
// Units: active-model drawing units. The caller owns the point lists; the elements made here
// (the dimension, and in mode 2 the "Extentionline" cell) are added to the active model.
// Host errors (a level, line style or dimension style the design file lacks) end the call
// with a HostError; elements added before the failure stay in the model.
#pragma once

#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "settings/labeller_module.h"

namespace zkl {

// The x of the single point that marks an empty dimension point list.
inline constexpr double EmptyListMarker = -98765.4321;

// Two points closer than this along a side count as one position of the chain.
inline constexpr double ChainPositionTolerance = 0.1;

// The most points one dimension element takes; later chain points are dropped.
inline constexpr int MaxDimensionPoints = 50;
inline constexpr std::string_view TooManyDimensionPointsMessage =
    "Too many dimension points! 50 dimension points supported only!";

// The cell that holds a mode-2 chain's extension lines; the revise-dimension command finds
// it again by this name (spelt as the drawings in use already carry it).
inline constexpr std::string_view ExtensionLineCellName = "Extentionline";
// The line style of extension lines and the one of the dimension element.
inline constexpr std::string_view ExtensionLineStyleName = "2";
inline constexpr std::string_view DimensionLineStyleName = "0";
inline constexpr int DimensionColour = 3;

// The values CreateDimension gives the three options of the dimension's style copy
// (docs/dimensions.md says what they mean in our engine).
inline constexpr int ChainTerminator = 2;
inline constexpr double ChainTextMargin = 3;
inline constexpr double ChainExtensionOvershoot = 2;

// What DimMode (LabellerSettings) asks of a chain.
inline constexpr int DimModeOnEdge = 0;                // points moved onto the border edge
inline constexpr int DimModeAtComponents = 1;          // points stay where the components are
inline constexpr int DimModeOnEdgeWithExtensions = 2;  // as 0, plus an extension line each

// Fills `chain` (replacing what it held) with the chain of one side of the border given
// by its low and high corner: the side's start corner, one component point per position
// along the side, the side's end corner.
//
// - side: "BOTTOM", "TOP", "LEFT" or "RIGHT", compared exactly; any other text throws
//   std::invalid_argument.
// - componentPoints: sorted in place by x for "BOTTOM" and by y for "LEFT" (an exchange
//   sort, so equal keys may change places); "TOP" and "RIGHT" take it as it is. A list whose
//   first point has x == EmptyListMarker holds no points. BOTTOM and LEFT take the points
//   on or below (left of) the border's middle line, TOP and RIGHT those beyond it.
// - Points closer than ChainPositionTolerance along the side to the last chain point are
//   merged: the one farther from the side's edge stays, except right after the start
//   corner, where the later point is dropped. A last point that close to the end corner
//   becomes the end corner.
// - mode 0 and 2 move every chain point, corners included, onto the side's edge (its y for
//   BOTTOM/TOP, its x for LEFT/RIGHT, and z of that edge's corner); mode 2 also adds an
//   "Extentionline" cell (origin `low`, level DimLevelName) with one line per chain point
//   from where the point was to where it went (zero length at the corners), level
//   DimLevelName, line style "2", the host's active colour and weight. Mode 1 or any other
//   value leaves the points where they are.
void BuildDimensionChain(mdlOPM_Labeller& module, std::vector<Point>& chain,
                         std::vector<Point>& componentPoints, const Point& low, const Point& high,
                         std::string_view side, int mode);

// Creates the dimension through the chain and adds it to the active model; returns it as
// added. Horizontal chains measure along x (identity rotation); the others are turned a
// quarter turn about z and measure along y. Only the first MaxDimensionPoints points are
// taken; with more, TooManyDimensionPointsMessage is posted to the message list once. Every
// segment shows its measured length ("*"). The dimension gets line style "0", the host's
// active level, the style DimStyleName with the three chain options, colour 3, `offset` as
// the distance of its dimension line from the points (positive: +y for horizontal chains,
// -x for vertical ones) and `dimensionScale` as the factor of its text size.
Element CreateDimension(mdlOPM_Labeller& module, const std::vector<Point>& chain, double offset,
                        bool horizontal, double dimensionScale);

}  // namespace zkl
