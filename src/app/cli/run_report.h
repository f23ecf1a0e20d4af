// The report `zkl-labeller auto --report FILE.json` writes: what one run did, or why it
// failed, as one JSON object, so that a batch of runs can be summed up without parsing the
// summary line. The keys are listed in docs/batch.md; adding a key is compatible, renaming
// one is not.
#pragma once

#include <string>
#include <vector>

#include "commands/automatic_placement.h"

namespace zkl::app {

struct RunReport {
    std::string sheet;   // as given on the command line
    std::string output;  // the annotated sheet, written only when exitStatus is 0
    PlacementReport placement;
    std::string placementRule = "first";  // "first" or "clear"
    std::vector<std::string> messages;  // the host's message list, one line each
    double seconds = 0;                 // wall time from start to the outputs staged
    int exitStatus = 0;
    std::string error;  // the line the program printed on stderr, empty on success
};

// Pretty-printed, keys in a fixed order, ending in a line break.
std::string SerializeRunReport(const RunReport& report);

}  // namespace zkl::app
