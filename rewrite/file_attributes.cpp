// rewrite/file_attributes.cpp: owner, extended attributes and mode bits, copied with the
// descriptor calls of Linux (fchown, flistxattr, fgetxattr, fsetxattr, fchmod).
#include "rewrite/file_attributes.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* access_list = "system.posix_acl_access";

// Gives the new file the old one's owner and group where this user may; a user who may
// not give the owner may still give a group of their own. Done before the mode, since a
// change of owner clears the setuid and setgid bits.
void give_owner(int fd, const struct stat& original) {
  if (fchown(fd, original.st_uid, original.st_gid) == 0) return;
  if (fchown(fd, static_cast<uid_t>(-1), original.st_gid) == 0) return;
  // neither is allowed: the new file belongs to the user who rewrote it
}

// Whether an attribute that cannot be copied may be left to the system: a security label
// (the system gives the new file its own) or a trusted attribute (the superuser's alone).
bool may_be_left(std::string_view name) {
  return name.starts_with("security.") || name.starts_with("trusted.");
}

// What `read` gives: the names of the file's attributes, or one attribute's value. Asks
// for the size first, and again when the text grew in between.
template <typename Read>
std::optional<std::string> read_sized(Read read) {
  for (;;) {
    ssize_t size = read(nullptr, 0);
    if (size < 0) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    ssize_t got = read(text.data(), text.size());
    if (got >= 0) {
      text.resize(static_cast<std::size_t>(got));
      return text;
    }
    if (errno != ERANGE) return std::nullopt;
  }
}

// The names of the file's extended attributes, each ending in a zero byte; none on a file
// system that keeps no attributes.
std::optional<std::string> attribute_names(int fd) {
  std::optional<std::string> names =
      read_sized([fd](char* to, std::size_t size) { return flistxattr(fd, to, size); });
  if (!names && errno == ENOTSUP) return std::string();
  return names;
}

bool copy_attribute(int from, int to, const char* name) {
  std::optional<std::string> value = read_sized(
      [from, name](char* into, std::size_t size) { return fgetxattr(from, name, into, size); });
  return value && fsetxattr(to, name, value->data(), value->size(), 0) == 0;
}

// Copies every extended attribute, and takes away an access list the old file lacks.
bool copy_attributes(int from, int to) {
  std::optional<std::string> names = attribute_names(from);
  if (!names) return false;
  bool has_access_list = false;
  for (const char* name = names->c_str(); name < names->c_str() + names->size();
       name += std::strlen(name) + 1) {
    if (!copy_attribute(from, to, name) && !may_be_left(name)) return false;
    has_access_list = has_access_list || std::strcmp(name, access_list) == 0;
  }
  return has_access_list || fremovexattr(to, access_list) == 0 || errno == ENODATA ||
         errno == ENOTSUP;
}

}  // namespace

bool copy_file_attributes(int original_fd, int fd, const struct stat& original) {
  give_owner(fd, original);
  if (!copy_attributes(original_fd, fd)) return false;
  mode_t mode = original.st_mode & 07777;
  if (fchmod(fd, mode) != 0) return false;
  struct stat now;  // the system may drop a bit without saying so
  if (fstat(fd, &now) != 0 || (now.st_mode & 07777) != mode) return false;
  // A setuid or setgid bit lends the file's owner or group: it may not pass to another.
  bool owner_kept = (mode & S_ISUID) == 0 || now.st_uid == original.st_uid;
  return owner_kept && ((mode & S_ISGID) == 0 || now.st_gid == original.st_gid);
}
