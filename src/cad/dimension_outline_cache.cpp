#include "cad/dimension_outline_cache.h"

namespace zkl::cad {

const Outline& DimensionOutlineCache::Get(const Element& dimension, const DimensionStyle& style) {
    const auto found = entries_.find(&dimension);
    if (found != entries_.end() && found->second.style == style && found->second.element == dimension)
        return found->second.outline;
    if (found == entries_.end() && entries_.size() >= MaximumEntries) entries_.clear();
    const auto styleOf = [&style](const std::string&) { return style; };
    Entry& entry = entries_[&dimension];
    entry = Entry{dimension, style, ElementOutline(dimension, styleOf)};
    return entry.outline;
}

}  // namespace zkl::cad
