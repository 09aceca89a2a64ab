// library/library.cpp: song file paths.
#include "library/library.h"

std::string song_path(const SongGroup& group, const Song& song) {
  std::string path = "Songs/";
  path += group.name;
  path += '/';
  path += song.folder;
  path += '/';
  path += song.file;
  return path;
}
