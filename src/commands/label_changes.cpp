#include "commands/label_changes.h"

#include <algorithm>

namespace zkl {

std::string_view LabelChangeName(LabelChange change) {
    switch (change) {
        case LabelChange::Kept: return "kept";
        case LabelChange::Retexted: return "retexted";
        case LabelChange::Moved: return "moved";
        case LabelChange::Removed: return "removed";
        case LabelChange::Added: return "added";
        case LabelChange::Orphaned: return "orphaned";
    }
    return "";
}

std::int64_t LabelChanges::Count(LabelChange change) const {
    return std::count_if(entries.begin(), entries.end(),
                         [change](const LabelChangeEntry& entry) { return entry.change == change; });
}

bool LabelChanges::ChangedSheet() const {
    if (sidesChanged) return true;
    return std::any_of(entries.begin(), entries.end(), [](const LabelChangeEntry& entry) {
        return (entry.change != LabelChange::Kept && entry.change != LabelChange::Orphaned) || entry.leaderRedrawn;
    });
}

}  // namespace zkl
