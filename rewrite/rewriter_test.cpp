// rewrite/rewriter_test.cpp: rewriting a scanned library on disk, with its report,
// comparing whole files before and after.
#include "rewrite/rewriter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "library/scan.h"
#include "rewrite/undo.h"
#include "tests/support/small_library.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// The report `rewrite_library` (or its dry run) gives for the library, without the totals,
// histogram and undo line that end it.
std::string rewrite_with_report(const std::vector<SongGroup>& groups, const ScaleTable& table,
                                bool dry_run = false) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* report = open_memstream(&text, &size);
  RewriteSettings settings;
  settings.dry_run = dry_run;
  rewrite_library(groups, table, report, settings);
  std::fclose(report);
  std::string out(text, size);
  std::free(text);
  std::size_t totals = out.rfind("\n\nFiles rewritten: ");
  if (totals != std::string::npos) out.erase(totals + 1);  // the blank line and what follows
  return out;
}

Song& find_song(std::vector<SongGroup>& groups, std::string_view folder) {
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      if (song.folder == folder) return song;
  std::abort();
}

void select_all(Song& song) {
  for (Chart& chart : song.charts) chart.selected = true;
}

bool has_temporary_file(const std::string& root) {
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.path().filename().string().starts_with(".rerate-")) return true;
  return false;
}

// A library folder to write song files into; the working folder while it lives.
struct RewriteLibrary : testing::Test {
  TempDir dir;
  WorkingDir cwd{dir.path};
  std::vector<SongGroup> groups;

  void add_song(const std::string& group, const std::string& folder, std::string_view bytes) {
    write_file(file_of(group, folder), bytes);
  }
  std::string file_of(const std::string& group, const std::string& folder) {
    return dir.path + "/Songs/" + group + "/" + folder + "/song.sm";
  }
  void scan() {
    groups = std::vector<SongGroup>();
    ASSERT_TRUE(scan_library(groups));
  }
};

TEST_F(RewriteLibrary, ReportsEachConvertedChartAndChangesOnlyItsDigits) {
  add_song("Pack", "A",
           song_file("A", notes("dance-single", "Easy", "5") + notes("dance-single", "Hard", "12") +
                              notes("dance-double", "Challenge", "15")));
  scan();
  Song& song = find_song(groups, "A");
  song.charts[1].selected = true;
  song.charts[2].selected = true;
  EXPECT_EQ(
      "Rewriting Songs/Pack/A/song.sm...\n"
      " - Single Hard (12 -> 8)\n"
      " - Double Expert (15 -> 10)\n",
      rewrite_with_report(groups, table_of(5)));
  EXPECT_EQ(song_file("A", notes("dance-single", "Easy", "5") + notes("dance-single", "Hard", "8") +
                               notes("dance-double", "Challenge", "10")),
            read_file(file_of("Pack", "A")));
}

// A folder name that would retitle the terminal, clear it and forge a report line.
TEST_F(RewriteLibrary, ControlCharactersInNamesAreEscapedInTheReport) {
  add_song("Pack", "Evil\x1b]2;owned\x07\x1b[2J\nRewriting x",
           song_file("A", notes("dance-single", "Hard", "12")));
  scan();
  select_all(groups[0].songs[0]);
  EXPECT_EQ(
      "Rewriting Songs/Pack/Evil\\x1b]2;owned\\x07\\x1b[2J\\x0aRewriting x/song.sm...\n"
      " - Single Hard (12 -> 8)\n",
      rewrite_with_report(groups, table_of(5)));
}

// Line ends of every kind, byte-order marks in the middle, zero bytes, what follows the
// meter in its field and everything after a 0x1A stay byte for byte.
TEST_F(RewriteLibrary, EveryByteButTheMeterDigitsStays) {
  std::string bom = "\xEF\xBB\xBF";
  std::string body = "#TITLE:A\0B;\n"s + bom +
                     "#NOTES:dance-single:d:Hard:12 // was 13\n:0:0000;\n" +
                     "#NOTES:dance-double:d:Easy:" + bom + "009.7:0:0000;\n";
  std::string tail = "\x1A#NOTES:dance-single:d:Hard:12:0:x;\r\n\0"s;
  std::string mixed = body;
  mixed.replace(mixed.find('\n'), 1, "\r\n");
  for (std::string text : {body, crlf(body), mixed}) {
    add_song("Pack", "A", text + tail);
    scan();
    select_all(find_song(groups, "A"));
    EXPECT_EQ(
        "Rewriting Songs/Pack/A/song.sm...\n - Single Hard (12 -> 8)\n - Double Easy (9 -> 6)\n",
        rewrite_with_report(groups, table_of(5)));
    std::string expected = text + tail;
    expected.replace(expected.find("12 //"), 2, "8");
    expected.replace(expected.find("009.7"), 3, "6");
    EXPECT_EQ(expected, read_file(file_of("Pack", "A")));
  }
}

TEST_F(RewriteLibrary, OnlySongsWithSelectedChartsAreTouchedInLibraryOrder) {
  std::string untouched = song_file("B", notes("dance-single", "Hard", "12"));
  add_song("beta", "B", untouched);
  add_song("beta", "C", song_file("C", notes("dance-single", "Hard", "9")));
  add_song("Alpha", "D", song_file("D", notes("dance-double", "Edit", "14")));
  scan();
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      if (song.folder != "B") song.charts[0].selected = true;
  EXPECT_EQ(
      "Rewriting Songs/Alpha/D/song.sm...\n"
      " - Double Edit (14 -> 9)\n"
      "Rewriting Songs/beta/C/song.sm...\n"
      " - Single Hard (9 -> 6)\n",
      rewrite_with_report(groups, table_of(5)));
  EXPECT_EQ(untouched, read_file(file_of("beta", "B")));
}

// A file edited after the scan is never overwritten: not when its size stays the same and
// its times are put back (the change time moves), and not where the file system's clock
// is too coarse to tell (the bytes' hash differs).
TEST_F(RewriteLibrary, AFileChangedSinceTheScanIsLeftAloneAndTheRunGoesOn) {
  add_song("Pack", "A", song_file("A", notes("dance-single", "Hard", "12")));
  add_song("Pack", "B", song_file("B", notes("dance-single", "Hard", "12")));
  scan();
  select_all(find_song(groups, "A"));
  select_all(find_song(groups, "B"));
  std::string changed = song_file("Z", notes("dance-single", "Hard", "12"));
  struct stat before;
  ASSERT_EQ(0, stat(file_of("Pack", "A").c_str(), &before));
  write_file(file_of("Pack", "A"), changed);
  struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(0, utimensat(AT_FDCWD, file_of("Pack", "A").c_str(), times, 0));
  EXPECT_EQ(
      "Failed to write to Songs/Pack/A/song.sm\n"
      "Rewriting Songs/Pack/B/song.sm...\n"
      " - Single Hard (12 -> 8)\n",
      rewrite_with_report(groups, table_of(5)));
  EXPECT_EQ(changed, read_file(file_of("Pack", "A")));

  find_song(groups, "B").charts[0].selected = false;
  find_song(groups, "A").stamp = *stamp_file(file_of("Pack", "A"));  // the stamp cannot tell
  EXPECT_EQ("Failed to write to Songs/Pack/A/song.sm\n", rewrite_with_report(groups, table_of(5)));
  EXPECT_EQ(changed, read_file(file_of("Pack", "A")));
  EXPECT_FALSE(has_temporary_file(dir.path));
}

TEST_F(RewriteLibrary, AReadOnlySongFileIsReportedAndKept) {
  std::string before = song_file("A", notes("dance-single", "Hard", "12"));
  add_song("Pack", "A", before);
  fs::permissions(file_of("Pack", "A"), fs::perms::owner_read | fs::perms::group_read);
  for (bool dry_run : {true, false})  // the dry run foresees it
    EXPECT_EQ("Failed to write to Songs/Pack/A/song.sm\n",
              run_unprivileged(dir.path, [&] {
                scan();  // as the file is once handed over: only its mode stops the write
                find_song(groups, "A").charts[0].selected = true;
                return rewrite_with_report(groups, table_of(5), dry_run);
              }).value_or("could not run as an unprivileged user"));
  EXPECT_EQ(before, read_file(file_of("Pack", "A")));
  EXPECT_FALSE(has_temporary_file(dir.path));
}

TEST_F(RewriteLibrary, ALinkedSongFileStaysALinkToTheRewrittenTarget) {
  write_file(dir.path + "/store/a.sm", song_file("A", notes("dance-single", "Hard", "12")));
  fs::create_directories(dir.path + "/Songs/Pack/A");
  fs::create_symlink("../../../store/a.sm", dir.path + "/Songs/Pack/A/song.sm");
  scan();
  find_song(groups, "A").charts[0].selected = true;
  EXPECT_EQ("Rewriting Songs/Pack/A/song.sm...\n - Single Hard (12 -> 8)\n",
            rewrite_with_report(groups, table_of(5)));
  EXPECT_TRUE(fs::is_symlink(file_of("Pack", "A")));
  EXPECT_EQ(song_file("A", notes("dance-single", "Hard", "8")),
            read_file(dir.path + "/store/a.sm"));
}

// A file size limit makes the write of a large file fail; the program is not killed and
// goes on with the next song.
TEST_F(RewriteLibrary, AFileSizeLimitFailsOneSongAndNotTheRun) {
  std::string measures;
  for (int i = 0; i < 1000; ++i) measures += "0000\n1000\n,\n";
  add_song("Pack", "A", song_file("A", notes("dance-single", "Hard", "12", measures)));
  add_song("Pack", "B", song_file("B", notes("dance-single", "Hard", "12")));
  scan();
  select_all(find_song(groups, "A"));
  select_all(find_song(groups, "B"));
  int pipe_ends[2];
  ASSERT_EQ(0, pipe(pipe_ends));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    struct rlimit limit = {8192, 8192};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string report = rewrite_with_report(groups, table_of(5));
    if (write(pipe_ends[1], report.data(), report.size()) < 0) _exit(3);
    _exit(0);
  }
  close(pipe_ends[1]);
  std::string report;
  char buffer[1024];
  for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(got));
  close(pipe_ends[0]);
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(
      "Failed to write to Songs/Pack/A/song.sm\n"
      "Rewriting Songs/Pack/B/song.sm...\n - Single Hard (12 -> 8)\n",
      report);
  EXPECT_FALSE(has_temporary_file(dir.path));
}

// An .sm and its .ssc as real pairs differ: a chart in the .sm only, a meter that
// differs, twins in another order, Edit against Challenge; the rest in another order.
TEST_F(RewriteLibrary, AnSscBesideAnSmGetsTheMatchingChartsOnly) {
  add_song("Pack", "A",
           song_file(
               "A", notes("dance-single", "Beginner", "2") + notes("dance-single", "Easy", "6") +
                        notes("dance-single", "Medium", "8") + notes("dance-single", "Edit", "10") +
                        notes("dance-single", "Edit", "12") + notes("dance-double", "Edit", "11") +
                        notes("dance-double", "Hard", "13") + notes("dance-double", "Hard", "14")));
  auto ssc = [](const char* m1, const char* m2, const char* m3) {
    return crlf("#VERSION:0.83;\n#TITLE:A;\n" + ssc_chart("dance-double", "Hard", m1) +
                ssc_chart("dance-single", "Easy", "5") + ssc_chart("dance-single", "Edit", "12") +
                ssc_chart("dance-double", "Challenge", "11") + "#METERF:8;\n" +
                ssc_chart("dance-single", "Medium", m2) + ssc_chart("dance-single", "Edit", "10") +
                ssc_chart("dance-double", "Hard", m3));
  };
  write_file(dir.path + "/Songs/Pack/A/song.ssc", ssc("13", "8", "14"));
  scan();
  select_all(find_song(groups, "A"));
  std::string report = rewrite_with_report(groups, table_of(5));
  EXPECT_EQ(
      " - Double Hard (14 -> 9)\n"
      "Rewriting Songs/Pack/A/song.ssc...\n"
      " - Double Hard (13 -> 9)\n - Single Medium (8 -> 5)\n - Double Hard (14 -> 9)\n"
      " - Single Beginner (2): no matching chart in this file, not changed here\n"
      " - Single Easy (6): no matching chart in this file, not changed here\n"
      " - Single Edit (10): no matching chart in this file, not changed here\n"
      " - Single Edit (12): no matching chart in this file, not changed here\n"
      " - Double Edit (11): no matching chart in this file, not changed here\n",
      report.substr(report.find(" - Double Hard (14")));
  EXPECT_EQ(ssc("9", "5", "9"), read_file(dir.path + "/Songs/Pack/A/song.ssc"));
}

// Where nothing matches, the .ssc stays and the report says so; where it changed since the
// scan, it stays and the .sm is still rewritten.
TEST_F(RewriteLibrary, AnSscIsRewrittenOnlyWhereItsOwnChecksHold) {
  std::string unmatched = ssc_chart("dance-single", "Hard", "11");
  add_song("Pack", "B", song_file("B", notes("dance-single", "Hard", "12")));
  write_file(dir.path + "/Songs/Pack/B/b.ssc", unmatched);
  add_song("Pack", "D", song_file("D", notes("dance-single", "Hard", "12")));
  write_file(dir.path + "/Songs/Pack/D/d.ssc", ssc_chart("dance-single", "Hard", "12"));
  scan();
  for (Song& song : groups[0].songs) select_all(song);
  write_file(dir.path + "/Songs/Pack/D/d.ssc", ssc_chart("dance-single", "Hard", "13"));
  EXPECT_EQ(
      "Rewriting Songs/Pack/B/song.sm...\n - Single Hard (12 -> 8)\n"
      "Not rewriting Songs/Pack/B/b.ssc: none of the selected charts has a match in it\n"
      "Rewriting Songs/Pack/D/song.sm...\n - Single Hard (12 -> 8)\n"
      "Failed to write to Songs/Pack/D/d.ssc\n"
      "Song only partly rewritten: Songs/Pack/D (its .sm and .ssc now differ)\n",
      rewrite_with_report(groups, table_of(5)));
  EXPECT_EQ(unmatched, read_file(dir.path + "/Songs/Pack/B/b.ssc"));
  EXPECT_EQ(ssc_chart("dance-single", "Hard", "13"), read_file(dir.path + "/Songs/Pack/D/d.ssc"));
}

// A song file of about 200 kB, so that each rewrite takes a while.
std::string big_song_file(int n) {
  std::string measures;
  for (int i = 0; i < 10000; ++i) measures += "0000\n1000\n0100\n0010\n,\n";
  std::string title = "Song " + std::to_string(n);
  return song_file(title, notes("dance-single", "Hard", "12", measures) +
                              notes("dance-double", "Hard", "15", measures));
}

TEST_F(RewriteLibrary, AnInterruptLeavesEveryFileOldOrNewAndNoTemporaryFile) {
  constexpr int song_count = 20;
  const int delays_us[] = {0, 5000, 20000, 80000};
  for (int delay : delays_us) {
    std::vector<std::string> old_files, new_files;
    for (int n = 0; n < song_count; ++n) {
      std::string old_file = big_song_file(n);
      add_song("Pack", "S" + std::to_string(n), old_file);
      std::string new_file = old_file;
      new_file.replace(new_file.find("     12:"), 8, "     8:");
      new_file.replace(new_file.find("     15:"), 8, "     10:");
      old_files.push_back(old_file);
      new_files.push_back(new_file);
    }
    scan();
    for (Song& song : groups[0].songs) select_all(song);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    std::string report_path = dir.path + "/report.txt";
    if (child == 0) {
      std::FILE* report = std::fopen(report_path.c_str(), "w");
      _exit(rewrite_library(groups, table_of(5), report).signal);
    }
    usleep(static_cast<useconds_t>(delay));
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    // The run stops after a whole batch; the last line says how many songs it left.
    std::istringstream report(read_file(report_path));
    int reported = 0;
    int left = -1;
    for (std::string line; std::getline(report, line);) {
      reported += line.starts_with("Rewriting ") || line.starts_with("Failed to write to ");
      std::sscanf(line.c_str(), "Interrupted: %d", &left);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == SIGTERM) {
      EXPECT_EQ(song_count, reported + left) << "after " << delay << " us";
    }
    for (int n = 0; n < song_count; ++n) {
      std::string now = read_file(file_of("Pack", "S" + std::to_string(n)));
      EXPECT_TRUE(now == old_files[static_cast<std::size_t>(n)] ||
                  now == new_files[static_cast<std::size_t>(n)])
          << "song " << n;
    }
    EXPECT_FALSE(has_temporary_file(dir.path)) << "after " << delay << " us";
  }
}

// A change made after the new file is written and before its rename (the bytes, or the
// mode alone within the same second) is never overwritten; a run that so replaced nothing
// leaves no journal and no undo line.
TEST_F(SmallLibraryTest, AFileChangedJustBeforeItsRenameIsLeftAlone) {
  for (bool bytes : {true, false}) {
    write_library();
    std::string report = rewrite({}, [&](const FileCallEvent& event) {
      for (const std::string& file : files)
        if (event.call == FileCall::FlushFileSystem)
          bytes ? write_file(file, read_file(file) + "\n") : (void)chmod(file.c_str(), 0644);
      return 0;
    });
    EXPECT_EQ(
        "Failed to write to Songs/G/A/a.sm\nFailed to write to Songs/G/A/a.ssc\n"
        "Failed to write to Songs/G/B/b.sm\nFailed to write to Songs/G/C/c.sm\n\n"
        "Files rewritten: 0\nCharts converted: 0\nFiles failed: 4\nFiles left alone: 0\n\n",
        report);
    EXPECT_EQ(bytes ? "????" : "oooo", states());
    EXPECT_FALSE(newest_journal(".") || fs::exists(journal_name(std::time(nullptr))));
  }
}

}  // namespace

// A dry run reports what the rewrite then does, line for line but "Would rewrite" for
// "Rewriting", and changes nothing; both end with the totals and the histogram.
TEST_F(SmallLibraryTest, ADryRunReportsWhatTheRewriteThenDoesAndWritesNothing) {
  settings.dry_run = true;
  std::string dry = rewrite();
  EXPECT_EQ("oooo", states());
  EXPECT_FALSE(newest_journal(".") || fs::exists(journal_name(std::time(nullptr))));
  settings.dry_run = false;
  std::string real = rewrite();
  ASSERT_EQ("nnnn", states());
  std::string expected = real.substr(0, real.find("To undo this rewrite: "));
  for (std::size_t at = 0; (at = expected.find("Rewriting ", at)) != std::string::npos;)
    expected.replace(at, 10, "Would rewrite ");
  EXPECT_EQ(expected + "Dry run: no song file was changed.\n", dry);
  EXPECT_NE(std::string::npos, real.find(")\n\nFiles rewritten: 4\nCharts converted: 6\n"
                                         "Files failed: 0\nFiles left alone: 0\n\n"
                                         "Single: 3 charts, meters before and after\n"))
      << real;
}
