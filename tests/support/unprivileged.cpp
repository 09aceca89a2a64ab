// tests/support/unprivileged.cpp: a child process as the user nobody.
#include "tests/support/unprivileged.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace {

bool hand_over(const std::string& tree, uid_t uid, gid_t gid) {
  if (lchown(tree.c_str(), uid, gid) != 0) return false;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tree))
    if (lchown(entry.path().c_str(), uid, gid) != 0) return false;
  return true;
}

void write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written <= 0) return;
    done += static_cast<std::size_t>(written);
  }
}

}  // namespace

namespace {

// Runs `body` in a child as `user`, with `groups` as its supplementary groups, and returns
// what it wrote.
std::optional<std::string> run_as(const passwd& user, const std::vector<gid_t>& groups,
                                  const std::function<std::string()>& body) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return std::nullopt;
  pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    close(pipe_ends[0]);
    if (setgroups(groups.size(), groups.data()) != 0 ||
        setresgid(user.pw_gid, user.pw_gid, user.pw_gid) != 0 ||
        setresuid(user.pw_uid, user.pw_uid, user.pw_uid) != 0)
      _exit(2);
    write_all(pipe_ends[1], body());
    _exit(0);
  }
  close(pipe_ends[1]);
  std::string output;
  char buffer[4096];
  ssize_t got;
  while ((got = read(pipe_ends[0], buffer, sizeof buffer)) > 0)
    output.append(buffer, static_cast<std::size_t>(got));
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

}  // namespace

std::optional<std::string> run_unprivileged(const std::string& tree,
                                            const std::function<std::string()>& body) {
  if (geteuid() != 0) return body();
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr || !hand_over(tree, nobody->pw_uid, nobody->pw_gid)) return std::nullopt;
  return run_as(*nobody, {}, body);
}

std::optional<std::string> run_as_nobody_in_group(gid_t group,
                                                  const std::function<std::string()>& body) {
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() != 0 || nobody == nullptr) return std::nullopt;
  return run_as(*nobody, {group}, body);
}
