// What an update of the annotation did to each label: the change report. One entry per
// component label the update looked at, in the order it met them, plus the labels whose
// component is gone. Side labels and dimension chains are not listed one by one; the report
// only says whether they were rebuilt.
//
// Units: active-model drawing units.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "label/label_origin.h"

namespace zkl {

enum class LabelChange {
    Kept,       // stands as it stood (a hand-placed label may have had its leader redrawn)
    Retexted,   // new text at the same place
    Moved,      // to a new free place: its component moved, or its new text no longer fits
    Removed,    // an automatic label whose component is gone
    Added,      // a component without a label got one
    Orphaned,   // a hand-placed label whose component is gone: left in place, flagged
};

// "kept", "retexted", "moved", "removed", "added", "orphaned".
std::string_view LabelChangeName(LabelChange change);

struct LabelChangeEntry {
    LabelChange change = LabelChange::Kept;
    std::string component;  // the component's key
    LabelPlacement placement = LabelPlacement::Unrecorded;  // how the label stands now
    std::string oldText;    // the label's lines joined by " / "; empty for an added label
    std::string newText;    // empty for a removed or orphaned label
    std::optional<Point> oldPlace;  // the first text's origin before; none for an added label
    std::optional<Point> newPlace;  // and after; none for a removed label
    ElementId oldCell = NoElementId;
    ElementId newCell = NoElementId;  // the cell standing now (the same id when untouched)
    bool leaderRedrawn = false;       // a hand-placed label's leader follows its moved component
};

struct LabelChanges {
    std::vector<LabelChangeEntry> entries;
    bool sidesRebuilt = false;    // side labels and dimension chains were rebuilt ...
    bool sidesChanged = false;    // ... and came out different from the ones they replaced
    std::int64_t probes = 0;      // fence probes of the free-place searches

    std::int64_t Count(LabelChange change) const;
    // Whether the sheet changed at all; a second update right after the first changes nothing.
    bool ChangedSheet() const;
};

}  // namespace zkl
