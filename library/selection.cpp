// library/selection.cpp: counting the selection once, and keeping the counts as flags
// change.
#include "library/selection.h"

#include <cstddef>

namespace {

// The element at index `i` (never negative) of `items`.
template <typename T>
auto& at(T& items, std::int64_t i) {
  return items[static_cast<std::size_t>(i)];
}

std::int64_t files_of(const Song& song) { return song.companion ? 2 : 1; }

}  // namespace

SelectionCounts count_selection(const std::vector<SongGroup>& groups) {
  SelectionCounts counts;
  for (const SongGroup& group : groups) {
    counts.first_song.push_back(static_cast<std::int32_t>(counts.song_selected.size()));
    std::int32_t group_selected = 0;
    std::int32_t group_charts = 0;
    for (const Song& song : group.songs) {
      std::int32_t song_selected = 0;
      for (const Chart& chart : song.charts) {
        song_selected += chart.selected ? 1 : 0;
        counts.rescaled += chart.selected && chart.rescaled ? 1 : 0;
      }
      counts.song_selected.push_back(song_selected);
      group_selected += song_selected;
      group_charts += static_cast<std::int32_t>(song.charts.size());
      if (song_selected > 0) {
        ++counts.songs;
        counts.files += files_of(song);
      }
    }
    counts.group_selected.push_back(group_selected);
    counts.group_charts.push_back(group_charts);
    counts.charts += group_selected;
    counts.all_charts += group_charts;
  }
  return counts;
}

bool set_chart_selected(SelectionCounts& counts, std::vector<SongGroup>& groups, int group,
                        int song, int chart, bool selected) {
  Song& the_song = at(at(groups, group).songs, song);
  Chart& the_chart = at(the_song.charts, chart);
  if (the_chart.selected == selected) return false;
  the_chart.selected = selected;
  int step = selected ? 1 : -1;
  std::int32_t& in_song = at(counts.song_selected, at(counts.first_song, group) + song);
  // The song joins the selected songs with its first selected chart, and leaves with its last.
  if (in_song == (selected ? 0 : 1)) {
    counts.songs += step;
    counts.files += step * files_of(the_song);
  }
  in_song += step;
  at(counts.group_selected, group) += step;
  counts.charts += step;
  if (the_chart.rescaled) counts.rescaled += step;
  return true;
}

void set_song_selected(SelectionCounts& counts, std::vector<SongGroup>& groups, int group, int song,
                       bool selected) {
  int charts = static_cast<int>(at(at(groups, group).songs, song).charts.size());
  for (int c = 0; c < charts; ++c) set_chart_selected(counts, groups, group, song, c, selected);
}

void set_group_selected(SelectionCounts& counts, std::vector<SongGroup>& groups, int group,
                        bool selected) {
  int songs = static_cast<int>(at(groups, group).songs.size());
  for (int s = 0; s < songs; ++s) set_song_selected(counts, groups, group, s, selected);
}

std::int32_t selected_in_song(const SelectionCounts& counts, int group, int song) {
  return at(counts.song_selected, at(counts.first_song, group) + song);
}
