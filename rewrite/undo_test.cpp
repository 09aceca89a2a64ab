// rewrite/undo_test.cpp: undoing by the files' bytes, newest run first and again; and
// journals made to harm: every one changes nothing outside the meter digits of Songs.
#include "rewrite/undo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "rewrite/journal.h"
#include "rewrite/rewriter.h"
#include "rewrite/splice.h"
#include "tests/support/small_library.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct Undo : testing::Test {
  TempDir dir;
  WorkingDir cwd{dir.path};
  SmallLibrary library = write_small_library();

  std::string rewrite(int step) {
    GrowArray<SongGroup> groups = scan_selected();
    report_of([&](std::FILE* report) { rewrite_library(groups, table_of(step), report); });
    return newest_journal(".").value().substr(2);
  }
  // The undo's report, with "status 1" at its end when a file was not restored.
  std::string undo(const std::string& journal) {
    return report_of([&](std::FILE* report) {
      std::string error;
      std::optional<UndoOutcome> outcome = undo_rewrite(journal, report, error);
      std::fprintf(report, "%s",
                   !outcome                ? error.c_str()
                   : outcome->not_restored ? "status 1"
                                           : "");
    });
  }
  void expect_as_before() {
    for (std::size_t i = 0; i < library.files.size(); ++i)
      EXPECT_EQ(library.before[i], read_file(library.files[i])) << library.files[i];
  }
};

// Two rewrites, undone newest first, each twice, one file touched meanwhile: what counts
// is the bytes, not the file's inode or times, which the undo itself changes.
TEST_F(Undo, RunsAreUndoneNewestFirstByTheirBytesAgainAndAgain) {
  std::string first = rewrite(5);
  std::string second = rewrite(3);
  EXPECT_NE(first, second);
  std::string report = undo(second);
  EXPECT_TRUE(report.starts_with(
      "Restored Songs/G/A/a.sm\n - Single Hard (6 -> 8)\n - Double Easy (5 -> 6)\n"))
      << report;
  EXPECT_EQ(second, newest_journal(".").value().substr(2));
  std::string again = undo(second);
  EXPECT_NE(std::string::npos, again.find("Already restored Songs/G/C/c.sm\nNothing to restore"))
      << again;
  struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, library.files[3].c_str(), times, 0));
  EXPECT_EQ(std::string::npos, undo(first).find("Not restored"));
  expect_as_before();
  EXPECT_EQ(std::string::npos, undo(first).find("status 1"));
}

// A file moved away with a link to it in its place is restored where it now is; a link
// to a pipe in place of a song file is never waited on.
TEST_F(Undo, FollowsAMovedFileAndNeverOpensAPipe) {
  std::string journal = rewrite(5);
  fs::rename("Songs/G/B/b.sm", "Songs/G/B/moved.sm");
  fs::create_symlink("moved.sm", "Songs/G/B/b.sm");
  ASSERT_EQ(0, mkfifo("Songs/G/C/pipe", 0644));
  fs::rename("Songs/G/C/c.sm", "Songs/G/C/real");
  fs::create_symlink("pipe", "Songs/G/C/c.sm");
  std::string report = undo(journal);
  EXPECT_NE(std::string::npos, report.find("Restored Songs/G/B/b.sm\n")) << report;
  EXPECT_NE(std::string::npos, report.find("Not restored Songs/G/C/c.sm: it cannot be read\n"));
  EXPECT_TRUE(fs::is_symlink("Songs/G/B/b.sm"));
  EXPECT_EQ(library.before[2], read_file("Songs/G/B/moved.sm"));
}

// Each journal shows one attack on the smallest entry that shows it; only the last, a path
// inside Songs, may restore the file.
TEST_F(Undo, AJournalChangesOnlyMeterDigitsInsideTheSongsFolderBesideIt) {
  std::string journal = rewrite(5);
  std::string text = read_file(journal);
  std::string header = text.substr(0, text.find("file 1 "));
  std::string error;
  JournalFile b = read_journal(journal, error).value().files[2];
  b.number = 1;
  std::string outside = dir.path + "/outside.sm";
  write_file(outside, library.after[2]);
  fs::create_directories("Songs/G/L");
  fs::create_symlink(outside, "Songs/G/L/l.sm");
  JournalFile letters = b;
  letters.meters = {b.meters[0]};
  letters.meters[0].old_text = "12;#X:1";
  TextEdit edit{b.meters[0].offset, "8", letters.meters[0].old_text};
  letters.old_hash = content_hash(splice_texts(library.after[2], {&edit, 1}).value());
  auto at = [&](std::string path, const JournalFile& file = {}) {
    JournalFile entry = file.path.empty() ? b : file;
    entry.path = path;
    return header + journal_entry(entry);
  };
  const std::pair<std::string, std::string> attacks[] = {
      {at(outside),
       "Not restored " + outside + ": it is not inside the Songs folder beside the journal"},
      {at("Songs/../outside.sm"),
       "Not restored Songs/../outside.sm: its path in the journal is not one a rewrite writes"},
      {at("Songs/G/L/l.sm"),
       "Not restored Songs/G/L/l.sm: it is not inside the Songs folder beside the journal"},
      {at("Songs/G/B/b.sm", letters),
       "Not restored Songs/G/B/b.sm: its journal entry changes more than meter digits"},
      {at("Songs/G/\x1b]2;x\x07/b.sm"),
       "Not restored Songs/G/\\x1b]2;x\\x07/b.sm: it cannot be read"},
      {header + std::string(70000, 'x') + "\n",
       "Not restored: the rest of the journal (line 11 is too long)"},
      {at(dir.path + "/Songs/G/B/b.sm") + "file 2 Songs/G/C/c",
       "Restored " + dir.path + "/Songs/G/B/b.sm"},
      {text + "garbage\nfile 5 x\n",
       "Not restored: the rest of the journal (line 31 cannot be read)"},
  };
  for (const auto& [journal_text, line] : attacks) {
    write_file("attack.txt", journal_text);
    std::string report = undo("attack.txt");
    EXPECT_NE(std::string::npos, report.find(line + "\n")) << report;
    EXPECT_EQ(library.after[2], read_file(outside));
  }
  EXPECT_EQ(library.before[2], read_file("Songs/G/B/b.sm"));
}

// A journal of 2 GB (a sparse file) is refused by its first line, without reading it all,
// in a process that may not take 256 MB.
TEST_F(Undo, AHugeJournalIsRefusedByItsFirstLine) {
  int fd = open("rerate-undo-2026-12-07T00-00-00Z.txt", O_CREAT | O_WRONLY, 0644);
  ASSERT_EQ(0, ftruncate(fd, 2LL << 30));
  close(fd);
  pid_t child = fork();
  if (child == 0) {
    struct rlimit limit = {256 << 20, 256 << 20};
    setrlimit(RLIMIT_AS, &limit);
    std::string error;
    std::FILE* quiet = std::fopen("/dev/null", "w");
    bool refused = !undo_rewrite("rerate-undo-2026-12-07T00-00-00Z.txt", quiet, error) &&
                   error == "is not a rerate undo journal" && !newest_journal(".");
    _exit(refused ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Plain --undo: the newest journal by the time inside it, of a run that replaced a file,
// among names of the exact journal form.
TEST_F(Undo, TheNewestJournalIsTheNewestRunThatReplacedAFile) {
  std::string journal = rewrite(5);
  std::string text = read_file(journal);
  std::size_t time = text.find("# started ") + 10;
  auto planted = [&](const char* started, const std::string& body) {
    return text.substr(0, time) + started +
           text.substr(text.find(' ', time), text.find("file 1") - text.find(' ', time)) + body;
  };
  std::string entries = text.substr(text.find("file 1"));
  std::string kept =
      entries.substr(0, entries.find("replaced")) + "kept 1\nkept 2\nkept 3\nkept 4\n";
  write_file("rerate-undo-2099-01-01T00-00-00Z.txt", planted("1000000000.000000000", entries));
  write_file("rerate-undo-zzz.txt", planted("4000000000.000000000", entries));
  write_file("rerate-undo-2098-01-01T00-00-00Z.txt", planted("4000000000.000000000", kept));
  write_file("rerate-undo-2097-01-01T00-00-00Z-02.txt", planted("4000000000.000000000", entries));
  EXPECT_EQ("./" + journal, newest_journal(".").value_or("none"));
}

}  // namespace
