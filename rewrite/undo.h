// rewrite/undo.h: undoing a rewrite from its journal: each song file it replaced gets its
// old meter texts back, with the same splice and replacement as the rewrite, unless the
// file changed since.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// What became of an undo.
struct UndoOutcome {
  int restored = 0;      // files restored now
  int not_restored = 0;  // files the rewrite replaced that were left alone
  int signal = 0;        // the interrupt that stopped the undo, or 0
};

// Undoes the rewrite that the journal `path` records and adds what it restored to the
// journal. Reports on `report`, in the journal's order, "Restored <path>" with one line
// per meter (" - Single Hard (8 -> 12)"), "Not restored <path>: <reason>" or "Already
// restored <path>", then a closing line. Returns nothing, with the reason in `error`, when
// the journal cannot be read or written.
std::optional<UndoOutcome> undo_rewrite(const std::string& path, std::FILE* report,
                                        std::string& error);
