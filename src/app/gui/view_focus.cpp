#include "app/gui/view_focus.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zkl::gui {

namespace {

// What an entry names takes about two fifths of the view, so what lies around it shows too;
// an entry on one small body is not blown up to fill the window either.
constexpr double MarginShare = 0.75;
constexpr double SmallestViewShareOfSheet = 0.05;

}  // namespace

Range LabelBodyRange(const Host& host, const Element& cell) {
    const std::vector<Element>& parts = cell.Cell().components;
    std::size_t bodyParts = parts.size();
    if (bodyParts > 1 && parts.back().type == ElementType::LineString) --bodyParts;
    if (bodyParts == 0) return host.ElementRange(cell);
    Range range = host.ElementRange(parts[0]);
    for (std::size_t i = 1; i < bodyParts; ++i) range.Extend(host.ElementRange(parts[i]));
    return range;
}

Range ActiveRange(const Host& host, const Element& element) {
    const Range local = host.ElementRange(element);
    if (element.model == ActiveModelId) return local;
    const Transform3d toActive = host.Attachment(element.model).toActive;
    Range range = Range::FromPoint(toActive.Apply(local.low));
    for (int i = 0; i < 8; ++i)
        range.Extend(
            toActive.Apply({(i & 1) ? local.high.x : local.low.x, (i & 2) ? local.high.y : local.low.y,
                            (i & 4) ? local.high.z : local.low.z}));
    return range;
}

ViewArea AreaAround(const cad::CadHost& host, const Range& box) {
    const Range sheet = host.GetDrawing().activeModel.Extent();
    const double sheetSize = std::max(sheet.high.x - sheet.low.x, sheet.high.y - sheet.low.y);
    const double smallest = std::isfinite(sheetSize) && sheetSize > 0 ? SmallestViewShareOfSheet * sheetSize : 1.0;
    const double width = std::max(box.high.x - box.low.x, smallest);
    const double height = std::max(box.high.y - box.low.y, smallest);
    const double margin = MarginShare * std::max(width, height);
    const Point centre{(box.low.x + box.high.x) / 2, (box.low.y + box.high.y) / 2, 0};
    ViewArea area;
    area.origin = {centre.x - width / 2 - margin, centre.y - height / 2 - margin, 0};
    area.extent = {width + 2 * margin, height + 2 * margin, 0};
    area.rotation = Matrix3d::Identity();
    return area;
}

}  // namespace zkl::gui
