// terminal/progress_line.h: the line that shows which song file the scan is reading.
#pragma once

#include <chrono>
#include <string>

// Drawing a frame costs far more than reading a small song file from the cache, so the
// line is redrawn at this pace while the scan runs: it still changes faster than anyone
// can read it, and a file that is slow to read stays on the screen while it is read.
constexpr std::chrono::milliseconds progress_refresh_interval{20};

// The path shown last, so that an unchanged line is not drawn again.
struct ProgressLine {
  std::string shown;
};

// Shows `path` alone on line 0 of the screen (control characters escaped, cut at the
// right edge), unless it is shown already or empty.
void show_progress(ProgressLine& progress, const std::string& path);
