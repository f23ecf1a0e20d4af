// Guards the dimension chains' sort: it must leave points in exactly the order the plain
// exchange sort gives, ties and all, since the chains merge near points in that order.
#include "dimension/exchange_sort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>

namespace zkl {
namespace {

std::vector<Point> PlainlySorted(std::vector<Point> points, bool byX) {
    for (std::size_t i = 0; i < points.size(); ++i)
        for (std::size_t j = i + 1; j < points.size(); ++j)
            if ((byX ? points[i].x > points[j].x : points[i].y > points[j].y)) std::swap(points[i], points[j]);
    return points;
}

TEST(ExchangeSort, GivesThePlainExchangeSortsOrderTiesIncluded) {
    std::mt19937 random(11);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Sizes below and above where the faster way starts; few distinct keys make many ties,
    // the z coordinate tells tied points apart; sorted, reversed and NaN-holding lists too.
    for (const std::size_t size : {0, 1, 2, 63, 64, 65, 200, 1000, 3000}) {
        for (const int distinctKeys : {1, 3, 50, 1000000}) {
            for (const int shape : {0, 1, 2, 3}) {
                std::vector<Point> points;
                for (std::size_t i = 0; i < size; ++i) {
                    const double key = static_cast<double>(random() % static_cast<unsigned>(distinctKeys));
                    points.push_back({key, static_cast<double>(random() % 7), static_cast<double>(i)});
                }
                if (shape == 1) std::sort(points.begin(), points.end(), [](auto& a, auto& b) { return a.x < b.x; });
                if (shape == 2) std::sort(points.begin(), points.end(), [](auto& a, auto& b) { return a.x > b.x; });
                if (shape == 3 && size > 3) points[size / 2].x = nan;
                for (const bool byX : {true, false}) {
                    std::vector<Point> sorted = points;
                    ExchangeSort(sorted, byX);
                    const std::vector<Point> expected = PlainlySorted(points, byX);
                    ASSERT_EQ(sorted.size(), expected.size());
                    for (std::size_t i = 0; i < sorted.size(); ++i)
                        ASSERT_TRUE(sorted[i].z == expected[i].z)
                            << "size " << size << ", keys " << distinctKeys << ", shape " << shape << ", by "
                            << (byX ? "x" : "y") << ": place " << i;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zkl
