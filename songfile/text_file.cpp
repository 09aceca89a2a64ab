// songfile/text_file.cpp: whole-file reads with POSIX calls, and text-mode translation.
#include "songfile/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

FileStamp stamp_of(const struct stat& info) {
  return FileStamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                   static_cast<std::int64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtim.tv_sec),
                   static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

// Closes a file descriptor when it goes out of scope.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) close(fd);
  }
};

// Reads until the end of the file; the file may have grown since it was measured.
bool read_all(int fd, RawFile& file, std::size_t expected) {
  std::size_t capacity = expected + 1;  // one spare byte tells a grown file at once
  file.bytes = std::make_unique_for_overwrite<char[]>(capacity);
  for (;;) {
    if (file.size == capacity) {
      std::size_t bigger = capacity * 2;
      auto grown = std::make_unique_for_overwrite<char[]>(bigger);
      std::memcpy(grown.get(), file.bytes.get(), file.size);
      file.bytes = std::move(grown);
      capacity = bigger;
    }
    ssize_t got = read(fd, file.bytes.get() + file.size, capacity - file.size);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    file.size += static_cast<std::size_t>(got);
  }
}

}  // namespace

std::optional<RawFile> read_whole_file(const std::string& path) {
  FileDescriptor file{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
  if (file.fd < 0) return std::nullopt;
  struct stat info;
  if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  RawFile raw;
  raw.stamp = stamp_of(info);
  if (!read_all(file.fd, raw, static_cast<std::size_t>(info.st_size))) return std::nullopt;
  return raw;
}

std::optional<FileStamp> stamp_file(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return stamp_of(info);
}

TextSplit apply_text_mode(char* bytes, std::size_t size) {
  const void* eof_mark = std::memchr(bytes, 0x1A, size);
  std::size_t text_end = eof_mark ? static_cast<const char*>(eof_mark) - bytes : size;
  std::size_t out = 0;
  std::size_t in = 0;
  while (in < text_end) {
    const void* cr = std::memchr(bytes + in, '\r', text_end - in);
    std::size_t stop = cr ? static_cast<const char*>(cr) - bytes : text_end;
    if (out != in) std::memmove(bytes + out, bytes + in, stop - in);
    out += stop - in;
    in = stop;
    if (in == text_end) break;
    // A CR: dropped when an LF follows it within the text, kept otherwise.
    if (in + 1 < text_end && bytes[in + 1] == '\n') {
      ++in;
    } else {
      bytes[out++] = '\r';
      ++in;
    }
  }
  std::size_t tail_size = size - text_end;
  if (out != text_end) std::memmove(bytes + out, bytes + text_end, tail_size);
  return TextSplit{out, tail_size};
}
