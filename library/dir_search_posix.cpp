// library/dir_search_posix.cpp: folder listing with opendir/readdir.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "library/dir_search.h"
#include "library/temp_file_name.h"
#include "songfile/song_reader.h"

namespace {

bool has_song_file_name(std::string_view name) {
  if (name.starts_with("._")) return false;  // resource-fork files from macOS, not songs
  return song_format_of(name).has_value();
}

EntryKind kind_at(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return EntryKind::Other;
  if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
  return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

// The kind the listing tells, or, for a link or where the file system does not say, the
// kind of what the name leads to.
EntryKind entry_kind(const std::string& folder, const dirent& entry) {
  switch (entry.d_type) {
  case DT_DIR: return EntryKind::Folder;
  case DT_REG: return EntryKind::File;
  case DT_LNK:
  case DT_UNKNOWN: return kind_at(folder + '/' + entry.d_name);
  default: return EntryKind::Other;
  }
}

EntryKind wanted_kind(DirPattern pattern) {
  return pattern == DirPattern::Folders ? EntryKind::Folder : EntryKind::File;
}

bool name_matches(std::string_view name, DirPattern pattern) {
  return pattern == DirPattern::Folders || has_song_file_name(name);
}

struct DirCloser {
  DIR* dir;
  ~DirCloser() { closedir(dir); }
};

}  // namespace

std::optional<std::vector<DirEntry>> search_directory(const std::string& folder, DirPattern pattern,
                                                      std::vector<std::string>* temp_files) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  DirCloser closer{dir};
  std::vector<DirEntry> entries;
  while (const dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (temp_files != nullptr && is_temp_file_name(name)) temp_files->emplace_back(name);
    if (name == "." || name == ".." || !name_matches(name, pattern)) continue;
    EntryKind kind = entry_kind(folder, *entry);
    if (kind == wanted_kind(pattern)) entries.push_back(DirEntry{std::string(name), kind});
  }
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

bool is_directory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
