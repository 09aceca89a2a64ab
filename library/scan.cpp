// library/scan.cpp: the folder walk, the progress line and the library order.
#include "library/scan.h"

#include "library/dir_search.h"
#include "library/name_order.h"
#include "library/progress_line.h"
#include "songfile/chart_reader.h"

namespace {

constexpr const char* songs_folder = "Songs";
constexpr const char* error_title = "#ERROR#";

void scan_song(SongGroup& group, const std::string& group_path, const std::string& folder,
               ProgressLine& progress) {
  std::string song_folder = group_path + '/' + folder;
  auto files = search_directory(song_folder, DirPattern::SongFiles);
  if (!files || files->empty()) return;  // no song file: not a song
  const std::string& file = files->front().name;
  std::string path = song_folder + '/' + file;
  show_progress(progress, path);
  Song& song = append(group.songs);
  song.folder = folder;
  if (!read_song_file(path, song) || !song.title) song.title = error_title + folder;
  song.file = file;
}

void scan_group(SongGroup& group, ProgressLine& progress) {
  std::string group_path = std::string(songs_folder) + '/' + group.name;
  auto entries = search_directory(group_path, DirPattern::All);
  if (!entries) return;  // kept, with no songs
  for (const DirEntry& entry : *entries)
    if (entry.is_directory) scan_song(group, group_path, entry.name, progress);
}

template <typename T, typename KeyOf>
void sort_by(GrowArray<T>& array, KeyOf key_of) {
  std::vector<std::string_view> keys;
  keys.reserve(array.count);
  for (const T& item : array) keys.push_back(key_of(item));
  apply_order(array.items, selection_sort_order(keys));
}

}  // namespace

void sort_library(GrowArray<SongGroup>& groups) {
  sort_by(groups, [](const SongGroup& group) -> std::string_view { return group.name; });
  for (SongGroup& group : groups)
    sort_by(group.songs, [](const Song& song) -> std::string_view { return *song.title; });
}

bool scan_library(GrowArray<SongGroup>& groups) {
  auto entries = search_directory(songs_folder, DirPattern::All);
  if (!entries) return false;
  ProgressLine progress;
  for (const DirEntry& entry : *entries) {
    if (!entry.is_directory) continue;
    SongGroup& group = append(groups);
    group.name = entry.name;
    scan_group(group, progress);
  }
  sort_library(groups);
  return true;
}
