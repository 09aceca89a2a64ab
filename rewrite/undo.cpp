// rewrite/undo.cpp: the undo of a rewrite, read from its journal in two passes of bounded
// memory: the first gathers the marks (one byte per file), the second restores the files,
// a batch at a time, as their entries come.
#include "rewrite/undo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "library/dir_search.h"
#include "rewrite/journal.h"
#include "rewrite/replace_file.h"
#include "rewrite/splice.h"
#include "songfile/text.h"

namespace {

// What the journal's marks say of a file, one bit each.
constexpr std::uint8_t has_entry = 1;     // its entry is whole
constexpr std::uint8_t was_replaced = 2;  // the rewrite put its new file in place
constexpr std::uint8_t was_kept = 4;      // the rewrite left it as it was
constexpr std::uint8_t was_restored = 8;  // an undo started or finished restoring it

// The most digits a meter text may have: more than any meter needs.
constexpr std::size_t longest_meter_text = 9;

// The marks of every file of the journal, by file number, and where reading stopped.
struct JournalMarks {
  std::vector<std::uint8_t> of_file;
  std::string stopped;  // why the journal cannot be read to its end, or empty
  off_t whole_bytes = 0;
};

JournalMarks read_marks(JournalReader& reader) {
  JournalMarks marks;
  for (JournalRecord record = next_journal_record(reader); record.kind != JournalRecordKind::End;
       record = next_journal_record(reader)) {
    marks.of_file.resize(static_cast<std::size_t>(reader.last_number) + 1);
    std::uint8_t& bits = marks.of_file[static_cast<std::size_t>(record.number)];
    switch (record.kind) {
    case JournalRecordKind::File: bits |= has_entry; break;
    case JournalRecordKind::Replaced: bits |= was_replaced; break;
    case JournalRecordKind::Kept: bits |= was_kept; break;
    case JournalRecordKind::Restoring:
    case JournalRecordKind::Restored: bits |= was_restored; break;
    case JournalRecordKind::Temp:
    case JournalRecordKind::End: break;
    }
  }
  marks.stopped = reader.stopped;
  marks.whole_bytes = reader.whole_bytes;
  return marks;
}

// The marks of file `number` (none for a file the first pass did not reach).
std::uint8_t marks_of(const JournalMarks& marks, int number) {
  auto at = static_cast<std::size_t>(number);
  return at < marks.of_file.size() ? marks.of_file[at] : 0;
}

// Whether the rewrite may have replaced a file with these marks: all but those it kept.
bool may_be_replaced(std::uint8_t bits) {
  return (bits & has_entry) != 0 && ((bits & was_kept) == 0 || (bits & was_replaced) != 0);
}

// The folder a journal is in, and the Songs folder beside it with every link followed:
// the only folder whose files the journal may change.
struct SongsBeside {
  std::string folder;
  std::string songs;
};

std::optional<SongsBeside> songs_beside(const std::string& journal) {
  std::size_t slash = journal.rfind('/');
  SongsBeside place;
  place.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : journal.substr(0, slash);
  std::optional<std::string> songs = resolve_target(place.folder + "/Songs");
  if (!songs || !is_directory(*songs)) return std::nullopt;
  place.songs = *songs;
  return place;
}

bool has_parent_step(std::string_view path) {
  for (std::size_t at = 0; at <= path.size();) {
    std::size_t slash = std::min(path.find('/', at), path.size());
    if (path.substr(at, slash - at) == "..") return true;
    at = slash + 1;
  }
  return false;
}

// The file that `file`'s entry names, every link followed, when it lies inside Songs;
// otherwise nothing, with the reason. Relative paths are read from the journal's folder;
// format 1 gives absolute ones.
std::optional<std::string> file_in_songs(const SongsBeside& place, const JournalFile& file,
                                         std::string& reason) {
  const std::string& named = file.target.empty() ? file.path : file.target;
  if (named.empty() || named.find('\0') != std::string::npos || has_parent_step(named)) {
    reason = "its path in the journal is not one a rewrite writes";
    return std::nullopt;
  }
  std::optional<std::string> resolved =
      resolve_target(named[0] == '/' ? named : place.folder + "/" + named);
  if (!resolved) {
    reason = "it cannot be read";
  } else if (!resolved->starts_with(place.songs + "/")) {
    reason = "it is not inside the Songs folder beside the journal";
    resolved.reset();
  }
  return resolved;
}

bool is_meter_text(std::string_view text) {
  return text.size() <= longest_meter_text && journal_text::is_digits(text);
}

// What the undo does with a file of the journal.
enum class UndoAction {
  Pass,             // the rewrite did not replace it: nothing to say
  Restore,          // its new bytes are in place: the old ones are written back
  AlreadyRestored,  // it holds its old bytes again
  NotRestored,      // left alone, for `reason`
};

// One file to restore, and what became of it.
struct UndoJob {
  JournalFile file;
  UndoAction action = UndoAction::Pass;
  std::string reason;
  Replacement replacement;
};

// The file's old bytes, when it holds exactly those the rewrite wrote; otherwise the job's
// action tells why not.
std::optional<std::string> old_content(UndoJob& job, const JournalHeader& header,
                                       std::string_view bytes, std::uint8_t bits) {
  const JournalFile& file = job.file;
  std::uint64_t hash = journal_content_hash(header, bytes);
  if (hash == file.old_hash) {
    bool undone = (bits & (was_replaced | was_restored)) != 0;
    job.action = undone ? UndoAction::AlreadyRestored : UndoAction::Pass;
    return std::nullopt;
  }
  job.action = UndoAction::NotRestored;
  if (hash != file.new_hash) {
    job.reason = "it changed after the rewrite";
    return std::nullopt;
  }
  std::vector<TextEdit> edits;
  for (const JournalMeter& meter : file.meters)
    edits.push_back(TextEdit{meter.offset, meter.new_text, meter.old_text});
  std::optional<std::string> content = splice_texts(bytes, edits);
  if (!content || journal_content_hash(header, *content) != file.old_hash) {
    job.reason = "its meters are not the ones the rewrite wrote";
    return std::nullopt;
  }
  job.action = UndoAction::Restore;
  return content;
}

// Decides what to do with the job's file and, to restore it, writes its old bytes beside
// it. Returns the bytes written.
std::size_t prepare_job(UndoJob& job, const JournalHeader& header, std::uint8_t bits,
                        const SongsBeside& place, FileBuffer& buffer) {
  if (!may_be_replaced(bits)) return 0;
  job.action = UndoAction::NotRestored;
  std::optional<std::string> target = file_in_songs(place, job.file, job.reason);
  if (!target) return 0;
  for (const JournalMeter& meter : job.file.meters) {
    if (is_meter_text(meter.new_text) && is_meter_text(meter.old_text)) continue;
    job.reason = "its journal entry changes more than meter digits";
    return 0;
  }
  std::optional<FileStamp> stamp = read_file_into(*target, buffer);
  std::optional<std::string> content;
  if (stamp)
    content = old_content(job, header, buffer.view(), bits);
  else
    job.reason = "it cannot be read";
  trim_buffer(buffer);
  if (!content) return 0;
  std::optional<Replacement> replacement = write_replacement(*target, *content, *stamp);
  if (!replacement) {
    job.action = UndoAction::NotRestored;
    job.reason = "it could not be written";
    return 0;
  }
  job.replacement = std::move(*replacement);
  return content->size();
}

void report_job(std::FILE* report, const UndoJob& job) {
  std::string path = escape_controls(job.file.path);
  switch (job.action) {
  case UndoAction::Pass: return;
  case UndoAction::AlreadyRestored:
    std::fprintf(report, "Already restored %s\n", path.c_str());
    return;
  case UndoAction::NotRestored:
    std::fprintf(report, "Not restored %s: %s\n", path.c_str(), job.reason.c_str());
    return;
  case UndoAction::Restore: break;
  }
  std::fprintf(report, "Restored %s\n", path.c_str());
  for (const JournalMeter& meter : job.file.meters)
    std::fprintf(report, " - %s (%s -> %s)\n", escape_controls(meter.chart).c_str(),
                 meter.new_text.c_str(), meter.old_text.c_str());
}

// Settles and reports one batch of prepared files. Returns 0, or the error number when the
// journal could not record the batch.
int finish_batch(std::vector<UndoJob>& batch, JournalWriter& journal, UndoOutcome& outcome,
                 std::FILE* report) {
  std::vector<BatchFile> files(batch.size());
  for (std::size_t i = 0; i < batch.size(); ++i) {
    files[i].replacement = std::move(batch[i].replacement);
    files[i].number = batch[i].file.number;
    files[i].entry = journal_mark("restoring", files[i].number, std::nullopt);
  }
  int journal_error = settle_batch(files, journal, BatchMarks{"restored", ""});
  for (std::size_t i = 0; i < batch.size(); ++i) {
    UndoJob& job = batch[i];
    job.replacement = std::move(files[i].replacement);
    if (job.action == UndoAction::Restore && !job.replacement.placed) {
      job.action = UndoAction::NotRestored;
      job.reason =
          journal_error != 0 ? "the journal could not record it" : "it could not be written";
    }
    outcome.restored += job.action == UndoAction::Restore ? 1 : 0;
    outcome.not_restored += job.action == UndoAction::NotRestored ? 1 : 0;
    report_job(report, job);
  }
  outcome.report_error = flush_report(report);
  return journal_error;
}

// The files after file `done` that the rewrite may have replaced.
int files_after(const JournalMarks& marks, int done) {
  int left = 0;
  for (int n = done + 1; n < static_cast<int>(marks.of_file.size()); ++n)
    left += may_be_replaced(marks_of(marks, n)) ? 1 : 0;
  return left;
}

void report_end(std::FILE* report, const std::string& path, const UndoOutcome& outcome,
                int journal_error, int left) {
  std::string name = escape_controls(path);
  if (journal_error != 0)
    std::fprintf(report,
                 "Stopped: the journal could not be written (%s); %d song files were not "
                 "restored; run the undo again\n",
                 std::strerror(journal_error), left);
  else if (outcome.signal != 0)
    std::fprintf(report, "Interrupted: %d song files were not restored; run the undo again\n",
                 left);
  else if (outcome.restored + outcome.not_restored == 0)
    std::fprintf(report, "Nothing to restore: no file of %s is left to undo\n", name.c_str());
  else
    std::fprintf(report, "Restored %d of %d song files changed by %s\n", outcome.restored,
                 outcome.restored + outcome.not_restored, name.c_str());
}

// Whether the journal replaced a file: a mark says so, or a file of a run that was stopped
// before its marks holds the bytes it wrote.
bool replaced_a_file(const std::string& path, const SongsBeside* place) {
  std::string error;
  std::optional<JournalReader> reader = open_journal_reader(path, error);
  if (!reader) return false;
  JournalMarks marks = read_marks(*reader);
  for (std::uint8_t bits : marks.of_file)
    if ((bits & (was_replaced | was_restored)) != 0) return true;
  reader = open_journal_reader(path, error);
  if (!reader || place == nullptr) return false;
  FileBuffer buffer;
  for (JournalRecord record = next_journal_record(*reader); record.kind != JournalRecordKind::End;
       record = next_journal_record(*reader)) {
    if (record.kind != JournalRecordKind::File || !may_be_replaced(marks_of(marks, record.number)))
      continue;
    std::string reason;
    std::optional<std::string> target = file_in_songs(*place, record.file, reason);
    if (target && read_file_into(*target, buffer) &&
        journal_content_hash(reader->header, buffer.view()) == record.file.new_hash)
      return true;
  }
  return false;
}

}  // namespace

std::optional<UndoOutcome> undo_rewrite(const std::string& path, std::FILE* report,
                                        std::string& error, const BatchLimits& limits) {
  InterruptCatcher catcher;
  std::optional<JournalReader> reader = open_journal_reader(path, error);
  if (!reader) return std::nullopt;
  std::optional<SongsBeside> place = songs_beside(path);
  if (!place) {
    error = "has no Songs folder beside it";
    return std::nullopt;
  }
  std::optional<JournalWriter> journal = open_journal(path, error);
  if (!journal) return std::nullopt;
  JournalMarks marks = read_marks(*reader);
  if (marks.stopped.empty()) trim_journal(*journal, marks.whole_bytes);
  reader = open_journal_reader(path, error);
  if (!reader) return std::nullopt;
  ignore_write_signals();
  UndoOutcome outcome;
  FileBuffer buffer;
  int journal_error = 0;
  int done = 0;  // the number of the last file taken
  bool more = true;
  while (more && caught_interrupt() == 0 && journal_error == 0 && outcome.report_error == 0) {
    InterruptShield shield;
    std::vector<UndoJob> batch;
    std::size_t bytes = 0;
    while (!batch_full(limits, batch.size(), bytes)) {
      JournalRecord record = next_journal_record(*reader);
      more = record.kind != JournalRecordKind::End;
      if (!more) break;
      if (record.kind != JournalRecordKind::File) continue;
      done = record.number;
      UndoJob& job = batch.emplace_back();
      job.file = std::move(record.file);
      bytes += prepare_job(job, reader->header, marks_of(marks, done), *place, buffer);
    }
    journal_error = finish_batch(batch, *journal, outcome, report);
  }
  outcome.signal = caught_interrupt();
  if (!more && !marks.stopped.empty()) {
    std::fprintf(report, "Not restored: the rest of the journal (%s)\n", marks.stopped.c_str());
    outcome.unread = true;
  }
  report_end(report, path, outcome, journal_error, more ? files_after(marks, done) : 0);
  int report_error = flush_report(report);
  if (outcome.report_error == 0) outcome.report_error = report_error;
  return outcome;
}

std::optional<std::string> newest_journal(const std::string& folder) {
  std::optional<SongsBeside> place = songs_beside(folder + "/journal");
  for (const FoundJournal& journal : journals_newest_first(folder))
    if (replaced_a_file(journal.path, place ? &*place : nullptr)) return journal.path;
  return std::nullopt;
}
