// browser/tree_rows_test.cpp: row order, visibility and marks.
#include "browser/tree_rows.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/library_builder.h"

namespace {

// "g0", "g0s1" or "g0s1c2" for one row.
std::string describe_row(const TreeRow& row) {
  std::string text = "g" + std::to_string(row.group);
  if (row.song >= 0) text += "s" + std::to_string(row.song);
  if (row.chart >= 0) text += "c" + std::to_string(row.chart);
  return text;
}

// The visible rows in order, as the walk with next_visible_row finds them.
std::string visible_rows(const std::vector<TreeRow>& rows) {
  std::string text;
  for (int i = 0; i < row_count(rows); i = next_visible_row(rows, i))
    text += (text.empty() ? "" : " ") + describe_row(item_at(rows, i));
  return text;
}

// The same walk backwards with previous_visible_row, from the row count.
std::string visible_rows_backwards(const std::vector<TreeRow>& rows) {
  std::string text;
  for (int i = row_count(rows); i > 0;) {
    i = previous_visible_row(rows, i);
    text = describe_row(item_at(rows, i)) + (text.empty() ? "" : " ") + text;
  }
  return text;
}

// Two groups: Alpha (a song with two charts, a song without charts), Beta (one song
// with one chart), and an empty group Gamma.
std::vector<SongGroup> small_library() {
  return make_library({
      {"Alpha",
       {{"A1", {{Mode::Single, Difficulty::Hard, 12}, {Mode::Double, Difficulty::Easy, 4}}},
        {"A2", {}}}},
      {"Beta", {{"B1", {{Mode::Single, Difficulty::Expert, 10}}}}},
      {"Gamma", {}},
  });
}

TEST(TreeRows, FollowLibraryOrderAllCollapsed) {
  std::vector<SongGroup> groups = small_library();
  std::vector<TreeRow> rows = build_rows(groups);
  std::string all;
  for (const TreeRow& row : rows) {
    all += (all.empty() ? "" : " ") + describe_row(row);
    EXPECT_FALSE(row.expanded);
  }
  EXPECT_EQ("g0 g0s0 g0s0c0 g0s0c1 g0s1 g1 g1s0 g1s0c0 g2", all);
  EXPECT_TRUE(build_rows(make_library({})).empty());
}

TEST(TreeRows, OnlyGroupsAreVisibleAtFirst) {
  std::vector<TreeRow> rows = build_rows(small_library());
  EXPECT_EQ("g0 g1 g2", visible_rows(rows));
  EXPECT_EQ("g0 g1 g2", visible_rows_backwards(rows));
}

TEST(TreeRows, ChartsShowWhenGroupAndSongAreExpanded) {
  std::vector<TreeRow> rows = build_rows(small_library());
  rows[0].expanded = true;
  rows[1].expanded = true;
  rows[6].expanded = true;  // song B1 in a collapsed group: still hidden
  EXPECT_EQ("g0 g0s0 g0s0c0 g0s0c1 g0s1 g1 g2", visible_rows(rows));
  EXPECT_EQ("g0 g0s0 g0s0c0 g0s0c1 g0s1 g1 g2", visible_rows_backwards(rows));
  rows[5].expanded = true;
  EXPECT_EQ("g0 g0s0 g0s0c0 g0s0c1 g0s1 g1 g1s0 g1s0c0 g2", visible_rows(rows));
  EXPECT_EQ("g0 g0s0 g0s0c0 g0s0c1 g0s1 g1 g1s0 g1s0c0 g2", visible_rows_backwards(rows));
}

TEST(TreeRows, CollapsedGroupHidesItsExpandedSongs) {
  std::vector<TreeRow> rows = build_rows(small_library());
  rows[1].expanded = true;  // song A1 expanded, group Alpha collapsed
  EXPECT_EQ("g0 g1 g2", visible_rows(rows));
  EXPECT_EQ(0, previous_visible_row(rows, 5));  // from Beta up past A1's charts
}

TEST(TreeRows, LastVisibleRowOfAnExpandedLastGroup) {
  std::vector<SongGroup> groups =
      make_library({{"Alpha", {{"A1", {{Mode::Single, Difficulty::Hard, 9}}}}}});
  std::vector<TreeRow> rows = build_rows(groups);
  EXPECT_EQ(0, previous_visible_row(rows, row_count(rows)));
  rows[0].expanded = true;
  EXPECT_EQ(1, previous_visible_row(rows, row_count(rows)));
  rows[1].expanded = true;
  EXPECT_EQ(2, previous_visible_row(rows, row_count(rows)));
  rows[0].expanded = false;  // the song stays expanded, hidden in its group
  EXPECT_EQ(0, previous_visible_row(rows, row_count(rows)));
  EXPECT_EQ(row_count(rows), next_visible_row(rows, 0));
}

TEST(TreeRows, ParentRowsOfEachKind) {
  std::vector<TreeRow> rows = build_rows(small_library());
  EXPECT_EQ(0, group_row_of(rows, 0));
  EXPECT_EQ(0, group_row_of(rows, 3));
  EXPECT_EQ(5, group_row_of(rows, 7));
  EXPECT_EQ(8, group_row_of(rows, 8));
  EXPECT_EQ(1, song_row_of(rows, 3));
  EXPECT_EQ(6, song_row_of(rows, 7));
  EXPECT_EQ(4, song_row_of(rows, 4));
}

// Visibility straight from its definition: a song needs its group expanded, a chart its
// group and its song.
bool is_visible(const std::vector<TreeRow>& rows, int i) {
  const TreeRow& row = item_at(rows, i);
  if (is_group_row(row)) return true;
  if (!item_at(rows, group_row_of(rows, i)).expanded) return false;
  return !is_chart_row(row) || item_at(rows, song_row_of(rows, i)).expanded;
}

TEST(TreeRows, WalksAgreeWithVisibilityOnMixedExpansions) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    std::vector<TestGroup> shape;
    int group_count = 1 + static_cast<int>(random() % 5);
    for (int g = 0; g < group_count; ++g)
      shape.push_back(make_test_group("G" + std::to_string(g), static_cast<int>(random() % 4),
                                      static_cast<int>(random() % 4)));
    std::vector<SongGroup> groups = make_library(shape);
    std::vector<TreeRow> rows = build_rows(groups);
    for (TreeRow& row : rows) row.expanded = random() % 2 == 0;
    std::string expected;
    for (int i = 0; i < row_count(rows); ++i)
      if (is_visible(rows, i))
        expected += (expected.empty() ? "" : " ") + describe_row(item_at(rows, i));
    EXPECT_EQ(expected, visible_rows(rows)) << "round " << round;
    EXPECT_EQ(expected, visible_rows_backwards(rows)) << "round " << round;
  }
}

}  // namespace
