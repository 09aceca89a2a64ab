// rewrite/journal.h: the undo journal of a rewrite. A plain text file in the working folder
// (beside Songs) that tells, for each song file the rewrite sets out to replace, where its
// meters change and from what, and whether the new file took the old one's place; an undo
// adds what it restored. Each batch of entries is on disk before its files are renamed, and
// each batch of marks after, so even a killed run leaves a journal that tells which files
// were changed.
//
// The text, one record a line, "<word> <file number> <fields>":
//   file 3 Songs/Pack/Song/song.sm              the path as the report names it
//   target 3 /home/me/game/Songs/Pack/Song/song.sm   the file replaced, links followed
//   hashes 3 <old> <new>                        content hashes of the file before and after
//   meter 3 1187 8 12 Single Hard               byte offset in the new file, new text, old text
//   written 3 <stamp>                           the new file, before its rename
//   replaced 3 <stamp>                          the new file in place
//   kept 3                                      the rewrite left the file as it was
//   restoring 3 <stamp> / restored 3 <stamp>    the same two steps for an undo
// where <stamp> is "device D inode I size S mtime SECONDS.NANOSECONDS ctime ...". Paths
// keep their bytes, but for a backslash, written "\\", and control bytes, "\xHH".
#pragma once

#include <cstdint>
#include <ctime>
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

// One song file a rewrite set out to replace, and what became of it.
struct JournalFile {
  int number = 0;
  std::string path;    // as the report names it
  std::string target;  // the file replaced: absolute, every symbolic link followed
  std::uint64_t old_hash = 0;
  std::uint64_t new_hash = 0;
  std::vector<JournalMeter> meters;    // in file order
  std::optional<FileStamp> written;    // the new file before it took the target's place
  std::optional<FileStamp> replaced;   // the new file in its place
  bool kept = false;                   // the rewrite left the file as it was
  std::optional<FileStamp> restoring;  // an undo's file before it took the place
  std::optional<FileStamp> restored;   // an undo's file in its place
};

// A journal open for adding records. Closed when it goes away.
struct JournalWriter {
  int fd = -1;
  std::string name;
  std::uint64_t device = 0;  // the file system it lies on
  JournalWriter() = default;
  JournalWriter(JournalWriter&& other) noexcept;
  JournalWriter& operator=(JournalWriter&& other) noexcept;
  ~JournalWriter();
};

// The journal name for a rewrite started at `now`: "rerate-undo-2026-12-07T09-16-52Z.txt".
std::string journal_name(std::time_t now);

// Creates a new journal in the working folder, named for `now` (with "-2", "-3", ... when
// that name is taken), with its header on disk, and locked while it is open so that no
// undo takes it meanwhile. Nothing when it cannot be created.
std::optional<JournalWriter> create_journal(std::time_t now);

// Opens the journal `path` to add an undo's records to it.
std::optional<JournalWriter> open_journal(const std::string& path);

// Adds `text` to the journal and, unless `on_disk_later` (a flush of its whole file system
// follows, as a batch on the same file system makes), puts it on disk. Returns false when
// either fails.
bool append_journal(JournalWriter& journal, std::string_view text, bool on_disk_later = false);

// The lines that describe `file` before its rename: file, target, hashes, meters, written.
std::string journal_entry(const JournalFile& file);

// One mark line: "<word> <number>", with the stamp when there is one.
std::string journal_mark(std::string_view word, int number, const std::optional<FileStamp>& stamp);

// The files a journal's text describes, in the order of their entries. Nothing, with the
// reason in `error`, when a line is not one the journal writes; a last line without its
// line end (a write cut short) is left out, and a journal cut short in its first line
// describes no file.
std::optional<std::vector<JournalFile>> parse_journal(std::string_view text, std::string& error);

// Whether two stamps describe the same file with the same content, whatever its change
// time (a rename moves that).
bool same_content_stamp(const FileStamp& a, const FileStamp& b);

// The newest journal in `folder`, by the time in its name, as "folder/name".
std::optional<std::string> newest_journal(const std::string& folder);
