#include "layout/side_label_map.h"

#include "host/numbers.h"
#include "host/property_value.h"

namespace zkl {

SideLabelMap::SideLabelMap(const SideLabelMap& other) : entries_(other.entries_) { Reindex(); }

SideLabelMap& SideLabelMap::operator=(const SideLabelMap& other) {
    if (this != &other) {
        entries_ = other.entries_;
        Reindex();
    }
    return *this;
}

void SideLabelMap::Reindex() {
    index_.clear();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) index_.emplace(it->first, it);
}

bool SideLabelMap::Contains(std::string_view key) const { return index_.count(key) != 0; }

std::optional<std::string> SideLabelMap::Value(std::string_view key) const {
    const auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    return found->second->second;
}

bool SideLabelMap::Add(std::string key, std::string value) {
    if (Contains(key)) return false;
    entries_.emplace_back(std::move(key), std::move(value));
    const auto last = std::prev(entries_.end());
    index_.emplace(last->first, last);
    return true;
}

bool SideLabelMap::Remove(std::string_view key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return false;
    const auto entry = found->second;
    index_.erase(found);  // before the entry, whose key the index's key views
    entries_.erase(entry);
    return true;
}

std::vector<std::string> SideLabelMap::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) keys.push_back(entry.first);
    return keys;
}

std::vector<std::pair<std::string, std::string>> SideLabelMap::Entries() const {
    return {entries_.begin(), entries_.end()};
}

std::string PointToMapValue(const Point& point) {
    return DoubleToText(point.x) + "," + DoubleToText(point.y) + "," + DoubleToText(point.z);
}

Point MapValueToPoint(std::string_view value) {
    double coordinates[3] = {0.0, 0.0, 0.0};
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = value.find(',', start);
        if ((i < 2) == (comma == std::string_view::npos))
            throw ConversionError("the side-label point \"" + std::string(value) +
                                  "\" is not three numbers separated by \",\"");
        const std::string_view part =
            value.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        coordinates[i] = TextToDouble(part);
        start = comma + 1;
    }
    return {coordinates[0], coordinates[1], coordinates[2]};
}

}  // namespace zkl
