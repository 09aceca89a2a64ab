// rewrite/rewriter.h: writing the selected songs' files back with converted meters.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "library/library.h"
#include "library/scale_table.h"
#include "rewrite/batch.h"

// What became of a rewrite.
struct RewriteOutcome {
  int failed = 0;                      // files reported as "Failed to write to"
  int replaced = 0;                    // files that took their place
  int left = 0;                        // selected songs not reached when the run stopped
  int signal = 0;                      // the interrupt that stopped the run, or 0
  int report_error = 0;                // why the report could not be written, or 0
  std::optional<std::string> journal;  // the undo journal, when a file was replaced
};

// Rewrites every song file that has a selected chart: the file is read again and, if it
// is still the file the scan read, replaced by its own bytes with exactly the selected
// charts' meter digits converted. Reports each song's outcome on `report` in library
// order: "Rewriting <path>..." and one line per converted chart, or "Failed to write to
// <path>" when the file was left as it was. Every replacement is recorded first in an
// undo journal in the working folder, named by the report's last line; no file is
// replaced when the journal cannot be created or written, and a run that replaced none
// leaves no journal. An interrupt, termination or hang-up signal stops the run after the
// batch of files being written, with one more line; so does a report that cannot be
// written (`report_error`). A song's .sm and .ssc are always in the same batch.
RewriteOutcome rewrite_library(const std::vector<SongGroup>& groups, const ScaleTable& table,
                               std::FILE* report, const BatchLimits& limits = {});
