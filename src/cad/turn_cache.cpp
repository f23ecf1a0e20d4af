#include "cad/turn_cache.h"

#include <bit>
#include <cmath>

namespace zkl::cad {

std::pair<double, double> TurnCache::CosSin(double angle) {
    const auto key = std::bit_cast<std::uint64_t>(angle);
    if (const auto it = known_.find(key); it != known_.end()) return it->second;
    if (known_.size() >= MaximumKept) known_.clear();
    return known_.emplace(key, std::pair{std::cos(angle), std::sin(angle)}).first->second;
}

}  // namespace zkl::cad
