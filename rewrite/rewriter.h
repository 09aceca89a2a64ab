// rewrite/rewriter.h: writing the selected songs' files back with converted meters.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "library/library.h"
#include "library/scale_table.h"
#include "rewrite/batch.h"
#include "rewrite/rescaled.h"

// How a rewrite runs and reports.
struct RewriteSettings {
  BatchLimits limits{};
  // Check and report each file as the rewrite would, but write nothing: no temporary file,
  // no journal, no file replaced ("Would rewrite <path>..." for "Rewriting <path>...").
  bool dry_run = false;
  int report_width = 80;  // the columns the histogram of meters may fill
  // The charts an earlier run rescaled, named in the report under their line; none when null.
  const RescaledCharts* rescaled = nullptr;
  // The folder the undo command in the report names the journal in, as the user gave the
  // library folder (the journal is written in the working folder); empty: the working folder.
  std::string library_folder{};
};

// What became of a rewrite.
struct RewriteOutcome {
  int failed = 0;                      // files reported as "Failed to write to"
  int replaced = 0;                    // files that took their place (a dry run: would have)
  int left = 0;                        // selected songs not reached when the run stopped
  int signal = 0;                      // the interrupt that stopped the run, or 0
  int report_error = 0;                // why the report could not be written, or 0
  std::optional<std::string> journal;  // the undo journal, when a file was replaced, as the
                                       // report's undo command names it
};

// Rewrites every song file that has a selected chart: the file is read again and, if it
// is still the file the scan read, replaced by its own bytes with exactly the selected
// charts' meter digits converted. Reports each song's outcome on `report` in library
// order: "Rewriting <path>..." and one line per converted chart (with a line under a chart
// rescaled before: "   already rescaled on <date> from <old>"), or "Failed to write to
// <path>" when the file was left as it was; then the totals and the histogram of meters
// (rewrite/meter_summary.h). Every replacement is recorded first in an undo journal in the
// working folder, named by the undo command after the totals; no file is replaced when the
// journal cannot be created or written, and a run that replaced none leaves no journal. An
// interrupt, termination or hang-up signal stops the run after the batch of files being
// written, with one more line, the last; so does a report that cannot be written
// (`report_error`). A song's .sm and .ssc are always in the same batch. A dry run reports
// the same lines, but for "Would rewrite" and the undo command, and ends with "Dry run: no
// song file was changed."; a signal ends it at once.
RewriteOutcome rewrite_library(const std::vector<SongGroup>& groups, const ScaleTable& table,
                               std::FILE* report, const RewriteSettings& settings = {});
