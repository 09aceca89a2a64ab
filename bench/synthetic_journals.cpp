// bench/synthetic_journals.cpp: journals in format 2 with the hashes and meter lines a
// real rewrite writes, made from a scan of the library.
#include "bench/synthetic_journals.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "library/scan.h"
#include "rewrite/journal.h"

namespace {

// A hash that no file of the library has: the bytes of run `run` before the newest.
std::uint64_t earlier_hash(std::uint64_t now, int run) {
  constexpr std::uint64_t spread = 0x9e3779b97f4a7c15;
  return now ^ (spread * static_cast<std::uint64_t>(run) + spread);
}

// The entries of run `run` (0 the newest) for every song file with charts, with its marks.
std::string run_entries(const std::vector<SongGroup>& groups, int run) {
  std::string text;
  int number = 0;
  for (const SongGroup& group : groups)
    for (const Song& song : group.songs) {
      if (song.charts.empty()) continue;
      JournalFile file;
      file.number = ++number;
      file.path = song_path(group, song);
      file.old_hash = earlier_hash(song.hash, run + 1);
      file.new_hash = run == 0 ? song.hash : earlier_hash(song.hash, run);
      for (const Chart& chart : song.charts) {
        std::string digits = std::to_string(chart.meter);
        if (digits.size() != chart.digits.length) continue;
        file.meters.push_back(JournalMeter{chart.digits.offset, digits,
                                           std::to_string(chart.meter * 3 / 2 + 1),
                                           std::string(mode_name(chart.mode)) + " " +
                                               std::string(difficulty_name(chart.difficulty))});
      }
      text += journal_entry(file);
      text += journal_mark("replaced", file.number, song.stamp);
    }
  return text;
}

}  // namespace

std::vector<std::string> write_synthetic_journals(int count) {
  std::vector<SongGroup> groups;
  std::vector<std::string> names;
  if (!scan_library(groups)) return names;
  std::time_t now = std::time(nullptr);
  for (int run = 0; run < count; ++run) {
    std::optional<JournalWriter> journal = create_journal({now - 3600 * run, 0});
    bool written = journal && append_journal(*journal, run_entries(groups, run));
    if (journal) names.push_back(journal->name);
    if (!written) {
      for (const std::string& name : names) std::remove(name.c_str());
      return {};
    }
  }
  sync();  // on disk, as journals of earlier runs are: no writeback during the timing
  return names;
}
