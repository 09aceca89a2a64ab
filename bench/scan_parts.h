// bench/scan_parts.h: the parts of a library scan, each timed on its own, to tell where
// the scan's time goes.
#pragma once

#include <string>
#include <vector>

// Seconds each part took over the whole library.
struct ScanParts {
  double listing;         // the folder searches the scan makes, nothing read
  double reading_kept;    // reading every file whole into a buffer of its own, all kept
  double tokenizing;      // reading and tokenizing every song file
  double reading_songs;   // the same plus taking titles and charts from the tokens
  double progress_lines;  // drawing every song file's path as the scan's progress line
};

// Times each part over `paths` (the song files, relative to the working folder), with
// the progress lines drawn into the current curses screen. Nothing is kept.
ScanParts time_scan_parts(const std::vector<std::string>& paths);
