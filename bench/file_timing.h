// bench/file_timing.h: the measuring tools of the benchmark: a clock, the process's
// memory, and reading song files with nothing else done to them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Seconds on a steady clock, from an arbitrary start.
double now_seconds();

// The most memory the process has held in RAM so far (getrusage's ru_maxrss), in bytes.
std::uint64_t peak_memory_bytes();

// Page faults the process has taken so far that needed no disk (ru_minflt): mostly
// memory touched for the first time.
long minor_page_faults();

// The memory the process holds in RAM now, in bytes.
std::uint64_t current_memory_bytes();

// What a pass over the song files saw.
struct FileSurvey {
  int files = 0;
  int unreadable = 0;
  std::uint64_t bytes = 0;
  int byte_order_marks = 0;  // files that begin with one
  int crlf_files = 0;        // files with a CR LF line end
  std::vector<std::uint32_t> sizes;
};

// Every song file's path, relative to the working folder, found the way the scan finds
// them (the first song file by name in each song folder of each group).
std::vector<std::string> list_song_files();

// Reads every file whole and notes sizes, byte-order marks and line ends.
FileSurvey survey_files(const std::vector<std::string>& paths);

// The size below which `fraction` (0 to 1) of the surveyed files lie.
std::uint32_t size_percentile(const FileSurvey& survey, double fraction);
