// library/scan.cpp: the folder walk, the song file readers and the library order.
#include "library/scan.h"

#include <algorithm>
#include <system_error>

#include "library/dir_search.h"
#include "library/name_order.h"
#include "songfile/song_reader.h"

namespace {

constexpr const char* songs_folder = "Songs";
constexpr const char* error_title = "#ERROR#";

std::string folder_path(const ScanGroup& group, const Song& song) {
  std::string path = songs_folder;
  path += '/';
  path += group.name;
  path += '/';
  path += song.folder;
  return path;
}

// Where a slot is in the library: its group and its place there, in one number that
// grows in library order.
std::uint64_t place_of(std::size_t group, std::size_t slot) {
  return static_cast<std::uint64_t>(group) << 32 | slot;
}

// The title, charts, stamp and hash of one song file. A file that cannot be read or
// tokenized, or has no title, gets the error title; only a file read whole has charts.
void read_song(const std::string& path, Song& song, FileBuffer& buffer, SongFields& fields) {
  std::optional<FileStamp> stamp = read_file_into(path, buffer);
  SongFormat format = song_format_of(song.file).value_or(SongFormat::Sm);
  if (stamp && read_fields_of(format, buffer.view(), fields)) {
    song.stamp = *stamp;
    song.hash = content_hash(buffer.view());
    if (fields.title_translit && fields.title_translit != fields.title)
      song.title_translit = std::move(*fields.title_translit);
    song.title = std::move(fields.title);
    song.charts.reserve(fields.charts.size());  // exactly: the library keeps it for the run
    for (const FoundChart& found : fields.charts)
      song.charts.push_back(
          Chart{found.mode, found.difficulty, found.meter, false, false, found.digits});
  }
  if (!song.title) song.title = error_title + song.folder;
  trim_buffer(buffer);
}

// The stamp and hash of the .ssc beside a song's .sm; its charts are not read now.
CompanionFile read_companion(const std::string& folder, std::string file, FileBuffer& buffer) {
  CompanionFile companion{std::move(file), std::nullopt, 0};
  companion.stamp = read_file_into(folder + '/' + companion.file, buffer);
  if (companion.stamp) companion.hash = content_hash(buffer.view());
  trim_buffer(buffer);
  return companion;
}

// The first of `files` (in name order) in `format`, if any.
const DirEntry* first_in_format(const std::vector<DirEntry>& files, SongFormat format) {
  for (const DirEntry& file : files)
    if (song_format_of(file.name) == format) return &file;
  return nullptr;
}

// Notes the temporary files found in `folder` (rare: only a killed run leaves them).
void note_temp_files(ScanJob& job, const std::string& folder,
                     const std::vector<std::string>& names) {
  std::lock_guard lock(job.mutex);
  for (const std::string& name : names) job.temp_files.push_back(folder + '/' + name);
}

// Looks into one song folder: its song file is the first regular file, in name order,
// whose name ends in ".sm", or else the first whose name ends in ".ssc". Beside an .sm the
// first .ssc is its companion.
void read_slot(ScanJob& job, unsigned reader, std::size_t group, std::size_t index,
               FileBuffer& buffer, SongFields& fields) {
  Song& song = job.groups[group].songs[index];
  std::string folder = folder_path(job.groups[group], song);
  std::vector<std::string> temp_files;
  auto files = search_directory(folder, DirPattern::SongFiles, &temp_files);
  if (!temp_files.empty()) note_temp_files(job, folder, temp_files);
  if (!files || files->empty()) return;  // no song file: not a song
  const DirEntry* sm = first_in_format(*files, SongFormat::Sm);
  const DirEntry* ssc = first_in_format(*files, SongFormat::Ssc);
  song.file = sm ? sm->name : ssc->name;
  // The name is set before the slot is shown, and stays as it is until the scan is over.
  job.reading[reader].store(place_of(group, index) + 1, std::memory_order_release);
  std::string path = folder + '/' + song.file;
  if (job.before_read) job.before_read(path);
  read_song(path, song, buffer, fields);
  if (sm && ssc) song.companion = read_companion(folder, ssc->name, buffer);
}

// Memory ran out: the scan cannot give a whole library. The readers take no more slots
// and the caller learns it from finish_scan.
void give_up_for_memory(ScanJob& job) {
  std::lock_guard lock(job.mutex);
  job.out_of_memory = true;
  job.groups_listed = job.next_group = job.groups.size();
  job.listed.notify_all();
}

// Takes the next slot in library order, waiting while its group is being listed. False
// when every slot is taken.
bool take_slot(ScanJob& job, std::size_t& group, std::size_t& slot) {
  std::unique_lock lock(job.mutex);
  for (;;) {
    while (job.next_group < job.groups_listed &&
           job.next_slot == job.groups[job.next_group].songs.size()) {
      ++job.next_group;
      job.next_slot = 0;
    }
    if (job.next_group == job.groups.size()) return false;
    if (job.next_group < job.groups_listed) {
      group = job.next_group;
      slot = job.next_slot++;
      return true;
    }
    job.listed.wait(lock);
  }
}

// Takes slots one after another until none is left or `deadline` has passed; true when
// none is left.
bool read_slots(ScanJob& job, unsigned reader, std::chrono::steady_clock::time_point deadline) {
  FileBuffer buffer;
  SongFields fields;
  std::size_t group = 0, slot = 0;
  while (take_slot(job, group, slot)) {
    try {
      read_slot(job, reader, group, slot, buffer, fields);
    } catch (const std::bad_alloc&) {
      give_up_for_memory(job);
    }
    job.reading[reader].store(0, std::memory_order_relaxed);
    if (std::chrono::steady_clock::now() >= deadline) {
      std::lock_guard lock(job.mutex);
      return job.next_group == job.groups.size();
    }
  }
  return true;
}

void run_reader(ScanJob& job, unsigned reader) {
  read_slots(job, reader, std::chrono::steady_clock::time_point::max());
  std::lock_guard lock(job.mutex);
  if (--job.readers_left == 0) job.finished.notify_all();
}

// Lists the song folders of `group` and lets the readers take them.
void list_group(ScanJob& job, std::size_t group) {
  ScanGroup& listed = job.groups[group];
  auto folders =
      search_directory(std::string(songs_folder) + '/' + listed.name, DirPattern::Folders);
  if (folders) {  // else kept, with no songs
    listed.songs.reserve(folders->size());
    for (DirEntry& folder : *folders) listed.songs.emplace_back().folder = std::move(folder.name);
  }
  std::lock_guard lock(job.mutex);
  job.groups_listed = std::max(job.groups_listed, group + 1);
  job.listed.notify_all();
}

void start_readers(ScanJob& job) {
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  unsigned count = job.reader_count > 0 ? job.reader_count : cores;
  std::size_t wanted = std::min(count, most_scan_readers);
  std::lock_guard lock(job.mutex);
  for (unsigned reader = 0; reader < wanted; ++reader) {
    try {
      job.readers.emplace_back([&job, reader] { run_reader(job, reader); });
    } catch (const std::system_error&) {
      break;  // the readers that did start do the work; with none, the caller does
    }
    ++job.readers_left;
  }
}

template <typename T, typename KeyOf>
void sort_by(std::vector<T>& array, KeyOf key_of) {
  std::vector<std::string_view> keys;
  keys.reserve(array.size());
  for (const T& item : array) keys.push_back(key_of(item));
  apply_order(array.data(), selection_sort_order(keys));
}

}  // namespace

bool start_scan(ScanJob& job) {
  auto names = search_directory(songs_folder, DirPattern::Folders);
  if (!names) return false;
  job.groups.reserve(names->size());
  for (DirEntry& name : *names) job.groups.push_back(ScanGroup{std::move(name.name), {}});
  start_readers(job);
  // The readers start on the first group as soon as it is listed, while this thread lists
  // the rest.
  try {
    for (std::size_t group = 0; group < job.groups.size(); ++group) list_group(job, group);
  } catch (const std::bad_alloc&) {
    give_up_for_memory(job);
  }
  return true;
}

bool wait_for_scan(ScanJob& job, std::chrono::milliseconds wait) {
  if (job.readers.empty()) return read_slots(job, 0, std::chrono::steady_clock::now() + wait);
  std::unique_lock lock(job.mutex);
  return job.finished.wait_for(lock, wait, [&job] { return job.readers_left == 0; });
}

std::string scan_progress_path(const ScanJob& job) {
  std::uint64_t first = 0;  // 1 + the place, as the readers keep it
  for (const std::atomic<std::uint64_t>& reading : job.reading) {
    std::uint64_t place = reading.load(std::memory_order_acquire);
    if (place != 0 && (first == 0 || place < first)) first = place;
  }
  if (first == 0) return {};
  const ScanGroup& group = job.groups[static_cast<std::size_t>((first - 1) >> 32)];
  const Song& song = group.songs[static_cast<std::size_t>((first - 1) & 0xFFFFFFFF)];
  return folder_path(group, song) + '/' + song.file;
}

ScanCount scan_count(ScanJob& job) {
  std::lock_guard lock(job.mutex);
  ScanCount count;
  for (std::size_t group = 0; group < job.groups_listed; ++group) {
    std::size_t songs = job.groups[group].songs.size();
    count.folders += songs;
    if (group < job.next_group) count.taken += songs;
  }
  if (job.next_group < job.groups_listed) count.taken += job.next_slot;
  return count;
}

bool finish_scan(ScanJob& job, std::vector<SongGroup>& groups) {
  job.readers.clear();  // every reader has ended; this joins them
  if (job.out_of_memory) return false;
  groups.reserve(job.groups.size());
  for (ScanGroup& scanned : job.groups) {
    SongGroup& group = groups.emplace_back();
    group.name = std::move(scanned.name);
    // The songs stay where they were read; the folders that hold none go.
    if (std::erase_if(scanned.songs, [](const Song& song) { return song.file.empty(); }) > 0)
      scanned.songs.shrink_to_fit();
    group.songs = std::move(scanned.songs);
  }
  job.groups.clear();
  sort_library(groups);
  return true;
}

bool scan_library(std::vector<SongGroup>& groups) {
  ScanJob job;
  if (!start_scan(job)) return false;
  while (!wait_for_scan(job, std::chrono::milliseconds(100))) {
  }
  return finish_scan(job, groups);
}

void sort_library(std::vector<SongGroup>& groups) {
  sort_by(groups, [](const SongGroup& group) -> std::string_view { return group.name; });
  for (SongGroup& group : groups)
    sort_by(group.songs, [](const Song& song) -> std::string_view { return *song.title; });
}
