#include "cad/element_store.h"

#include <algorithm>
#include <tuple>

#include "cad/prepared_outline.h"
#include "host/host_error.h"

namespace zkl::cad {

ElementId ElementStore::Add(Element& element, const Range& range) {
    CheckCellNesting(element);
    element.id = nextId_++;
    // Ids only grow, so a new element goes at the end of the map without a search.
    auto it = entries_.emplace_hint(entries_.end(), element.id, Entry{element, range, nullptr});
    Track(element.id, &it->second);
    index_.Insert(element.id, range);
    if (extent_) extent_->Extend(range);
    return element.id;
}

void ElementStore::Insert(Element element, const Range& range) {
    if (element.id == NoElementId) throw HostError("cannot store an element without an id");
    CheckCellNesting(element);
    // A file lists its elements by id, so loading one appends at the end of the map, where
    // the hint saves the search.
    const ElementId id = element.id;
    Entry entry{std::move(element), range, nullptr};
    Map::iterator it;
    if (entries_.empty() || entries_.rbegin()->first < id) {
        it = entries_.emplace_hint(entries_.end(), id, std::move(entry));
    } else {
        bool added = false;
        std::tie(it, added) = entries_.try_emplace(id, std::move(entry));
        if (!added) throw HostError("element id " + std::to_string(id) + " is used twice in one model");
    }
    Track(id, &it->second);
    index_.Insert(id, range);
    if (extent_) extent_->Extend(range);
    if (id >= nextId_) nextId_ = id + 1;
}

void ElementStore::Replace(Element element, const Range& range) {
    CheckCellNesting(element);
    auto it = entries_.find(element.id);
    if (it == entries_.end())
        throw HostError("element " + std::to_string(element.id) +
                        " is not in the model and cannot be rewritten");
    const ElementId id = element.id;
    it->second = Entry{std::move(element), range, nullptr};
    index_.Remove(id);
    index_.Insert(id, range);
    extent_.reset();
}

void ElementStore::Remove(ElementId id) {
    if (entries_.erase(id) == 0)
        throw HostError("element " + std::to_string(id) + " is not in the model and cannot be removed");
    Track(id, nullptr);
    index_.Remove(id);
    extent_.reset();
}

const Element* ElementStore::Find(ElementId id) const {
    const Entry* entry = FindEntry(id);
    return entry ? &entry->element : nullptr;
}

void ElementStore::Track(ElementId id, Entry* entry) {
    if (id <= 0) return;
    const auto index = static_cast<std::size_t>(id);
    if (index >= byId_.size()) {
        const std::size_t limit = 4 * entries_.size() + 1024;
        if (index >= limit) return;
        const std::size_t covered = byId_.size();
        byId_.resize(std::min(limit, std::max(index + 1, 2 * covered)), nullptr);
        // Ids between the old end and the new one that were stored meanwhile come in too.
        for (auto it = entries_.lower_bound(static_cast<ElementId>(covered));
             it != entries_.end() && static_cast<std::size_t>(it->first) < byId_.size(); ++it)
            byId_[static_cast<std::size_t>(it->first)] = &it->second;
    }
    byId_[index] = entry;
}

const ElementStore::Entry* ElementStore::FindEntry(ElementId id) const {
    if (id > 0 && static_cast<std::size_t>(id) < byId_.size()) return byId_[static_cast<std::size_t>(id)];
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

const ElementStore::Entry& ElementStore::EntryOf(ElementId id) const {
    if (const Entry* entry = FindEntry(id)) return *entry;
    throw HostError("element " + std::to_string(id) + " does not exist in the model");
}

const Element& ElementStore::Get(ElementId id) const { return EntryOf(id).element; }

const Range& ElementStore::RangeOf(ElementId id) const { return EntryOf(id).range; }

Range ElementStore::Extent() const {
    if (entries_.empty()) return {};
    if (!extent_) {
        Range extent = entries_.begin()->second.range;
        for (const auto& [id, entry] : entries_) extent.Extend(entry.range);
        extent_ = extent;
    }
    return *extent_;
}

}  // namespace zkl::cad
