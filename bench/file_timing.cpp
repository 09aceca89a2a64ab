// bench/file_timing.cpp: clock, memory figures and raw file reads with POSIX calls.
#include "bench/file_timing.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "library/dir_search.h"

namespace {

// Larger than any song file the generator writes, so a file takes one read and one more
// to see its end, as in the scan.
constexpr std::size_t read_buffer_size = 1 << 20;

// Reads the whole file into `buffer` (its first `buffer.size()` bytes at least); the
// bytes the file holds, or -1.
std::int64_t read_one_file(const std::string& path, std::vector<char>& buffer,
                           std::string_view& first_chunk) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  std::int64_t total = 0;
  for (;;) {
    ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0) {
      total = -1;
      break;
    }
    if (got == 0) break;
    if (total == 0) first_chunk = std::string_view(buffer.data(), static_cast<std::size_t>(got));
    total += got;
  }
  close(fd);
  return total;
}

}  // namespace

double now_seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::uint64_t peak_memory_bytes() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // Linux reports KiB
}

long minor_page_faults() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

std::uint64_t current_memory_bytes() {
  unsigned long long pages_total = 0;
  unsigned long long pages_resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  int got = std::fscanf(statm, "%llu %llu", &pages_total, &pages_resident);
  std::fclose(statm);
  if (got != 2) return 0;
  return pages_resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

std::vector<std::string> list_song_files() {
  std::vector<std::string> paths;
  auto groups = search_directory("Songs", DirPattern::Folders);
  if (!groups) return paths;
  for (const DirEntry& group : *groups) {
    std::string group_path = "Songs/" + group.name;
    auto folders = search_directory(group_path, DirPattern::Folders);
    if (!folders) continue;
    for (const DirEntry& folder : *folders) {
      std::string folder_path = group_path + '/' + folder.name;
      auto files = search_directory(folder_path, DirPattern::SongFiles);
      if (files && !files->empty()) paths.push_back(folder_path + '/' + files->front().name);
    }
  }
  return paths;
}

FileSurvey survey_files(const std::vector<std::string>& paths) {
  std::vector<char> buffer(read_buffer_size);
  FileSurvey survey;
  for (const std::string& path : paths) {
    std::string_view first_chunk;
    std::int64_t got = read_one_file(path, buffer, first_chunk);
    if (got < 0) {
      ++survey.unreadable;
      continue;
    }
    ++survey.files;
    survey.bytes += static_cast<std::uint64_t>(got);
    survey.sizes.push_back(static_cast<std::uint32_t>(got));
    if (first_chunk.starts_with("\xEF\xBB\xBF")) ++survey.byte_order_marks;
    if (first_chunk.find("\r\n") != std::string_view::npos) ++survey.crlf_files;
  }
  std::sort(survey.sizes.begin(), survey.sizes.end());
  return survey;
}

std::uint32_t size_percentile(const FileSurvey& survey, double fraction) {
  if (survey.sizes.empty()) return 0;
  std::size_t index =
      static_cast<std::size_t>(fraction * static_cast<double>(survey.sizes.size() - 1) + 0.5);
  return survey.sizes[std::min(index, survey.sizes.size() - 1)];
}
