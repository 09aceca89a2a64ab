// rewrite/leftovers.cpp: the removal of a killed run's temporary files.
#include "rewrite/leftovers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "library/dir_search.h"
#include "library/temp_file_name.h"

namespace {

// Removes `path` when it is a regular file with a temporary file's name. The name is
// looked at without following a link, and unlinking a name never follows one either.
void remove_temp_file(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (!is_temp_file_name(slash == std::string::npos ? path : path.substr(slash + 1))) return;
  struct stat info;
  if (fstatat(AT_FDCWD, path.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
    unlink(path.c_str());
}

std::vector<std::string> subfolders(const std::string& folder) {
  std::vector<std::string> paths;
  std::optional<std::vector<DirEntry>> entries = search_directory(folder, DirPattern::Folders);
  if (entries)
    for (const DirEntry& entry : *entries) paths.push_back(folder + '/' + entry.name);
  return paths;
}

}  // namespace

void remove_temp_files(std::span<const std::string> paths) {
  for (const std::string& path : paths) remove_temp_file(path);
}

void sweep_temp_files(const std::string& songs) {
  for (const std::string& group : subfolders(songs))
    for (const std::string& song : subfolders(group)) {
      std::vector<std::string> names;
      search_directory(song, DirPattern::SongFiles, &names);
      for (std::string& name : names) name = song + '/' + name;
      remove_temp_files(names);
    }
}
