// rewrite/replace_file.cpp: the write-to-temporary-then-rename replacement of a file,
// with POSIX calls.
#include "rewrite/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "songfile/text_file.h"

namespace {

constexpr const char* temp_name_pattern = "/.rerate-XXXXXX.tmp";
constexpr int temp_name_suffix_length = 4;  // ".tmp"

// The file the path names once every symbolic link is followed, as an absolute path.
std::optional<std::string> resolve_target(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

// The target's mode and owner, if this user may open it for writing and it is a regular
// file. The open itself is the test, so every rule of the system (permission bits, access
// lists, a read-only mount) has its say; the file is not changed.
std::optional<struct stat> writable_file_info(const std::string& target) {
  int fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info;
  bool known = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  close(fd);
  if (!known) return std::nullopt;
  return info;
}

bool is_unchanged(const std::string& target, const FileStamp& expected) {
  std::optional<FileStamp> now = stamp_file(target);
  return now && *now == expected;
}

bool write_all(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t written = write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string folder_of(const std::string& target) {
  std::size_t slash = target.rfind('/');
  return slash == 0 ? std::string("/") : target.substr(0, slash);
}

// Makes the rename itself durable. Some file systems cannot sync a folder; the new file
// is in place either way, so a failure here is not one of the replacement.
void sync_folder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// A temporary file being filled; removed unless it was renamed into place.
struct TempFile {
  std::string path;
  int fd = -1;
  bool placed = false;
  ~TempFile() {
    if (fd >= 0) close(fd);
    if (!placed && !path.empty()) unlink(path.c_str());
  }
};

bool create_temp_file(TempFile& temp, const std::string& folder) {
  std::string name = folder == "/" ? std::string(temp_name_pattern) : folder + temp_name_pattern;
  int fd = mkstemps(name.data(), temp_name_suffix_length);
  if (fd < 0) return false;
  temp.path = name;
  temp.fd = fd;
  return true;
}

// Fills the temporary file and gives it the target's owner and permission bits. The
// owner can only be given where the system allows it; a file that cannot keep it still
// keeps its permission bits.
bool fill_temp_file(TempFile& temp, std::string_view content, const struct stat& original) {
  if (!write_all(temp.fd, content)) return false;
  if (fchown(temp.fd, original.st_uid, original.st_gid) != 0) {
    // not permitted for this user: the new file belongs to the user who rewrote it
  }
  if (fchmod(temp.fd, original.st_mode & 07777) != 0) return false;
  if (fsync(temp.fd) != 0) return false;
  int fd = temp.fd;
  temp.fd = -1;
  return close(fd) == 0;
}

}  // namespace

bool replace_file(const std::string& path, std::string_view content, const FileStamp& expected) {
  std::optional<std::string> target = resolve_target(path);
  if (!target) return false;
  std::optional<struct stat> original = writable_file_info(*target);
  if (!original || !is_unchanged(*target, expected)) return false;
  std::string folder = folder_of(*target);
  TempFile temp;
  if (!create_temp_file(temp, folder)) return false;
  if (!fill_temp_file(temp, content, *original)) return false;
  if (!is_unchanged(*target, expected)) return false;  // changed while it was being written
  if (rename(temp.path.c_str(), target->c_str()) != 0) return false;
  temp.placed = true;
  sync_folder(folder);
  return true;
}

InterruptShield::InterruptShield() {
  sigset_t interrupts;
  sigemptyset(&interrupts);
  sigaddset(&interrupts, SIGINT);
  sigaddset(&interrupts, SIGTERM);
  sigaddset(&interrupts, SIGHUP);
  sigaddset(&interrupts, SIGQUIT);
  sigprocmask(SIG_BLOCK, &interrupts, &previous);
}

InterruptShield::~InterruptShield() {
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}
