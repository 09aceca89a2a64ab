// library/name_order.h: the order of groups and songs: a case-insensitive byte
// comparison, applied as a selection sort would apply it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

// Compares byte by byte with A-Z taken as a-z and other bytes by unsigned value; a text
// that is a prefix of another sorts first. Negative, zero or positive.
int compare_names(std::string_view a, std::string_view b);

// The order a selection sort leaves `keys` in: element i of the result is the index of
// the key that ends up at position i. Equal keys land where the selection sort's swaps
// put them (it is not stable), so every run orders ties the same way. O(n log n).
std::vector<std::size_t> selection_sort_order(std::span<const std::string_view> keys);

// Puts the elements of `items` (count of them) in the order given by `order`.
template <typename T>
void apply_order(T* items, const std::vector<std::size_t>& order) {
  std::vector<T> sorted;
  sorted.reserve(order.size());
  for (std::size_t index : order) sorted.push_back(std::move(items[index]));
  for (std::size_t i = 0; i < sorted.size(); ++i) items[i] = std::move(sorted[i]);
}
