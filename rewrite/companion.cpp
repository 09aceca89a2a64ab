// rewrite/companion.cpp: matching an .sm's selected charts in the .ssc beside it.
#include "rewrite/companion.h"

#include <algorithm>
#include <array>

#include "songfile/song_reader.h"
#include "songfile/text.h"

namespace {

using KindCounts = std::array<std::int32_t, mode_count * difficulty_count>;

std::int32_t& count_of(KindCounts& counts, Mode mode, Difficulty difficulty) {
  return counts[static_cast<std::size_t>(mode) * difficulty_count +
                static_cast<std::size_t>(difficulty)];
}

// The chart of `mode` and `difficulty` that has `rank` such charts before it, if any.
const FoundChart* find_ranked(const std::vector<FoundChart>& charts, const WantedChart& wanted) {
  std::int32_t rank = wanted.rank;
  for (const FoundChart& chart : charts)
    if (chart.mode == wanted.mode && chart.difficulty == wanted.difficulty && rank-- == 0)
      return &chart;
  return nullptr;
}

// "Single Hard" for a printf "%.*s %.*s".
int length_of(std::string_view text) { return static_cast<int>(text.size()); }

}  // namespace

FileJob companion_job(const SongGroup& group, const Song& song, const FileJob& song_job) {
  const CompanionFile& file = *song.companion;
  CompanionMatch match;
  KindCounts seen{};
  std::size_t next = 0;  // the song's job converts its selected charts in chart order
  for (const Chart& chart : song.charts) {
    std::int32_t rank = count_of(seen, chart.mode, chart.difficulty)++;
    if (!chart.selected) continue;
    const MeterEdit& edit = song_job.converted[next++].edit;
    match.wanted.push_back(
        WantedChart{chart.mode, chart.difficulty, rank, edit.old_meter, edit.new_meter});
  }
  // An .ssc the scan could not read has no stamp. No file has the zero stamp, so the job
  // fails as for a file that changed since the scan.
  return FileJob{song_folder_path(group, song, file.file),
                 file.stamp.value_or(FileStamp{}),
                 file.hash,
                 {},
                 {},
                 std::move(match)};
}

bool match_companion(FileJob& job, std::string_view bytes) {
  CompanionMatch& match = *job.companion;
  SongFields fields;
  if (!read_ssc_fields(bytes, fields)) return false;
  match.searched = true;
  for (const WantedChart& wanted : match.wanted) {
    const FoundChart* found = find_ranked(fields.charts, wanted);
    if (found && found->meter == wanted.old_meter)
      job.converted.push_back(
          ConvertedMeter{wanted.mode, wanted.difficulty,
                         MeterEdit{found->digits, wanted.old_meter, wanted.new_meter}});
    else
      match.unmatched.push_back(wanted);
  }
  std::sort(job.converted.begin(), job.converted.end(),
            [](const ConvertedMeter& a, const ConvertedMeter& b) {
              return a.edit.digits.offset < b.edit.digits.offset;
            });
  return !job.converted.empty();
}

bool report_companion_kept(std::FILE* report, const FileJob& job) {
  if (!job.companion || !job.companion->searched || !job.converted.empty()) return false;
  std::fprintf(report, "Not rewriting %s: none of the selected charts has a match in it\n",
               escape_controls(job.path).c_str());
  return true;
}

void report_unmatched_charts(std::FILE* report, const FileJob& job) {
  if (!job.companion) return;
  for (const WantedChart& chart : job.companion->unmatched) {
    std::string_view mode = mode_name(chart.mode);
    std::string_view difficulty = difficulty_name(chart.difficulty);
    std::fprintf(report, " - %.*s %.*s (%d): no matching chart in this file, not changed here\n",
                 length_of(mode), mode.data(), length_of(difficulty), difficulty.data(),
                 chart.old_meter);
  }
}
