// The change report of an update (commands/label_changes.h) as people read it and as
// programs read it. The JSON keys are listed in docs/revisions.md; adding a key is
// compatible, renaming one is not.
#pragma once

#include <string>

#include "commands/label_changes.h"

namespace zkl::app {

// One line of counts, then one line per label that changed or was flagged; kept labels
// are only counted.
std::string ChangeReportText(const LabelChanges& changes);

// Pretty-printed, keys in a fixed order, ending in a line break.
std::string ChangeReportJson(const LabelChanges& changes);

}  // namespace zkl::app
