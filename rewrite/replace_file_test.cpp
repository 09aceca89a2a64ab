// rewrite/replace_file_test.cpp: replacing files on disk: all or nothing, links kept,
// permissions kept, changed and unwritable files left alone.
#include "rewrite/replace_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

#include "songfile/song_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace fs = std::filesystem;

namespace {

const std::string old_content = "#TITLE:Old;\r\n#NOTES:dance-single:x:Hard:12:0:0000;\r\n";
const std::string new_content = "#TITLE:Old;\r\n#NOTES:dance-single:x:Hard:8:0:0000;\r\n";

// The names in `folder`, to tell that no temporary file was left behind.
std::set<std::string> names_in(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

FileStamp stamp_of(const std::string& path) {
  std::optional<FileStamp> stamp = stamp_file(path);
  EXPECT_TRUE(stamp);
  return stamp.value_or(FileStamp{});
}

mode_t permission_bits(const std::string& path) {
  struct stat info;
  EXPECT_EQ(0, stat(path.c_str(), &info));
  return info.st_mode & 07777;
}

// The whole replacement of one file, as the rewrite does it (but for the flushes).
bool replace_file(const std::string& path, std::string_view content, const FileStamp& expected) {
  std::optional<std::string> target = resolve_target(path);
  if (!target) return false;
  std::optional<Replacement> replacement = write_replacement(*target, content, expected);
  return replacement && place_replacement(*replacement);
}

struct ReplaceFile : testing::Test {
  TempDir dir;
  std::string folder = dir.path + "/song";
  std::string file = folder + "/song.sm";
  void SetUp() override { write_file(file, old_content); }
};

TEST_F(ReplaceFile, WritesTheNewContentAndLeavesNoTemporaryFile) {
  EXPECT_TRUE(replace_file(file, new_content, stamp_of(file)));
  EXPECT_EQ(new_content, read_file(file));
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
}

TEST_F(ReplaceFile, KeepsThePermissionBits) {
  for (mode_t mode : {0640u, 0604u, 0755u, 0600u, 04755u, 02755u, 01644u}) {
    ASSERT_EQ(0, chmod(file.c_str(), mode));
    EXPECT_TRUE(replace_file(file, new_content, stamp_of(file)));
    EXPECT_EQ(mode, permission_bits(file)) << std::oct << mode;
  }
}

TEST_F(ReplaceFile, ReplacesTheTargetOfASymbolicLinkAndKeepsTheLink) {
  std::string real = dir.path + "/elsewhere/real.sm";
  write_file(real, old_content);
  fs::remove(file);
  fs::create_symlink("../elsewhere/real.sm", file);
  EXPECT_TRUE(replace_file(file, new_content, stamp_of(file)));
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ("../elsewhere/real.sm", fs::read_symlink(file).string());
  EXPECT_EQ(new_content, read_file(real));
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
  EXPECT_EQ(std::set<std::string>{"real.sm"}, names_in(dir.path + "/elsewhere"));
}

TEST_F(ReplaceFile, DanglingOrLoopingLinksAreNotReplaced) {
  FileStamp stamp = stamp_of(file);
  fs::remove(file);
  fs::create_symlink("missing.sm", file);
  EXPECT_FALSE(replace_file(file, new_content, stamp));
  EXPECT_FALSE(fs::exists(folder + "/missing.sm"));
  fs::remove(file);
  fs::create_symlink("song.sm", file);
  EXPECT_FALSE(replace_file(file, new_content, stamp));
  EXPECT_EQ("song.sm", fs::read_symlink(file).string());
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
}

TEST_F(ReplaceFile, AFileChangedSinceItWasReadIsLeftAsItIs) {
  FileStamp stamp = stamp_of(file);
  std::string changed = old_content + "#EXTRA:1;\r\n";
  write_file(file, changed);
  EXPECT_FALSE(replace_file(file, new_content, stamp));
  EXPECT_EQ(changed, read_file(file));

  // Same size, only the modification time differs.
  stamp = stamp_of(file);
  struct timespec times[2] = {{0, UTIME_OMIT}, {stamp.mtime_seconds - 100, 0}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, file.c_str(), times, 0));
  EXPECT_FALSE(replace_file(file, new_content, stamp));
  EXPECT_EQ(changed, read_file(file));
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
}

TEST_F(ReplaceFile, AFailedRenameLeavesTheFileAndNoTemporaryFile) {
  std::optional<Replacement> replacement = write_replacement(file, new_content, stamp_of(file));
  ASSERT_TRUE(replacement);
  // The target became a folder with a file in it, which no rename may replace; the stamp
  // is made to pass so that the rename itself is what fails.
  fs::remove(file);
  write_file(file + "/inside", "x");
  replacement->expected = stamp_of(file);
  EXPECT_FALSE(place_replacement(*replacement));
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
  EXPECT_TRUE(fs::is_directory(file));
}

TEST_F(ReplaceFile, AFileThatIsNotThereIsNotCreated) {
  FileStamp stamp = stamp_of(file);
  fs::remove(file);
  EXPECT_FALSE(replace_file(file, new_content, stamp));
  EXPECT_TRUE(names_in(folder).empty());
}

// "true" or "false": whether the file was replaced, as the user nobody when run as root.
std::string replace_unprivileged(const std::string& tree, const std::string& file,
                                 const std::string& content) {
  FileStamp stamp = stamp_of(file);
  auto replaced = run_unprivileged(
      tree, [&] { return std::string(replace_file(file, content, stamp) ? "true" : "false"); });
  return replaced.value_or("could not run as an unprivileged user");
}

TEST_F(ReplaceFile, AReadOnlyFileIsNotReplaced) {
  ASSERT_EQ(0, chmod(file.c_str(), 0444));
  EXPECT_EQ("false", replace_unprivileged(dir.path, file, new_content));
  EXPECT_EQ(old_content, read_file(file));
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
}

TEST_F(ReplaceFile, AFolderThatTakesNoNewFileLeavesTheSongFileAlone) {
  ASSERT_EQ(0, chmod(folder.c_str(), 0555));
  EXPECT_EQ("false", replace_unprivileged(dir.path, file, new_content));
  ASSERT_EQ(0, chmod(folder.c_str(), 0755));
  EXPECT_EQ(old_content, read_file(file));
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
}

TEST_F(ReplaceFile, AWriteThatFailsHalfwayLeavesTheOriginalAndNoTemporaryFile) {
  // A file size limit makes the write stop part of the way through, even for root.
  std::string big(100000, 'x');
  struct rlimit previous;
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &previous));
  auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = previous;
  limited.rlim_cur = 4096;
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limited));
  bool replaced = replace_file(file, big, stamp_of(file));
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(old_content, read_file(file));
  EXPECT_EQ(std::set<std::string>{"song.sm"}, names_in(folder));
}

// A user who may write the file through a group of theirs, but does not own it, keeps
// the file in that group with its setgid bit; a setuid or setgid bit whose owner or group
// cannot be given (not in that group any more) leaves the file as it was.
TEST_F(ReplaceFile, KeepsTheGroupWhenOnlyTheGroupMayBeGiven) {
  if (geteuid() != 0)
    GTEST_SKIP() << skip_reason("needs root to set up a user with a second group");
  constexpr gid_t song_group = 4242;  // any group id will do; it need not have a name
  uid_t nobody = getpwnam("nobody")->pw_uid;
  ASSERT_EQ(0, chown(dir.path.c_str(), nobody, 0));
  ASSERT_EQ(0, chown(folder.c_str(), nobody, 0));
  ASSERT_EQ(0, chown(file.c_str(), 0, song_group));
  setxattr(file.c_str(), "security.rerate", "1", 1, 0);  // only root may give it: left out
  for (auto [mode, group, want] :
       {std::tuple(04664u, song_group, "false"), std::tuple(02664u, song_group, "true"),
        std::tuple(02664u, song_group + 1, "false")}) {
    ASSERT_EQ(0, chmod(file.c_str(), mode));
    FileStamp stamp = stamp_of(file);
    auto replaced = run_as_nobody_in_group(group, [&] {
      return std::string(replace_file(file, new_content, stamp) ? "true" : "false");
    });
    EXPECT_EQ(want, replaced.value_or("could not run")) << std::oct << mode;
  }
  struct stat info;
  ASSERT_EQ(0, stat(file.c_str(), &info));
  EXPECT_EQ(new_content, read_file(file));
  EXPECT_EQ(song_group, info.st_gid);
  EXPECT_EQ(02664u, info.st_mode & 07777);
}

volatile std::sig_atomic_t interrupts_seen = 0;
void count_interrupt(int) { interrupts_seen = interrupts_seen + 1; }

TEST(InterruptShield, HoldsInterruptsUntilItGoesAway) {
  auto previous_handler = std::signal(SIGINT, count_interrupt);
  interrupts_seen = 0;
  {
    InterruptShield shield;
    std::raise(SIGINT);
    EXPECT_EQ(0, interrupts_seen);
  }
  EXPECT_EQ(1, interrupts_seen);
  std::signal(SIGINT, previous_handler);
  sigset_t blocked;
  sigprocmask(SIG_BLOCK, nullptr, &blocked);
  EXPECT_FALSE(sigismember(&blocked, SIGTERM));
  EXPECT_FALSE(sigismember(&blocked, SIGINT));
}

// A caught interrupt, held during a batch, still ends the program by that signal, so that
// the exit status tells the caller (130 for Ctrl-C).
TEST(InterruptCatcher, TheCaughtSignalEndsTheProgramAfterTheBatch) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InterruptCatcher catcher;
    {
      InterruptShield shield;
      std::raise(SIGINT);
    }
    if (caught_interrupt() == SIGINT) end_by_signal(caught_interrupt());
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}

std::optional<std::string> attribute(const std::string& path, const char* name) {
  char value[256];
  ssize_t size = getxattr(path.c_str(), name, value, sizeof value);
  return size < 0 ? std::nullopt
                  : std::optional<std::string>(std::string(value, static_cast<std::size_t>(size)));
}

// The access list (the owning group only reads, the mask lets write) and a user attribute
// stay, the group bits stay the mask; and no list comes from the folder's default list.
TEST_F(ReplaceFile, KeepsTheAccessListAndUserAttributes) {
  constexpr const char* acl = "system.posix_acl_access";
  // Version 2, then tag, rights, id: owner rw, owning group r, group 4242 rw, mask rw, others r
  std::string list(
      "\2\0\0\0\1\0\6\0\377\377\377\377\4\0\4\0\377\377\377\377\10\0\6\0\222\20\0\0"
      "\20\0\6\0\377\377\377\377\40\0\4\0\377\377\377\377",
      44);
  if (setxattr(file.c_str(), acl, list.data(), list.size(), 0) != 0 ||
      setxattr(file.c_str(), "user.rating", "x", 1, 0) != 0)
    GTEST_SKIP() << "the temporary folder's file system keeps no access lists or user attributes";
  std::optional<std::string> kept = attribute(file, acl);
  mode_t mode = permission_bits(file);
  EXPECT_TRUE(replace_file(file, new_content, stamp_of(file)));
  EXPECT_EQ(kept, attribute(file, acl));
  EXPECT_EQ("x", attribute(file, "user.rating"));
  EXPECT_EQ(mode, permission_bits(file));

  ASSERT_EQ(0, removexattr(file.c_str(), acl));
  ASSERT_EQ(0, setxattr(folder.c_str(), "system.posix_acl_default", list.data(), list.size(), 0));
  EXPECT_TRUE(replace_file(file, old_content, stamp_of(file)));
  EXPECT_EQ(std::nullopt, attribute(file, acl));
  EXPECT_EQ(mode, permission_bits(file));
}

}  // namespace
