// rewrite/rescaled.h: the charts an earlier run rescaled, found from the undo journals
// beside Songs, so that the tree marks them, the rules leave them out unless asked and the
// report names them.
//
// A chart is rescaled before when a journal's entry for its song file (the same path from
// the folder that holds Songs) says that run wrote the bytes the file holds now (the hash
// of the file as the scan read it is the entry's new hash), no undo restored it since,
// and a meter line of the entry lies exactly on the
// chart's digits (same offset, same text). A file edited or undone since holds other
// bytes, and none of its charts is marked.
//
// The journals are read newest first, and reading stops once every song file with charts
// has been matched by one; so with the files as the newest full rewrite left them, only
// its journal is read. What is kept per marked chart is small, in a table of its own
// beside the library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "library/library.h"

// A song file whose charts an earlier run rescaled, the file still holding what that run
// wrote; its marked charts are [first, end) in RescaledCharts::old_meters.
struct RescaledSong {
  std::int32_t group;
  std::int32_t song;
  std::int32_t run;  // in RescaledCharts::run_dates
  std::uint32_t first;
  std::uint32_t end;
};

// The rescaled charts of a library, and the days their runs began. Per marked chart,
// `old_meters` holds its index in the song (two bytes, low first), the length of its
// meter's digits before that run (one byte) and those digits: a few bytes a chart, as a
// full rewrite of a large library marks every chart.
struct RescaledCharts {
  std::vector<RescaledSong> songs;  // sorted by group and song
  std::string old_meters;
  std::vector<std::string> run_dates;  // per journal read: "2026-12-07" (UTC)
};

// Reads the undo journals in the working folder (the folder that holds Songs) and marks
// the library's charts rescaled before (`Chart::rescaled`), filling `rescaled`. Run after
// the scan (the library sorted) and before the selection is counted.
void mark_rescaled_charts(std::vector<SongGroup>& groups, RescaledCharts& rescaled);

// The report's words for chart `chart` of song `song` of group `group` when an earlier
// run rescaled it ("already rescaled on 2026-12-07 from 12"), or nothing.
std::optional<std::string> rescaled_words(const RescaledCharts& rescaled, int group, int song,
                                          int chart);
