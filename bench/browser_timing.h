// bench/browser_timing.h: the cost of one key in the selection browser on a library with
// every group and song expanded.
#pragma once

#include <vector>

#include "library/library.h"

// The time one key (or one frame) took, over many presses.
struct KeyTiming {
  const char* key_name;
  int presses;
  double mean_microseconds;
  double max_microseconds;
};

// What was measured, and on how many rows.
struct BrowserTiming {
  int rows;
  std::vector<KeyTiming> keys;
};

// Builds the browser's rows for `groups` with a list height of 21, expands every row,
// and times Down, Up, Page Down, Page Up and End from many cursor positions, and "a"
// (which selects or clears every chart) pressed repeatedly; Space on rows anywhere with
// the status line made after each; Enter on the rule form with a rule over every chart,
// selecting and clearing in turn; then, when a curses screen is open, the frame that
// follows a key: scroll settling alone, and settling plus drawing; then the keys of a
// search with the frame each one asks for. The charts' selection is cleared again
// afterwards.
BrowserTiming time_browser_keys(std::vector<SongGroup>& groups);
