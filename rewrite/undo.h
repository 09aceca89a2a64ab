// rewrite/undo.h: undoing a rewrite from its journal: each song file whose bytes are still
// exactly those the rewrite wrote gets its old meter texts back, with the same batches as
// the rewrite. The journal is taken as a stranger's file: it may change only the meter
// digits it records, and only in files inside the Songs folder beside it.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "rewrite/batch.h"

// What became of an undo.
struct UndoOutcome {
  int restored = 0;      // files restored now
  int not_restored = 0;  // files the rewrite may have replaced that were left alone
  bool unread = false;   // the journal could not be read to its end
  int signal = 0;        // the interrupt that stopped the undo, or 0
  int report_error = 0;  // why the report could not be written, or 0
};

// Undoes the rewrite that the journal `path` records, and adds what it restored to the
// journal. A file is restored when its bytes are exactly those the rewrite wrote, wherever
// it was moved or touched since; a file that holds the old bytes again is "Already
// restored". Reports on `report`, in the journal's order, "Restored <path>" with one line
// per meter (" - Single Hard (8 -> 12)"), "Not restored <path>: <reason>" or "Already
// restored <path>", then a closing line; a journal that cannot be read to its end has the
// files recorded before that restored and the rest reported. Returns nothing, with the
// reason in `error`, when the journal is not one, cannot be written to, or has no Songs
// folder beside it.
std::optional<UndoOutcome> undo_rewrite(const std::string& path, std::FILE* report,
                                        std::string& error, const BatchLimits& limits = {});

// The newest journal in `folder` that replaced at least one song file, by the start time
// recorded in it, among the files named exactly as journals are; as "folder/name".
std::optional<std::string> newest_journal(const std::string& folder);
