// library/scan_test.cpp: the folder walk, error titles and library order.
#include "library/scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A scratch library: files are written under <temp>/Songs, and the scan runs there.
struct ScanTest : testing::Test {
  TempDir dir;
  void song(const std::string& relative, std::string_view bytes) {
    write_file(dir.path + "/Songs/" + relative, bytes);
  }
  void folder(const std::string& relative) {
    fs::create_directories(dir.path + "/Songs/" + relative);
  }
  std::vector<SongGroup> scan() {
    WorkingDir here(dir.path);
    std::vector<SongGroup> groups;
    EXPECT_TRUE(scan_library(groups));
    return groups;
  }
};

// "group: title [folder/file], ..." per group, one line each.
std::string describe(const std::vector<SongGroup>& groups) {
  std::string out;
  for (const SongGroup& group : groups) {
    out += group.name + ":";
    for (const Song& song : group.songs)
      out += ' ' + song.title.value_or("(none)") +
             (song.title_translit.empty() ? "" : " (" + song.title_translit + ")") + " [" +
             song.folder + '/' + song.file + (song.companion ? " + " + song.companion->file : "") +
             ']';
    out += "\n";
  }
  return out;
}

std::string titled(std::string_view title) { return "#TITLE:" + std::string(title) + ";\n"; }

TEST_F(ScanTest, SortsGroupsByNameAndSongsByTitleIgnoringCase) {
  song("gamma/s1/a.sm", titled("x"));
  song("beta/s1/a.sm", titled("b") + "#TITLETRANSLIT:Bee;\n");  // kept when it differs
  song("beta/s2/a.sm", titled("Ab"));
  song("beta/s3/a.sm", titled("a") + "#TITLETRANSLIT:a;\n");
  song("beta/s4/a.sm", titled("ABC"));
  folder("Alpha");
  EXPECT_EQ(
      "Alpha:\n"
      "beta: a [s3/a.sm] Ab [s2/a.sm] ABC [s4/a.sm] b (Bee) [s1/a.sm]\n"
      "gamma: x [s1/a.sm]\n",
      describe(scan()));
}

TEST_F(ScanTest, GivesErrorTitlesToUnreadableAndUntitledSongs) {
  std::string chart = "#NOTES:dance-single:d:Hard:9:x;\n";
  song("g/Broken/x.sm", "#TITLE:Broken;\n" + chart + "#");
  song("g/Untitled/x.sm", "#ARTIST:nobody;\n" + chart);
  song("g/Empty title/x.sm", "#TITLE:;\n");
  song("g/Fine/x.sm", titled("0 Fine"));
  auto groups = scan();
  EXPECT_EQ(
      "g: #ERROR#Broken [Broken/x.sm] #ERROR#Empty title [Empty title/x.sm] "
      "#ERROR#Untitled [Untitled/x.sm] 0 Fine [Fine/x.sm]\n",
      describe(groups));
  EXPECT_TRUE(groups[0].songs[0].charts.empty());   // unreadable: no charts at all
  EXPECT_EQ(1u, groups[0].songs[2].charts.size());  // untitled but read
}

TEST_F(ScanTest, TakesTheFirstSongFileByNameAndIgnoresEverythingElse) {
  song("g/two/b.sm", titled("B"));
  song("g/two/a.SM", titled("A"));
  song("g/two/._a.sm", "\x00\x05\x16\x07 binary");
  song("g/two/notes.txt", titled("T"));
  song("g/only-meta/._x.sm", titled("meta"));
  song("g/no-song/readme.txt", "hello");
  song("g/loose.sm", titled("loose file in a group"));
  song("loose.sm", titled("loose file in Songs"));
  song("g/both/b.ssc", titled("S2"));
  song("g/both/a.SSC", titled("S1"));
  song("g/both/c.sm", titled("Both"));
  song("g/ssc/._a.ssc", "\x00\x05\x16\x07 binary");
  song("g/ssc/b.ssc", titled("Ssc"));
  EXPECT_EQ("g: A [two/a.SM] Both [both/c.sm + a.SSC] Ssc [ssc/b.ssc]\n", describe(scan()));
}

// Only a regular file (or a link to one) is a song file: a folder or a pipe with a song
// file's name neither hides the real one nor makes a song of its own.
TEST_F(ScanTest, SongFilesAreRegularFiles) {
  folder("g/mixed/a.sm");
  ASSERT_EQ(0, mkfifo((dir.path + "/Songs/g/mixed/b.sm").c_str(), 0644));
  song("g/mixed/c.sm", titled("Real"));
  folder("g/none/x.sm");
  ASSERT_EQ(0, mkfifo((dir.path + "/Songs/g/none/y.sm").c_str(), 0644));
  EXPECT_EQ("g: Real [mixed/c.sm]\n", describe(scan()));
}

TEST_F(ScanTest, FollowsSymbolicLinksToGroupsAndSongFolders) {
  TempDir elsewhere;
  write_file(elsewhere.path + "/Pack/s/a.sm", titled("Linked"));
  write_file(elsewhere.path + "/Song/b.sm", titled("Linked song"));
  folder("Real");
  fs::create_directory_symlink(elsewhere.path + "/Pack", dir.path + "/Songs/Linked pack");
  fs::create_directory_symlink(elsewhere.path + "/Song", dir.path + "/Songs/Real/ls");
  fs::create_symlink(elsewhere.path + "/missing", dir.path + "/Songs/Dangling");
  EXPECT_EQ("Linked pack: Linked [s/a.sm]\nReal: Linked song [ls/b.sm]\n", describe(scan()));
}

TEST_F(ScanTest, FailsOnlyWhenSongsCannotBeListed) {
  WorkingDir here(dir.path);
  std::vector<SongGroup> groups;
  EXPECT_FALSE(scan_library(groups));
  fs::create_directory(dir.path + "/Songs");
  EXPECT_TRUE(scan_library(groups));
  EXPECT_TRUE(groups.empty());
}

// Readers are held on these song files, as on a slow network mount, until they may go
// on; the first file also waits until a second one is started, so that both readers read.
std::vector<std::string> held_files;
std::atomic<std::size_t> files_started{0};
std::atomic<std::size_t> readers_held{0};
std::atomic<bool> held_files_may_go{false};
void hold_files(const std::string& path) {
  ++files_started;
  while (path == "Songs/g/a/x.sm" && files_started < 2) std::this_thread::sleep_for(1ms);
  if (std::find(held_files.begin(), held_files.end(), path) == held_files.end()) return;
  ++readers_held;
  while (!held_files_may_go) std::this_thread::sleep_for(1ms);
}

// Two readers: while one is held on a file, the other reads on past it until it is held
// too or runs out of files. The line shows the first held file in library order, not a
// later one nor the last one the other reader read.
TEST_F(ScanTest, ProgressShowsTheFirstFileStillBeingRead) {
  for (std::string name : {"a", "b", "c", "d", "e"}) song("g/" + name + "/x.sm", titled(name));
  WorkingDir here(dir.path);
  using Files = std::vector<std::string>;
  for (const Files& held : {Files{"Songs/g/a/x.sm", "Songs/g/d/x.sm"}, Files{"Songs/g/e/x.sm"}}) {
    held_files = held;
    files_started = readers_held = 0;
    held_files_may_go = false;
    ScanJob job;
    job.reader_count = 2;
    job.before_read = hold_files;
    ASSERT_TRUE(start_scan(job));
    auto readers_left = [&job] {
      std::lock_guard lock(job.mutex);
      return static_cast<std::size_t>(job.readers_left);
    };
    auto give_up = std::chrono::steady_clock::now() + 10s;
    while (readers_held < held.size() || readers_left() > held.size()) {
      ASSERT_LT(std::chrono::steady_clock::now(), give_up);
      std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(held[0], scan_progress_path(job));
    held_files_may_go = true;
    while (!wait_for_scan(job, 10ms)) ASSERT_LT(std::chrono::steady_clock::now(), give_up);
    std::vector<SongGroup> groups;
    ASSERT_TRUE(finish_scan(job, groups));
    EXPECT_EQ(5u, groups[0].songs.size());
  }
}

TEST(ScanCorpus, ReadsTheRealLibrary) {
  std::string corpus = corpus_dir();
  if (corpus.empty()) GTEST_SKIP() << skip_reason("../shared/corpus is absent: no library to scan");
  WorkingDir here(corpus);
  std::vector<SongGroup> groups;
  ASSERT_TRUE(scan_library(groups));
  std::size_t songs = 0;
  std::size_t charts = 0;
  std::vector<std::string> names;
  for (const SongGroup& group : groups) {
    names.push_back(group.name);
    songs += group.songs.size();
    for (const Song& song : group.songs) charts += song.charts.size();
  }
  EXPECT_EQ((std::vector<std::string>{"Community Mix", "Dance! @ Anime Destiny 2022",
                                      "Easy As Pie 2", "HARDCORE NEZUMBxC",
                                      "High-speed Happiness Vol.3", "misc songs", "Mixed Styles"}),
            names);
  EXPECT_EQ(68u, songs);
  EXPECT_EQ(237u, charts);
}

}  // namespace
