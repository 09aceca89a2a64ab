// rewrite/rewriter.cpp: the walk over the library that rewrites each song file with a
// selected chart, in batches that reach the disk together, and the report.
//
// Flushing every file and folder alone costs two waits on the disk per song; a batch
// writes its new files, puts them all on disk at once, renames them into place and puts
// the renames on disk at once. Each new file is still on disk before it replaces the old
// one. Interrupts are held for a whole batch, so an interrupted run leaves every file old
// or new, each reported as it is, and no temporary file.
#include "rewrite/rewriter.h"

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "rewrite/companion.h"
#include "rewrite/file_job.h"
#include "rewrite/replace_file.h"
#include "rewrite/splice.h"
#include "terminal/text.h"

namespace {

// A batch ends after this many files or bytes written, whichever comes first: large
// enough that flushing is a small part of the time, small enough that an interrupt is
// answered within a fraction of a second.
constexpr std::size_t batch_files = 128;
constexpr std::size_t batch_bytes = 32 << 20;

std::vector<ConvertedMeter> convert_selected(const Song& song, const ScaleTable& table) {
  std::vector<ConvertedMeter> converted;
  for (const Chart& chart : song.charts) {
    if (!chart.selected) continue;
    int step = table.steps[static_cast<int>(chart.mode)][static_cast<int>(chart.difficulty)];
    MeterEdit edit{chart.digits, chart.meter, convert_meter(chart.meter, step)};
    converted.push_back(ConvertedMeter{chart.mode, chart.difficulty, edit});
  }
  return converted;
}

// Reads the file again and writes its new content beside it. Leaves the replacement
// empty when the file is not the one the scan read (its stamp, its bytes or its meter
// digits differ) or cannot be replaced. Returns the bytes written.
std::size_t prepare_file(FileJob& job, FileBuffer& buffer) {
  std::optional<std::string> target = resolve_target(job.path);
  if (!target) return 0;
  std::optional<FileStamp> stamp = read_file_into(*target, buffer);
  bool unchanged = stamp && *stamp == job.stamp && content_hash(buffer.view()) == job.hash;
  if (!unchanged) return 0;
  if (job.companion && !match_companion(job, buffer.view())) return 0;
  std::vector<MeterEdit> edits;
  for (const ConvertedMeter& meter : job.converted) edits.push_back(meter.edit);
  std::optional<std::string> content = splice_meters(buffer.view(), edits);
  trim_buffer(buffer);
  if (!content) return 0;
  std::optional<Replacement> replacement = write_replacement(*target, *content, *stamp);
  if (!replacement) return 0;
  job.replacement = std::move(*replacement);
  return content->size();
}

// Names in the path are printed with their control characters escaped, so that a name
// can neither start a report line of its own nor send a terminal sequence.
void report_file(std::FILE* report, const FileJob& job) {
  if (report_companion_kept(report, job)) return;
  std::string path = escape_controls(job.path);
  if (!job.replacement.placed) {
    std::fprintf(report, "Failed to write to %s\n", path.c_str());
    return;
  }
  std::fprintf(report, "Rewriting %s...\n", path.c_str());
  for (const ConvertedMeter& meter : job.converted) {
    std::string mode(mode_name(meter.mode));
    std::string difficulty(difficulty_name(meter.difficulty));
    std::fprintf(report, " - %s %s (%d -> %d)\n", mode.c_str(), difficulty.c_str(),
                 meter.edit.old_meter, meter.edit.new_meter);
  }
  report_unmatched_charts(report, job);
}

// Flushes, places and reports one batch of prepared files.
void finish_batch(std::vector<FileJob>& batch, std::FILE* report) {
  std::vector<Replacement> replacements;
  replacements.reserve(batch.size());
  for (FileJob& job : batch) replacements.push_back(std::move(job.replacement));
  flush_replacements(replacements);
  for (Replacement& replacement : replacements) place_replacement(replacement);
  flush_folders(replacements);
  for (std::size_t i = 0; i < batch.size(); ++i) {
    batch[i].replacement = std::move(replacements[i]);
    report_file(report, batch[i]);
  }
  std::fflush(report);
}

// The song files with a selected chart, in library order.
std::vector<FileJob> selected_files(const GrowArray<SongGroup>& groups, const ScaleTable& table) {
  std::vector<FileJob> jobs;
  for (const SongGroup& group : groups)
    for (const Song& song : group.songs) {
      std::vector<ConvertedMeter> converted = convert_selected(song, table);
      if (converted.empty()) continue;
      jobs.push_back(
          FileJob{song_path(group, song), song.stamp, song.hash, std::move(converted), {}, {}});
      if (song.companion) jobs.push_back(companion_job(group, song, jobs.back()));
    }
  return jobs;
}

}  // namespace

void rewrite_library(const GrowArray<SongGroup>& groups, const ScaleTable& table,
                     std::FILE* report) {
  // A file size limit makes a write fail instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<FileJob> jobs = selected_files(groups, table);
  FileBuffer buffer;
  for (std::size_t next = 0; next < jobs.size();) {
    InterruptShield shield;
    std::vector<FileJob> batch;
    std::size_t bytes = 0;
    while (next < jobs.size() && batch.size() < batch_files && bytes < batch_bytes) {
      FileJob& job = batch.emplace_back(std::move(jobs[next++]));
      bytes += prepare_file(job, buffer);
    }
    finish_batch(batch, report);
  }
}
