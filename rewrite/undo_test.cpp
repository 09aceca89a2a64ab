// rewrite/undo_test.cpp: undoing a rewrite that was killed part way: exactly the files it
// replaced come back, byte for byte.
#include "rewrite/undo.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "library/scan.h"
#include "rewrite/journal.h"
#include "rewrite/rewriter.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Undo, AKilledRewriteIsUndoneForExactlyTheFilesItReplaced) {
  constexpr int song_count = 200;  // two batches
  const int delays_us[] = {20000, 250000, 600000};
  for (int delay : delays_us) {
    TempDir dir;
    WorkingDir cwd(dir.path);
    std::vector<std::string> paths, originals;
    for (int n = 0; n < song_count; ++n) {
      std::string measures;
      for (int i = 0; i < 1000 + n; ++i) measures += "0000\n0100\n,\n";
      paths.push_back(dir.path + "/Songs/Pack/S" + std::to_string(n) + "/song.sm");
      originals.push_back(song_file(
          "S" + std::to_string(n),
          notes("dance-single", "Hard", "012", measures) + notes("dance-double", "Edit", "9")));
      write_file(paths.back(), originals.back());
    }
    std::vector<SongGroup> groups;
    ASSERT_TRUE(scan_library(groups));
    for (Song& song : groups[0].songs)
      for (Chart& chart : song.charts) chart.selected = true;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::FILE* report = std::fopen("/dev/null", "w");
      rewrite_library(groups, table_of(5), report);
      _exit(0);
    }
    usleep(static_cast<useconds_t>(delay));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::optional<std::string> journal = newest_journal(".");
    if (journal) {
      std::FILE* report = std::fopen("/dev/null", "w");
      std::string error;
      std::optional<UndoOutcome> outcome = undo_rewrite(*journal, report, error);
      std::fclose(report);
      ASSERT_TRUE(outcome) << error;
      EXPECT_EQ(0, outcome->not_restored);
    }
    for (int n = 0; n < song_count; ++n)
      ASSERT_EQ(originals[static_cast<std::size_t>(n)],
                read_file(paths[static_cast<std::size_t>(n)]))
          << "song " << n << " after " << delay << " us";
  }
}

}  // namespace
