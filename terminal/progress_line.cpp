// terminal/progress_line.cpp: the scan's progress line.
#include "terminal/progress_line.h"

#include <curses.h>

#include "terminal/screen_text.h"

void show_progress(ProgressLine& progress, const std::string& path) {
  if (stdscr == nullptr || path.empty() || path == progress.shown) return;
  wclear(stdscr);
  put_text(0, 0, path);
  wrefresh(stdscr);
  progress.shown = path;
}
