// library/selection.h: the charts' `selected` flags, changed in one place only, with
// counts of the selection kept as they change: per song, per group and for the whole
// library. The browser reads its marks and its status line from these counts, so that
// neither a key nor a frame walks the library to show them.
#pragma once

#include <cstdint>
#include <vector>

#include "library/library.h"

// Counts of the selected charts. The songs are numbered group after group:
// song s of group g is song number first_song[g] + s.
struct SelectionCounts {
  std::vector<std::int32_t> first_song;      // per group: the number of its first song
  std::vector<std::int32_t> song_selected;   // per song number: its selected charts
  std::vector<std::int32_t> group_selected;  // per group: its selected charts
  std::vector<std::int32_t> group_charts;    // per group: all its charts
  std::int64_t charts = 0;                   // selected charts
  std::int64_t all_charts = 0;               // every chart of the library
  std::int64_t songs = 0;                    // songs with a selected chart
  std::int64_t files = 0;     // the files of those songs: each song file and its .ssc companion
  std::int64_t rescaled = 0;  // selected charts that an earlier run rescaled
};

// The counts of the selection as the charts' flags have it now, made by one walk over the
// library (once, when the browser starts).
SelectionCounts count_selection(const std::vector<SongGroup>& groups);

// Sets the `selected` flag of chart `chart` of song `song` of group `group`, keeping
// `counts` current; every change of a flag after count_selection goes through here.
// Returns whether the flag changed.
bool set_chart_selected(SelectionCounts& counts, std::vector<SongGroup>& groups, int group,
                        int song, int chart, bool selected);

// Sets every chart of song `song` of group `group`.
void set_song_selected(SelectionCounts& counts, std::vector<SongGroup>& groups, int group, int song,
                       bool selected);

// Sets every chart of group `group`.
void set_group_selected(SelectionCounts& counts, std::vector<SongGroup>& groups, int group,
                        bool selected);

// The selected charts of song `song` of group `group`.
std::int32_t selected_in_song(const SelectionCounts& counts, int group, int song);
