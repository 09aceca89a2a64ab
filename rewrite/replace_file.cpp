// rewrite/replace_file.cpp: the write-to-temporary-then-rename replacement of files, with
// POSIX calls; the calls that change files go through rewrite/file_calls.h.
#include "rewrite/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <utility>

#include "library/temp_file_name.h"
#include "rewrite/file_attributes.h"
#include "rewrite/file_calls.h"
#include "songfile/stop_signals.h"

namespace {

volatile std::sig_atomic_t interrupt_signal = 0;  // set by the InterruptCatcher's handler

void catch_interrupt(int signal_number) { interrupt_signal = signal_number; }

// The target's mode and owner, if this user may open it for writing and it is still the
// regular file `expected` describes. The open itself is the test, so every rule of the
// system (permission bits, access lists, a read-only mount) has its say; the file is not
// changed. It stays open in `file`, for its attributes to be read.
std::optional<struct stat> writable_file_info(const std::string& target, const FileStamp& expected,
                                              OwnedFd& file) {
  file.fd = call_open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (file.fd < 0) return std::nullopt;
  struct stat info;
  if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (stamp_of(info) != expected) return std::nullopt;
  return info;
}

bool write_all(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t written = call_write(fd, content);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool fill_temp_file(int fd, std::string_view content, const OwnedFd& original_file,
                    const struct stat& original) {
  if (!write_all(fd, content)) return false;
  return copy_file_attributes(original_file.fd, fd, original);
}

void remove_temp(Replacement& replacement) {
  if (replacement.temp.empty()) return;
  call_remove(replacement.temp.c_str());
  replacement.temp.clear();
}

}  // namespace

Replacement::Replacement(Replacement&& other) noexcept
    : target(std::move(other.target)),
      temp(std::exchange(other.temp, {})),
      expected(other.expected),
      placed(other.placed) {}

Replacement& Replacement::operator=(Replacement&& other) noexcept {
  if (this != &other) {
    remove_temp(*this);
    target = std::move(other.target);
    temp = std::exchange(other.temp, {});
    expected = other.expected;
    placed = other.placed;
  }
  return *this;
}

Replacement::~Replacement() { remove_temp(*this); }

std::string folder_of(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::optional<std::string> resolve_target(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

std::optional<Replacement> write_replacement(const std::string& target, std::string_view content,
                                             const FileStamp& expected) {
  OwnedFd original_file;
  std::optional<struct stat> original = writable_file_info(target, expected, original_file);
  if (!original) return std::nullopt;
  std::string folder = folder_of(target);
  Replacement replacement;
  replacement.target = target;
  replacement.expected = expected;
  std::string name = folder == "/" ? std::string(temp_file_pattern) : folder + temp_file_pattern;
  OwnedFd temp{call_create_temp(name.data(), static_cast<int>(temp_file_suffix.size()))};
  if (temp.fd < 0) return std::nullopt;
  replacement.temp = name;  // removed with the record from here on
  if (!fill_temp_file(temp.fd, content, original_file, *original)) return std::nullopt;
  int fd = std::exchange(temp.fd, -1);
  if (call_close(fd) != 0) return std::nullopt;
  return replacement;
}

bool could_replace(const std::string& target, const FileStamp& expected) {
  OwnedFd original_file;
  return writable_file_info(target, expected, original_file) &&
         faccessat(AT_FDCWD, folder_of(target).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool place_replacement(Replacement& replacement) {
  if (replacement.temp.empty()) return false;
  std::optional<FileStamp> now = stamp_file(replacement.target);
  if (!now || *now != replacement.expected) {  // changed while the new file was written
    remove_temp(replacement);
    return false;
  }
  if (call_rename(replacement.temp.c_str(), replacement.target.c_str()) != 0) {
    remove_temp(replacement);
    return false;
  }
  replacement.temp.clear();
  replacement.placed = true;
  return true;
}

InterruptShield::InterruptShield() {
  sigset_t interrupts;
  sigemptyset(&interrupts);
  for (int signal_number : stop_signals) sigaddset(&interrupts, signal_number);
  sigprocmask(SIG_BLOCK, &interrupts, &previous);
}

InterruptShield::~InterruptShield() { sigprocmask(SIG_SETMASK, &previous, nullptr); }

void ignore_write_signals() {
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}

InterruptCatcher::InterruptCatcher() {
  interrupt_signal = 0;
  struct sigaction action {};
  action.sa_handler = catch_interrupt;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(stop_signals); ++i) {
    sigaction(stop_signals[i], nullptr, &previous[i]);
    // A signal ignored on purpose (a hang-up under nohup) stays ignored.
    if (previous[i].sa_handler != SIG_IGN) sigaction(stop_signals[i], &action, nullptr);
  }
}

InterruptCatcher::~InterruptCatcher() {
  for (std::size_t i = 0; i < std::size(stop_signals); ++i)
    sigaction(stop_signals[i], &previous[i], nullptr);
}

int caught_interrupt() { return interrupt_signal; }

void end_by_signal(int signal_number) {
  std::signal(signal_number, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal_number);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signal_number);
  std::_Exit(128 + signal_number);  // not reached unless the signal is ignored by the system
}
