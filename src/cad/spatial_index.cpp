#include "cad/spatial_index.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <unordered_map>
#include <utility>

namespace zkl::cad {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

using PlanPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<PlanPoint>;
using Entry = std::pair<Box, ElementId>;

Box ToBox(const Range& range) {
    // Callers may hand over a range whose corners are swapped; the tree needs low <= high.
    const Range ordered = Range::FromCorners(range.low, range.high);
    return {{ordered.low.x, ordered.low.y}, {ordered.high.x, ordered.high.y}};
}

}  // namespace

struct SpatialIndex::Impl {
    bgi::rtree<Entry, bgi::rstar<16>> tree;
    // The tree removes by value, so each id's box is kept to find its entry again.
    std::unordered_map<ElementId, Box> boxes;
};

SpatialIndex::SpatialIndex() : impl_(std::make_unique<Impl>()) {}
SpatialIndex::~SpatialIndex() = default;
SpatialIndex::SpatialIndex(SpatialIndex&&) noexcept = default;
SpatialIndex& SpatialIndex::operator=(SpatialIndex&&) noexcept = default;

void SpatialIndex::Insert(ElementId id, const Range& range) {
    Remove(id);
    const Box box = ToBox(range);
    impl_->tree.insert({box, id});
    impl_->boxes.emplace(id, box);
}

void SpatialIndex::Remove(ElementId id) {
    auto it = impl_->boxes.find(id);
    if (it == impl_->boxes.end()) return;
    impl_->tree.remove(Entry{it->second, id});
    impl_->boxes.erase(it);
}

void SpatialIndex::Clear() {
    impl_->tree.clear();
    impl_->boxes.clear();
}

std::size_t SpatialIndex::Size() const { return impl_->boxes.size(); }

bool SpatialIndex::Query(const Range& range, const std::function<bool(ElementId)>& visit) const {
    // The query iterator walks the tree lazily, so stopping early skips the rest of it.
    for (auto it = impl_->tree.qbegin(bgi::intersects(ToBox(range))); it != impl_->tree.qend(); ++it)
        if (!visit(it->second)) return false;
    return true;
}

}  // namespace zkl::cad
