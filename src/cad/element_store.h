// The elements of one model, by id, in the order they were first added (ids only grow, so
// id order is that order), with the range of each kept in a spatial index. The store does
// not compute ranges itself: its owner (Drawing) does, because a dimension's range depends
// on the design file's styles.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "cad/spatial_index.h"
#include "host/element.h"
#include "host/geometry.h"

namespace zkl::cad {

struct PreparedOutline;

class ElementStore {
public:
    struct Entry {
        Element element;
        Range range;
        // The fence test's pieces of the element, made when first needed (CadHost); a
        // rewrite replaces the entry and so drops them.
        mutable std::shared_ptr<const PreparedOutline> prepared;
    };
    using Map = std::map<ElementId, Entry>;

    // Every way in throws HostError for an element whose cells nest deeper than
    // MaxCellNesting, so that nothing that walks stored elements meets deeper ones.

    // Gives the element the next free id (written into `element`) and stores it.
    ElementId Add(Element& element, const Range& range);
    // Stores an element under the id it carries (loading a file, undoing a removal).
    // Throws HostError when the id is 0 or already taken.
    void Insert(Element element, const Range& range);
    void Replace(Element element, const Range& range);
    void Remove(ElementId id);

    const Element* Find(ElementId id) const;
    const Entry* FindEntry(ElementId id) const;
    // Throws HostError naming the id when there is no such element.
    const Entry& EntryOf(ElementId id) const;
    // Throws HostError naming the id when there is no such element.
    const Element& Get(ElementId id) const;
    const Range& RangeOf(ElementId id) const;

    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const Map& Entries() const { return entries_; }
    const SpatialIndex& Index() const { return index_; }
    // The union of all ranges; a zero range at the origin when empty.
    Range Extent() const;

private:
    void Track(ElementId id, Entry* entry);

    Map entries_;
    // The entries by id, for the ids below its size (null where there is none): a probe of a
    // free-place search looks elements up by id thousands of times, and the map's walk was a
    // tenth of its cost. Ids from a file may be sparse, so it covers only ids up to a few
    // times the element count; the map answers for the rest.
    std::vector<Entry*> byId_;
    SpatialIndex index_;
    ElementId nextId_ = 1;
    // Extent is asked for once per component by the labelling commands (through the
    // attachment's range); kept until an element is replaced or removed.
    mutable std::optional<Range> extent_;
};

}  // namespace zkl::cad
