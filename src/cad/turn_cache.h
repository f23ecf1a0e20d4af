// The cosine and sine of angles asked for again and again. The rings of a free-place search
// have the same radii and steps around every label, so the same few thousand angles come
// back for each, and their trigonometry was a tenth of a probe's cost.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>

namespace zkl::cad {

class TurnCache {
public:
    // Exactly std::cos(angle) and std::sin(angle), kept by the angle's bits (so that 0 and
    // -0, whose sines differ in sign, stay apart).
    std::pair<double, double> CosSin(double angle);

private:
    // Far more than a search's rings hold; a run that asks for more starts again.
    static constexpr std::size_t MaximumKept = 1 << 16;
    std::unordered_map<std::uint64_t, std::pair<double, double>> known_;
};

}  // namespace zkl::cad
