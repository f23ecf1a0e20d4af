// The exchange sort the dimension chains are built with: for each place in turn, every later
// point whose key (x or y) is smaller than the one there is swapped in. Points with equal keys
// end up in the order this gives, which differs from std::sort's and std::stable_sort's, and
// which the chains' merging of near points depends on.
#pragma once

#include <vector>

#include "host/geometry.h"

namespace zkl {

// The result of the exchange sort, found by skipping blocks of places that cannot hold a
// smaller key instead of comparing every pair: a sheet of 50,000 components spent seconds on
// the comparisons alone.
void ExchangeSort(std::vector<Point>& points, bool byX);

}  // namespace zkl
