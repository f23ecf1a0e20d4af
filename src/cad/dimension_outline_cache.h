// Outlines of dimension elements, kept between fence queries. A dimension's outline is its
// generated graphics (extension lines, arrows, texts), which cost more to make than the
// fence test itself; a free-place search asks for the same few dimensions many thousand
// times. An entry is used only while the element and its style equal what it was made
// from, so an edit, an undo or a changed style can never be answered from an old outline.
#pragma once

#include <cstddef>
#include <unordered_map>

#include "cad/element_geometry.h"
#include "host/element.h"
#include "host/host_types.h"

namespace zkl::cad {

class DimensionOutlineCache {
public:
    // The outline of `dimension` drawn in `style`, in the dimension's own coordinates.
    const Outline& Get(const Element& dimension, const DimensionStyle& style);

private:
    struct Entry {
        Element element;
        DimensionStyle style;
        Outline outline;
    };
    // Beyond this many dimensions the cache starts afresh rather than grow without end.
    static constexpr std::size_t MaximumEntries = 4096;

    // Keyed by where the element lives; the stored copy tells whether it is still the same.
    std::unordered_map<const Element*, Entry> entries_;
};

}  // namespace zkl::cad
