#include "layout/border_annotation.h"

#include <cmath>
#include <string>

#include "component/component_geometry.h"
#include "component/label_format.h"
#include "component/property_text.h"
#include "component/wildcard.h"
#include "dimension/dimension_chain.h"
#include "host/fence_modes_guard.h"
#include "host/numbers.h"
#include "host/property_value.h"
#include "layout/dimension_points.h"
#include "layout/side_labels.h"

namespace zkl {

namespace {

// Straight pipes up to this length (drawing units) are fittings' stubs, not runs.
constexpr double ShortPipeLength = 10.0;
// A pipe whose length is all height, to within this, stands vertically.
constexpr double VerticalPipeTolerance = 1.0;

// The conversion error of a diameter that is not a number names the component and ends
// the run: such a component cannot be compared with IgnoreDN.
double NominalDiameter(const mdlOPM_Labeller& module, const Element& element) {
    return GetPropertyNumber(module.host, element, "NOMINAL_DIAMETER", false);
}

// A straight pipe's point: a riser standing inside the border at its start, a pipe leaving
// the border where its axis first meets the border; none for a horizontal pipe inside.
std::optional<Point> StraightPipePoint(mdlOPM_Labeller& module, const Element& pipe, const Element& border,
                                       const Range& range) {
    if (!(NominalDiameter(module, pipe) > module.settings.IgnoreDN)) return std::nullopt;
    const std::vector<Point> keyPoints = GetComponentPointsOfClass(module, pipe, "STRAIGHT");
    const Point& start = keyPoints.at(0);
    const Point& end = keyPoints.at(1);
    const double length = Distance(start, end);
    if (length <= ShortPipeLength) {
        module.host.PostMessage(Message{
            "Short length pipe are ignored! xy=" + DoubleToText(start.x) + "," + DoubleToText(start.y), "",
            12, false});
        return std::nullopt;
    }
    const bool startInside = PointInRange(start, range.low, range.high);
    const bool endInside = PointInRange(end, range.low, range.high);
    if (startInside && endInside) {
        if (std::abs(length - std::abs(start.z - end.z)) < VerticalPipeTolerance) return start;
        return std::nullopt;
    }
    const std::vector<Point> crossings = module.host.Intersections(MakeLineString(keyPoints), border);
    if (crossings.empty()) return std::nullopt;
    return crossings.front();
}

// An elbow's corner or a tee's centre, when it lies inside the border.
std::optional<Point> AnchorPoint(mdlOPM_Labeller& module, const Element& component,
                                 const std::string& componentClass, const Range& range) {
    if (!(NominalDiameter(module, component) > module.settings.IgnoreDN)) return std::nullopt;
    const Point anchor = GetComponentPointsOfClass(module, component, componentClass).back();
    if (!PointInRange(anchor, range.low, range.high)) return std::nullopt;
    return anchor;
}

void ReduceComponent(mdlOPM_Labeller& module, const Element& component, const ItemRows& rows,
                     const Element& border, const Range& range, BorderComponents& found) {
    const std::optional<std::size_t> rowIndex = FindItemRow(module, component, rows);
    if (!rowIndex) return;
    const ItemRow& row = rows.at(*rowIndex);
    const std::string& componentClass = row.ComponentClass;
    const bool straight = componentClass == "STRAIGHT";

    // The points are read by the class of the row just found: matching the rows again
    // would find the same one.
    std::optional<Point> point;
    if (straight)
        point = StraightPipePoint(module, component, border, range);
    else if (componentClass == "TURN90" || componentClass == "TEE")
        point = AnchorPoint(module, component, componentClass, range);
    if (!point) return;

    AppendDimensionPoint(found.dimensionPoints, *point);
    const std::string text = EvaluateLabelFormat(module, component, rows, row.LabelFormat);
    if (text.empty()) return;
    // The last straight pipe of a line wins (a run's last piece is the one that leaves the
    // area); of elbows and tees the first.
    if (straight) found.sideLabels.Remove(text);
    found.sideLabels.Add(text, PointToMapValue(*point));
}

const char* const NoComponentTitle = "No component found!";
const char* const NoComponentText =
    "No component found, click OK to end.\r"
    "Please check the attachment Visible Edges.\r"
    "It support Dynamic or Cached ONLY!";

}  // namespace

ScanCriteria BorderShapeCriteria(std::string_view levelName) {
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Shape);
    criteria.ExcludeAllLevels();
    criteria.IncludeLevel(std::string(levelName));
    return criteria;
}

BorderComponents CollectBorderComponents(mdlOPM_Labeller& module, const Element& border,
                                         const ItemRows& dimensionItemRows) {
    Host& host = module.host;
    BorderComponents found;
    found.dimensionPoints = EmptyDimensionPoints();
    const Range range = host.ElementRange(border);

    std::vector<Element> contents;
    {
        FenceModesGuard guard(host, OverlapFenceModes, FenceModesGuard::OnExit::ClearFence);
        host.ClearFence();
        host.DefineFenceFromElement(border, host.LastInputView());
        contents = host.FenceContents();
    }

    // The last one is copied out once at the end: a cell is a deep value.
    const Element* lastAccepted = nullptr;
    for (const Element& element : contents) {
        // Only cells of the attached plant model are components; the sheet's own graphics
        // (the border, title block, earlier labels) are not.
        if (!element.IsCell() || !host.IsAttachedReference(element.model)) continue;
        lastAccepted = &element;
        if (MatchesWildcard(element.Cell().name, module.settings.GridCellName)) {
            CollectGridLines(host, element, range, found.gridLines);
            continue;
        }
        ReduceComponent(module, element, dimensionItemRows, border, range, found);
    }
    if (lastAccepted) found.lastAcceptedCell = *lastAccepted;
    return found;
}

BorderAnnotationResult AnnotateBorderSides(mdlOPM_Labeller& module, const Element& border,
                                           const ItemRows& dimensionItemRows) {
    Host& host = module.host;
    const LabellerSettings& settings = module.settings;
    const Range range = host.ElementRange(border);
    BorderComponents found = CollectBorderComponents(module, border, dimensionItemRows);

    AppendGridPoints(found.gridLines, range, found.dimensionPoints);
    PlaceSideLabels(module, range, found.sideLabels, found.gridLines, settings.DimHeight);

    BorderAnnotationResult result;
    result.componentFound = found.lastAcceptedCell.has_value();
    result.sideLabels = static_cast<int>(found.sideLabels.Size());
    result.gridLines = HasGridLines(found.gridLines) ? static_cast<int>(found.gridLines.size()) : 0;
    const bool noPoints = found.dimensionPoints.size() == 1 && found.dimensionPoints[0].x == EmptyListMarker;
    result.componentPoints = noPoints ? 0 : static_cast<int>(found.dimensionPoints.size());
    if (found.lastAcceptedCell) {
        result.dimensionScale = DimensionScale(host, *found.lastAcceptedCell);
    } else {
        host.ClearFence();
        host.ShowMessageBox(NoComponentTitle, NoComponentText);
    }

    // One point list serves all four sides, in this order: TOP relies on the x order the
    // BOTTOM chain sorted it into, RIGHT on the y order of LEFT.
    struct SideDimension {
        const char* side;
        double offset;
        bool horizontal;
    };
    const double h = settings.DimHeight;
    const SideDimension sides[] = {
        {"BOTTOM", -h, true}, {"TOP", h, true}, {"LEFT", h, false}, {"RIGHT", -h, false}};
    for (const SideDimension& side : sides) {
        std::vector<Point> chain;
        BuildDimensionChain(module, chain, found.dimensionPoints, range.low, range.high, side.side,
                            settings.DimMode);
        CreateDimension(module, chain, side.offset, side.horizontal, result.dimensionScale);
    }
    return result;
}

}  // namespace zkl
