// library/library.cpp: song file paths.
#include "library/library.h"

std::string song_path(const SongGroup& group, const Song& song) {
  return song_folder_path(group, song, song.file);
}

std::string song_folder_path(const SongGroup& group, const Song& song, std::string_view file) {
  std::string path = "Songs/";
  path += group.name;
  path += '/';
  path += song.folder;
  path += '/';
  path += file;
  return path;
}
