// browser/tree_rows.h: the flattened rows of the selection browser, which of them are
// visible, and the selection marks of the rows.
// Built once after the scan; afterwards only `expanded` changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "library/library.h"

struct TreeRow {
  std::int32_t group;  // index into the groups
  std::int32_t song;   // index into the group's songs; -1 on a group row
  std::int32_t chart;  // index into the song's charts; -1 on group and song rows
  bool expanded;       // group and song rows: children shown
};

// The element at index `i` of the rows, groups, songs or charts. The browser counts rows,
// and a row names its group, song and chart, with int (-1 for none); an index used here is
// never negative.
template <typename T>
T& item_at(std::vector<T>& items, int i) {
  return items[static_cast<std::size_t>(i)];
}
template <typename T>
const T& item_at(const std::vector<T>& items, int i) {
  return items[static_cast<std::size_t>(i)];
}

// The number of rows, as the browser counts them.
inline int row_count(const std::vector<TreeRow>& rows) { return static_cast<int>(rows.size()); }

// Whether `row` stands for a group, a song or a chart.
inline bool is_group_row(const TreeRow& row) { return row.song < 0; }
inline bool is_song_row(const TreeRow& row) { return row.song >= 0 && row.chart < 0; }
inline bool is_chart_row(const TreeRow& row) { return row.chart >= 0; }

// One row per group, song and chart, in library order, all collapsed.
std::vector<TreeRow> build_rows(const std::vector<SongGroup>& groups);

// The visible row after visible row `i`, or the row count when there is none.
int next_visible_row(const std::vector<TreeRow>& rows, int i);

// The visible row before row `i` (1 <= i <= row count; the row count gives the last
// visible row).
int previous_visible_row(const std::vector<TreeRow>& rows, int i);

// The group row that song or chart row `i` belongs to (`i` itself on a group row).
int group_row_of(const std::vector<TreeRow>& rows, int i);

// The song row that chart row `i` belongs to (`i` itself on a group or song row).
int song_row_of(const std::vector<TreeRow>& rows, int i);

// The mark of a row whose charts number `total`, `selected` of them selected: 'Y' when
// there are charts and all are selected, '*' when some are, else a space (also a song
// without charts or a group without any).
char mark_char(std::int64_t selected, std::int64_t total);

// '-' on an expanded row, '+' on a collapsed one.
char expander_char(const TreeRow& row);
