#include "label/label_cell.h"

#include <array>

namespace zkl {

namespace {

// The grid-name circles the automatic layout draws have this radius; their leaders meet the
// circle at the quadrant point facing the knee, not where the line to the centre crosses.
constexpr double GridCircleRadius = 2.5;

Point GridCircleAttachPoint(const Point& centre, const Point& kneeOffset) {
    if (kneeOffset.x != 0) {
        const double side = kneeOffset.x > 0 ? 1.0 : -1.0;
        return {centre.x - side * GridCircleRadius, centre.y, centre.z};
    }
    // A knee straight up or none at all meets the circle from above.
    const double side = kneeOffset.y > 0 ? 1.0 : -1.0;
    return {centre.x, centre.y - side * GridCircleRadius, centre.z};
}

}  // namespace

Point NearestCorner(const Range& box, const Point& reference) {
    const Point& low = box.low;
    const Point& high = box.high;
    const std::array<Point, 4> corners{low, Point{high.x, low.y, low.z}, high, Point{low.x, high.y, high.z}};
    Point nearest = corners[0];
    double nearestDistance = Distance(nearest, reference);
    for (std::size_t i = 1; i < corners.size(); ++i) {
        const double distance = Distance(corners[i], reference);
        if (distance < nearestDistance) {
            nearest = corners[i];
            nearestDistance = distance;
        }
    }
    return nearest;
}

Point FindLeaderAttachPoint(const Host& host, const Element& element, const Point& reference) {
    if (element.IsText()) return NearestCorner(host.TextBox(element), reference);
    if (element.IsEllipse()) {
        const Point& centre = element.Ellipse().centre;
        // A reference at the centre gives no line to intersect.
        if (reference == centre) return reference;
        const std::vector<Point> points = host.Intersections(MakeLine(reference, centre), element);
        if (points.empty()) return reference;
        // The line from outside to the centre crosses once; from inside a flat ellipse it may
        // cross twice, and the crossing nearer the reference is the side facing the knee.
        Point nearest = points.front();
        for (const Point& point : points)
            if (Distance(point, reference) < Distance(nearest, reference)) nearest = point;
        return nearest;
    }
    // Lines and line strings by their range; any other element the same way, so that a body
    // ending in a shape or a cell still gets a sensible leader.
    return NearestCorner(host.ElementRange(element), reference);
}

ElementId CreateLabelCell(mdlOPM_Labeller& module, std::vector<Element>& elements, const Point& offset,
                     const Point& anchor, const Point& kneeOffset, const LabelOrigin& origin) {
    Host& host = module.host;
    const Point knee = anchor + kneeOffset;
    for (Element& element : elements) element.Move(offset);

    // The leader ends on the body's last element, which is its frame when it has one.
    Point attach = knee;
    if (!elements.empty()) {
        const Element& last = elements.back();
        if (last.IsEllipse() && last.Ellipse().primaryRadius == GridCircleRadius)
            attach = GridCircleAttachPoint(last.Ellipse().centre, kneeOffset);
        else
            attach = FindLeaderAttachPoint(host, last, knee);
    }

    Element leader = MakeLineString({anchor, knee, attach});
    leader.symbology.level = host.FindLevel(module.settings.DimLevelName).name;
    leader.symbology.lineStyle = host.ActiveLineStyle();
    leader.symbology.colour = host.ActiveColour();
    leader.symbology.weight = host.ActiveWeight();
    elements.push_back(leader);

    Element cell = MakeCell(std::string(LabelCellName), elements, anchor, false);
    RecordLabelOrigin(cell, origin);
    return host.AddElement(cell);
}

}  // namespace zkl
