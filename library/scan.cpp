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

std::string folder_path(const ScanJob& job, const SongSlot& slot) {
  std::string path = songs_folder;
  path += '/';
  path += job.group_names[slot.group];
  path += '/';
  path += slot.song.folder;
  return path;
}

// The title, charts, stamp and hash of one song file. A file that cannot be read or
// tokenized, or has no title, gets the error title; only a file read whole has charts.
void read_song(const std::string& path, Song& song, FileBuffer& buffer, SongFields& fields) {
  std::optional<FileStamp> stamp = read_file_into(path, buffer);
  SongFormat format = song_format_of(song.file).value_or(SongFormat::Sm);
  if (stamp && read_fields_of(format, buffer.view(), fields)) {
    song.stamp = *stamp;
    song.hash = content_hash(buffer.view());
    song.title = std::move(fields.title);
    song.charts.reserve(fields.charts.size());  // exactly: the library keeps it for the run
    for (const FoundChart& found : fields.charts)
      song.charts.push_back(Chart{found.mode, found.difficulty, found.meter, false, found.digits});
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

// Looks into one song folder: its song file is the first regular file, in name order,
// whose name ends in ".sm", or else the first whose name ends in ".ssc". Beside an .sm the
// first .ssc is its companion.
void read_slot(ScanJob& job, unsigned reader, std::size_t index, FileBuffer& buffer,
               SongFields& fields) {
  SongSlot& slot = job.slots[index];
  std::string folder = folder_path(job, slot);
  auto files = search_directory(folder, DirPattern::SongFiles);
  if (!files || files->empty()) return;  // no song file: not a song
  const DirEntry* sm = first_in_format(*files, SongFormat::Sm);
  const DirEntry* ssc = first_in_format(*files, SongFormat::Ssc);
  slot.song.file = sm ? sm->name : ssc->name;
  slot.found = true;
  // The name is set before the slot is shown, and stays as it is until the scan is over.
  job.reading[reader].store(index + 1, std::memory_order_release);
  std::string path = folder + '/' + slot.song.file;
  if (job.before_read) job.before_read(path);
  read_song(path, slot.song, buffer, fields);
  if (sm && ssc) slot.song.companion = read_companion(folder, ssc->name, buffer);
}

// Takes slots one after another until none is left or `deadline` has passed; true when
// none is left.
bool read_slots(ScanJob& job, unsigned reader, std::chrono::steady_clock::time_point deadline) {
  FileBuffer buffer;
  SongFields fields;
  for (;;) {
    std::size_t index = job.next_slot.fetch_add(1, std::memory_order_relaxed);
    if (index >= job.slots.size()) return true;
    try {
      read_slot(job, reader, index, buffer, fields);
    } catch (const std::bad_alloc&) {
      // Memory ran out: the scan cannot give a whole library. Every reader stops at its
      // next slot and the caller learns it from finish_scan.
      job.out_of_memory.store(true, std::memory_order_relaxed);
      job.next_slot.store(job.slots.size(), std::memory_order_relaxed);
    }
    job.reading[reader].store(0, std::memory_order_relaxed);
    if (std::chrono::steady_clock::now() >= deadline)
      return job.next_slot.load() >= job.slots.size();
  }
}

void run_reader(ScanJob& job, unsigned reader) {
  read_slots(job, reader, std::chrono::steady_clock::time_point::max());
  std::lock_guard lock(job.mutex);
  if (--job.readers_left == 0) job.finished.notify_all();
}

void list_group(ScanJob& job, std::uint32_t group) {
  std::string path = std::string(songs_folder) + '/' + job.group_names[group];
  auto folders = search_directory(path, DirPattern::Folders);
  if (!folders) return;  // kept, with no songs
  for (DirEntry& folder : *folders) {
    SongSlot& slot = job.slots.emplace_back();
    slot.group = group;
    slot.song.folder = std::move(folder.name);
  }
}

void start_readers(ScanJob& job) {
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  unsigned count = job.reader_count > 0 ? job.reader_count : cores;
  std::size_t wanted = std::min<std::size_t>({count, most_scan_readers, job.slots.size()});
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
  auto groups = search_directory(songs_folder, DirPattern::Folders);
  if (!groups) return false;
  for (DirEntry& group : *groups) job.group_names.push_back(std::move(group.name));
  for (std::size_t g = 0; g < job.group_names.size(); ++g)
    list_group(job, static_cast<std::uint32_t>(g));
  start_readers(job);
  return true;
}

bool wait_for_scan(ScanJob& job, std::chrono::milliseconds wait) {
  if (job.readers.empty()) return read_slots(job, 0, std::chrono::steady_clock::now() + wait);
  std::unique_lock lock(job.mutex);
  return job.finished.wait_for(lock, wait, [&job] { return job.readers_left == 0; });
}

std::string scan_progress_path(const ScanJob& job) {
  std::size_t first = 0;  // 1 + the slot, as the readers keep it
  for (const std::atomic<std::size_t>& reading : job.reading) {
    std::size_t slot = reading.load(std::memory_order_acquire);
    if (slot != 0 && (first == 0 || slot < first)) first = slot;
  }
  if (first == 0) return {};
  const SongSlot& slot = job.slots[first - 1];
  return folder_path(job, slot) + '/' + slot.song.file;
}

bool finish_scan(ScanJob& job, std::vector<SongGroup>& groups) {
  job.readers.clear();  // every reader has ended; this joins them
  if (job.out_of_memory.load(std::memory_order_relaxed)) return false;
  std::vector<std::size_t> song_counts(job.group_names.size());
  for (const SongSlot& slot : job.slots)
    if (slot.found) ++song_counts[slot.group];
  groups.reserve(job.group_names.size());
  for (std::size_t g = 0; g < job.group_names.size(); ++g) {
    SongGroup& group = groups.emplace_back();
    group.name = std::move(job.group_names[g]);
    group.songs.reserve(song_counts[g]);
  }
  for (SongSlot& slot : job.slots)
    if (slot.found) groups[slot.group].songs.push_back(std::move(slot.song));
  job.slots.clear();
  job.slots.shrink_to_fit();
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
