// rewrite/batch.h: the batch engine that the rewrite and the undo share, so that a file is
// replaced the same way whichever of them replaces it. A batch of files goes:
//   1. prepare: each file's new bytes written beside it (write_replacement) and its
//      journal entry made, by the caller;
//   2. journal: the entries of the batch, with the names of their new files, added to the
//      journal;
//   3. flush: the new files and the journal put on disk, one syncfs per file system;
//   4. rename: each new file over its old one, if that is still the file that was read;
//   5. flush: the renames put on disk;
//   6. mark: the journal told which files took their place and which were kept;
//   7. report: the caller reports each file, then checks that its report was written.
// Interrupts are held off for a whole batch (InterruptShield), so a run stops between
// batches, with every file old or new.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "rewrite/journal.h"
#include "rewrite/replace_file.h"

// A batch ends after this many files or bytes written, whichever comes first: large enough
// that flushing is a small part of the time, small enough that an interrupt is answered
// within a fraction of a second. Tests make batches smaller.
struct BatchLimits {
  std::size_t files = 128;
  std::size_t bytes = 32 << 20;
};

// Whether a batch of `files` files and `bytes` bytes is full.
bool batch_full(const BatchLimits& limits, std::size_t files, std::size_t bytes);

// One file of a batch.
struct BatchFile {
  Replacement replacement;  // its new file beside it; no temporary file: it stays as it is
  std::string entry;        // what the journal records of it before its rename
  int number = 0;           // its number in the journal, for its mark
};

// The words of the marks the journal gets after the renames; an empty word: no mark.
struct BatchMarks {
  std::string_view placed;
  std::string_view kept;
};

// Journals, flushes, renames, flushes and marks a prepared batch (steps 2 to 6). Returns 0,
// or the error number when the journal cannot record the batch (a full disk, a failing
// file system): then no file of the batch takes its place, and no further one may.
int settle_batch(std::span<BatchFile> batch, JournalWriter& journal, const BatchMarks& marks);

// Writes out what `report` holds. Returns 0, or the error number when any of its lines
// could not be written (a full disk, a reader that went away).
int flush_report(std::FILE* report);
