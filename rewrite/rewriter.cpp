// rewrite/rewriter.cpp: the walk over the library that rewrites each song file with a
// selected chart, in batches settled by rewrite/batch.h, and the report.
//
// A song's .sm and the .ssc beside it go in the same batch, so that an interrupt, which
// stops the run between batches, never leaves one rewritten and the other not.
#include "rewrite/rewriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rewrite/batch.h"
#include "rewrite/companion.h"
#include "rewrite/file_calls.h"
#include "rewrite/file_job.h"
#include "rewrite/journal.h"
#include "rewrite/meter_summary.h"
#include "rewrite/replace_file.h"
#include "rewrite/splice.h"
#include "songfile/text.h"

namespace {

// The selected charts of song `at.song` of group `at.group`, converted; a chart an earlier
// run rescaled carries the words that say so.
std::vector<ConvertedMeter> convert_selected(const Song& song, const ScaleTable& table,
                                             const RescaledCharts* rescaled, int group,
                                             int song_index) {
  std::vector<ConvertedMeter> converted;
  for (std::size_t c = 0; c < song.charts.size(); ++c) {
    const Chart& chart = song.charts[c];
    if (!chart.selected) continue;
    int step = table.steps[static_cast<int>(chart.mode)][static_cast<int>(chart.difficulty)];
    MeterEdit edit{chart.digits, chart.meter, convert_meter(chart.meter, step)};
    ConvertedMeter& meter =
        converted.emplace_back(ConvertedMeter{chart.mode, chart.difficulty, edit});
    if (chart.rescaled && rescaled != nullptr)
      if (auto words = rescaled_words(*rescaled, group, song_index, static_cast<int>(c)))
        meter.rescaled = std::move(*words);
  }
  return converted;
}

std::string chart_name(const ConvertedMeter& meter) {
  return std::string(mode_name(meter.mode)) + " " + std::string(difficulty_name(meter.difficulty));
}

// The journal entry of a file whose new content is written: what undoes each edit.
JournalFile journal_file(const FileJob& job, const std::vector<TextEdit>& texts,
                         const std::string& content) {
  JournalFile file;
  file.path = job.path;
  file.old_hash = job.hash;
  file.new_hash = content_hash(content);
  std::vector<TextEdit> undo = reverse_edits(texts);
  for (std::size_t i = 0; i < undo.size(); ++i)
    file.meters.push_back(JournalMeter{undo[i].offset, undo[i].old_text, undo[i].new_text,
                                       chart_name(job.converted[i])});
  return file;
}

// Reads the file again and writes its new content beside it. Leaves the replacement
// empty when the file is not the one the scan read (its stamp, its bytes or its meter
// digits differ) or cannot be replaced. Returns the bytes written. A dry run makes the same
// checks and writes nothing: the replacement is marked placed when it could be written.
std::size_t prepare_file(FileJob& job, FileBuffer& buffer, bool dry_run) {
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
  if (dry_run) {
    job.replacement.placed = could_replace(*target, *stamp);
    return content->size();
  }
  std::optional<Replacement> replacement = write_replacement(*target, *content, *stamp);
  if (!replacement) return 0;
  job.replacement = std::move(*replacement);
  job.journal = journal_file(job, *texts, *content);
  return content->size();
}

// Reports what became of the file. Returns true when it failed to be written. Names in
// the path are printed with their control characters escaped, so that a name can neither
// start a report line of its own nor send a terminal sequence.
bool report_file(std::FILE* report, const FileJob& job, bool dry_run) {
  if (report_companion_kept(report, job)) return false;
  std::string path = escape_controls(job.path);
  if (!job.replacement.placed) {
    std::fprintf(report, "Failed to write to %s\n", path.c_str());
    return true;
  }
  std::fprintf(report, dry_run ? "Would rewrite %s...\n" : "Rewriting %s...\n", path.c_str());
  for (const ConvertedMeter& meter : job.converted) {
    std::fprintf(report, " - %s (%d -> %d)\n", chart_name(meter).c_str(), meter.edit.old_meter,
                 meter.edit.new_meter);
    if (!meter.rescaled.empty()) std::fprintf(report, "   %s\n", meter.rescaled.c_str());
  }
  report_unmatched_charts(report, job);
  return false;
}

// Names a song whose .sm and .ssc were to change together when only one of them did: the
// game reads the .ssc, and a second run would divide the .sm again.
void report_split_song(std::FILE* report, const FileJob& sm, const FileJob& ssc) {
  bool ssc_kept = ssc.companion->searched && ssc.converted.empty();  // nothing in it to change
  if (ssc_kept || sm.replacement.placed == ssc.replacement.placed) return;
  std::string folder = escape_controls(sm.path.substr(0, sm.path.rfind('/')));
  std::fprintf(report, "Song only partly rewritten: %s (its .sm and .ssc now differ)\n",
               folder.c_str());
}

// What the report's end counts, gathered as the files are reported.
struct ReportTally {
  RewriteTotals totals;
  std::vector<ConvertedChart> charts;  // for the histogram
};

// Reports the files of a settled batch (a dry run: of prepared files) and counts them.
// A chart converted in both a song's .sm and its .ssc counts once, by the .sm, unless
// only the .ssc took its new meters.
void report_batch(std::span<const FileJob> batch, std::FILE* report, bool dry_run,
                  RewriteOutcome& outcome, ReportTally& tally) {
  for (std::size_t i = 0; i < batch.size(); ++i) {
    const FileJob& job = batch[i];
    bool placed = job.replacement.placed;
    outcome.replaced += placed ? 1 : 0;
    bool failed = report_file(report, job, dry_run);
    outcome.failed += failed ? 1 : 0;
    tally.totals.files_failed += failed ? 1 : 0;
    tally.totals.files_left_alone += !placed && !failed ? 1 : 0;
    if (job.companion) report_split_song(report, batch[i - 1], job);
    if (!placed || (job.companion && batch[i - 1].replacement.placed)) continue;
    for (const ConvertedMeter& meter : job.converted)
      tally.charts.push_back({meter.mode, meter.edit.old_meter, meter.edit.new_meter});
  }
}

// Settles and reports one batch of prepared files, numbering those with a new file in the
// journal from `numbered` on. Returns 0, or the error number when the journal could not
// record the batch.
int finish_batch(std::vector<FileJob>& batch, JournalWriter& journal, int& numbered,
                 std::FILE* report, RewriteOutcome& outcome, ReportTally& tally) {
  std::vector<BatchFile> files(batch.size());
  for (std::size_t i = 0; i < batch.size(); ++i) {
    files[i].replacement = std::move(batch[i].replacement);
    if (files[i].replacement.temp.empty()) continue;
    files[i].number = batch[i].journal.number = ++numbered;
    files[i].entry = journal_entry(batch[i].journal);
  }
  int journal_error = settle_batch(files, journal, BatchMarks{"replaced", "kept"});
  for (std::size_t i = 0; i < batch.size(); ++i)
    batch[i].replacement = std::move(files[i].replacement);
  report_batch(batch, report, false, outcome, tally);
  outcome.report_error = flush_report(report);
  return journal_error;
}

// Prints the totals and the histogram of meters that follow the files' lines, each after
// a blank line, and a blank line after them.
void report_summary(std::FILE* report, ReportTally& tally, const RewriteOutcome& outcome,
                    int width) {
  tally.totals.files_rewritten = outcome.replaced;
  tally.totals.charts_converted = static_cast<int>(tally.charts.size());
  std::string histogram = meter_histogram(tally.charts, width);
  std::fprintf(report, "\n%s%s%s\n", totals_text(tally.totals).c_str(),
               histogram.empty() ? "" : "\n", histogram.c_str());
}

// The dry run: each file read again and checked as the rewrite would, reported with
// "Would rewrite", and nothing written. It needs no journal and no interrupt handling: a
// signal ends it at once, with nothing to put back.
RewriteOutcome dry_run(std::vector<FileJob>& jobs, std::FILE* report,
                       const RewriteSettings& settings) {
  RewriteOutcome outcome;
  ReportTally tally;
  FileBuffer buffer;
  for (std::size_t next = 0; next < jobs.size() && outcome.report_error == 0;) {
    std::size_t first = next;
    do prepare_file(jobs[next++], buffer, true);
    while (next < jobs.size() && jobs[next].companion);
    report_batch(std::span(jobs).subspan(first, next - first), report, true, outcome, tally);
    outcome.report_error = flush_report(report);
  }
  report_summary(report, tally, outcome, settings.report_width);
  std::fputs("Dry run: no song file was changed.\n", report);
  int report_error = flush_report(report);
  if (outcome.report_error == 0) outcome.report_error = report_error;
  return outcome;
}

// The journal `name` (in the working folder) as the user names it from the folder where
// rerate was started: in `library_folder` when one was given.
std::string journal_as_named(const std::string& name, std::string library_folder) {
  if (library_folder.empty()) return name;
  while (library_folder.size() > 1 && library_folder.back() == '/') library_folder.pop_back();
  return library_folder + (library_folder.back() == '/' ? "" : "/") + name;
}

// The song files with a selected chart, in library order.
std::vector<FileJob> selected_files(const std::vector<SongGroup>& groups, const ScaleTable& table,
                                    const RescaledCharts* rescaled) {
  std::vector<FileJob> jobs;
  for (std::size_t g = 0; g < groups.size(); ++g)
    for (std::size_t s = 0; s < groups[g].songs.size(); ++s) {
      const SongGroup& group = groups[g];
      const Song& song = group.songs[s];
      std::vector<ConvertedMeter> converted =
          convert_selected(song, table, rescaled, static_cast<int>(g), static_cast<int>(s));
      if (converted.empty()) continue;
      jobs.push_back(
          FileJob{song_path(group, song), song.stamp, song.hash, std::move(converted), {}, {}});
      if (song.companion) jobs.push_back(companion_job(group, song, jobs.back()));
    }
  return jobs;
}

}  // namespace

RewriteOutcome rewrite_library(const std::vector<SongGroup>& groups, const ScaleTable& table,
                               std::FILE* report, const RewriteSettings& settings) {
  ignore_write_signals();
  RewriteOutcome outcome;
  std::vector<FileJob> jobs = selected_files(groups, table, settings.rescaled);
  if (jobs.empty()) return outcome;
  if (settings.dry_run) return dry_run(jobs, report, settings);
  InterruptCatcher catcher;
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  std::optional<JournalWriter> journal = create_journal(now);
  if (!journal) {
    std::fprintf(report,
                 "Failed to create the undo journal in the working folder (%s): no song file "
                 "was changed\n",
                 std::strerror(errno));
    outcome.failed = static_cast<int>(jobs.size());
    outcome.report_error = flush_report(report);
    return outcome;
  }
  FileBuffer buffer;
  ReportTally tally;
  int numbered = 0;
  int journal_error = 0;
  std::size_t next = 0;
  while (next < jobs.size() && caught_interrupt() == 0 && journal_error == 0 &&
         outcome.report_error == 0) {
    InterruptShield shield;
    std::vector<FileJob> batch;
    std::size_t bytes = 0;
    while (next < jobs.size() && !batch_full(settings.limits, batch.size(), bytes)) {
      do bytes += prepare_file(batch.emplace_back(std::move(jobs[next++])), buffer, false);
      while (next < jobs.size() && jobs[next].companion);  // the song's .ssc comes with it
    }
    journal_error = finish_batch(batch, *journal, numbered, report, outcome, tally);
  }
  for (std::size_t rest = next; rest < jobs.size(); ++rest) {
    outcome.left += jobs[rest].companion ? 0 : 1;
    ++tally.totals.files_left_alone;
  }
  report_summary(report, tally, outcome, settings.report_width);
  if (outcome.replaced > 0) {
    outcome.journal = journal_as_named(journal->name, settings.library_folder);
    std::fprintf(report, "To undo this rewrite: rerate --undo %s\n",
                 escape_controls(*outcome.journal).c_str());
  } else {
    call_remove(journal->name.c_str());  // nothing to undo
  }
  outcome.signal = caught_interrupt();
  const char* songs = outcome.left == 1 ? "song was" : "songs were";
  if (journal_error != 0)
    std::fprintf(report,
                 "Stopped: the undo journal could not be written (%s); %d selected %s left "
                 "unchanged\n",
                 std::strerror(journal_error), outcome.left, songs);
  else if (outcome.signal != 0)
    std::fprintf(report, "Interrupted: %d selected %s left unchanged\n", outcome.left, songs);
  int report_error = flush_report(report);
  if (outcome.report_error == 0) outcome.report_error = report_error;
  return outcome;
}
