// library/dir_search_posix.cpp: folder listing with opendir/readdir.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "library/dir_search.h"

namespace {

bool matches(const char* name, DirPattern pattern) {
  if (pattern == DirPattern::All) return true;
  std::string_view text = name;
  if (text.starts_with("._")) return false;  // resource-fork files from macOS, not songs
  if (text.size() < 3) return false;
  std::string_view ending = text.substr(text.size() - 3);
  return ending[0] == '.' && (ending[1] == 's' || ending[1] == 'S') &&
         (ending[2] == 'm' || ending[2] == 'M');
}

bool entry_is_directory(const std::string& folder, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  return is_directory(folder + '/' + entry.d_name);
}

struct DirCloser {
  DIR* dir;
  ~DirCloser() { closedir(dir); }
};

}  // namespace

std::optional<std::vector<DirEntry>> search_directory(const std::string& folder,
                                                      DirPattern pattern) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  DirCloser closer{dir};
  std::vector<DirEntry> entries;
  while (const dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !matches(entry->d_name, pattern)) continue;
    entries.push_back(DirEntry{std::string(name), entry_is_directory(folder, *entry)});
  }
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

bool is_directory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
