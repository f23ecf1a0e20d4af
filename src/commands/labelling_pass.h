// The labelling pass over one drawing area: every plant component inside a border shape gets
// its label, either placed at once where a spiral search of fence probes finds a free place
// (automatic) or placed by the user with the component zoomed into view (semi-automatic).
//
// Units: active-model drawing units. The pass borrows the host's fence and its three
// fence-mode switches while it runs and puts the switches back when it ends; the caller
// owns the border, the item rows and the results.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

// The probe counter stops the search once it passes this, free place or not.
inline constexpr std::int64_t FreePlaceProbeLimit = 10000;
// The pass starts every search with this count; with the step s the counter starts at
// floor(3 / s), so a fine step gets fewer probes.
inline constexpr double FreePlaceStartCount = 3.0;

struct FreePlaceSearch {
    Point offset;       // displacement of the last probe, free or not
    bool free = false;  // whether that last probe found nothing
    std::int64_t probes = 0;
};

// Walks rings of radius s, 2s, ... around `low` in arc steps of s and probes the label box
// (low, high) moved to each point, until a probe finds nothing or the counter passes
// FreePlaceProbeLimit. The label's own place is never tried. Shows "Placing label" and a
// bar-and-arrow progress text in the status fields and clears both at the end. Throws
// std::invalid_argument when `step` is not a positive number.
FreePlaceSearch FindFreeLabelOffset(Host& host, const Point& low, const Point& high, double step,
                                    double startCount);

// The text of the second status field after the n-th probe: "|" for every ten, ">" for the
// rest ("||>>>" for 23).
std::string ProbeProgressText(std::int64_t counter);

// Shows the element, with five times its diagonal around it, in the view of the last input
// (in a plan view, in active-model coordinates also for an element of an attachment).
void ZoomToElement(Host& host, const Element& element);

// One component the pass gave a label to.
struct PassLabel {
    ModelId model = ActiveModelId;
    ElementId component = NoElementId;
    Point anchor;
    Range labelBox;          // the body's box where it was built (automatic: at the component)
    FreePlaceSearch search;  // automatic manner only
    // Clear-leader placement found no clear place and took the first free one.
    bool clearLeaderFallback = false;
};

struct PassResult {
    std::vector<PassLabel> labels;  // in the order the cells were added
    bool quit = false;              // the user pressed Esc (semi-automatic)
};

enum class LabellingManner { Automatic, SemiAutomatic };

// Labels every cell of an attached reference inside or across `border` whose object class
// is not "UNKNOWN" and for which the rows give a body. Semi-automatic: Esc ends this pass
// (result.quit) but not the caller's command. `onLabel`, when set, hears of each label
// placed, as it is placed.
PassResult LabelComponentsInBorder(mdlOPM_Labeller& module, const Element& border, LabellingManner manner,
                                   const ItemRows& labelItems,
                                   const std::function<void(const PassLabel&)>& onLabel = {});

// The box of a label body: texts by their text box, everything else by its range; z from
// the first element alone. The body must not be empty.
Range LabelBox(const Host& host, const std::vector<Element>& body);

}  // namespace zkl
