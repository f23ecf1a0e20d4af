// Chooses one clear place for each label out of its options so that the labels keep clear of
// each other: no two bodies touch, no leader runs through another label's body and no two
// leaders from different anchors meet. Labels placed one after the other in sheet order cannot
// see that a neighbour's shortest place shuts off the only clear corridor of a label further
// along the pipe; here the label with the fewest options left goes first, and among its
// shortest options it takes the one that leaves the others most of theirs.
//
// Pure geometry (plan x, y), no host: the same options give the same choice every run.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "commands/clear_place_options.h"
#include "host/geometry.h"

namespace zkl {

struct AssignmentLabel {
    Point anchor;
    Range labelBox;  // unmoved: an option's body is this box moved by its offset
    std::vector<ClearPlaceOption> options;  // shortest leader first
};

// For each label the index of the option it gets, none when every option it had is taken
// away by the labels chosen before it. `bucketSize` as for LeaderClearance.
std::vector<std::optional<std::size_t>> AssignClearPlaces(const std::vector<AssignmentLabel>& labels,
                                                          double bucketSize);

}  // namespace zkl
