#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace me {

// Sorts items in place so that equal items keep their order: by insertion up
// to insertion_limit items, where it is fastest and allocates nothing, and by
// a top-down merge sort beyond, through scratch (kept by the caller so that
// lists rebuilt every frame allocate only when they grow). True when the
// merge sort ran.
template <class T, class Less>
bool stable_sort_with_scratch(std::vector<T>& items, std::vector<T>& scratch, size_t insertion_limit, Less less);

namespace stable_sort_detail {

template <class T, class Less>
void insertion_sort(std::vector<T>& items, Less less) {
    for (size_t i = 1; i < items.size(); ++i) {
        T item = std::move(items[i]);
        size_t j = i;
        for (; j > 0 && less(item, items[j - 1]); --j)
            items[j] = std::move(items[j - 1]);
        items[j] = std::move(item);
    }
}

// On equal items the one of the left half, which came first, is taken first.
template <class T, class Less>
void merge_sort(std::vector<T>& items, std::vector<T>& scratch, size_t begin, size_t end, Less less) {
    if (end - begin < 2)
        return;
    const size_t middle = begin + (end - begin) / 2;
    merge_sort(items, scratch, begin, middle, less);
    merge_sort(items, scratch, middle, end, less);
    size_t left = begin;
    size_t right = middle;
    for (size_t out = begin; out < end; ++out) {
        const bool take_right = left == middle || (right < end && less(items[right], items[left]));
        scratch[out] = std::move(take_right ? items[right++] : items[left++]);
    }
    std::move(scratch.begin() + static_cast<std::ptrdiff_t>(begin), scratch.begin() + static_cast<std::ptrdiff_t>(end),
              items.begin() + static_cast<std::ptrdiff_t>(begin));
}

}  // namespace stable_sort_detail

template <class T, class Less>
bool stable_sort_with_scratch(std::vector<T>& items, std::vector<T>& scratch, size_t insertion_limit, Less less) {
    if (items.size() <= insertion_limit) {
        stable_sort_detail::insertion_sort(items, less);
        return false;
    }
    scratch.resize(items.size());
    stable_sort_detail::merge_sort(items, scratch, 0, items.size(), less);
    return true;
}

}  // namespace me
