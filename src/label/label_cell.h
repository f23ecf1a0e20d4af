// The label cell: one cell named "ZKL_Label" in the active model, made of a label body and a
// three-vertex leader (anchor on the component, knee, attach point on the body), with the
// anchor as its origin. The name is how a placed label is recognised again.
#pragma once

#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"
#include "label/label_origin.h"
#include "settings/labeller_module.h"

namespace zkl {

inline constexpr std::string_view LabelCellName = "ZKL_Label";

// Moves the body by `offset`, appends the leader anchor -> anchor + kneeOffset -> attach
// point to `elements`, and adds the cell to the active model. HostError when the level
// named DimLevelName does not exist (the body has then been moved, nothing added). The cell
// records `origin` (label/label_origin.h). Returns the new cell's id.
ElementId CreateLabelCell(mdlOPM_Labeller& module, std::vector<Element>& elements, const Point& offset,
                     const Point& anchor, const Point& kneeOffset, const LabelOrigin& origin = {});

// The corner of the box (in x-y, its low and high corners and the two between) nearest to
// `reference`; the first of equally near ones in that order.
Point NearestCorner(const Range& box, const Point& reference);

// Where a leader coming from `reference` ends on a body element: the nearest corner of a
// line's or line string's range or of a text's box (ties keep the earlier of low, low-right,
// high, high-left), or where the line to an ellipse's centre meets the ellipse.
Point FindLeaderAttachPoint(const Host& host, const Element& element, const Point& reference);

}  // namespace zkl
