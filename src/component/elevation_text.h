// The elevation of a pipe as a piping drawing writes it (" EL+2350", " BOP EL+2240",
// " TOP EL+2460", " WP EL+2350" for a sloped pipe), measured from the plant origin in the
// attached model's units, whole numbers rounded half to even.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/element.h"
#include "host/geometry.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

// Keywords "EL", "BOP", "TOP", "AUTO" (case-sensitive; anything else is "EL"). Empty text
// for a vertical pipe (with a message), and for anything but a straight or a bend. Throws
// when the plant origin offset, the key points or the outside diameter cannot be read; the
// label format language absorbs that.
std::string GetElevationText(mdlOPM_Labeller& module, const Element& element, std::string_view keyword,
                             const ItemRows& rows);

// How a slope is written: 0 "SLOP 1.5%", 1 "SLOP 2:100", 2 "SLOP 0.9 deg".
enum class SlopeFormat { Percent = 0, PerHundred = 1, Degrees = 2 };

// The slope of a run from `start` to `end` (attached-model coordinates); empty text for a
// horizontal run (no vertical component) or a vertical one.
std::string SlopeText(const Point& start, const Point& end, SlopeFormat format);

}  // namespace zkl
