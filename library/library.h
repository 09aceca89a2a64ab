// library/library.h: the in-memory song library: groups, songs and their charts.
// Filled once by the scan; afterwards only the charts' `selected` flags change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "library/grow_array.h"
#include "songfile/token.h"

enum class Mode : std::int32_t { Single = 0, Double = 1 };
enum class Difficulty : std::int32_t { Beginner = 0, Easy, Medium, Hard, Expert, Edit };

constexpr int mode_count = 2;
constexpr int difficulty_count = 6;

// One rescalable chart of a song file.
struct Chart {
  Mode mode;
  Difficulty difficulty;
  std::int32_t meter;       // as read, always > 0
  bool selected;            // chosen for rewriting
  std::int32_t meter_token; // index of the token holding the meter
};

// One song folder that holds a song file.
struct Song {
  std::string folder;                // song folder name
  std::string file;                  // song file name inside the folder
  std::optional<std::string> title;  // never absent once the scan is done
  GrowArray<Chart> charts;           // in file order
  std::optional<TokenList> tokens;   // absent when the file could not be read
};

// One folder directly under Songs.
struct SongGroup {
  std::string name;
  GrowArray<Song> songs;  // sorted by title after the scan
};

// "Single", "Double".
std::string_view mode_name(Mode mode);
// "Beginner" ... "Edit"; Expert is written "Challenge" in song files but shown as "Expert".
std::string_view difficulty_name(Difficulty difficulty);

// The chart type that stands for `mode` in a song file, e.g. "dance-single".
std::string_view mode_file_name(Mode mode);
// The difficulty as written in a song file, e.g. "Challenge" for Expert.
std::string_view difficulty_file_name(Difficulty difficulty);

// The mode whose chart type is exactly `text`, if any (case-sensitive).
std::optional<Mode> mode_from_file_name(std::string_view text);
// The difficulty written exactly as `text`, if any (case-sensitive).
std::optional<Difficulty> difficulty_from_file_name(std::string_view text);

// "Songs/<group>/<folder>/<file>": the song file's path, relative to the working folder.
std::string song_path(const SongGroup& group, const Song& song);
