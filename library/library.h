// library/library.h: the song library as a small index: groups, songs and their charts,
// with what the rewrite needs to find each meter again. No file bytes are kept.
// Filled once by the scan; afterwards only the charts' `selected` flags change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "library/grow_array.h"
#include "songfile/chart_kind.h"
#include "songfile/song_file.h"
#include "songfile/song_reader.h"

// One rescalable chart of a song file.
struct Chart {
  Mode mode;
  Difficulty difficulty;
  std::int32_t meter;  // as read, always > 0
  bool selected;       // chosen for rewriting
  MeterDigits digits;  // where the meter's digits lie in the file
};

// One song folder that holds a song file.
struct Song {
  std::string folder;                // song folder name
  std::string file;                  // song file name inside the folder
  std::optional<std::string> title;  // never absent once the scan is done
  GrowArray<Chart> charts;           // in file order
  FileStamp stamp{};                 // of the song file as it was read
  std::uint64_t hash = 0;            // of its bytes as they were read
};

// One folder directly under Songs.
struct SongGroup {
  std::string name;
  GrowArray<Song> songs;  // sorted by title after the scan
};

// "Songs/<group>/<folder>/<file>": the song file's path, relative to the working folder.
std::string song_path(const SongGroup& group, const Song& song);
