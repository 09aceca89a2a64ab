// songfile/song_file.h: reading a song file's bytes as they are on disk, the stamp that
// tells later whether the file changed, and a hash of its bytes.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// What the file looked like when it was read, to notice later changes on disk. The
// change time moves on every write and cannot be put back, even where the modification
// time can (`touch -r`, `rsync -t`).
struct FileStamp {
  std::uint64_t device;
  std::uint64_t inode;
  std::int64_t size;
  std::int64_t mtime_seconds;
  std::int64_t mtime_nanoseconds;
  std::int64_t ctime_seconds;
  std::int64_t ctime_nanoseconds;

  bool operator==(const FileStamp&) const = default;
};

// An open file descriptor, closed when it goes away.
struct OwnedFd {
  int fd = -1;
  OwnedFd() = default;
  explicit OwnedFd(int open_fd) : fd(open_fd) {}
  OwnedFd(OwnedFd&& other) noexcept;
  OwnedFd& operator=(OwnedFd&& other) noexcept;
  ~OwnedFd();
};

// A buffer that song files are read into one after another, grown as needed.
struct FileBuffer {
  std::unique_ptr<char[]> bytes;
  std::size_t capacity = 0;
  std::size_t size = 0;  // bytes of the file read last

  std::string_view view() const { return {bytes.get(), size}; }
};

// Reads the regular file at `path` (following symbolic links) into `buffer`. Returns its
// stamp, or nothing when it cannot be opened or read or is not a regular file (a folder,
// a pipe or a device is never waited on).
std::optional<FileStamp> read_file_into(const std::string& path, FileBuffer& buffer);

// Gives back the memory of a buffer that an unusually large file made grow.
void trim_buffer(FileBuffer& buffer);

// The stamp of the file at `path` now (following symbolic links), if it exists.
std::optional<FileStamp> stamp_file(const std::string& path);

// The stamp that file information from stat or fstat gives.
FileStamp stamp_of(const struct stat& info);

// A 64-bit hash of `bytes` (XXH3-64 of xxHash): any change to a file's bytes changes it,
// but for a chance of one in 2^64.
std::uint64_t content_hash(std::string_view bytes);

// The name of content_hash, as undo journals record it: a journal whose hashes were made
// by another hash cannot be checked with this one.
constexpr std::string_view content_hash_name = "xxh3";
