// Guards the kept cosines and sines: asked once or again, in any order, they are the bits
// std::cos and std::sin give, 0 and -0 kept apart, so probes land where they always did.
#include "cad/turn_cache.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zkl::cad {
namespace {

TEST(TurnCache, GivesTheBitsOfCosAndSinHoweverOftenAsked) {
    std::vector<double> angles = {0.0, -0.0, 1e-300, -1e-300, 3.141592653589793, 1e6, -7.5};
    for (int ring = 1; ring <= 40; ++ring)
        for (int step = 1; step <= 7 * ring; ++step) angles.push_back(static_cast<double>(step) / ring);
    TurnCache cache;
    for (int round = 0; round < 2; ++round) {
        for (const double angle : angles) {
            const auto [c, s] = cache.CosSin(angle);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(c), std::bit_cast<std::uint64_t>(std::cos(angle))) << angle;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(s), std::bit_cast<std::uint64_t>(std::sin(angle))) << angle;
        }
    }
}

}  // namespace
}  // namespace zkl::cad
