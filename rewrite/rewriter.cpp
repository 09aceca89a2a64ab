// rewrite/rewriter.cpp: the walk over the library that rewrites each song file with a
// selected chart, and the report of what happened to it.
#include "rewrite/rewriter.h"

#include <optional>
#include <string>

#include "rewrite/replace_file.h"
#include "rewrite/song_writer.h"

namespace {

bool has_selected_chart(const Song& song) {
  for (const Chart& chart : song.charts)
    if (chart.selected) return true;
  return false;
}

// The song's report lines: either the rewrite and its converted meters, or the failure.
void report_song(std::FILE* report, const std::string& path, const SongRewrite* rewrite) {
  if (rewrite == nullptr) {
    std::fprintf(report, "Failed to write to %s\n", path.c_str());
    return;
  }
  std::fprintf(report, "Rewriting %s...\n", path.c_str());
  for (const ConvertedMeter& meter : rewrite->converted) {
    std::string mode(mode_name(meter.mode));
    std::string difficulty(difficulty_name(meter.difficulty));
    std::fprintf(report, " - %s %s (%d -> %d)\n", mode.c_str(), difficulty.c_str(), meter.old_meter,
                 meter.new_meter);
  }
}

// Replaces one song file and reports its outcome. Interrupts wait until both are done,
// so an interrupted run leaves each file old or new, reported as it is.
void rewrite_song(const SongGroup& group, const Song& song, const ScaleTable& table,
                  std::FILE* report) {
  std::string path = song_path(group, song);
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table);
  InterruptShield shield;
  bool written = rewrite && replace_file(path, rewrite->content, song.tokens->stamp);
  report_song(report, path, written ? &*rewrite : nullptr);
  std::fflush(report);
}

}  // namespace

void rewrite_library(const GrowArray<SongGroup>& groups, const ScaleTable& table,
                     std::FILE* report) {
  for (const SongGroup& group : groups)
    for (const Song& song : group.songs)
      if (has_selected_chart(song)) rewrite_song(group, song, table, report);
}
