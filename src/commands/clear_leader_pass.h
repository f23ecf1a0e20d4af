// Clear-leader placement over one drawing area: what the labelling pass keeps while it
// places labels by the clear-leader rule. It knows every label already on the sheet (side
// labels, labels of earlier areas) and learns each label as the pass adds it, so that each
// search asks about its own neighbourhood only. At the end it posts one message naming the
// components whose labels found no clear place and took the first free one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/clear_leader_placement.h"
#include "commands/leader_clearance.h"
#include "host/element.h"
#include "settings/labeller_module.h"

namespace zkl {

class ClearLeaderPass {
public:
    // Reads the sheet's label cells; `border` bounds the bodies when the module's placement
    // options keep them inside the area.
    ClearLeaderPass(mdlOPM_Labeller& module, const Element& border);

    // The place for one component's label; `body` is built at the component, unmoved.
    ClearLeaderPlace Place(const Element& component, const std::vector<Element>& body, const Range& labelBox,
                           const Point& anchor);
    // The label cell's components as CreateLabelCell left them (body moved, leader last).
    void Placed(const std::vector<Element>& components);
    // Posts the message about the labels that fell back, when there are any.
    void Finish();

    std::int64_t Fallbacks() const { return static_cast<std::int64_t>(fellBack_.size()); }

private:
    mdlOPM_Labeller& module_;
    LeaderClearance clearance_;
    std::optional<std::vector<Point>> area_;
    std::vector<std::string> fellBack_;  // "PlantModel #12"
};

// The message for labels that took the first free place; empty for none.
std::string ClearLeaderFallbackMessage(const std::vector<std::string>& components);

}  // namespace zkl
