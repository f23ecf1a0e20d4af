#include "cad/turn_cache.h"

#include <bit>
#include <cmath>

namespace zkl::cad {

std::pair<double, double> TurnCache::CosSin(double angle) {
    if (slots_.empty() || kept_ >= MaximumKept) {
        slots_.assign(std::size_t{1} << SlotBits, Slot{});
        kept_ = 0;
    }
    const auto key = std::bit_cast<std::uint64_t>(angle);
    const std::size_t mask = slots_.size() - 1;
    // Fibonacci hashing spreads the angles' bits, whose low end is mostly zeros.
    for (std::size_t i = (key * 0x9E3779B97F4A7C15ULL) >> (64 - SlotBits);; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (!slot.used) {
            slot = {key, true, std::cos(angle), std::sin(angle)};
            ++kept_;
            return {slot.cos, slot.sin};
        }
        if (slot.key == key) return {slot.cos, slot.sin};
    }
}

}  // namespace zkl::cad
