// rewrite/file_calls.cpp: the file calls of the rewrite, with POSIX calls. On Linux a file
// system is put on disk with syncfs; elsewhere with sync, which flushes every file system.
#include "rewrite/file_calls.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

// The test's hook; empty in the program.
FileCallHook& hook() {
  static FileCallHook installed;
  return installed;
}

// Whether the call may go on: true when there is no hook or the hook lets it; otherwise
// errno holds the hook's error.
bool allowed(const FileCallEvent& event) {
  if (!hook()) return true;
  int error = hook()(event);
  if (error == 0) return true;
  errno = error;
  return false;
}

}  // namespace

void set_file_call_hook(FileCallHook installed) { hook() = std::move(installed); }

int call_open(const char* path, int flags, mode_t mode) {
  if (!allowed({FileCall::Open, -1, path, {}, {}})) return -1;
  return open(path, flags, mode);
}

int call_create_temp(char* pattern, int suffix_length) {
  if (!allowed({FileCall::CreateTemp, -1, pattern, {}, {}})) return -1;
  return mkstemps(pattern, suffix_length);
}

ssize_t call_write(int fd, std::string_view data) {
  if (!allowed({FileCall::Write, fd, {}, {}, data})) return -1;
  return write(fd, data.data(), data.size());
}

int call_truncate(int fd, off_t length) {
  if (!allowed({FileCall::Truncate, fd, {}, {}, {}})) return -1;
  return ftruncate(fd, length);
}

int call_flush_file_system(int fd) {
  if (!allowed({FileCall::FlushFileSystem, fd, {}, {}, {}})) return -1;
#if defined(__linux__)
  return syncfs(fd);
#else
  sync();
  return 0;
#endif
}

int call_rename(const char* from, const char* to) {
  if (!allowed({FileCall::Rename, -1, from, to, {}})) return -1;
  return std::rename(from, to);
}

int call_remove(const char* path) {
  if (!allowed({FileCall::Remove, -1, path, {}, {}})) return -1;
  return unlink(path);
}

int call_close(int fd) {
  if (!allowed({FileCall::Close, fd, {}, {}, {}})) {
    close(fd);  // the descriptor is given back all the same, as after a failed close
    return -1;
  }
  return close(fd);
}
