// Key points of a plant component in active-model coordinates, from its placement matrix
// and design lengths ("TRANSFORMATION_MATRIX.Mij", "LENGTH_EFFECTIVE", ...). Lengths are
// multiplied by 1000 and every coordinate divided by 100 before the attachment's transform
// maps it into the active model. The last key point is the component's anchor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

// What a caller holds for one component.
struct ComponentInfo {
    Element element;
    std::int16_t itemIndex = -1;  // the item row that classified it, -1 when none matched
    std::string componentClass;   // that row's class keyword, empty when none
    std::vector<Point> keyPoints;
};

// By class: "STRAIGHT" start, end, middle; "TURN90" start, far end, corner; "TEE" start,
// run end, branch end, centre; "ECC" start, end, middle (the far end E below the axis);
// anything else the origin alone. Throws ConversionError naming the property when a
// needed value is missing or not a number, HostError when the element's model has no
// attachment.
std::vector<Point> GetComponentPoints(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows);
// The same for a class keyword already found (compared exactly, case-sensitively).
std::vector<Point> GetComponentPointsOfClass(mdlOPM_Labeller& module, const Element& element,
                                             std::string_view componentClass);

Point ReferenceToActivePoint(const Point& point, const AttachmentInfo& attachment);
Point ActiveToReferencePoint(const Point& point, const AttachmentInfo& attachment);

// Inclusive in x and y; z is ignored.
bool PointInRange(const Point& point, const Point& low, const Point& high);

}  // namespace zkl
