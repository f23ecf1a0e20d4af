// Clear-leader placement over one drawing area: what the labelling pass keeps while it
// places labels by the clear-leader rule. It knows every label already on the sheet (side
// labels, labels of earlier areas) and collects the area's labels as the pass builds them;
// it places them all at the end, so that each label's place is chosen knowing the others'
// (clear_place_assignment.h). At the end it posts one message naming the components whose
// labels still have no clear place and stand at the first free one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/clear_leader_placement.h"
#include "commands/leader_clearance.h"
#include "host/element.h"
#include "label/label_origin.h"
#include "settings/labeller_module.h"

namespace zkl {

struct ClearLeaderLabel {
    Element component;
    std::vector<Element> body;  // built at the component, unmoved
    Range labelBox;             // LabelBox of that body
    Point anchor;
    LabelOrigin origin;
    ClearLeaderPlace place;  // set by Finish
    // The steps before the first free place on the sheet without this pass's labels, which
    // stay taken however many labels the pass adds.
    std::int64_t blockedBefore = 0;
    Element cell;  // the label cell as it stands on the sheet, id included; set by Finish
};

class ClearLeaderPass {
public:
    // Reads the sheet's label cells; `border` bounds the bodies when the module's placement
    // options keep them inside the area.
    ClearLeaderPass(mdlOPM_Labeller& module, const Element& border);

    // Takes one component's label, to be placed by Finish; `body` is built at the component.
    const ClearLeaderLabel& Add(const Element& component, std::vector<Element> body, const Range& labelBox,
                                const Point& anchor, const LabelOrigin& origin);
    // Places every label added and adds its cell (CreateLabelCell, no knee): first the places
    // the assignment chose among each label's clear places on the sheet as the pass found
    // it, then, in the order added, a search on the sheet as it then stands for each label
    // the assignment left without one. Then posts the message about those without a clear
    // place.
    void Finish();

    const std::vector<ClearLeaderLabel>& Labels() const { return labels_; }
    std::int64_t Fallbacks() const;

private:
    ClearLeaderRequest Request(std::size_t label) const;
    // The assignment over every label, on the sheet as the pass found it; places those it
    // can and returns the others, each with the probes made for it so far.
    std::vector<std::size_t> PlaceAssigned();
    // Adds the cell of a label whose place is set, and learns it.
    void Draw(std::size_t label);

    mdlOPM_Labeller& module_;
    LeaderClearance clearance_;
    std::optional<std::vector<Point>> area_;
    std::vector<ClearLeaderLabel> labels_;
};

// The message for labels that took the first free place; empty for none.
std::string ClearLeaderFallbackMessage(const std::vector<std::string>& components);

}  // namespace zkl
