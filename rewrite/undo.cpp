// rewrite/undo.cpp: the undo of a rewrite, file by file in batches like the rewrite: new
// files written, recorded in the journal, put in place, marked done.
#include "rewrite/undo.h"

#include <sys/file.h>

#include <vector>

#include "rewrite/journal.h"
#include "rewrite/replace_file.h"
#include "rewrite/splice.h"

namespace {

// Where a file of the journal stands before the undo.
enum class FileState {
  Untouched,        // the rewrite did not replace it: nothing to undo
  Replaced,         // the rewrite's new file took its place
  AlreadyRestored,  // an earlier undo restored it
};

// One file to restore, and what became of it.
struct UndoJob {
  const JournalFile* file;
  FileState state;
  std::string reason;  // why it is not restored, once it is not
  Replacement replacement;
};

bool stamp_matches(const std::optional<FileStamp>& recorded, const std::optional<FileStamp>& now) {
  return recorded && now && same_content_stamp(*recorded, *now);
}

FileState file_state(const JournalFile& file) {
  std::optional<FileStamp> now = stamp_file(file.target);
  if (file.restored || stamp_matches(file.restoring, now)) return FileState::AlreadyRestored;
  if (file.replaced) return FileState::Replaced;
  // A run killed before it marked the file: the new file is there if the file is the one
  // it wrote.
  if (!file.kept && stamp_matches(file.written, now)) return FileState::Replaced;
  return FileState::Untouched;
}

// The file's old content, if the file, read with `stamp`, is still as the rewrite left
// it; otherwise sets `job.reason`.
std::optional<std::string> restored_content(UndoJob& job, FileBuffer& buffer,
                                            const std::optional<FileStamp>& stamp) {
  const JournalFile& file = *job.file;
  if (!stamp) {
    job.reason = "it cannot be read";
    return std::nullopt;
  }
  if (file.replaced ? *stamp != *file.replaced : !stamp_matches(file.written, stamp)) {
    job.reason = "it changed after the rewrite";
    return std::nullopt;
  }
  std::vector<TextEdit> edits;
  for (const JournalMeter& meter : file.meters)
    edits.push_back(TextEdit{meter.offset, meter.new_text, meter.old_text});
  std::optional<std::string> content = splice_texts(buffer.view(), edits);
  if (!content) {
    job.reason = "its meters are not the ones the rewrite wrote";
    return std::nullopt;
  }
  if (content_hash(buffer.view()) != file.new_hash || content_hash(*content) != file.old_hash) {
    job.reason = "its content changed after the rewrite";
    return std::nullopt;
  }
  return content;
}

// Writes the file's old content beside it. Returns the bytes written.
std::size_t prepare_job(UndoJob& job, FileBuffer& buffer) {
  std::optional<FileStamp> stamp = read_file_into(job.file->target, buffer);
  std::optional<std::string> content = restored_content(job, buffer, stamp);
  trim_buffer(buffer);
  if (!content) return 0;
  std::optional<Replacement> replacement = write_replacement(job.file->target, *content, *stamp);
  if (!replacement) {
    job.reason = "it could not be written";
    return 0;
  }
  job.replacement = std::move(*replacement);
  return content->size();
}

void report_job(std::FILE* report, const UndoJob& job) {
  const char* path = job.file->path.c_str();
  if (job.state == FileState::AlreadyRestored) {
    std::fprintf(report, "Already restored %s\n", path);
  } else if (!job.replacement.placed) {
    std::fprintf(report, "Not restored %s: %s\n", path,
                 job.reason.empty() ? "it could not be written" : job.reason.c_str());
  } else {
    std::fprintf(report, "Restored %s\n", path);
    for (const JournalMeter& meter : job.file->meters)
      std::fprintf(report, " - %s (%s -> %s)\n", meter.chart.c_str(), meter.new_text.c_str(),
                   meter.old_text.c_str());
  }
}

// Journals, places, marks and reports one batch of prepared files.
void finish_batch(std::vector<UndoJob>& batch, JournalWriter& journal, UndoOutcome& outcome,
                  std::FILE* report) {
  std::string entries;
  for (UndoJob& job : batch)
    if (!job.replacement.temp.empty())
      entries += journal_mark("restoring", job.file->number, stamp_file(job.replacement.temp));
  if (!entries.empty() && !append_journal(journal, entries)) {
    for (UndoJob& job : batch) {
      if (job.replacement.temp.empty()) continue;
      job.replacement = Replacement();
      job.reason = "the journal could not record it";
    }
  }
  std::vector<Replacement> replacements;
  for (UndoJob& job : batch) replacements.push_back(std::move(job.replacement));
  place_batch(replacements);
  std::string marks;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    UndoJob& job = batch[i];
    job.replacement = std::move(replacements[i]);
    if (job.replacement.placed)
      marks += journal_mark("restored", job.file->number, stamp_file(job.replacement.target));
    if (job.state == FileState::Replaced && job.replacement.placed) ++outcome.restored;
    if (job.state == FileState::Replaced && !job.replacement.placed) ++outcome.not_restored;
    report_job(report, job);
  }
  if (!marks.empty()) append_journal(journal, marks);
  std::fflush(report);
}

void report_end(std::FILE* report, const std::string& path, const UndoOutcome& outcome, int left) {
  if (outcome.signal != 0)
    std::fprintf(report, "Interrupted: %d song files were not restored; run the undo again\n",
                 left);
  else if (outcome.restored + outcome.not_restored == 0)
    std::fprintf(report, "Nothing to restore: no file of %s is left to undo\n", path.c_str());
  else
    std::fprintf(report, "Restored %d of %d song files changed by %s\n", outcome.restored,
                 outcome.restored + outcome.not_restored, path.c_str());
}

}  // namespace

std::optional<UndoOutcome> undo_rewrite(const std::string& path, std::FILE* report,
                                        std::string& error) {
  FileBuffer text;
  std::optional<FileStamp> read = read_file_into(path, text);
  std::optional<std::vector<JournalFile>> files;
  if (read)
    files = parse_journal(text.view(), error);
  else
    error = "cannot be read";
  if (!files) return std::nullopt;
  std::optional<JournalWriter> journal = open_journal(path);
  if (!journal || flock(journal->fd, LOCK_EX | LOCK_NB) != 0) {
    error = journal ? "is in use by another rerate" : "cannot be written to";
    return std::nullopt;
  }
  ignore_write_signals();
  std::vector<UndoJob> jobs;
  for (const JournalFile& file : *files) {
    FileState state = file_state(file);
    if (state != FileState::Untouched) jobs.push_back(UndoJob{&file, state, {}, {}});
  }
  UndoOutcome outcome;
  InterruptCatcher catcher;
  FileBuffer buffer;
  std::size_t next = 0;
  while (next < jobs.size() && caught_interrupt() == 0) {
    InterruptShield shield;
    std::vector<UndoJob> batch;
    std::size_t bytes = 0;
    while (next < jobs.size() && batch.size() < batch_files && bytes < batch_bytes) {
      UndoJob& job = batch.emplace_back(std::move(jobs[next++]));
      if (job.state == FileState::Replaced) bytes += prepare_job(job, buffer);
    }
    finish_batch(batch, *journal, outcome, report);
  }
  outcome.signal = caught_interrupt();
  int left = 0;
  for (; next < jobs.size(); ++next) left += jobs[next].state == FileState::Replaced ? 1 : 0;
  report_end(report, path, outcome, left);
  std::fflush(report);
  return outcome;
}
