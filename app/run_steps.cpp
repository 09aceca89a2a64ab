// app/run_steps.cpp: the lock, the scan, the end of a rewrite, and running out of memory.
#include "app/run_steps.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "rewrite/leftovers.h"
#include "rewrite/replace_file.h"
#include "songfile/text.h"
#include "terminal/progress_line.h"

namespace {

// Keeps the report on the screen until Enter. A report kept in a file has no one to wait
// for.
void wait_for_enter() {
  if (isatty(STDOUT_FILENO) == 0) return;
  std::fputs("Press Enter to continue\n", stdout);
  std::fflush(stdout);
  std::getchar();
}

}  // namespace

int report_out_of_memory(Phase phase) {
  std::fflush(stdout);
  std::fputs(phase == Phase::BeforeRewrite
                 ? "rerate: out of memory; no song file was changed\n"
                 : "rerate: out of memory; song files not reported above as rewritten are "
                   "unchanged\n",
             stderr);
  return 1;
}

std::optional<RunLock> lock_or_say_why(const std::string& folder) {
  std::string error;
  std::optional<RunLock> lock = lock_library(folder, error);
  if (!lock) std::fprintf(stderr, "rerate: %s\n", error.c_str());
  return lock;
}

ScanOutcome scan_songs(std::vector<SongGroup>& groups, const std::function<void(ScanJob&)>& show,
                       bool remove_leftovers) {
  ScanJob job;
  if (!start_scan(job)) return ScanOutcome::Unsearchable;
  while (!wait_for_scan(job, progress_refresh_interval)) show(job);
  if (!finish_scan(job, groups)) return ScanOutcome::OutOfMemory;
  if (remove_leftovers) remove_temp_files(job.temp_files);
  return ScanOutcome::Read;
}

RewriteSettings report_settings(bool dry_run, const RescaledCharts& rescaled,
                                const std::string& library) {
  RewriteSettings settings;
  settings.dry_run = dry_run;
  settings.report_width = 80;
  struct winsize size {};
  const char* columns = std::getenv("COLUMNS");
  if (columns != nullptr && std::atoi(columns) > 0)
    settings.report_width = std::atoi(columns);
  else if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    settings.report_width = size.ws_col;
  settings.rescaled = &rescaled;
  settings.library_folder = library;
  return settings;
}

int report_unwritten(int error, const char* run, const std::optional<std::string>& journal) {
  std::string undo = journal ? "; rerate --undo " + escape_controls(*journal) + " undoes it" : "";
  std::fprintf(stderr, "rerate: the report could not be written (%s); the %s stopped there%s\n",
               std::strerror(error), run, undo.c_str());
  return 1;
}

int end_of_rewrite(const RewriteOutcome& outcome, bool wait, bool dry_run) {
  if (outcome.report_error != 0)
    return report_unwritten(outcome.report_error, "rewrite", outcome.journal);
  if (outcome.signal != 0) end_by_signal(outcome.signal);
  if (wait) wait_for_enter();
  return dry_run || outcome.failed == 0 ? 0 : 1;
}

int guard_memory(const std::function<int(Phase&)>& run) {
  Phase phase = Phase::BeforeRewrite;
  try {
    return run(phase);
  } catch (const std::bad_alloc&) {
    return report_out_of_memory(phase);
  }
}
