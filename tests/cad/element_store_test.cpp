// Guards the look-up of stored elements by id: whether ids are dense (added), sparse or huge
// (from a file), removed, rewritten or stored again, every id finds exactly the entry the
// store holds for it, and none finds a removed one.
#include "cad/element_store.h"

#include "host/host_error.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>

namespace zkl::cad {
namespace {

Element LineWithId(ElementId id, double x) {
    Element line = MakeLine({x, 0, 0}, {x + 1, 1, 0});
    line.id = id;
    return line;
}

void ExpectLookUpsAgree(const ElementStore& store, const std::map<ElementId, double>& expected, ElementId upTo) {
    for (ElementId id = -2; id <= upTo; ++id) {
        const auto* entry = store.FindEntry(id);
        const auto it = expected.find(id);
        ASSERT_EQ(entry != nullptr, it != expected.end()) << "id " << id;
        if (entry) {
            EXPECT_EQ(entry, &store.Entries().at(id)) << "id " << id;
            EXPECT_EQ(entry->element.Linear().vertices.front().x, it->second) << "id " << id;
        }
    }
    for (const auto& [id, x] : expected) ASSERT_NE(store.FindEntry(id), nullptr) << "id " << id;
}

TEST(ElementStore, EveryIdFindsItsOwnEntryThroughAddsInsertsRewritesAndRemovals) {
    ElementStore store;
    std::map<ElementId, double> expected;
    std::mt19937 random(7);
    // A file's sparse ids first, then the mix a session makes, then a far id.
    for (const ElementId id : {3L, 10L, 900L, 5000L}) {
        store.Insert(LineWithId(id, static_cast<double>(id)), {});
        expected[id] = static_cast<double>(id);
    }
    ExpectLookUpsAgree(store, expected, 6000);
    for (int step = 0; step < 4000; ++step) {
        const int action = static_cast<int>(random() % 4);
        const double x = static_cast<double>(step);
        if (action == 0 || expected.empty()) {
            Element line = LineWithId(NoElementId, x);
            expected[store.Add(line, {})] = x;
        } else {
            auto it = std::next(expected.begin(), static_cast<long>(random() % expected.size()));
            const ElementId id = it->first;
            if (action == 1) {
                store.Remove(id);
                expected.erase(it);
            } else if (action == 2) {
                store.Replace(LineWithId(id, x), {});
                it->second = x;
            } else {
                store.Remove(id);
                store.Insert(LineWithId(id, x), {});
                it->second = x;
            }
        }
    }
    ExpectLookUpsAgree(store, expected, 12000);
    store.Insert(LineWithId(1000000000000L, 1), {});
    expected[1000000000000L] = 1;
    ExpectLookUpsAgree(store, expected, 12000);
    EXPECT_NE(store.FindEntry(1000000000000L), nullptr);
    EXPECT_THROW(store.EntryOf(999999999999L), HostError);
}

}  // namespace
}  // namespace zkl::cad
