// bench/scan_parts.cpp: the scan taken apart: listing, tokenizing, reading, drawing.
#include "bench/scan_parts.h"

#include <curses.h>

#include "bench/file_timing.h"
#include "songfile/song_file.h"
#include "songfile/song_reader.h"
#include "songfile/tokenizer.h"
#include "terminal/progress_line.h"

namespace {

double time_listing() {
  double start = now_seconds();
  list_song_files();
  return now_seconds() - start;
}

// Fresh memory for every file, held until all are read, as the scan holds it.
double time_reading_kept(const std::vector<std::string>& paths) {
  std::vector<FileBuffer> files(paths.size());
  double start = now_seconds();
  for (std::size_t i = 0; i < paths.size(); ++i) read_file_into(paths[i], files[i]);
  return now_seconds() - start;
}

double time_tokenizing(const std::vector<std::string>& paths) {
  FileBuffer buffer;
  double start = now_seconds();
  for (const std::string& path : paths) {
    read_file_into(path, buffer);
    TokenReader in = make_token_reader(buffer.view());
    while (next_token(in)) {
    }
  }
  return now_seconds() - start;
}

double time_reading_songs(const std::vector<std::string>& paths) {
  FileBuffer buffer;
  SongFields fields;
  double start = now_seconds();
  for (const std::string& path : paths) {
    read_file_into(path, buffer);
    read_song_fields(buffer.view(), fields);
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
