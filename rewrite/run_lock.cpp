// rewrite/run_lock.cpp: the library's lock file and its advisory lock.
#include "rewrite/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// Opens the lock file, creating it when it is missing. A lock file this user may only
// read still takes the lock: flock needs no write access.
int open_lock_file(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
  if (fd < 0 && (errno == EACCES || errno == EROFS))
    fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  return fd;
}

}  // namespace

std::optional<RunLock> lock_library(const std::string& folder, std::string& error) {
  RunLock lock;
  lock.file.fd = open_lock_file(folder + "/" + run_lock_name);
  if (lock.file.fd < 0) {
    error = std::string("cannot create the lock file ") + run_lock_name + " beside Songs (" +
            std::strerror(errno) +
            "); rerate keeps its lock and undo journals there, so no song file was changed";
    return std::nullopt;
  }
  while (flock(lock.file.fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    error = errno == EWOULDBLOCK ? "another rerate is working on this library (it holds " +
                                       std::string(run_lock_name) + "); no song file was changed"
                                 : std::string("cannot lock ") + run_lock_name + " (" +
                                       std::strerror(errno) + "); no song file was changed";
    return std::nullopt;
  }
  return lock;
}
