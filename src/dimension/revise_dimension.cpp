#include "dimension/revise_dimension.h"

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include "dimension/dimension_chain.h"

namespace zkl {

namespace {

constexpr double PointTolerance = 1.0;

constexpr std::string_view CommandTitle = "Revise dimension";
constexpr std::string_view SelectChainPrompt = "Select dimension to be revised/Reset to exit";
constexpr std::string_view SelectPointPrompt =
    "Select a point in the dimension to delete it or select a new point to be added in the dimension/Reset "
    "to exit";
constexpr std::string_view NoElementText = "No element selected!";
constexpr std::string_view InvalidElementText = "Invalid element selected!";
constexpr std::string_view OutsideRangeText = "Point is outside the range!";

// A chain as this command edits it: measured along x or along y.
struct ChainFrame {
    bool horizontal;
    double Along(const Point& p) const { return horizontal ? p.x : p.y; }
    double Across(const Point& p) const { return horizontal ? p.y : p.x; }
};

bool IsQuarterTurnAboutZ(const Matrix3d& rotation) {
    constexpr double slack = 1e-9;
    for (const double s : {1.0, -1.0}) {
        const Matrix3d quarter{{0, -s, 0, s, 0, 0, 0, 0, 1}};
        bool same = true;
        for (std::size_t i = 0; i < 9; ++i) same = same && std::abs(rotation.m[i] - quarter.m[i]) <= slack;
        if (same) return true;
    }
    return false;
}

// The chains the placement makes measure along x (identity) or along y (a quarter turn about
// z). Any other rotation, a half turn included, would be edited along the wrong axis, so
// such a chain is refused like any other element the command cannot revise.
std::optional<ChainFrame> FrameOf(const Element& element) {
    if (!element.IsDimension() || element.model != ActiveModelId) return std::nullopt;
    const DimensionGeometry& chain = element.Dimension();
    if (chain.PointCount() < 2) return std::nullopt;
    const bool horizontal = chain.rotation.At(0, 0) == 1.0;
    if (!horizontal && !IsQuarterTurnAboutZ(chain.rotation)) return std::nullopt;
    return ChainFrame{horizontal};
}

// The "Extentionline" cell placed with the chain: it touches point 1 and spans exactly the
// chain's width or height.
std::optional<Element> FindExtensionLineCell(const Host& host, const Element& chain) {
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    criteria.IncludeOnlyWithin(Range::FromPoint(chain.Dimension().PointAt(1)));
    const Range chainRange = host.ElementRange(chain);
    for (const Element& cell : host.Scan(criteria)) {
        if (cell.Cell().name != ExtensionLineCellName) continue;
        const Range range = host.ElementRange(cell);
        if (range.high.x - range.low.x == chainRange.high.x - chainRange.low.x ||
            range.high.y - range.low.y == chainRange.high.y - chainRange.low.y)
            return cell;
    }
    return std::nullopt;
}

int ClassifyDimMode(const Host& host, const Element& chain, const ChainFrame& frame,
                    std::optional<Element>& extensionCell) {
    const DimensionGeometry& geometry = chain.Dimension();
    extensionCell.reset();
    if (frame.Across(geometry.PointAt(1)) != frame.Across(geometry.PointAt(2))) return DimModeAtComponents;
    extensionCell = FindExtensionLineCell(host, chain);
    return extensionCell ? DimModeOnEdgeWithExtensions : DimModeOnEdge;
}

void RemoveExtensionLinesAt(Host& host, Element& cell, const ChainFrame& frame, const Point& onBase) {
    auto& components = cell.Cell().components;
    for (auto it = components.begin(); it != components.end();) {
        const bool matches =
            it->type == ElementType::Line &&
            std::abs(frame.Along(it->Linear().vertices.front()) - frame.Along(onBase)) < PointTolerance;
        if (!matches) {
            ++it;
            continue;
        }
        it = components.erase(it);
        host.RewriteElement(cell);
    }
}

// The new extension line copies the first one's symbology and runs from the pick to the
// chain's base line; it is added, so the cell keeps one line per dimension point.
void AddExtensionLine(Host& host, Element& cell, const Point& picked, const Point& onBase) {
    auto& components = cell.Cell().components;
    for (const Element& component : components) {
        if (component.type != ElementType::Line) continue;
        Element line = component;
        line.Linear().vertices = {picked, onBase};
        components.push_back(std::move(line));
        host.RewriteElement(cell);
        return;
    }
}

// Deletes the point the pick lies on, or inserts the pick between point 1 and a later point.
// Returns false when the pick is outside the chain.
bool ReviseChain(Host& host, Element& chain, const ChainFrame& frame, const Point& picked,
                 const Point& onBase, std::optional<Element>& extensionCell) {
    DimensionGeometry& geometry = chain.Dimension();
    const double first = frame.Along(geometry.PointAt(1));
    const double pick = frame.Along(picked);
    for (int i = 2; i <= geometry.PointCount(); ++i) {
        const double at = frame.Along(geometry.PointAt(i));
        if (std::abs(at - pick) < PointTolerance) {
            geometry.DeletePoint(i);
            if (extensionCell) RemoveExtensionLinesAt(host, *extensionCell, frame, onBase);
            return true;
        }
        if (first < pick && pick < at) {
            geometry.InsertPoint(i, onBase);
            if (extensionCell) AddExtensionLine(host, *extensionCell, picked, onBase);
            return true;
        }
    }
    return false;
}

void EndCommand(Host& host) {
    host.ShowStatus(StatusField::Command, "");
    host.ShowStatus(StatusField::Prompt, "");
    host.StartDefaultCommand();
}

}  // namespace

void RunReviseDimension(mdlOPM_Labeller& module) {
    // Unlike the placing commands this one does not read the dialog: it needs no item rows
    // and works out DimMode from the picked chain, and a half-typed number elsewhere in the
    // dialog must not stop it.
    Host& host = module.host;
    // The first field shows the command's name, except after a pick that found no chain:
    // then it keeps saying why until the next pick, instead of being overwritten at once.
    host.ShowStatus(StatusField::Command, CommandTitle);
    for (;;) {
        host.ShowStatus(StatusField::Prompt, SelectChainPrompt);
        const Input chainPick = host.WaitForInput();
        if (chainPick.kind != InputKind::DataPoint) return EndCommand(host);

        std::optional<Element> located = host.LocateElement(chainPick.point, chainPick.view);
        if (!located) {
            host.ShowStatus(StatusField::Command, NoElementText);
            continue;
        }
        const std::optional<ChainFrame> frame = FrameOf(*located);
        if (!frame) {
            host.ShowStatus(StatusField::Command, InvalidElementText);
            continue;
        }
        Element& chain = *located;
        host.ShowStatus(StatusField::Command, CommandTitle);

        std::optional<Element> extensionCell;
        module.settings.DimMode = -1;  // what stays when the host fails while classifying
        module.settings.DimMode =
            static_cast<std::int16_t>(ClassifyDimMode(host, chain, *frame, extensionCell));

        host.SetHighlight(chain, true);
        host.ShowStatus(StatusField::Prompt, SelectPointPrompt);
        const Input pointPick = host.WaitForInput();
        host.SetHighlight(chain, false);
        if (pointPick.kind != InputKind::DataPoint) return EndCommand(host);

        // A staggered chain keeps its points where they were picked; an aligned one takes
        // the new point onto the line through point 1.
        const Point picked = pointPick.point;
        Point onBase = picked;
        if (module.settings.DimMode != DimModeAtComponents) {
            const Point& first = chain.Dimension().PointAt(1);
            (frame->horizontal ? onBase.y : onBase.x) = frame->Across(first);
        }
        const std::uint64_t saved = chain.Dimension().savedValue;

        if (!ReviseChain(host, chain, *frame, picked, onBase, extensionCell))
            host.PostMessage({std::string(OutsideRangeText), "", 12, false});

        chain.Dimension().savedValue = saved;
        host.RewriteElement(chain);
    }
}

}  // namespace zkl
