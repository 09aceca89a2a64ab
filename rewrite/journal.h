// rewrite/journal.h: the undo journal of a rewrite. A plain text file in the folder that
// holds Songs that tells, for each song file the rewrite replaces, where its meters change
// and from what, and the hashes of its bytes before and after; an undo adds what it
// restored. Each batch of entries is on disk before its files are renamed and the marks
// that say they were are written after the renames are on disk, so even a killed run
// leaves a journal that tells which files may have changed; whether one did is told by its
// bytes.
//
// The text is a header of lines starting with "#", then one record a line,
// "<word> <file number> <fields>":
//   # rerate undo journal, format 2            always the first line
//   # hash xxh3                                the content hash of the hashes lines
//   # started 1796634000.123456789 2026-12-07T09:16:52Z   when the run began (UTC)
//   # ...                                      other "#" lines explain the records
//   file 3 Songs/Pack/Song/song.sm             the path, from the folder that holds the journal
//   hashes 3 <old> <new>                       content hashes before and after, 16 hex digits
//   meter 3 1187 8 12 Single Hard              byte offset in the new file, new text, old text
//   replaced 3 <stamp>                         the new file in place, after the renames are on disk
//   kept 3                                     the rewrite left the file as it was
//   restoring 3 / restored 3 <stamp>           the same two steps for an undo
//   temp 3 .rerate-x1Yz9Q.tmp                  the new file's name beside the old one, until
//                                              its rename (a crash may leave it behind)
// where <stamp> is "device D inode I size S mtime SECONDS.NANOSECONDS ctime ...". A file's
// entry is its file, hashes and meter lines, written together. Paths keep their bytes, but
// for a backslash, written "\\", and control bytes, "\xHH".
//
// Format 1, written by rerate 1.0, has no hash or start time in its header (its hash is
// the legacy mix64, which format 2 journals written before xxh3 name too; its time the modification
// time in its first `written` line), an absolute `target N PATH` line after each file line (the
// path the undo uses), and a `written N <stamp>` line that ends each entry.
#pragma once

#include <sys/types.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "songfile/song_file.h"

// One meter a rewrite changed.
struct JournalMeter {
  std::uint32_t offset;  // where the new text starts in the new file
  std::string new_text;
  std::string old_text;
  std::string chart;  // "Single Hard", for the report
};

// One song file a rewrite replaced, with what its later marks say.
struct JournalFile {
  int number = 0;
  std::string path;      // from the journal's folder ("Songs/..."), as the report names it
  std::string target{};  // format 1: the file replaced, an absolute path; otherwise empty
  std::uint64_t old_hash = 0;
  std::uint64_t new_hash = 0;
  std::vector<JournalMeter> meters{};   // in file order
  std::optional<FileStamp> replaced{};  // the new file in its place, as it was then
  bool kept = false;                    // the rewrite left the file as it was
  bool restored = false;                // an undo put the old file back
};

// What the header of a journal says.
struct JournalHeader {
  int format = 0;
  std::string hash;                  // the name of the content hash of its hashes lines
  std::int64_t started_seconds = 0;  // when the run began, in seconds since 1970 (UTC)
  std::int64_t started_nanoseconds = 0;
};

// A whole journal as read_journal gives it.
struct Journal {
  JournalHeader header;
  std::vector<JournalFile> files;  // in the order of their entries
  std::string stopped;             // where reading stopped early and why, or empty
};

// A journal open for adding records.
struct JournalWriter {
  OwnedFd file;
  std::string name;
  std::uint64_t device = 0;  // the file system it lies on
  off_t size = 0;            // its bytes, every one written whole
};

// The journal name for a rewrite started at `now`: "rerate-undo-2026-12-07T09-16-52Z.txt".
std::string journal_name(std::time_t now);

// Creates a new journal in the working folder, named for `now` (with "-2", "-3", ... when
// that name is taken), with its header, and locked while it is open so that no undo takes
// it meanwhile. Nothing when it cannot be created; the header reaches the disk with the
// first batch.
std::optional<JournalWriter> create_journal(const struct timespec& now);

// Opens the journal `path` to add an undo's records to it, locked. Nothing, with the
// reason in `error`, when it cannot be opened or another run holds it.
std::optional<JournalWriter> open_journal(const std::string& path, std::string& error);

// Cuts off what follows the first `whole_bytes` of the journal (a last line that a stopped
// run left cut short), so that the lines added next start on a line of their own.
void trim_journal(JournalWriter& journal, off_t whole_bytes);

// Adds `text` to the journal (not yet on disk). Returns false when it cannot, and then
// leaves the journal as it was before: a disk that filled up leaves no line cut short.
bool append_journal(JournalWriter& journal, std::string_view text);

// The lines that describe `file` before its rename: file, hashes, meters.
std::string journal_entry(const JournalFile& file);

// The line that names the temporary file `temp` (a path) of file `number`.
std::string journal_temp(int number, const std::string& temp);

// One mark line: "<word> <number>", with the stamp when there is one.
std::string journal_mark(std::string_view word, int number, const std::optional<FileStamp>& stamp);

// A journal read one line at a time, with no more than a line's worth of its bytes held.
struct JournalReader {
  OwnedFd file;
  std::unique_ptr<char[]> buffer;
  std::size_t start = 0;  // the unread bytes are buffer[start, end)
  std::size_t end = 0;
  bool at_end = false;
  int line_number = 0;
  off_t whole_bytes = 0;  // the bytes of the lines read whole so far
  std::string ahead;      // a line read ahead, not yet taken
  bool has_ahead = false;
  int last_number = 0;  // the number of the last file entry
  JournalHeader header;
  std::string stopped;  // why reading stopped before the end, or empty
};

// Opens the journal `path` and reads its header: the first line before anything else.
// Nothing, with the reason in `error`, when it cannot be read or is not a journal whose
// hash this program computes.
std::optional<JournalReader> open_journal_reader(const std::string& path, std::string& error);

// The hash of `bytes` by the content hash the journal's header names: content_hash, or
// the legacy hash of journals written before it.
std::uint64_t journal_content_hash(const JournalHeader& header, std::string_view bytes);

// What one step of reading gives.
enum class JournalRecordKind {
  File,      // a whole file entry
  Replaced,  // a mark, as named
  Kept,
  Restoring,
  Restored,
  Temp,  // the name of a new file while it is written
  End,   // no more records: the end, or a line that cannot be read (`stopped` says)
};

struct JournalRecord {
  JournalRecordKind kind = JournalRecordKind::End;
  int number = 0;
  JournalFile file;                // File
  std::optional<FileStamp> stamp;  // the marks that carry one
  std::string temp;                // Temp: a file name in the folder of the file
};

// The next record of the journal. An entry that a stopped run left without its hashes
// describes no replaced file and is passed over; a last line without its line end (a
// write cut short) is left out. Reading stops at the first line that is not one a journal
// holds, with `stopped` saying which.
JournalRecord next_journal_record(JournalReader& reader);

// Reads the whole journal at `path`, its marks applied to its files. Nothing, with the
// reason in `error`, where open_journal_reader gives nothing.
std::optional<Journal> read_journal(const std::string& path, std::string& error);

// Whether `name` has the exact form of a journal's name.
bool is_journal_name(std::string_view name);

// The words of a journal's lines, for the readers of journals.
namespace journal_text {

// Splits off the next word of `line` (up to a space or the end).
inline std::string_view next_word(std::string_view& line) {
  std::size_t space = line.find(' ');
  std::string_view word = line.substr(0, space);
  line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  return word;
}

// Whether `text` is one or more digits, as a meter's text in a journal is.
inline bool is_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether `word` is a whole number in `base`, read into `number`.
template <typename Number>
bool parse_number(std::string_view word, Number& number, int base = 10) {
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, number, base);
  return !word.empty() && ec == std::errc() && ptr == end;
}

}  // namespace journal_text

// A path as a journal writes it ("\\" and "\xHH" escapes) back to its bytes; nothing
// when it is not one a journal writes.
std::optional<std::string> unescape_journal_text(std::string_view text);

// A journal found in a folder, with the time its run began.
struct FoundJournal {
  std::string path;  // "folder/name"
  std::int64_t started_seconds = 0;
  std::int64_t started_nanoseconds = 0;
};

// The journals in `folder`: files named exactly as journals are whose header is one this
// program reads, newest first by the start time recorded in them, then by name (a "-2"
// name before the one without it).
std::vector<FoundJournal> journals_newest_first(const std::string& folder);
