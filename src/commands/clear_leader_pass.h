// Clear-leader placement over one drawing area: what the labelling pass keeps while it
// places labels by the clear-leader rule. It knows every label already on the sheet (side
// labels, labels of earlier areas) and learns each label as it adds its cell, so that each
// search asks about its own neighbourhood only. It remembers each label's unmoved body and
// its cell on the sheet, so that a repair can take labels out and place them again. At the
// end it posts one message naming the components whose labels still have no clear place and
// stand at the first free one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
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
    ClearLeaderPlace place;
    Element cell;  // the label cell as it stands on the sheet, id included
};

class ClearLeaderPass {
public:
    // Reads the sheet's label cells; `border` bounds the bodies when the module's placement
    // options keep them inside the area.
    ClearLeaderPass(mdlOPM_Labeller& module, const Element& border);

    // Places one component's label and adds its cell (CreateLabelCell, no knee); `body` is
    // built at the component.
    const ClearLeaderLabel& Add(const Element& component, std::vector<Element> body, const Range& labelBox,
                                const Point& anchor, const LabelOrigin& origin);
    // Repairs what it can of the labels that fell back (clear_leader_repair.h), then posts
    // the message about those left.
    void Finish();

    const std::vector<ClearLeaderLabel>& Labels() const { return labels_; }
    std::int64_t Fallbacks() const;

    // ---- For the repair: labels by their index in Labels() ------------------------------
    // Removes the label's cell from the sheet and from what leaders must keep clear of.
    void Take(std::size_t label);
    // The search for a taken label on the sheet as it is now; nothing is added.
    ClearLeaderPlace Search(std::size_t label, bool keepCandidates) const;
    // Places a taken label again by the rule and adds its cell.
    void Put(std::size_t label);
    // Puts a taken label back as it stood when `saved` was copied from Labels().
    void Restore(std::size_t label, const ClearLeaderLabel& saved);
    // The label whose cell this is; none for cells the pass did not add (side labels).
    std::optional<std::size_t> LabelOfCell(ElementId cell) const;
    const LeaderClearance& Clearance() const { return clearance_; }
    Host& host() const { return module_.host; }

private:
    void Learn(std::size_t label);

    mdlOPM_Labeller& module_;
    LeaderClearance clearance_;
    std::optional<std::vector<Point>> area_;
    std::vector<ClearLeaderLabel> labels_;
    std::unordered_map<ElementId, std::size_t> labelOfCell_;
};

// The message for labels that took the first free place; empty for none.
std::string ClearLeaderFallbackMessage(const std::vector<std::string>& components);

}  // namespace zkl
