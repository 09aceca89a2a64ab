// library/dir_search.h: listing a folder, the way the scan needs it.
// Entries come in byte-wise name order, so every run sees the same order; "." and ".."
// are never listed. Symbolic links count as what they point to.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class EntryKind { Folder, File, Other };  // File: a regular file

struct DirEntry {
  std::string name;
  EntryKind kind;
};

enum class DirPattern {
  Folders,    // folders only
  SongFiles,  // regular files whose names end in ".sm" or ".ssc", any letter case; never "._" files
};

// The entries of `folder` that match `pattern`, or nothing when the folder cannot be
// listed. An empty list means the folder was listed and nothing matched. With
// `temp_files`, the names of the rewrite's temporary files (library/temp_file_name.h) met
// on the way are added to it, whatever they are (files, links or folders).
std::optional<std::vector<DirEntry>> search_directory(
    const std::string& folder, DirPattern pattern, std::vector<std::string>* temp_files = nullptr);

// Whether `path` names an existing folder (or a link to one).
bool is_directory(const std::string& path);
