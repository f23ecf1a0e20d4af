// Side labels and grid names beyond the four sides of a drawing area. Each side-label text
// goes to the side nearest its component point, each grid line gets its name at both ends;
// on each side the texts are ordered along it, coincident duplicates dropped, neighbours
// pushed apart until they keep the minimum gap, and every text is wrapped with a leader from
// the side's dimension line and an underline (a circle for a grid name) into a "ZKL_Label"
// cell in the active model. The free texts are removed again, so only the cells remain.
//
// Units: active-model drawing units. Settings read from the module: LabelDistance1 (D1),
// LabelDistance2 (D2), UnderlineDistance (U), DimLevelName, TextStyleName, text height and
// width (side labels). A label stands W = D1 + dimHeight + D2 outside its side.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "layout/grid_lines.h"
#include "layout/side_label_map.h"
#include "settings/labeller_module.h"

namespace zkl {

// Radius of a grid name's circle; a grid name stands this much further out than W.
inline constexpr double GridNameCircleRadius = 2.5;
// The justification code that marks a text as a grid name (centre-centre); side labels
// never use it.
inline constexpr int GridNameJustification = 7;

enum class BorderSide { Left, Right, Bottom, Top };

// "LEFT", "RIGHT", "BOTTOM", "TOP".
std::string_view SideName(BorderSide side);

// The side nearest the point: LEFT, then RIGHT, BOTTOM and TOP, each later one only when
// strictly nearer (so LEFT beats BOTTOM and RIGHT beats TOP on equal distance).
BorderSide NearestSide(const Point& point, const Range& border);

// The characters before the first space; the whole text when it has none.
std::string_view FirstWord(std::string_view text);
// The number after an "EL" that starts a word ("EL+4500", "EL -12.5"): the first such "EL"
// that a number follows; 0 when there is none ("STEEL-3", "ELBOW", "EL" alone).
double TextElevation(std::string_view text);
// 2 x U, plus 1.0 for each of the two labels that is a grid name.
double MinimumGap(double underlineDistance, bool firstIsGridName, bool secondIsGridName);

// Places the side labels of `map` and the grid names of `lines` around `border` and wraps
// them into label cells. A text without "EL" that is only the first word of an earlier text
// with "EL" is removed from `map` first (the elevated one says more). Throws
// ConversionError when a map value is not three numbers, HostError when the level
// DimLevelName or the text style is missing (cells already added stay).
void PlaceSideLabels(mdlOPM_Labeller& module, const Range& border, SideLabelMap& map, const GridLines& lines,
                     double dimHeight);

// Orders one side's texts along it (left to right on BOTTOM and TOP, top to bottom on LEFT
// and RIGHT), drops coincident duplicates, spaces them and makes their label cells; the
// texts (elements of the active model, with ids) are removed from the model at the end.
void StackSideLabels(mdlOPM_Labeller& module, std::vector<Element>& texts, BorderSide side);

// Of texts whose origins lie within 0.001 of each other, keeps one per first word, the one
// with the higher elevation (the earlier on a tie), and puts the higher elevation first;
// the dropped texts are removed from the active model and from the list.
void RemoveCoincidentDuplicates(mdlOPM_Labeller& module, std::vector<Element>& texts);

}  // namespace zkl
