// library/progress_line.h: the line that shows which song file the scan is reading.
#pragma once

#include <chrono>
#include <string>

// Drawing a frame costs far more than reading a small song file from the cache, so a
// path is drawn only when the last one has been on the terminal for this long: the line
// still changes faster than anyone can read it, and a file that is slow to read leaves
// its own path or one read just before it on the screen.
constexpr std::chrono::milliseconds progress_refresh_interval{20};

struct ProgressLine {
  std::chrono::steady_clock::time_point last_refresh{};
  bool shown = false;  // a path has been drawn
};

// Shows `path` alone on line 0 of the screen, when there is a screen and the last path
// has been shown for long enough.
void show_progress(ProgressLine& progress, const std::string& path);
