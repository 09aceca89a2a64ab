// tests/support/unprivileged.h: running a piece of a test as a user that file permissions
// bind. Root may write any file, so tests of unwritable files run as "nobody" then.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

// Runs `body` and returns what it returns. When the test runs as root, `tree` (a scratch
// folder, with everything in it) is first handed to the user nobody, and `body` runs in a
// child process as that user; nothing is returned when that cannot be arranged.
std::optional<std::string> run_unprivileged(const std::string& tree,
                                            const std::function<std::string()>& body);

// Runs `body` in a child process as the user nobody with `group` as a supplementary group
// (not its own), and returns what it returns; nothing when not root or when that cannot
// be arranged. The files it works on are set up by the caller.
std::optional<std::string> run_as_nobody_in_group(gid_t group,
                                                  const std::function<std::string()>& body);
