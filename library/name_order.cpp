// library/name_order.cpp: case-insensitive name comparison and the selection sort order.
#include "library/name_order.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace {

unsigned char folded(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
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
std::vector<int> selection_sort_order(std::span<const std::string_view> keys) {
  int n = static_cast<int>(keys.size());
  std::vector<int> by_key(n);
  std::iota(by_key.begin(), by_key.end(), 0);
  std::stable_sort(by_key.begin(), by_key.end(),
                   [&](int a, int b) { return compare_names(keys[a], keys[b]) < 0; });

  std::vector<int> class_of(n);
  std::vector<std::set<int>> positions;  // per class, where its elements stand now
  for (int k = 0; k < n; ++k) {
    int index = by_key[k];
    if (k == 0 || compare_names(keys[by_key[k - 1]], keys[index]) != 0) positions.emplace_back();
    class_of[index] = static_cast<int>(positions.size()) - 1;
    positions.back().insert(index);
  }

  std::vector<int> at(n);  // the element standing at each position
  std::iota(at.begin(), at.end(), 0);
  std::size_t smallest = 0;
  for (int i = 0; i + 1 < n; ++i) {
    while (positions[smallest].empty()) ++smallest;
    int m = *positions[smallest].begin();
    positions[smallest].erase(positions[smallest].begin());
    if (m != i) {
      int displaced = at[i];
      positions[class_of[displaced]].erase(i);
      positions[class_of[displaced]].insert(m);
      std::swap(at[i], at[m]);
    }
  }
  return at;
}
