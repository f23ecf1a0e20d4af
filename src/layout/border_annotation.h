// Annotating one drawing area from the outside. A drawing area is a closed border shape in
// the active model that shows, through a reference attachment, the plant model whose
// components are annotated. Each component the dimension item rows select that lies inside
// the border or crosses it is reduced to one point (where a pipe crosses the border, where
// a riser stands, an elbow's corner, a tee's centre); the points get side labels beyond the
// nearest side and one dimension chain per side, together with the grid lines of grid cells.
//
// Units: active-model drawing units. The caller owns the border and the rows; everything a
// run collects lives for the one call. The host's fence and fence modes are used and put
// back as they were, also when the run ends with an error.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host_types.h"
#include "layout/grid_lines.h"
#include "layout/side_label_map.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

// What the walk over one border found.
struct BorderComponents {
    // Side-label text -> its component point (PointToMapValue). A straight pipe replaces an
    // earlier entry with its text and moves it to the end; an elbow or tee keeps the first.
    SideLabelMap sideLabels;
    // Every component point, also of components whose label text is empty, in walk order;
    // the empty-list marker alone when there are none (layout/dimension_points.h).
    std::vector<Point> dimensionPoints;
    GridLines gridLines;
    // The last plant cell the fence took in (grid cells count); the dimension scale comes
    // from it. Empty when the fence took in no cell of an attachment.
    std::optional<Element> lastAcceptedCell;
};

// The scan for the drawing areas' border shapes: the shapes on the border level.
ScanCriteria BorderShapeCriteria(std::string_view levelName);

// The fence walk alone: defines the fence from `border` in the view of the last input
// (overlap on, clip and void off), reduces every taken-in cell of a reference attachment to
// its point and clears the fence again. Posts "Short length pipe are ignored! xy=X,Y" for
// each selected straight pipe of length 10 or less.
BorderComponents CollectBorderComponents(mdlOPM_Labeller& module, const Element& border,
                                         const ItemRows& dimensionItemRows);

struct BorderAnnotationResult {
    bool componentFound = false;  // false: the "No component found!" box was shown
    int componentPoints = 0;      // component and grid points offered to the chains
    int sideLabels = 0;           // side-label texts left after the elevation filter (no grid names)
    int gridLines = 0;
    double dimensionScale = 0.0;
};

// The whole annotation of one drawing area: CollectBorderComponents, then the grid points,
// the side labels and grid names ("ZKL_Label" cells, layout/side_labels.h) and the four
// dimension chains, BOTTOM, TOP, LEFT, RIGHT. With no plant cell at all it shows the modal
// box "No component found!" and still draws the four chains (border corners only, scale 0).
//
// Needs: `border` an element of the active model (a closed shape); `module.settings` filled
// (IgnoreDN, GridCellName, DimHeight, DimMode, DimStyleName, DimLevelName, TextStyleName,
// TextHeight, TextWidth, LabelDistance1, LabelDistance2, UnderlineDistance);
// `dimensionItemRows` the "DIMITEMS" rows, not the label item rows.
// Adds to the active model: label cells, dimension elements (and extension-line cells in
// DimMode 2). Throws ConversionError when a selected component's nominal diameter is not a
// number (the message names the component), std::domain_error when the last plant cell's
// scale gives no dimension scale (a mirrored cell), HostError when the host fails (a missing
// level or style); elements already added stay.
BorderAnnotationResult AnnotateBorderSides(mdlOPM_Labeller& module, const Element& border,
                                           const ItemRows& dimensionItemRows);

}  // namespace zkl
