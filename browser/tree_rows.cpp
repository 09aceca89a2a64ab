// browser/tree_rows.cpp: building the rows, stepping over hidden ones, and the marks.
//
// The rows are ordered by group, then song, then chart, with a group's row before its
// songs and a song's row before its charts. The children of a row therefore form one
// run right after it, which is what lets a collapsed row be skipped by a binary search
// instead of a walk over its children.
#include "browser/tree_rows.h"

#include <algorithm>

namespace {

// The first row from `from` on for which `inside` no longer holds. `inside` must hold
// for a leading run of the rows from `from` and for none after it, as "belongs to group
// g" and "belongs to song s of group g" do in the row order.
template <typename Inside>
int end_of_run(const std::vector<TreeRow>& rows, int from, Inside inside) {
  return static_cast<int>(std::partition_point(rows.begin() + from, rows.end(), inside) -
                          rows.begin());
}

void add_row(std::vector<TreeRow>& rows, int group, int song, int chart) {
  rows.push_back(TreeRow{group, song, chart, false});
}

int count_of(const auto& items) { return static_cast<int>(items.size()); }

}  // namespace

std::vector<TreeRow> build_rows(const std::vector<SongGroup>& groups) {
  std::size_t count = groups.size();
  for (const SongGroup& group : groups) {
    count += group.songs.size();
    for (const Song& song : group.songs) count += song.charts.size();
  }
  std::vector<TreeRow> rows;
  rows.reserve(count);  // exactly: the rows are kept for the run
  for (int g = 0; g < count_of(groups); ++g) {
    add_row(rows, g, -1, -1);
    const std::vector<Song>& songs = item_at(groups, g).songs;
    for (int s = 0; s < count_of(songs); ++s) {
      add_row(rows, g, s, -1);
      for (int c = 0; c < count_of(item_at(songs, s).charts); ++c) add_row(rows, g, s, c);
    }
  }
  return rows;
}

int next_visible_row(const std::vector<TreeRow>& rows, int i) {
  const TreeRow& row = item_at(rows, i);
  if (row.expanded || is_chart_row(row)) return i + 1;
  int group = row.group;
  int song = row.song;
  if (is_group_row(row))
    return end_of_run(rows, i + 1, [group](const TreeRow& r) { return r.group == group; });
  return end_of_run(rows, i + 1,
                    [group, song](const TreeRow& r) { return r.group == group && r.song == song; });
}

int previous_visible_row(const std::vector<TreeRow>& rows, int i) {
  int r = i - 1;
  if (is_chart_row(item_at(rows, r)) && !item_at(rows, song_row_of(rows, r)).expanded)
    r = song_row_of(rows, r);
  if (!is_group_row(item_at(rows, r)) && !item_at(rows, group_row_of(rows, r)).expanded)
    r = group_row_of(rows, r);
  return r;
}

int group_row_of(const std::vector<TreeRow>& rows, int i) {
  int group = item_at(rows, i).group;
  auto before = [group](const TreeRow& r) { return r.group < group; };
  return static_cast<int>(std::partition_point(rows.begin(), rows.begin() + i, before) -
                          rows.begin());
}

int song_row_of(const std::vector<TreeRow>& rows, int i) {
  const TreeRow& row = item_at(rows, i);
  return is_chart_row(row) ? i - row.chart - 1 : i;
}

char mark_char(std::int64_t selected, std::int64_t total) {
  if (total > 0 && selected == total) return 'Y';
  return selected > 0 ? '*' : ' ';
}

char expander_char(const TreeRow& row) { return row.expanded ? '-' : '+'; }
