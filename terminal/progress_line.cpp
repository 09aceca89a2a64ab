// terminal/progress_line.cpp: the scan's progress line.
#include "terminal/progress_line.h"

#include <curses.h>

void show_progress(ProgressLine& progress, const std::string& path) {
  if (stdscr == nullptr || path.empty() || path == progress.shown) return;
  wclear(stdscr);
  mvwaddstr(stdscr, 0, 0, path.c_str());
  wrefresh(stdscr);
  progress.shown = path;
}
