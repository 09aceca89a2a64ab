// rewrite/rewriter_test.cpp: rewriting a scanned library on disk, with its report,
// comparing whole files before and after.
#include "rewrite/rewriter.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "library/scan.h"
#include "rewrite/song_writer.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace fs = std::filesystem;

namespace {

// The report `rewrite_library` gives for the library.
std::string rewrite_with_report(const GrowArray<SongGroup>& groups, const ScaleTable& table) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* report = open_memstream(&text, &size);
  rewrite_library(groups, table, report);
  std::fclose(report);
  std::string out(text, size);
  std::free(text);
  return out;
}

Song& find_song(GrowArray<SongGroup>& groups, std::string_view folder) {
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      if (song.folder == folder) return song;
  std::abort();
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
  GrowArray<SongGroup> groups;

  void add_song(const std::string& group, const std::string& folder, std::string_view bytes) {
    write_file(dir.path + "/Songs/" + group + "/" + folder + "/song.sm", bytes);
  }
  std::string file_of(const std::string& group, const std::string& folder) {
    return dir.path + "/Songs/" + group + "/" + folder + "/song.sm";
  }
  void scan() { ASSERT_TRUE(scan_library(groups)); }
};

TEST_F(RewriteLibrary, ReportsEachConvertedChartAndRewritesTheWholeFile) {
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
  EXPECT_EQ(
      crlf(song_file("A", notes("dance-single", "Easy", "5") + notes("dance-single", "Hard", "8") +
                              notes("dance-double", "Challenge", "10"))),
      read_file(file_of("Pack", "A")));
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

TEST_F(RewriteLibrary, AFailedSongGetsOneLineAndTheRunGoesOn) {
  add_song("Pack", "A", song_file("A", notes("dance-single", "Hard", "12")));
  add_song("Pack", "B", song_file("B", notes("dance-single", "Hard", "12")));
  scan();
  find_song(groups, "A").charts[0].selected = true;
  find_song(groups, "B").charts[0].selected = true;
  std::string changed = song_file("A2", notes("dance-single", "Hard", "12"));
  write_file(file_of("Pack", "A"), changed);  // edited elsewhere after the scan
  EXPECT_EQ(
      "Failed to write to Songs/Pack/A/song.sm\n"
      "Rewriting Songs/Pack/B/song.sm...\n"
      " - Single Hard (12 -> 8)\n",
      rewrite_with_report(groups, table_of(5)));
  EXPECT_EQ(changed, read_file(file_of("Pack", "A")));
  EXPECT_EQ(crlf(song_file("B", notes("dance-single", "Hard", "8"))),
            read_file(file_of("Pack", "B")));
}

TEST_F(RewriteLibrary, AReadOnlySongFileIsReportedAndKept) {
  std::string before = song_file("A", notes("dance-single", "Hard", "12"));
  add_song("Pack", "A", before);
  fs::permissions(file_of("Pack", "A"), fs::perms::owner_read | fs::perms::group_read);
  scan();
  find_song(groups, "A").charts[0].selected = true;
  EXPECT_EQ("Failed to write to Songs/Pack/A/song.sm\n",
            run_unprivileged(dir.path, [&] { return rewrite_with_report(groups, table_of(5)); })
                .value_or("could not run as an unprivileged user"));
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
  EXPECT_EQ(crlf(song_file("A", notes("dance-single", "Hard", "8"))),
            read_file(dir.path + "/store/a.sm"));
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
    for (int n = 0; n < song_count; ++n)
      add_song("Pack", "S" + std::to_string(n), big_song_file(n));
    groups = GrowArray<SongGroup>();
    scan();
    std::vector<std::string> old_files, new_files;
    for (Song& song : groups[0].songs) {
      for (Chart& chart : song.charts) chart.selected = true;
      old_files.push_back(read_file(file_of("Pack", song.folder)));
      new_files.push_back(build_song_rewrite(song, table_of(5))->content);
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::FILE* report = std::fopen("/dev/null", "w");
      rewrite_library(groups, table_of(5), report);
      _exit(0);
    }
    usleep(delay);
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    for (int i = 0; i < groups[0].songs.count; ++i) {
      std::string now = read_file(file_of("Pack", groups[0].songs[i].folder));
      EXPECT_TRUE(now == old_files[i] || now == new_files[i]) << "song " << i;
    }
    EXPECT_FALSE(has_temporary_file(dir.path)) << "after " << delay << " us";
  }
}

}  // namespace
