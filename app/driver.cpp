// app/driver.cpp: the fixed sequence of phases, and the error screens.
#include "app/driver.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>

#include "app/choice_screens.h"
#include "app/command_line.h"
#include "app/standard_descriptors.h"
#include "browser/browser.h"
#include "library/dir_search.h"
#include "library/scan.h"
#include "rewrite/leftovers.h"
#include "rewrite/replace_file.h"
#include "rewrite/rescaled.h"
#include "rewrite/rewriter.h"
#include "rewrite/run_lock.h"
#include "rewrite/undo.h"
#include "songfile/text.h"
#include "terminal/help_screen.h"
#include "terminal/progress_line.h"
#include "terminal/screen_text.h"
#include "terminal/terminal.h"

namespace {

constexpr const char* songs_missing =
    "Songs not found. Place the binaries outside of your Songs folder.";
constexpr const char* songs_unsearchable = "Failed to search Songs folder (but WHYYYYYY?!?!!)";

// Shows `message` until a key is pressed, then leaves the full screen and says it once
// more on standard error, for a script: the run failed.
int show_error_screen(CursesSession& session, const char* message) {
  const std::string_view lines[] = {message, "(Press any key to quit)"};
  show_page_until_key(lines);
  end_curses(session);
  std::fprintf(stderr, "rerate: %s\n", message);
  return 1;
}

// Takes the lock of the library in `folder`, or says on standard error why not.
std::optional<RunLock> lock_or_say_why(const std::string& folder) {
  std::string error;
  std::optional<RunLock> lock = lock_library(folder, error);
  if (!lock) std::fprintf(stderr, "rerate: %s\n", error.c_str());
  return lock;
}

// The keyboard went away before the user finished: nothing is rewritten.
int stop_without_input(CursesSession& session) {
  end_curses(session);
  std::fputs("rerate: keyboard input ended; no song file was changed\n", stderr);
  return 1;
}

enum class ScanOutcome { Read, Unsearchable, OutOfMemory };

// Scans the library, showing the path of a song file being read while the readers work.
// The temporary files a killed run left in the song folders are removed on the way, but
// by a dry run, which writes nothing and holds no lock (another run may be writing them).
ScanOutcome scan_with_progress(std::vector<SongGroup>& groups, bool dry_run) {
  ScanJob job;
  if (!start_scan(job)) return ScanOutcome::Unsearchable;
  ProgressLine progress;
  while (!wait_for_scan(job, progress_refresh_interval))
    show_progress(progress, scan_progress_path(job));
  if (!finish_scan(job, groups)) return ScanOutcome::OutOfMemory;
  if (!dry_run) remove_temp_files(job.temp_files);
  return ScanOutcome::Read;
}

// The user chose to quit in the browser: nothing is rewritten.
int quit_unchanged(CursesSession& session) {
  end_curses(session);
  std::fputs("Quit: no song file was changed.\n", stdout);
  return 0;
}

// Keeps the report on the screen until Enter. A report kept in a file has no one to wait
// for.
void wait_for_enter() {
  if (isatty(STDOUT_FILENO) == 0) return;
  std::fputs("Press Enter to continue\n", stdout);
  std::fflush(stdout);
  std::getchar();
}

// Ends a run whose report could not be written: one line on standard error.
int report_unwritten(int error, const char* run, const std::optional<std::string>& journal) {
  std::string undo = journal ? "; rerate --undo " + escape_controls(*journal) + " undoes it" : "";
  std::fprintf(stderr, "rerate: the report could not be written (%s); the %s stopped there%s\n",
               std::strerror(error), run, undo.c_str());
  return 1;
}

// The folder that holds the journal `path`, and the library's Songs beside it.
std::string folder_of_journal(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Undoes the rewrite of the journal named, or of the newest in the working folder, with
// the lock of the library beside the journal held, and the temporary files a killed run
// left there removed first.
int undo_journal(std::string journal) {
  std::string library = folder_of_journal(journal);
  std::optional<RunLock> lock = lock_or_say_why(library);
  if (!lock) return 1;
  sweep_temp_files(library + "/Songs");
  if (journal.empty()) {
    std::optional<std::string> newest = newest_journal(".");
    if (!newest) {
      std::fputs("rerate: no undo journal (rerate-undo-*.txt) of a rewrite in this folder\n",
                 stderr);
      return 1;
    }
    journal = newest->substr(2);  // without "./"
  }
  std::string error;
  std::optional<UndoOutcome> outcome = undo_rewrite(journal, stdout, error);
  if (!outcome) {
    std::fprintf(stderr, "rerate: the journal %s %s\n", escape_controls(journal).c_str(),
                 error.c_str());
    return 1;
  }
  if (outcome->report_error != 0) return report_unwritten(outcome->report_error, "undo", {});
  if (outcome->signal != 0) end_by_signal(outcome->signal);
  return outcome->not_restored == 0 && !outcome->unread ? 0 : 1;
}

// The undo, ended like the full run when memory runs out: any new file half written is
// removed as the failed allocation unwinds it.
int run_undo(const std::string& journal) {
  try {
    return undo_journal(journal);
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fputs("rerate: out of memory; song files not reported above as restored are unchanged\n",
               stderr);
    return 1;
  }
}

// Where the run is, for the message that ends it when memory runs out.
enum class Phase { BeforeRewrite, Rewriting };

// Ends the run when memory ran out: the full screen is already left (the session ended
// as the failed allocation unwound the run) and any half-written new file removed.
int report_out_of_memory(Phase phase) {
  std::fflush(stdout);
  std::fputs(phase == Phase::BeforeRewrite
                 ? "rerate: out of memory; no song file was changed\n"
                 : "rerate: out of memory; song files not reported above as rewritten are "
                   "unchanged\n",
             stderr);
  return 1;
}

// The columns the histogram of the report may fill: $COLUMNS when set to a number, else
// the terminal's width when the report goes to one, else 80.
int report_width() {
  const char* columns = std::getenv("COLUMNS");
  if (columns != nullptr && std::atoi(columns) > 0) return std::atoi(columns);
  struct winsize size {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

int run_phases(Phase& phase, const RunChoices& choices) {
  // Held from before the scan to the end of the rewrite. Without Songs there is nothing
  // to lock, and the screen that says so follows. A dry run changes nothing and takes no
  // lock: it may look while another run writes.
  std::optional<RunLock> lock;
  if (!choices.dry_run && is_directory("Songs") && !(lock = lock_or_say_why("."))) return 1;
  CursesSession session;
  std::string error;
  if (!start_curses(session, error)) {
    std::fprintf(stderr, "rerate: %s\n", error.c_str());
    return 1;
  }
  int lines = screen_lines();
  if (!is_directory("Songs")) return show_error_screen(session, songs_missing);

  std::vector<SongGroup> groups;
  ScanOutcome scanned = scan_with_progress(groups, choices.dry_run);
  if (scanned == ScanOutcome::Unsearchable) return show_error_screen(session, songs_unsearchable);
  if (scanned == ScanOutcome::OutOfMemory) {
    end_curses(session);
    return report_out_of_memory(phase);
  }
  RescaledCharts rescaled;
  mark_rescaled_charts(groups, rescaled);

  BrowserState browser = make_browser_state(groups, lines - 3);
  set_up_colours();
  ScaleTable table{};
  ScreenExit exit = run_choice_screens(browser, groups, table);
  if (exit == ScreenExit::InputEnded) return stop_without_input(session);
  if (exit == ScreenExit::Quit) return quit_unchanged(session);
  end_curses(session);

  phase = Phase::Rewriting;
  RewriteSettings settings;
  settings.dry_run = choices.dry_run;
  settings.report_width = report_width();
  settings.rescaled = &rescaled;
  settings.library_folder = choices.library_folder;
  RewriteOutcome outcome = rewrite_library(groups, table, stdout, settings);
  lock.reset();  // the library is settled: another run need not wait for the Enter below
  if (outcome.report_error != 0)
    return report_unwritten(outcome.report_error, "rewrite", outcome.journal);
  if (outcome.signal != 0) end_by_signal(outcome.signal);
  wait_for_enter();
  return choices.dry_run || outcome.failed == 0 ? 0 : 1;
}

// Makes `folder`, the folder named on the command line, the working folder: Songs is read
// there and the journal goes there, while the report still names "Songs/...". A journal
// named on the command line is found from where rerate was started. Says why on standard
// error and returns false when `folder` is no folder that can be entered.
bool enter_library_folder(const std::string& folder, std::string& journal) {
  std::error_code error;
  std::filesystem::path whole = std::filesystem::absolute(journal, error);
  if (!journal.empty() && !error) journal = whole.string();
  struct stat info {};
  const char* reason = nullptr;
  if (stat(folder.c_str(), &info) != 0 || (S_ISDIR(info.st_mode) && chdir(folder.c_str()) != 0))
    reason = std::strerror(errno);
  else if (!S_ISDIR(info.st_mode))
    reason = "not a folder";
  if (reason == nullptr) return true;
  std::fprintf(stderr, "rerate: cannot use '%s' as the library folder: %s\n", folder.c_str(),
               reason);
  return false;
}

}  // namespace

int run_command_line(std::span<const char* const> arguments) {
  if (!open_closed_standard_descriptors()) return 1;
  CommandLine line = parse_command_line(arguments);
  // "rerate --undo DIR": no journal is a folder, so a folder after --undo is the library's.
  std::error_code error;
  if (line.command == Command::Undo && line.library.empty() &&
      std::filesystem::is_directory(line.journal, error))
    std::swap(line.journal, line.library);
  bool uses_library = line.command == Command::Run || line.command == Command::Undo;
  if (uses_library && !line.library.empty() && !enter_library_folder(line.library, line.journal))
    return 2;
  switch (line.command) {
  case Command::Run: return run_rerate(RunChoices{line.dry_run, line.library});
  case Command::Undo: return run_undo(line.journal);
  case Command::Help: std::fputs(usage_text().c_str(), stdout); return 0;
  case Command::Version: std::fputs(version_text().c_str(), stdout); return 0;
  case Command::Misuse:
    std::fprintf(stderr, "rerate: %s\n\n%s", escape_controls(line.error).c_str(),
                 usage_text().c_str());
    return 2;
  }
  return 2;
}

int run_rerate(const RunChoices& choices) {
  // Memory can run out anywhere; the failed allocation unwinds the run, which gives the
  // terminal back and removes any temporary file on the way, and the run ends here.
  Phase phase = Phase::BeforeRewrite;
  try {
    return run_phases(phase, choices);
  } catch (const std::bad_alloc&) {
    return report_out_of_memory(phase);
  }
}
