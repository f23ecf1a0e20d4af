#include "cad/element_store.h"

#include "host/host_error.h"

namespace zkl::cad {

ElementId ElementStore::Add(Element& element, const Range& range) {
    element.id = nextId_++;
    entries_.emplace(element.id, Entry{element, range});
    index_.Insert(element.id, range);
    if (extent_) extent_->Extend(range);
    return element.id;
}

void ElementStore::Insert(const Element& element, const Range& range) {
    if (element.id == NoElementId) throw HostError("cannot store an element without an id");
    if (entries_.count(element.id) != 0)
        throw HostError("element id " + std::to_string(element.id) + " is used twice in one model");
    entries_.emplace(element.id, Entry{element, range});
    index_.Insert(element.id, range);
    if (extent_) extent_->Extend(range);
    if (element.id >= nextId_) nextId_ = element.id + 1;
}

void ElementStore::Replace(const Element& element, const Range& range) {
    auto it = entries_.find(element.id);
    if (it == entries_.end())
        throw HostError("element " + std::to_string(element.id) +
                        " is not in the model and cannot be rewritten");
    it->second = Entry{element, range};
    index_.Remove(element.id);
    index_.Insert(element.id, range);
    extent_.reset();
}

void ElementStore::Remove(ElementId id) {
    if (entries_.erase(id) == 0)
        throw HostError("element " + std::to_string(id) + " is not in the model and cannot be removed");
    index_.Remove(id);
    extent_.reset();
}

const Element* ElementStore::Find(ElementId id) const {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second.element;
}

const Element& ElementStore::Get(ElementId id) const {
    if (const Element* element = Find(id)) return *element;
    throw HostError("element " + std::to_string(id) + " does not exist in the model");
}

const Range& ElementStore::RangeOf(ElementId id) const {
    auto it = entries_.find(id);
    if (it == entries_.end())
        throw HostError("element " + std::to_string(id) + " does not exist in the model");
    return it->second.range;
}

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
