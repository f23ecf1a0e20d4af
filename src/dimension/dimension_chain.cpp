#include "dimension/dimension_chain.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "dimension/exchange_sort.h"

namespace zkl {

namespace {

// Everything that differs between the four sides.
struct SideRule {
    bool alongX;     // BOTTOM and TOP measure along x, LEFT and RIGHT along y
    bool sorts;      // BOTTOM and LEFT sort the shared list; TOP and RIGHT reuse it
    bool upperHalf;  // TOP and RIGHT take the points beyond the middle line
    Point start;
    Point end;
};

SideRule RuleFor(std::string_view side, const Point& low, const Point& high) {
    if (side == "BOTTOM") return {true, true, false, low, {high.x, low.y, low.z}};
    if (side == "TOP") return {true, false, true, {low.x, high.y, high.z}, high};
    if (side == "LEFT") return {false, true, false, low, {low.x, high.y, low.z}};
    if (side == "RIGHT") return {false, false, true, {high.x, low.y, high.z}, high};
    throw std::invalid_argument(
        "a dimension chain is built along \"BOTTOM\", \"TOP\", \"LEFT\" or \"RIGHT\", not \"" +
        std::string(side) + "\"");
}

double Along(const SideRule& rule, const Point& p) { return rule.alongX ? p.x : p.y; }
double Across(const SideRule& rule, const Point& p) { return rule.alongX ? p.y : p.x; }

bool InHalf(const SideRule& rule, const Point& p, const Point& low, const Point& high) {
    const double middle = (Across(rule, low) + Across(rule, high)) / 2;
    return rule.upperHalf ? Across(rule, p) > middle : Across(rule, p) <= middle;
}

// Farther from the side's edge: up from the bottom, down from the top, and so on.
bool FartherFromEdge(const SideRule& rule, const Point& candidate, const Point& current) {
    return rule.upperHalf ? Across(rule, candidate) < Across(rule, current)
                          : Across(rule, candidate) > Across(rule, current);
}

// The edge lies where the side's corners are: the across coordinate and z of the start
// corner (both corners of a side share them).
Point OntoEdge(const SideRule& rule, Point p) {
    if (rule.alongX)
        p.y = rule.start.y;
    else
        p.x = rule.start.x;
    p.z = rule.start.z;
    return p;
}

bool HoldsNoPoints(const std::vector<Point>& points) {
    return points.empty() || points.front().x == EmptyListMarker;
}

void AddExtensionLines(mdlOPM_Labeller& module, std::vector<Point>& chain, const SideRule& rule,
                       const Point& low) {
    Host& host = module.host;
    Symbology symbology;
    symbology.level = host.FindLevel(module.settings.DimLevelName).name;
    symbology.colour = host.ActiveColour();
    symbology.weight = host.ActiveWeight();
    symbology.lineStyle = host.FindLineStyle(ExtensionLineStyleName).name;

    std::vector<Element> lines;
    for (Point& point : chain) {
        const Point before = point;
        point = OntoEdge(rule, point);
        Element line = MakeLine(before, point);
        line.symbology = symbology;
        lines.push_back(std::move(line));
    }
    Element cell = MakeCell(std::string(ExtensionLineCellName), std::move(lines), low, false);
    cell.symbology.level = symbology.level;
    host.AddElement(cell);
}

}  // namespace

void BuildDimensionChain(mdlOPM_Labeller& module, std::vector<Point>& chain,
                         std::vector<Point>& componentPoints, const Point& low, const Point& high,
                         std::string_view side, int mode) {
    const SideRule rule = RuleFor(side, low, high);
    if (rule.sorts) ExchangeSort(componentPoints, rule.alongX);

    chain.assign(1, rule.start);
    if (!HoldsNoPoints(componentPoints)) {
        for (const Point& p : componentPoints) {
            if (!InHalf(rule, p, low, high)) continue;
            Point& last = chain.back();
            if (std::abs(Along(rule, p) - Along(rule, last)) >= ChainPositionTolerance)
                chain.push_back(p);
            else if (chain.size() >= 2 && FartherFromEdge(rule, p, last))
                last = p;
        }
    }

    if (std::abs(Along(rule, chain.back()) - Along(rule, rule.end)) > ChainPositionTolerance)
        chain.push_back(rule.end);
    else
        chain.back() = rule.end;

    if (mode == DimModeOnEdgeWithExtensions) {
        AddExtensionLines(module, chain, rule, low);
    } else if (mode == DimModeOnEdge) {
        for (Point& point : chain) point = OntoEdge(rule, point);
    }
}

Element CreateDimension(mdlOPM_Labeller& module, const std::vector<Point>& chain, double offset,
                        bool horizontal, double dimensionScale) {
    Host& host = module.host;
    const std::string level = host.ActiveLevelName();
    const Matrix3d rotation = horizontal ? Matrix3d::Identity() : Matrix3d::RotationAboutAxisIndex(2, Pi / 2);

    Element dimension = MakeDimension(rotation, 15);
    DimensionGeometry& geometry = dimension.Dimension();
    geometry.scale = dimensionScale;

    if (chain.size() > static_cast<std::size_t>(MaxDimensionPoints))
        host.PostMessage({std::string(TooManyDimensionPointsMessage), "", 12, false});
    const std::size_t taken = std::min(chain.size(), static_cast<std::size_t>(MaxDimensionPoints));
    for (std::size_t i = 0; i < taken; ++i) {
        geometry.AddPoint(chain[i]);
        if (i > 0) geometry.SetSegmentText(geometry.PointCount(), "*");
    }

    dimension.symbology.lineStyle = host.FindLineStyle(DimensionLineStyleName).name;
    dimension.symbology.level = level;
    const DimensionStyle style = host.FindDimensionStyle(module.settings.DimStyleName);
    geometry.style = style.name;
    DimensionOptions options = style.options;
    options.terminator = ChainTerminator;
    options.textMargin = ChainTextMargin;
    options.extensionOvershoot = ChainExtensionOvershoot;
    geometry.options = options;
    dimension.symbology.colour = DimensionColour;
    geometry.offset = offset;
    host.AddElement(dimension);
    return dimension;
}

}  // namespace zkl
