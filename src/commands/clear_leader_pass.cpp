#include "commands/clear_leader_pass.h"

#include <algorithm>
#include <stdexcept>

#include "commands/clear_leader_repair.h"
#include "commands/spiral_walk.h"
#include "host/fence_modes_guard.h"
#include "label/label_cell.h"

namespace zkl {

namespace {

// The buckets of the leader index: about a label's size, so that a typical leader passes a
// handful of buckets and each holds a handful of items. Text height is what label sizes
// follow; the step is the fallback for a configuration without one.
double BucketSize(const LabellerSettings& settings) {
    const double size = std::max(8.0 * settings.TextHeight, 4.0 * settings.StepDistance);
    return size > 0.0 ? size : 1.0;
}

// A message stays readable with this many names; the count says the rest.
constexpr std::size_t NamedInMessage = 10;

std::string ComponentName(const Host& host, const Element& component) {
    std::string model = "model " + std::to_string(component.model);
    try {
        model = host.Attachment(component.model).name;
    } catch (const HostError&) {
        // A component of the active model itself has no attachment name; the number will do.
    }
    return model + " #" + std::to_string(component.id);
}

// The cell CreateLabelCell just added for `drawn` (moved body, leader last): the host gives
// its caller no id, so it is found again under the body, by its origin and leader, which no
// other label shares.
Element FindAddedCell(Host& host, const std::vector<Element>& drawn, const Range& movedBox, const Point& anchor) {
    FenceModesGuard modes(host, OverlapFenceModes);
    host.ClearFence();
    host.DefineFenceFromPoints(ProbeCorners(movedBox, Point{}), 1);
    const std::vector<Element> contents = host.FenceContents();
    host.ClearFence();
    for (const Element& element : contents) {
        if (element.model != ActiveModelId || element.type != ElementType::Cell) continue;
        const CellGeometry& cell = element.Cell();
        if (cell.name != LabelCellName || !(cell.origin == anchor) || cell.components.empty()) continue;
        if (cell.components.back().IsLinear() && drawn.back().IsLinear() &&
            cell.components.back().Linear().vertices == drawn.back().Linear().vertices)
            return element;
    }
    throw std::logic_error("clear-leader placement cannot find the label cell it has just added at (" +
                           DoubleToText(anchor.x) + ", " + DoubleToText(anchor.y) +
                           "); the label cells on this sheet may be corrupt");
}

}  // namespace

std::string ClearLeaderFallbackMessage(const std::vector<std::string>& components) {
    if (components.empty()) return "";
    std::string text = "Clear-leader placement: " + std::to_string(components.size()) +
                       (components.size() == 1 ? " label has" : " labels have") +
                       " no clear place within " + std::to_string(ClearLeaderExtraRings) +
                       " rings beyond the first free place and stand at the first free place: ";
    for (std::size_t i = 0; i < components.size() && i < NamedInMessage; ++i)
        text += (i ? ", " : "") + components[i];
    if (components.size() > NamedInMessage)
        text += " and " + std::to_string(components.size() - NamedInMessage) + " more";
    return text;
}

ClearLeaderPass::ClearLeaderPass(mdlOPM_Labeller& module, const Element& border)
    : module_(module), clearance_(LeaderClearance::OfSheet(module.host, BucketSize(module.settings))) {
    if (module.placement.keepInsideArea && border.IsLinear()) area_ = border.Linear().vertices;
}

const ClearLeaderLabel& ClearLeaderPass::Add(const Element& component, std::vector<Element> body,
                                             const Range& labelBox, const Point& anchor,
                                             const LabelOrigin& origin) {
    ClearLeaderLabel label;
    label.component = component;
    label.body = std::move(body);
    label.labelBox = labelBox;
    label.anchor = anchor;
    label.origin = origin;
    labels_.push_back(std::move(label));
    Put(labels_.size() - 1);
    return labels_.back();
}

ClearLeaderPlace ClearLeaderPass::Search(std::size_t index, bool keepCandidates) const {
    const ClearLeaderLabel& label = labels_.at(index);
    ClearLeaderRequest request;
    request.body = &label.body;
    request.labelBox = label.labelBox;
    request.anchor = label.anchor;
    request.step = module_.settings.StepDistance;
    request.area = area_;
    return FindClearLeaderPlace(module_.host, clearance_, request, keepCandidates);
}

void ClearLeaderPass::Put(std::size_t index) {
    ClearLeaderLabel& label = labels_.at(index);
    label.place = Search(index, false);
    std::vector<Element> drawn = label.body;
    CreateLabelCell(module_, drawn, label.place.search.offset, label.anchor, Point{}, label.origin);
    const Range moved{label.labelBox.low + label.place.search.offset, label.labelBox.high + label.place.search.offset};
    label.cell = FindAddedCell(module_.host, drawn, moved, label.anchor);
    Learn(index);
}

void ClearLeaderPass::Take(std::size_t index) {
    ClearLeaderLabel& label = labels_.at(index);
    module_.host.RemoveElement(label.cell);
    clearance_.Remove(label.cell.id);
    labelOfCell_.erase(label.cell.id);
}

void ClearLeaderPass::Restore(std::size_t index, const ClearLeaderLabel& saved) {
    ClearLeaderLabel& label = labels_.at(index);
    label = saved;
    module_.host.AddElement(label.cell);
    Learn(index);
}

void ClearLeaderPass::Learn(std::size_t index) {
    const ClearLeaderLabel& label = labels_[index];
    clearance_.AddLabel(module_.host, label.cell.id, label.cell.Cell().components);
    labelOfCell_[label.cell.id] = index;
}

std::optional<std::size_t> ClearLeaderPass::LabelOfCell(ElementId cell) const {
    const auto found = labelOfCell_.find(cell);
    if (found == labelOfCell_.end()) return std::nullopt;
    return found->second;
}

std::int64_t ClearLeaderPass::Fallbacks() const {
    return std::count_if(labels_.begin(), labels_.end(), [](const ClearLeaderLabel& l) { return !l.place.clear; });
}

void ClearLeaderPass::Finish() {
    RepairClearLeaders(*this);
    std::vector<std::string> fellBack;
    for (const ClearLeaderLabel& label : labels_)
        if (!label.place.clear) fellBack.push_back(ComponentName(module_.host, label.component));
    if (fellBack.empty()) return;
    module_.host.PostMessage({ClearLeaderFallbackMessage(fellBack), "", 12, false});
}

}  // namespace zkl
