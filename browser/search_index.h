// browser/search_index.h: the group names and the songs' titles, transliterated titles
// and folder names, folded once (letter case, accents, character widths), so that a
// search runs over one block of text in a fraction of a frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/tree_rows.h"

// Where the texts of one group or song row lie in the folded text.
struct SearchEntry {
  int row;               // its group or song row
  std::uint32_t offset;  // where its folded texts start
};

// The texts of every group and song row in row order, folded, each followed by a line
// feed (which a search text never holds, so no match runs across two of them).
struct SearchIndex {
  std::string folded;
  std::vector<SearchEntry> entries;  // in row order
};

// `text` as a search compares it: Unicode case folding, accents and other marks left
// out, compatibility forms (full-width letters, ligatures) and typographic quotes, dashes
// and spaces as their plain forms. Bytes that are not valid UTF-8 stay as they are.
std::string fold_case(std::string_view text);

// The index of every group and song row of `rows`: a group by its name, a song by its
// title, its transliterated title and its folder name.
SearchIndex build_search_index(const std::vector<TreeRow>& rows,
                               const std::vector<SongGroup>& groups);

// The first row at or after row `from` whose texts hold `folded_text`, else the
// first such row from the start (wrapping); nothing when no row holds it or the text is
// empty (a search of a lone accent, which folds to nothing).
std::optional<int> find_forward(const SearchIndex& index, std::string_view folded_text, int from);

// The last row before row `before` whose texts hold `folded_text`, else the
// last such row of all (wrapping); nothing when no row holds it or the text is empty.
std::optional<int> find_backward(const SearchIndex& index, std::string_view folded_text,
                                 int before);

// Every row whose name or title holds `folded_text`, in row order.
std::vector<int> rows_holding(const SearchIndex& index, std::string_view folded_text);
