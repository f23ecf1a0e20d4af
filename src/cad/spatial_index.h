// The 2D R-tree of one model: element ids by their range. Queries take a callback that
// returns false to stop, so "is anything here?" ends at the first real hit instead of
// collecting every candidate. The R-tree pays off when queries are small against the
// drawing (label probes); a query over the whole model is no better than a scan.
#pragma once

#include <functional>
#include <memory>

#include "host/element.h"
#include "host/geometry.h"

namespace zkl::cad {

class SpatialIndex {
public:
    SpatialIndex();
    ~SpatialIndex();
    SpatialIndex(SpatialIndex&&) noexcept;
    SpatialIndex& operator=(SpatialIndex&&) noexcept;

    void Insert(ElementId id, const Range& range);
    void Remove(ElementId id);
    void Clear();
    std::size_t Size() const;

    // Calls visit(id) for each element whose range meets `range` in x-y, until visit returns
    // false. Returns false when stopped early.
    bool Query(const Range& range, const std::function<bool(ElementId)>& visit) const;

private:
    // Boost.Geometry stays out of this header: it is heavy and only the index needs it.
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zkl::cad
