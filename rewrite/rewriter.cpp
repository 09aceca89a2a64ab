// rewrite/rewriter.cpp: the walk over the library that rewrites each song file with a
// selected chart, in batches that reach the disk together, and the report.
//
// Flushing every file and folder alone costs two waits on the disk per song; a batch
// writes its new files, records them in the undo journal, puts them all on disk at once,
// renames them into place, puts the renames on disk at once and marks them done in the
// journal. Each new file and its journal entry are on disk before it replaces the old one.
// Interrupts are held for a whole batch and stop the run after it, so an interrupted run
// leaves every file old or new, each reported as it is, and no temporary file.
#include "rewrite/rewriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rewrite/companion.h"
#include "rewrite/file_job.h"
#include "rewrite/journal.h"
#include "rewrite/replace_file.h"
#include "rewrite/splice.h"
#include "songfile/text.h"

namespace {

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

std::string chart_name(const ConvertedMeter& meter) {
  return std::string(mode_name(meter.mode)) + " " + std::string(difficulty_name(meter.difficulty));
}

// The journal entry of a file whose new content is written: what undoes each edit.
JournalFile journal_file(const FileJob& job, const std::string& target,
                         const std::vector<TextEdit>& texts, const std::string& content) {
  JournalFile file;
  file.path = job.path;
  file.target = target;
  file.old_hash = job.hash;
  file.new_hash = content_hash(content);
  std::vector<TextEdit> undo = reverse_edits(texts);
  for (std::size_t i = 0; i < undo.size(); ++i)
    file.meters.push_back(JournalMeter{undo[i].offset, undo[i].old_text, undo[i].new_text,
                                       chart_name(job.converted[i])});
  file.written = stamp_file(job.replacement.temp);
  return file;
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
  std::optional<std::vector<TextEdit>> texts = meter_text_edits(buffer.view(), edits);
  std::optional<std::string> content;
  if (texts) content = splice_texts(buffer.view(), *texts);
  trim_buffer(buffer);
  if (!content) return 0;
  std::optional<Replacement> replacement = write_replacement(*target, *content, *stamp);
  if (!replacement) return 0;
  job.replacement = std::move(*replacement);
  job.journal = journal_file(job, *target, *texts, *content);
  return content->size();
}

// Reports what became of the file. Returns true when it failed to be written. Names in
// the path are printed with their control characters escaped, so that a name can neither
// start a report line of its own nor send a terminal sequence.
bool report_file(std::FILE* report, const FileJob& job) {
  if (report_companion_kept(report, job)) return false;
  std::string path = escape_controls(job.path);
  if (!job.replacement.placed) {
    std::fprintf(report, "Failed to write to %s\n", path.c_str());
    return true;
  }
  std::fprintf(report, "Rewriting %s...\n", path.c_str());
  for (const ConvertedMeter& meter : job.converted)
    std::fprintf(report, " - %s (%d -> %d)\n", chart_name(meter).c_str(), meter.edit.old_meter,
                 meter.edit.new_meter);
  report_unmatched_charts(report, job);
  return false;
}

// Whether the flushes of the batch's files put the journal on disk too: when they flush
// whole file systems and every file of the batch lies on the journal's. Then the journal
// needs no flush of its own, which halves the waits for the disk.
bool journal_flushed_with(std::span<const Replacement> batch, const JournalWriter& journal) {
  if (!flushes_whole_file_systems()) return false;
  return std::all_of(batch.begin(), batch.end(), [&](const Replacement& replacement) {
    return replacement.temp.empty() || replacement.expected.device == journal.device;
  });
}

// Records the batch's new files in the journal, numbering them from `numbered` on. When
// the journal cannot take them, no new file of the batch takes its place.
void record_batch(std::vector<FileJob>& batch, std::span<Replacement> replacements,
                  JournalWriter& journal, int& numbered) {
  std::string entries;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (replacements[i].temp.empty()) continue;
    batch[i].journal.number = ++numbered;
    entries += journal_entry(batch[i].journal);
  }
  bool on_disk_later = journal_flushed_with(replacements, journal);
  if (entries.empty() || append_journal(journal, entries, on_disk_later)) return;
  for (Replacement& replacement : replacements) replacement = Replacement();
}

// Marks each journaled file of the batch as replaced, with its stamp in place, or kept.
void mark_batch(const std::vector<FileJob>& batch, std::span<const Replacement> replacements,
                JournalWriter& journal) {
  std::string marks;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (batch[i].journal.number == 0) continue;
    if (replacements[i].placed)
      marks +=
          journal_mark("replaced", batch[i].journal.number, stamp_file(replacements[i].target));
    else
      marks += journal_mark("kept", batch[i].journal.number, std::nullopt);
  }
  // Should this fail, the "written" stamps still tell which files were replaced.
  if (!marks.empty()) append_journal(journal, marks, journal_flushed_with(replacements, journal));
}

// Journals, flushes, places and reports one batch of prepared files: the journal entries
// are on disk with the new files, before the renames, and the marks with the renames.
// Returns how many failed.
int finish_batch(std::vector<FileJob>& batch, JournalWriter& journal, int& numbered,
                 std::FILE* report) {
  std::vector<Replacement> replacements;
  replacements.reserve(batch.size());
  for (FileJob& job : batch) replacements.push_back(std::move(job.replacement));
  record_batch(batch, replacements, journal, numbered);
  flush_replacements(replacements);
  for (Replacement& replacement : replacements) place_replacement(replacement);
  mark_batch(batch, replacements, journal);
  flush_folders(replacements);
  int failed = 0;
  for (std::size_t i = 0; i < batch.size(); ++i) batch[i].replacement = std::move(replacements[i]);
  for (const FileJob& job : batch) failed += report_file(report, job) ? 1 : 0;
  std::fflush(report);
  return failed;
}

// The song files with a selected chart, in library order.
std::vector<FileJob> selected_files(const std::vector<SongGroup>& groups, const ScaleTable& table) {
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

RewriteOutcome rewrite_library(const std::vector<SongGroup>& groups, const ScaleTable& table,
                               std::FILE* report) {
  ignore_write_signals();
  RewriteOutcome outcome;
  std::vector<FileJob> jobs = selected_files(groups, table);
  if (jobs.empty()) return outcome;
  std::optional<JournalWriter> journal = create_journal(std::time(nullptr));
  if (!journal) {
    std::fprintf(report,
                 "Failed to create the undo journal in the working folder (%s): no song file "
                 "was changed\n",
                 std::strerror(errno));
    outcome.failed = static_cast<int>(jobs.size());
    return outcome;
  }
  outcome.journal = journal->name;
  InterruptCatcher catcher;
  FileBuffer buffer;
  int numbered = 0;
  std::size_t next = 0;
  while (next < jobs.size() && caught_interrupt() == 0) {
    InterruptShield shield;
    std::vector<FileJob> batch;
    std::size_t bytes = 0;
    while (next < jobs.size() && batch.size() < batch_files && bytes < batch_bytes) {
      FileJob& job = batch.emplace_back(std::move(jobs[next++]));
      bytes += prepare_file(job, buffer);
    }
    outcome.failed += finish_batch(batch, *journal, numbered, report);
  }
  std::fprintf(report, "To undo this rewrite: rerate --undo %s\n", journal->name.c_str());
  outcome.signal = caught_interrupt();
  if (outcome.signal != 0) {
    for (; next < jobs.size(); ++next) outcome.left += jobs[next].companion ? 0 : 1;
    std::fprintf(report, "Interrupted: %d selected %s left unchanged\n", outcome.left,
                 outcome.left == 1 ? "song was" : "songs were");
  }
  std::fflush(report);
  return outcome;
}
