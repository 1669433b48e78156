#pragma once

#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

namespace quillon {

// Sorts values[lower..upper] in place, ascending, by quicksort with the middle element as
// the pivot. When a companion array is given (the list positions the values came from, as
// a rule) its elements are swapped along with the values, so companion[i] still tells where
// values[i] came from. The sort is not stable: equal values come in no particular order.
// The smaller part is sorted by recursion and the larger one by the loop, so the depth
// stays logarithmic even for unlucky inputs.
// Bounds outside the array (or a companion shorter than the bounds) throw
// std::out_of_range; lower >= upper sorts nothing.
template <typename T, typename C = int>
void QuickSort(std::vector<T>& values, std::ptrdiff_t lower, std::ptrdiff_t upper,
               std::vector<C>* companion = nullptr) {
    if (lower >= upper) {
        return;
    }
    const auto size = static_cast<std::ptrdiff_t>(values.size());
    if (lower < 0 || upper >= size ||
        (companion != nullptr && upper >= static_cast<std::ptrdiff_t>(companion->size()))) {
        throw std::out_of_range("QuickSort: bounds outside the array");
    }
    while (lower < upper) {
        const T pivot = values[static_cast<std::size_t>(lower + (upper - lower) / 2)];
        std::ptrdiff_t i = lower;
        std::ptrdiff_t j = upper;
        while (i <= j) {
            while (values[static_cast<std::size_t>(i)] < pivot) {
                ++i;
            }
            while (pivot < values[static_cast<std::size_t>(j)]) {
                --j;
            }
            if (i <= j) {
                std::swap(values[static_cast<std::size_t>(i)], values[static_cast<std::size_t>(j)]);
                if (companion != nullptr) {
                    std::swap((*companion)[static_cast<std::size_t>(i)],
                              (*companion)[static_cast<std::size_t>(j)]);
                }
                ++i;
                --j;
            }
        }
        // Now values[lower..j] <= pivot <= values[i..upper].
        if (j - lower < upper - i) {
            QuickSort(values, lower, j, companion);
            lower = i;
        } else {
            QuickSort(values, i, upper, companion);
            upper = j;
        }
    }
}

// Sorts the whole array, with its companion when one is given.
template <typename T, typename C = int>
void QuickSort(std::vector<T>& values, std::vector<C>* companion = nullptr) {
    if (!values.empty()) {
        QuickSort(values, 0, static_cast<std::ptrdiff_t>(values.size()) - 1, companion);
    }
}

}  // namespace quillon
