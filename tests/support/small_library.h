// tests/support/small_library.h: a small library on disk for the tests of the rewrite and
// the undo: songs A, B and C in the group G, A with an .ssc beside its .sm, each with a
// Single Hard 12 and a Double Easy 9 (8 and 6 once divided by 1.5).
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "library/library.h"

struct SmallLibrary {
  std::vector<std::string>
      files;  // "Songs/G/A/a.sm", "Songs/G/A/a.ssc", ... from the working folder
  std::vector<std::string> before;  // their bytes
  std::vector<std::string> after;   // their bytes divided by 1.5
};

// Writes the library into the working folder, and removes any undo journal there.
SmallLibrary write_small_library();

// Scans the working folder's library and selects every chart.
GrowArray<SongGroup> scan_selected();

// What `run` prints on the report it is given.
std::string report_of(const std::function<void(std::FILE*)>& run);

// The files of the library that hold neither their old nor their new bytes, and the
// temporary files beside them, by name; empty when there are none.
std::string files_neither_old_nor_new(const SmallLibrary& library);
