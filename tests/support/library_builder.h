// tests/support/library_builder.h: song libraries built in memory for tests, without
// song files.
#pragma once

#include <string>
#include <vector>

#include "library/library.h"

struct TestChart {
  Mode mode;
  Difficulty difficulty;
  int meter;
  bool selected = false;
  bool rescaled = false;
};

struct TestSong {
  std::string title;
  std::vector<TestChart> charts;
};

struct TestGroup {
  std::string name;
  std::vector<TestSong> songs;
};

// The library of `groups`, in the order given (as the scan leaves it sorted).
std::vector<SongGroup> make_library(const std::vector<TestGroup>& groups);

// A group `name` of `song_count` songs titled "Song 1", "Song 2", ..., each with
// `charts_per_song` charts: Single Beginner, Single Easy, ... Single Edit, then Double
// Beginner and on, with meters 1, 2, 3, ...
TestGroup make_test_group(const std::string& name, int song_count, int charts_per_song);

// The charts' `selected` flags: "Y" or "." per chart, songs split by ",", groups by " | ".
std::string selection(const std::vector<SongGroup>& groups);
