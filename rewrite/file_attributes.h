// rewrite/file_attributes.h: giving a new file everything of the old one's but its bytes:
// owner and group where this user may give them, extended attributes with the POSIX
// access list, and every mode bit.
#pragma once

#include <sys/stat.h>

// Gives the new file `fd` the attributes of the old file open as `original_fd` and
// described by `original`:
// - its owner and group where this user may (the group alone where only that is allowed);
// - its extended attributes: user attributes and the system's (the POSIX access list),
//   which must all be copied, and security labels and trusted attributes where the system
//   allows (it sets them for the new file as its own rules say: they are left to it);
// - no access list when the old file has none (a new file may inherit one from its
//   folder's default list, which would give others rights the old file did not);
// - its mode bits, setuid, setgid and sticky included. With an access list the group bits
//   are its mask, and the list itself keeps the owning group's rights, so the mask never
//   widens them.
// Returns false when the new file cannot be given the access list, a user attribute or
// the very mode bits, or has a setuid or setgid bit but not the owner or group it goes
// with (this user may not give them), so that it must not take the old one's place.
bool copy_file_attributes(int original_fd, int fd, const struct stat& original);
