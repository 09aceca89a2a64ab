// bench/scan_parts.cpp: the scan taken apart: listing, tokenizing, reading, drawing.
#include "bench/scan_parts.h"

#include <curses.h>

#include "bench/file_timing.h"
#include "library/progress_line.h"
#include "songfile/chart_reader.h"
#include "songfile/text_file.h"
#include "songfile/tokenizer.h"

namespace {

double time_listing() {
  double start = now_seconds();
  list_song_files();
  return now_seconds() - start;
}

// Fresh memory for every file, held until all are read, as the scan holds it.
double time_reading_kept(const std::vector<std::string>& paths) {
  std::vector<RawFile> files;
  files.reserve(paths.size());
  double start = now_seconds();
  for (const std::string& path : paths) {
    std::optional<RawFile> file = read_whole_file(path);
    if (file) files.push_back(std::move(*file));
  }
  return now_seconds() - start;
}

double time_tokenizing(const std::vector<std::string>& paths) {
  double start = now_seconds();
  for (const std::string& path : paths) tokenize_song_file(path);
  return now_seconds() - start;
}

double time_reading_songs(const std::vector<std::string>& paths) {
  double start = now_seconds();
  for (const std::string& path : paths) {
    Song song;
    read_song_file(path, song);
  }
  return now_seconds() - start;
}

// The scan's progress line for every path, as the scan shows it.
double time_progress_lines(const std::vector<std::string>& paths) {
  ProgressLine progress;
  double start = now_seconds();
  for (const std::string& path : paths) show_progress(progress, path);
  return now_seconds() - start;
}

}  // namespace

ScanParts time_scan_parts(const std::vector<std::string>& paths) {
  return ScanParts{time_listing(), time_reading_kept(paths), time_tokenizing(paths),
                   time_reading_songs(paths), time_progress_lines(paths)};
}
