// The cosine and sine of angles asked for again and again. The rings of a free-place search
// have the same radii and steps around every label, so the same few thousand angles come
// back for each, and their trigonometry was a tenth of a probe's cost.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace zkl::cad {

class TurnCache {
public:
    // Exactly std::cos(angle) and std::sin(angle), kept by the angle's bits (so that 0 and
    // -0, whose sines differ in sign, stay apart).
    std::pair<double, double> CosSin(double angle);

private:
    struct Slot {
        std::uint64_t key = 0;
        bool used = false;
        double cos = 0;
        double sin = 0;
    };
    // An open table at most half full: a look-up is one multiply and mostly one slot. Far
    // more slots than a search's rings ask for; a run that fills half of them starts again.
    static constexpr int SlotBits = 15;
    static constexpr std::size_t MaximumKept = std::size_t{1} << (SlotBits - 1);
    std::vector<Slot> slots_;
    std::size_t kept_ = 0;
};

}  // namespace zkl::cad
