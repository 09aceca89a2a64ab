// rewrite/batch.cpp: settling a batch of new files: journal, flush, rename, flush, mark.
//
// Flushing each file and folder alone costs two waits on the disk per file; flushing whole
// file systems (syncfs) costs two per batch. The journal's file system is flushed with the
// new files, so each journal entry is on disk before its file's rename.
#include "rewrite/batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "rewrite/file_calls.h"

namespace {

// Puts on disk everything written to the file system of `device`, reached through `fd` or,
// without one, through the folder of `path`. Returns false when that fails.
bool flush_file_system(int fd, const std::string& path) {
  if (fd >= 0) return call_flush_file_system(fd) == 0;
  OwnedFd folder{open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  return folder.fd >= 0 && call_flush_file_system(folder.fd) == 0;
}

// The file system of each file of the batch that is still to be placed (`placed` false) or
// was placed (`placed` true), each once, and whether it reached the disk.
struct Flushed {
  std::vector<std::uint64_t> devices;
  std::vector<bool> on_disk;
};

Flushed flush_batch_files(std::span<const BatchFile> batch, const JournalWriter& journal,
                          bool placed) {
  Flushed flushed;
  for (const BatchFile& file : batch) {
    const Replacement& replacement = file.replacement;
    if (placed ? !replacement.placed : replacement.temp.empty()) continue;
    std::uint64_t device = replacement.expected.device;
    if (std::find(flushed.devices.begin(), flushed.devices.end(), device) != flushed.devices.end())
      continue;
    flushed.devices.push_back(device);
    int fd = device == journal.device ? journal.file.fd : -1;
    flushed.on_disk.push_back(flush_file_system(fd, replacement.target));
  }
  return flushed;
}

bool reached_disk(const Flushed& flushed, std::uint64_t device) {
  auto at = std::find(flushed.devices.begin(), flushed.devices.end(), device);
  return at != flushed.devices.end() &&
         flushed.on_disk[static_cast<std::size_t>(at - flushed.devices.begin())];
}

// Drops every new file of the batch, so that none takes its place. Returns `error`.
int drop_batch(std::span<BatchFile> batch, int error) {
  for (BatchFile& file : batch) file.replacement = Replacement();
  return error != 0 ? error : EIO;
}

}  // namespace

bool batch_full(const BatchLimits& limits, std::size_t files, std::size_t bytes) {
  return files >= limits.files || bytes >= limits.bytes;
}

int settle_batch(std::span<BatchFile> batch, JournalWriter& journal, const BatchMarks& marks) {
  std::string entries;
  std::vector<bool> recorded;  // the files whose entries the journal takes
  for (const BatchFile& file : batch) {
    recorded.push_back(!file.replacement.temp.empty());
    if (recorded.back()) entries += file.entry + journal_temp(file.number, file.replacement.temp);
  }
  if (entries.empty()) return 0;
  if (!append_journal(journal, entries)) return drop_batch(batch, errno);
  Flushed flushed = flush_batch_files(batch, journal, false);
  if (!reached_disk(flushed, journal.device) &&
      !flush_file_system(journal.file.fd, journal.name))  // the entries are not on disk
    return drop_batch(batch, errno);
  for (BatchFile& file : batch) {
    if (!file.replacement.temp.empty() && !reached_disk(flushed, file.replacement.expected.device))
      file.replacement = Replacement();
    place_replacement(file.replacement);
  }
  flush_batch_files(batch, journal, true);
  std::string lines;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    const BatchFile& file = batch[i];
    if (!recorded[i]) continue;
    if (file.replacement.placed)
      lines += journal_mark(marks.placed, file.number, stamp_file(file.replacement.target));
    else if (!marks.kept.empty())
      lines += journal_mark(marks.kept, file.number, std::nullopt);
  }
  // Should this fail, the files' bytes still tell which were replaced.
  if (!lines.empty()) append_journal(journal, lines);
  return 0;
}

int flush_report(std::FILE* report) {
  errno = 0;
  if (std::fflush(report) == 0 && std::ferror(report) == 0) return 0;
  return errno != 0 ? errno : EIO;
}
