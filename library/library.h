// library/library.h: the song library as a small index: groups, songs and their charts,
// with what the rewrite needs to find each meter again. No file bytes are kept.
// Filled once by the scan; afterwards only the charts' `selected` flags change (through
// library/selection.h, which keeps their counts).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "songfile/chart_kind.h"
#include "songfile/song_file.h"
#include "songfile/song_reader.h"

// One rescalable chart of a song file.
struct Chart {
  Mode mode;
  Difficulty difficulty;
  std::int32_t meter;  // as read, always > 0
  bool selected;       // chosen for rewriting
  bool rescaled;       // an earlier run's rewrite wrote this meter, and the file still has it
  MeterDigits digits;  // where the meter's digits lie in the file
};

// An .ssc file beside a song's .sm file. The game reads it in place of the .sm, so the
// rewrite changes the same charts in it. Only what tells later whether it changed is kept;
// its charts are read when it is rewritten.
struct CompanionFile {
  std::string file;                // its name inside the song folder
  std::optional<FileStamp> stamp;  // as the scan read it; absent when it could not be read
  std::uint64_t hash = 0;          // of its bytes as they were read
};

// One song folder that holds a song file.
struct Song {
  std::string folder;                // song folder name
  std::string file;                  // song file name inside the folder
  std::optional<std::string> title;  // never absent once the scan is done
  std::string title_translit;        // the file's transliterated title, when other than it
  std::vector<Chart> charts;         // in file order
  FileStamp stamp{};                 // of the song file as it was read
  std::uint64_t hash = 0;            // of its bytes as they were read
  // The .ssc beside an .sm song file, if there is one.
  std::optional<CompanionFile> companion;
};

// One folder directly under Songs.
struct SongGroup {
  std::string name;
  std::vector<Song> songs;  // sorted by title after the scan
};

// "Songs/<group>/<folder>/<file>": the song file's path, relative to the working folder.
std::string song_path(const SongGroup& group, const Song& song);

// The path of a file named `file` in the song's folder, in the same form.
std::string song_folder_path(const SongGroup& group, const Song& song, std::string_view file);
