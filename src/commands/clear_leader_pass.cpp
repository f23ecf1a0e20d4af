#include "commands/clear_leader_pass.h"

#include <algorithm>

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

ClearLeaderPlace ClearLeaderPass::Place(const Element& component, const std::vector<Element>& body,
                                        const Range& labelBox, const Point& anchor) {
    ClearLeaderRequest request;
    request.body = &body;
    request.labelBox = labelBox;
    request.anchor = anchor;
    request.step = module_.settings.StepDistance;
    request.area = area_;
    ClearLeaderPlace place = FindClearLeaderPlace(module_.host, clearance_, request);
    if (!place.clear) fellBack_.push_back(ComponentName(module_.host, component));
    return place;
}

void ClearLeaderPass::Placed(const std::vector<Element>& components) {
    clearance_.AddLabel(module_.host, NoElementId, components);
}

void ClearLeaderPass::Finish() {
    if (fellBack_.empty()) return;
    module_.host.PostMessage({ClearLeaderFallbackMessage(fellBack_), "", 12, false});
}

}  // namespace zkl
