// A map from text to text whose keys compare exactly (case-sensitive) and come back in the
// order they were first added. The layout of a drawing area keeps one per run: side-label
// text -> the component point it belongs to, written "x,y,z". Removing a key and adding it
// again moves it to the end, which is how the last of several straight pipes with one text
// comes to win. The map owns copies of its keys and values.
#pragma once

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/geometry.h"

namespace zkl {

class SideLabelMap {
public:
    SideLabelMap() = default;
    SideLabelMap(const SideLabelMap& other);
    SideLabelMap& operator=(const SideLabelMap& other);
    SideLabelMap(SideLabelMap&&) noexcept = default;
    SideLabelMap& operator=(SideLabelMap&&) noexcept = default;

    bool Contains(std::string_view key) const;
    // nullopt when the key is not in the map.
    std::optional<std::string> Value(std::string_view key) const;
    // Adds the entry at the end; returns false and leaves the map as it was when the key is
    // already there.
    bool Add(std::string key, std::string value);
    // Returns false when there was no such key.
    bool Remove(std::string_view key);

    // A snapshot in insertion order, safe to walk while the map changes.
    std::vector<std::string> Keys() const;
    std::vector<std::pair<std::string, std::string>> Entries() const;
    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }

private:
    using EntryList = std::list<std::pair<std::string, std::string>>;
    void Reindex();

    EntryList entries_;
    // Keys point into entries_; list iterators stay valid while other entries come and go.
    std::unordered_map<std::string_view, EntryList::iterator> index_;
};

// A component point as the map stores it: each coordinate's shortest round-trip decimal
// text, joined "x,y,z".
std::string PointToMapValue(const Point& point);
// Reads a value back; throws ConversionError naming the value when it is not three numbers.
Point MapValueToPoint(std::string_view value);

}  // namespace zkl
