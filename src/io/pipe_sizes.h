// Nominal pipe sizes: the inch size, the DN and the outside diameter of each, and the
// reading of a bore that an exporter may have written as any of them. Millimetres.
#pragma once

#include <optional>
#include <span>

namespace zkl::io {

struct PipeSize {
    double inches = 0.0;   // NPS
    double nominal = 0.0;  // DN
    double outside = 0.0;  // outside diameter

    friend bool operator==(const PipeSize&, const PipeSize&) = default;
};

// NPS 1/2 to 48. Sizes whose three readings would collide with another size's are left
// out: 3 1/2 (its inch x 25.4 is the outside diameter of 3) and those below 1/2 (DN 6 and
// 1/4 x 25.4 lie 0.35 mm apart).
std::span<const PipeSize> NominalPipeSizes();

// A bore written in millimetres may be the DN, the inch size x 25.4 or the outside
// diameter; each is matched within half a millimetre. Empty when it fits none.
std::optional<PipeSize> SizeOfMillimetreBore(double bore);

// A bore written in inches is the nominal size.
std::optional<PipeSize> SizeOfInchBore(double inches);

}  // namespace zkl::io
