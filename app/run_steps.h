// app/run_steps.h: the steps that the full-screen run and the runs without screens share:
// the lock, the scan, the marks of charts rescaled before, the end of a rewrite, and the
// messages of a run that fails.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "library/scan.h"
#include "rewrite/rescaled.h"
#include "rewrite/rewriter.h"
#include "rewrite/run_lock.h"

constexpr const char* songs_missing =
    "Songs not found. Place the binaries outside of your Songs folder.";
constexpr const char* songs_unsearchable = "Failed to search Songs folder (but WHYYYYYY?!?!!)";

// Takes the lock of the library in `folder`, or says on standard error why not.
std::optional<RunLock> lock_or_say_why(const std::string& folder);

enum class ScanOutcome { Read, Unsearchable, OutOfMemory };

// Scans the library, calling `show` with the scan under way while the readers work. With
// `remove_leftovers`, the temporary files a killed run left in the song folders are
// removed on the way: only a run that holds the library's lock may do that, as they may
// be another run's files being written.
ScanOutcome scan_songs(std::vector<SongGroup>& groups, const std::function<void(ScanJob&)>& show,
                       bool remove_leftovers);

// The settings of a rewrite (or dry run) whose report goes to standard output: the
// histogram as wide as $COLUMNS when set to a number, else the terminal's width when the
// report goes to one, else 80; the charts rescaled before named from `rescaled`; the
// undo line naming the journal from the folder rerate was started in (`library`, the DIR
// given, or empty).
RewriteSettings report_settings(bool dry_run, const RescaledCharts& rescaled,
                                const std::string& library);

// Ends a run whose report could not be written: one line on standard error.
int report_unwritten(int error, const char* run, const std::optional<std::string>& journal);

// The exit status of a rewrite: ends the process when a signal stopped it, says so when
// its report could not be written; with `wait`, keeps the report on a terminal until Enter.
// A dry run, which wrote nothing, ends with 0 once its report is written.
int end_of_rewrite(const RewriteOutcome& outcome, bool wait, bool dry_run);

// Where a run is, for the message that ends it when memory runs out.
enum class Phase { BeforeRewrite, Rewriting };

// Ends the run when memory ran out, saying on standard error which files may have changed:
// the full screen is already left and any half-written new file removed.
int report_out_of_memory(Phase phase);

// Runs `run`, ending it when memory runs out anywhere: the failed allocation unwinds the
// run, which gives the terminal back and removes any half-written new file on the way,
// and the message says which files may have changed.
int guard_memory(const std::function<int(Phase&)>& run);
