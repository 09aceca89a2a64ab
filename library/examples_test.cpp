// library/examples_test.cpp: the bundled demo library scans as the demo expects: its
// order, its one unreadable song, and every chart of every readable song.
#include <gtest/gtest.h>

#include <filesystem>

#include "library/scan.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The demo library, scanned from a copy so the bundled files are never touched.
struct ExamplesTest : testing::Test {
  TempDir dir;
  std::vector<SongGroup> groups;
  void SetUp() override {
    fs::copy(fs::path(RERATE_EXAMPLES_DIR) / "Songs", fs::path(dir.path) / "Songs",
             fs::copy_options::recursive);
    WorkingDir here(dir.path);
    ASSERT_TRUE(scan_library(groups));
  }
};

// "group: title [folder/file] ..." per group, one line each.
std::string describe(const std::vector<SongGroup>& groups) {
  std::string out;
  for (const SongGroup& group : groups) {
    out += group.name;
    out += ':';
    for (const Song& song : group.songs) {
      out += ' ';
      out += song.title.value_or("(none)");
      out += " [";
      out += song.folder;
      out += '/';
      out += song.file;
      out += ']';
    }
    out += '\n';
  }
  return out;
}

TEST_F(ExamplesTest, GroupsAndSongsComeInCaseInsensitiveOrder) {
  EXPECT_EQ(
      "another Pack: clockwork Heart [Clockwork/Clockwork.sm] Paper Moon [Paper Moon/Paper "
      "Moon.sm]\n"
      "Demo Pack: Afterglow Run [Afterglow Run/Afterglow Run.sm] bright Lights "
      "[bright-lights/bright-lights.sm] Lanterns [Lanterns/Lanterns.ssc] Morning Glide "
      "[Morning Glide/steps.sm] Starfall [Starfall/Starfall.sm]\n"
      "zz Lowercase pack: #ERROR#Broken Song [Broken Song/Broken Song.sm] echoes of Spring "
      "[Echoes/Echoes.sm] Neon Drift [Neon Drift/Neon Drift.sm] Zebra Crossing [Zebra "
      "Crossing/Zebra Crossing.sm]\n",
      describe(groups));
}

TEST_F(ExamplesTest, OnlyTheBrokenSongIsUnreadable) {
  for (const SongGroup& group : groups) {
    for (const Song& song : group.songs) {
      bool broken = song.folder == "Broken Song";
      EXPECT_EQ(broken, song.charts.empty()) << song.folder;
      if (broken) {
        EXPECT_TRUE(song.charts.empty());
        EXPECT_EQ("#ERROR#Broken Song", song.title.value_or(""));
      }
    }
  }
}

TEST_F(ExamplesTest, EveryReadableSongHasBothModesInAllSixDifficulties) {
  for (const SongGroup& group : groups) {
    for (const Song& song : group.songs) {
      if (song.charts.empty()) continue;
      int found[mode_count][difficulty_count] = {};
      for (const Chart& chart : song.charts) {
        ++found[static_cast<int>(chart.mode)][static_cast<int>(chart.difficulty)];
        EXPECT_GE(chart.meter, 1) << song.folder;
        EXPECT_LE(chart.meter, 19) << song.folder;
      }
      for (int mode = 0; mode < mode_count; ++mode)
        for (int difficulty = 0; difficulty < difficulty_count; ++difficulty)
          EXPECT_EQ(1, found[mode][difficulty])
              << song.folder << ": " << mode_name(static_cast<Mode>(mode)) << " "
              << difficulty_name(static_cast<Difficulty>(difficulty));
    }
  }
}

}  // namespace
