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
#include "app/run_steps.h"
#include "app/scripted_run.h"
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

// Shows `message` until a key is pressed, then leaves the full screen and says it once
// more on standard error, for a script: the run failed.
int show_error_screen(CursesSession& session, const char* message) {
  const std::string_view lines[] = {message, "(Press any key to quit)"};
  show_page_until_key(lines);
  end_curses(session);
  std::fprintf(stderr, "rerate: %s\n", message);
  return 1;
}

// The keyboard went away before the user finished: nothing is rewritten.
int stop_without_input(CursesSession& session) {
  end_curses(session);
  std::fputs("rerate: keyboard input ended; no song file was changed\n", stderr);
  return 1;
}

// Scans the library, showing the path of a song file being read while the readers work.
// The temporary files a killed run left in the song folders are removed on the way, but
// by a dry run, which writes nothing and holds no lock (another run may be writing them).
ScanOutcome scan_with_progress(std::vector<SongGroup>& groups, bool dry_run) {
  ProgressLine progress;
  return scan_songs(
      groups, [&](ScanJob& job) { show_progress(progress, scan_progress_path(job)); }, !dry_run);
}

// Selects in advance the charts that the selection flags name, if any were given.
void preselect_charts(std::vector<SongGroup>& groups, const ChartSelection& selection) {
  if (!names_anything(selection)) return;
  SelectionCounts counts = count_selection(groups);
  select_named_charts(counts, groups, selection, every_kind());
}

// The user chose to quit in the browser: nothing is rewritten.
int quit_unchanged(CursesSession& session) {
  end_curses(session);
  std::fputs("Quit: no song file was changed.\n", stdout);
  return 0;
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
  preselect_charts(groups, choices.selection);

  BrowserState browser = make_browser_state(groups, lines - 3);
  set_up_colours();
  ScaleTable table{};
  ScreenExit exit = run_choice_screens(browser, groups, table);
  if (exit == ScreenExit::InputEnded) return stop_without_input(session);
  if (exit == ScreenExit::Quit) return quit_unchanged(session);
  end_curses(session);

  phase = Phase::Rewriting;
  RewriteOutcome outcome = rewrite_library(
      groups, table, stdout, report_settings(choices.dry_run, rescaled, choices.library_folder));
  lock.reset();  // the library is settled: another run need not wait for the Enter below
  return end_of_rewrite(outcome, true, choices.dry_run);
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
  bool uses_library = line.command == Command::Run || line.command == Command::Undo ||
                      line.command == Command::Rescale || line.command == Command::List;
  if (uses_library && !line.library.empty() && !enter_library_folder(line.library, line.journal))
    return 2;
  switch (line.command) {
  case Command::Run: return run_rerate(RunChoices{line.dry_run, line.library, line.selection});
  case Command::Rescale: return run_scripted_rescale(line);
  case Command::List: return run_listing(line);
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
  return guard_memory([&](Phase& phase) { return run_phases(phase, choices); });
}
