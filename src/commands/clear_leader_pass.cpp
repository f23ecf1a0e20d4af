#include "commands/clear_leader_pass.h"

#include <algorithm>

#include "commands/clear_place_assignment.h"
#include "commands/clear_place_options.h"
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

}  // namespace

std::string ClearLeaderFallbackMessage(const std::vector<std::string>& components) {
    if (components.empty()) return "";
    std::string text = "Clear-leader placement: " + std::to_string(components.size()) +
                       (components.size() == 1 ? " label has" : " labels have") + " no clear place within " +
                       std::to_string(ClearLeaderExtraRings) +
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
    return labels_.back();
}

ClearLeaderRequest ClearLeaderPass::Request(std::size_t index) const {
    const ClearLeaderLabel& label = labels_.at(index);
    ClearLeaderRequest request;
    request.body = &label.body;
    request.labelBox = label.labelBox;
    request.anchor = label.anchor;
    request.step = module_.settings.StepDistance;
    request.area = area_;
    request.blockedBefore = label.blockedBefore;
    return request;
}

void ClearLeaderPass::Finish() {
    Host& host = module_.host;
    // One round of the assignment: a second one over the labels the first left without a
    // place, on the sheet as it then stood, placed only a few more for a sixth more time.
    for (const std::size_t i : PlaceAssigned()) {
        const std::int64_t probesBefore = labels_[i].place.search.probes;
        labels_[i].place = FindClearLeaderPlace(host, clearance_, Request(i));
        labels_[i].place.search.probes += probesBefore;
        Draw(i);
    }

    std::vector<std::string> fellBack;
    for (const ClearLeaderLabel& label : labels_)
        if (!label.place.clear) fellBack.push_back(ComponentName(host, label.component));
    if (fellBack.empty()) return;
    host.PostMessage({ClearLeaderFallbackMessage(fellBack), "", 12, false});
}

std::vector<std::size_t> ClearLeaderPass::PlaceAssigned() {
    Host& host = module_.host;
    std::vector<ClearPlaceOptions> found(labels_.size());
    std::vector<AssignmentLabel> assignment(labels_.size());
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        found[i] = FindClearPlaceOptions(host, clearance_, Request(i));
        labels_[i].blockedBefore = found[i].firstFreeStep;
        assignment[i] = {labels_[i].anchor, labels_[i].labelBox, found[i].options};
    }
    const std::vector<std::optional<std::size_t>> chosen =
        AssignClearPlaces(assignment, BucketSize(module_.settings));

    std::vector<std::size_t> unplaced;
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        ClearLeaderLabel& label = labels_[i];
        label.place = ClearLeaderPlace{};
        label.place.search.probes = found[i].probes;
        if (!chosen[i]) {
            unplaced.push_back(i);
            continue;
        }
        const ClearPlaceOption& option = found[i].options[*chosen[i]];
        const Range moved{label.labelBox.low + option.offset, label.labelBox.high + option.offset};
        // The assignment knows the other labels by their boxes and leaders alone; the fence
        // probe on the sheet as it now stands has the last word, as for every place taken.
        bool stands = false;
        {
            FenceModesGuard modes(host, OverlapFenceModes);
            ++label.place.search.probes;
            stands = !clearance_.BodyTouchesBody(moved) &&
                     !clearance_.FirstObstacle(label.anchor, option.attach) &&
                     ProbeIsFree(host, label.labelBox, option.offset);
        }
        if (!stands) {
            unplaced.push_back(i);
            continue;
        }
        label.place.search.offset = option.offset;
        label.place.search.free = true;
        label.place.clear = true;
        label.place.step = option.step;
        label.place.firstFreeStep = found[i].firstFreeStep;
        label.place.leaderLength = option.leaderLength;
        Draw(i);
    }
    return unplaced;
}

void ClearLeaderPass::Draw(std::size_t index) {
    ClearLeaderLabel& label = labels_.at(index);
    std::vector<Element> drawn = label.body;
    const ElementId id =
        CreateLabelCell(module_, drawn, label.place.search.offset, label.anchor, Point{}, label.origin);
    label.cell = module_.host.GetElement(ActiveModelId, id);
    clearance_.AddLabel(module_.host, label.cell.id, label.cell.Cell().components);
}

std::int64_t ClearLeaderPass::Fallbacks() const {
    return std::count_if(labels_.begin(), labels_.end(),
                         [](const ClearLeaderLabel& l) { return !l.place.clear; });
}

}  // namespace zkl
