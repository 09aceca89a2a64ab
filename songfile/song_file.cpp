// songfile/song_file.cpp: whole-file reads, stamps and the content hash, with POSIX calls.
#include "songfile/song_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// A buffer above this size after a read is given back, so that one huge file does not
// keep its memory for the rest of the run.
constexpr std::size_t kept_buffer_size = 4 << 20;

void grow(FileBuffer& buffer, std::size_t capacity) {
  auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
  if (buffer.size > 0) std::memcpy(bigger.get(), buffer.bytes.get(), buffer.size);
  buffer.bytes = std::move(bigger);
  buffer.capacity = capacity;
}

// Reads until the end of the file; the file may have grown since it was measured, and
// one spare byte tells that at once. A regular file gives fewer bytes than asked only at
// its end, so the usual file takes one read, not a second one that gives nothing.
bool read_all(int fd, FileBuffer& buffer, std::size_t expected) {
  buffer.size = 0;
  if (buffer.capacity < expected + 1) grow(buffer, expected + 1);
  for (;;) {
    if (buffer.size == buffer.capacity) grow(buffer, buffer.capacity * 2);
    std::size_t wanted = buffer.capacity - buffer.size;
    ssize_t got = read(fd, buffer.bytes.get() + buffer.size, wanted);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    buffer.size += static_cast<std::size_t>(got);
    if (static_cast<std::size_t>(got) < wanted && buffer.size >= expected) return true;
  }
}

}  // namespace

OwnedFd::OwnedFd(OwnedFd&& other) noexcept : fd(std::exchange(other.fd, -1)) {}

OwnedFd& OwnedFd::operator=(OwnedFd&& other) noexcept {
  if (this != &other) {
    if (fd >= 0) close(fd);
    fd = std::exchange(other.fd, -1);
  }
  return *this;
}

OwnedFd::~OwnedFd() {
  if (fd >= 0) close(fd);
}

std::optional<FileStamp> read_file_into(const std::string& path, FileBuffer& buffer) {
  OwnedFd file{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
  buffer.size = 0;
  if (file.fd < 0) return std::nullopt;
  struct stat info;
  if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (!read_all(file.fd, buffer, static_cast<std::size_t>(info.st_size))) return std::nullopt;
  return stamp_of(info);
}

void trim_buffer(FileBuffer& buffer) {
  if (buffer.capacity <= kept_buffer_size) return;
  buffer = FileBuffer{};
}

std::optional<FileStamp> stamp_file(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return stamp_of(info);
}

FileStamp stamp_of(const struct stat& info) {
  return FileStamp{static_cast<std::uint64_t>(info.st_dev),
                   static_cast<std::uint64_t>(info.st_ino),
                   static_cast<std::int64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtim.tv_sec),
                   static_cast<std::int64_t>(info.st_mtim.tv_nsec),
                   static_cast<std::int64_t>(info.st_ctim.tv_sec),
                   static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}

std::uint64_t content_hash(std::string_view bytes) {
  return XXH3_64bits(bytes.data(), bytes.size());
}
