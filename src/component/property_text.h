// Reading plant-component properties as text. A component is often a cell whose properties
// sit on its parts, so a read descends into the components of a cell, depth-first, and can
// gather the distinct values of all parts (the two diameters of a reducer). Both reads
// absorb every host failure: a property that cannot be read is simply missing.
#pragma once

#include <string>
#include <string_view>

#include "host/host.h"

namespace zkl {

// The property's text on the element, or, when it is missing there (or is "0" and
// `acceptZero` is false), on its components. With `collectAll` every distinct value found
// is returned, joined by "," without spaces, the element's own first. Never throws.
std::string GetPropertyText(const Host& host, const Element& element, std::string_view accessString,
                            bool acceptZero, bool collectAll);

// What a picked object stands for: its EC class name (possibly empty), or one of
// "PIPELINE", "SEG", "ISO", "SERVICE", "AREA", "UNIT", "EQUIPMENT", "UNKNOWN" decided by
// the count of its access strings and by "EQUIPMENT_LOCATION". Never throws.
std::string GetObjectClassName(const Host& host, const Element& element);

// GetPropertyText (first value only) converted to a number. Throws ConversionError naming
// the property and the element when the text is empty or not a number.
double GetPropertyNumber(const Host& host, const Element& element, std::string_view accessString,
                         bool acceptZero);

// The ConversionError message for a property value that is not what was needed:
// "property LENGTH_EFFECTIVE of element 42 is '' (not a number)".
std::string PropertyValueProblem(const Element& element, std::string_view accessString, std::string_view text,
                                 std::string_view problem);

}  // namespace zkl
