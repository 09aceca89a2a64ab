// browser/search_index.h: the group names and song titles of the library, case-folded
// once, so that a search runs over one block of text in a fraction of a frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/tree_rows.h"

// Where one group name or song title lies in the folded text.
struct SearchEntry {
  int row;               // its group or song row
  std::uint32_t offset;  // where its folded text starts
};

// Every group name and song title in row order, folded, each followed by a line feed
// (which a search text never holds, so no match runs across two of them).
struct SearchIndex {
  std::string folded;
  std::vector<SearchEntry> entries;  // in row order
};

// `text` with each letter in its lower-case form (UTF-8: Latin, Greek, Cyrillic,
// Armenian and full-width Latin letters), so that a comparison ignores letter case.
// Bytes that are not valid UTF-8 stay as they are.
std::string fold_case(std::string_view text);

// The index of every group and song row of `rows`.
SearchIndex build_search_index(const std::vector<TreeRow>& rows,
                               const std::vector<SongGroup>& groups);

// The first row at or after row `from` whose name or title holds `folded_text`, else the
// first such row from the start (wrapping); nothing when no row holds it.
std::optional<int> find_forward(const SearchIndex& index, std::string_view folded_text, int from);

// The last row before row `before` whose name or title holds `folded_text`, else the
// last such row of all (wrapping); nothing when no row holds it.
std::optional<int> find_backward(const SearchIndex& index, std::string_view folded_text,
                                 int before);

// Every row whose name or title holds `folded_text`, in row order.
std::vector<int> rows_holding(const SearchIndex& index, std::string_view folded_text);
