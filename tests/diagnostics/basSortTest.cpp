#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "diagnostics/basSort.h"

using namespace quillon;

namespace {
void expectSortedWithCompanion(const std::vector<int>& original, const std::vector<int>& sorted,
                               const std::vector<int>& positions) {
    ASSERT_EQ(sorted.size(), original.size());
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    std::vector<int> seen = positions;
    std::sort(seen.begin(), seen.end());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        ASSERT_EQ(seen[i], static_cast<int>(i)) << "positions are a permutation";
        EXPECT_EQ(original[static_cast<std::size_t>(positions[i])], sorted[i]);
    }
}
}  // namespace

TEST(QuickSort, SortsAscendingAndCarriesTheCompanionAlong) {
    std::mt19937 rng(7);
    for (int n : {0, 1, 2, 3, 10, 31, 40, 1000}) {
        for (int range : {3, 1000000}) {  // many equal values, and hardly any
            std::vector<int> values(static_cast<std::size_t>(n));
            for (auto& v : values) {
                v = static_cast<int>(rng() % static_cast<unsigned>(range));
            }
            const std::vector<int> original = values;
            std::vector<int> positions(values.size());
            for (std::size_t i = 0; i < positions.size(); ++i) {
                positions[i] = static_cast<int>(i);
            }
            QuickSort(values, &positions);
            expectSortedWithCompanion(original, values, positions);
        }
    }
}

TEST(QuickSort, HandlesOrderedInputsAndSortsOnlyBetweenTheBounds) {
    std::vector<int> ascending(100000);
    for (std::size_t i = 0; i < ascending.size(); ++i) {
        ascending[i] = static_cast<int>(i);
    }
    std::vector<int> descending(ascending.rbegin(), ascending.rend());
    QuickSort(descending);
    EXPECT_EQ(descending, ascending);

    std::vector<int> part{9, 8, 7, 6, 5, 4};
    std::vector<int> where{0, 1, 2, 3, 4, 5};
    QuickSort(part, 1, 4, &where);
    EXPECT_EQ(part, (std::vector<int>{9, 5, 6, 7, 8, 4}));
    EXPECT_EQ(where, (std::vector<int>{0, 4, 3, 2, 1, 5}));
}

TEST(QuickSort, RefusesBoundsOutsideTheArrays) {
    std::vector<int> values{3, 1, 2};
    std::vector<int> shortCompanion{0, 1};
    EXPECT_THROW(QuickSort(values, 0, 3), std::out_of_range);
    EXPECT_THROW(QuickSort(values, -1, 2), std::out_of_range);
    EXPECT_THROW(QuickSort(values, 0, 2, &shortCompanion), std::out_of_range);
    EXPECT_EQ(values, (std::vector<int>{3, 1, 2}));
    QuickSort(values, 2, 1);  // empty range: nothing to do
    EXPECT_EQ(values, (std::vector<int>{3, 1, 2}));
}
