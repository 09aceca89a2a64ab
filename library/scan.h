// library/scan.h: the walk over Songs/<group>/<song folder>/<song file>.sm that fills
// the library, and the order it is shown in.
//
// The song files are read on as many threads as the machine has cores. The calling
// thread waits meanwhile and may show which file is being read; what the scan finds and
// the order of the library never depend on the threads' timing.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "library/library.h"

// A group folder and its song folders, once it is listed: one Song per song folder, its
// folder set when the group is listed and the rest when it is read. A folder without a
// song file keeps an empty file name and is no song.
struct ScanGroup {
  std::string name;
  std::vector<Song> songs;  // set before the group counts as listed, then kept in place
};

// Reading is bound by the file system as much as by the processor; more readers than
// this gain nothing on any machine.
constexpr unsigned most_scan_readers = 16;

// A scan under way. The calling thread lists the groups in order while the readers read
// the song files of those listed already, one song folder (slot) after another in
// library order.
struct ScanJob {
  std::vector<ScanGroup> groups;  // in folder order
  // Per reader: 1 + the place (group << 32 | slot) of the named song file it is reading,
  // or 0 between files.
  std::array<std::atomic<std::uint64_t>, most_scan_readers> reading{};
  unsigned reader_count = 0;  // 0: one per core
  // Called by a reader with the song file's path before it reads the file (for tests).
  void (*before_read)(const std::string& path) = nullptr;
  std::mutex mutex;                  // guards the fields below
  std::condition_variable listed;    // another group is listed
  std::condition_variable finished;  // every reader has ended
  std::size_t groups_listed = 0;
  std::size_t next_group = 0;  // the next slot a reader takes: next_slot of next_group
  std::size_t next_slot = 0;
  bool out_of_memory = false;  // the memory needed could not be had
  int readers_left = 0;
  // The rewrite's temporary files met in the song folders (left by a killed run), as
  // paths, so that they can be removed without another look; guarded by `mutex`.
  std::vector<std::string> temp_files;
  std::vector<std::jthread> readers;
};

// Lists the groups and their song folders and starts reading the song files. Returns
// false only when Songs cannot be listed; a group that cannot be listed stays empty.
bool start_scan(ScanJob& job);

// Waits until every song file is read or `wait` has passed; true once all are read.
bool wait_for_scan(ScanJob& job, std::chrono::milliseconds wait);

// The path of the first song file in library order that a reader is reading now, or ""
// when none is: a file slow to read stays shown while the readers go on past it.
std::string scan_progress_path(const ScanJob& job);

// How far a scan is: the song folders taken by a reader so far, of those listed.
struct ScanCount {
  std::size_t taken = 0;
  std::size_t folders = 0;
};
ScanCount scan_count(ScanJob& job);

// Fills `groups` with what the scan found, groups sorted by name and songs by title. The
// scan must be over (wait_for_scan returned true). Returns false, filling nothing, when
// memory ran out while the files were read.
[[nodiscard]] bool finish_scan(ScanJob& job, std::vector<SongGroup>& groups);

// The whole scan at once, showing nothing. Returns false when Songs cannot be listed or
// memory ran out.
bool scan_library(std::vector<SongGroup>& groups);

// Sorts groups by name and, within each, songs by title (case-insensitive).
void sort_library(std::vector<SongGroup>& groups);
