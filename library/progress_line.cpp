// library/progress_line.cpp: the scan's progress line.
#include "library/progress_line.h"

#include <curses.h>

void show_progress(ProgressLine& progress, const std::string& path) {
  if (stdscr == nullptr) return;
  auto now = std::chrono::steady_clock::now();
  if (progress.shown && now - progress.last_refresh < progress_refresh_interval) return;
  wclear(stdscr);
  mvwaddstr(stdscr, 0, 0, path.c_str());
  wrefresh(stdscr);
  progress.shown = true;
  progress.last_refresh = now;
}
