// bench/rewrite_timing.cpp: the rewrite measured against the plainest durable copy.
#include "bench/rewrite_timing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "bench/file_timing.h"
#include "library/scan.h"
#include "rewrite/rewriter.h"
#include "songfile/song_file.h"

namespace fs = std::filesystem;

namespace {

bool write_whole(const std::string& path, std::string_view bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  return close(fd) == 0 && ok;
}

bool sync_file_system_of(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = syncfs(fd) == 0;
  close(fd);
  return ok;
}

// The copy a careful program would make: every file read and written whole, then one
// sync of the file system, so that all of it is on disk.
bool copy_song_files(const std::vector<std::string>& paths, const std::string& copy_root) {
  FileBuffer buffer;
  std::error_code error;
  for (const std::string& path : paths) {
    fs::path target = fs::path(copy_root) / path;
    fs::create_directories(target.parent_path(), error);
    if (!read_file_into(path, buffer) || !write_whole(target.string(), buffer.view())) return false;
  }
  return sync_file_system_of(copy_root);
}

ScaleTable every_step(int step) {
  ScaleTable table;
  for (auto& row : table.steps)
    for (auto& cell : row) cell = step;
  return table;
}

int count_lines_starting(std::string_view text, std::string_view start) {
  int count = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    if (text.substr(at, end - at).starts_with(start)) ++count;
    at = end + 1;
  }
  return count;
}

}  // namespace

std::optional<RewriteRun> time_rewrite(const std::vector<std::string>& paths,
                                       const std::string& copy_root) {
  RewriteRun run{};
  std::error_code error;
  fs::remove_all(copy_root, error);
  double start = now_seconds();
  if (!copy_song_files(paths, copy_root)) return std::nullopt;
  run.copy_seconds = now_seconds() - start;

  std::string previous = fs::current_path().string();
  fs::current_path(copy_root);
  std::vector<SongGroup> groups;
  scan_library(groups);
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      for (Chart& chart : song.charts) chart.selected = true;
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* report = open_memstream(&text, &size);
  start = now_seconds();
  rewrite_library(groups, every_step(5), report);
  run.rewrite_seconds = now_seconds() - start;
  std::fclose(report);
  std::string_view lines(text, size);
  run.files_rewritten = count_lines_starting(lines, "Rewriting ");
  run.files_failed = count_lines_starting(lines, "Failed to write to ");
  std::free(text);
  fs::current_path(previous);
  fs::remove_all(copy_root, error);
  return run;
}
