// library/name_order.cpp: case-insensitive name comparison and the selection sort order.
#include "library/name_order.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace {

unsigned char folded(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

}  // namespace

int compare_names(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    unsigned char x = folded(a[i]);
    unsigned char y = folded(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// A selection sort takes, at each position i, the first smallest key at or after i and
// swaps it with the element at i. Keys fall into classes of equal keys; the classes come
// out in key order, and within the smallest class left the element taken is the one at
// the lowest position. Tracking each class's positions replays every swap in log time.
std::vector<std::size_t> selection_sort_order(std::span<const std::string_view> keys) {
  std::size_t n = keys.size();
  std::vector<std::size_t> by_key(n);
  std::iota(by_key.begin(), by_key.end(), std::size_t{0});
  std::stable_sort(by_key.begin(), by_key.end(), [&](std::size_t a, std::size_t b) {
    return compare_names(keys[a], keys[b]) < 0;
  });

  std::vector<std::size_t> class_of(n);
  std::vector<std::set<std::size_t>> positions;  // per class, where its elements stand now
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t index = by_key[k];
    if (k == 0 || compare_names(keys[by_key[k - 1]], keys[index]) != 0) positions.emplace_back();
    class_of[index] = positions.size() - 1;
    positions.back().insert(index);
  }

  std::vector<std::size_t> at(n);  // the element standing at each position
  std::iota(at.begin(), at.end(), std::size_t{0});
  std::size_t smallest = 0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    while (positions[smallest].empty()) ++smallest;
    std::size_t m = *positions[smallest].begin();
    positions[smallest].erase(positions[smallest].begin());
    if (m != i) {
      std::size_t displaced = at[i];
      positions[class_of[displaced]].erase(i);
      positions[class_of[displaced]].insert(m);
      std::swap(at[i], at[m]);
    }
  }
  return at;
}
