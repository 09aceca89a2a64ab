// scale/scale_screen_test.cpp: the scale screens' order, limits and preview.
#include "scale/scale_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/screen_test.h"

namespace {

constexpr int enter = 13;
constexpr int space = 32;

ScaleState state_for(bool per_mode, bool per_difficulty) {
  return make_scale_state(OptionsState{per_mode, per_difficulty, 2});
}

// The (mode_pos, difficulty_pos) of every screen, in the order they are shown.
std::vector<std::pair<int, int>> screen_order(bool per_mode, bool per_difficulty) {
  ScaleState state = state_for(per_mode, per_difficulty);
  std::vector<std::pair<int, int>> order;
  for (int guard = 0; guard < 20; ++guard) {
    order.emplace_back(state.mode_pos, state.difficulty_pos);
    if (handle_scale_key(state, guard % 2 ? space : enter)) break;
  }
  return order;
}

TEST(ScaleKeys, ScreensComeInOrderForEveryCombinationOfOptions) {
  using Order = std::vector<std::pair<int, int>>;
  EXPECT_EQ((Order{{-1, -1}}), screen_order(false, false));
  EXPECT_EQ((Order{{-1, 0}, {-1, 1}, {-1, 2}, {-1, 3}, {-1, 4}, {-1, 5}}),
            screen_order(false, true));
  EXPECT_EQ((Order{{0, -1}, {1, -1}}), screen_order(true, false));
  Order both;
  for (int m = 0; m < 2; ++m)
    for (int d = 0; d < 6; ++d) both.emplace_back(m, d);
  EXPECT_EQ(both, screen_order(true, true));
}

TEST(ScaleKeys, LeftStopsAtStepOneAndRightAtStepNine) {
  ScaleState state = state_for(false, false);
  for (int i = 0; i < 4; ++i) handle_scale_key(state, KEY_LEFT);
  EXPECT_EQ(1, shown_step(state));
  handle_scale_key(state, KEY_LEFT);
  EXPECT_EQ(1, shown_step(state));
  for (int i = 0; i < 8; ++i) handle_scale_key(state, KEY_RIGHT);
  EXPECT_EQ(9, shown_step(state));
  handle_scale_key(state, KEY_RIGHT);
  EXPECT_EQ(9, shown_step(state));
  for (auto& row : state.table.steps)
    for (int step : row) EXPECT_EQ(9, step);
}

TEST(ScaleKeys, ChangingSingleLeavesDoubleAtFive) {
  ScaleState state = state_for(true, false);
  handle_scale_key(state, KEY_RIGHT);
  handle_scale_key(state, enter);
  EXPECT_EQ(5, shown_step(state));
  for (int d = 0; d < difficulty_count; ++d) {
    EXPECT_EQ(6, state.table.steps[0][d]);
    EXPECT_EQ(5, state.table.steps[1][d]);
  }
}

TEST(ScaleKeys, OtherKeysDoNothing) {
  ScaleState state = state_for(true, true);
  const int keys[] = {'\n', KEY_UP, KEY_DOWN, KEY_ENTER, 'q'};
  for (int key : keys) EXPECT_FALSE(handle_scale_key(state, key)) << key;
  EXPECT_EQ(0, state.mode_pos);
  EXPECT_EQ(0, state.difficulty_pos);
  EXPECT_EQ(5, shown_step(state));
}

using ScaleScreenTest = ScreenTest;

TEST_F(ScaleScreenTest, SingleScreenShowsStepFiveAndTheWholePreview) {
  draw_scale_screen(state_for(false, false));
  std::vector<std::string> expected = {
      "Use arrow keys set a rating scale. Press Space/Enter to continue.",
      "< 1.5 >",
      "",
      " 7 ->  5",
      " 8 ->  5",
      " 9 ->  6",
      "10 ->  7",
      "11 ->  7",
      "12 ->  8",
      "13 ->  9",
      "14 ->  9",
      "15 -> 10",
      "16 -> 11",
      "17 -> 11",
      "18 -> 12",
      "19 -> 13",
      ""};
  for (int y = 0; y < static_cast<int>(expected.size()); ++y)
    EXPECT_EQ(expected[static_cast<std::size_t>(y)], screen_line(y)) << y;
  EXPECT_FALSE(is_highlighted(1, 0));
}

TEST_F(ScaleScreenTest, ModeAndDifficultyLinesComeFirstAndExpertIsNamedSo) {
  ScaleState state = state_for(true, true);
  state.mode_pos = 1;
  state.difficulty_pos = 4;
  state.table.steps[1][4] = 2;
  draw_scale_screen(state);
  EXPECT_EQ("Mode: Double", screen_line(0));
  EXPECT_EQ("Difficulty: Expert", screen_line(1));
  EXPECT_EQ("Use arrow keys set a rating scale. Press Space/Enter to continue.", screen_line(2));
  EXPECT_EQ("< 1.2 >", screen_line(3));
  EXPECT_EQ(" 9 ->  8", screen_line(7));
  EXPECT_EQ("15 -> 13", screen_line(13));
  EXPECT_EQ("19 -> 16", screen_line(17));
}

TEST_F(ScaleScreenTest, OnlyTheDifficultyLineWhenModesShareAScreen) {
  ScaleState state = state_for(false, true);
  draw_scale_screen(state);
  EXPECT_EQ("Difficulty: Beginner", screen_line(0));
  EXPECT_EQ("< 1.5 >", screen_line(2));
}

// The loop draws each frame before it reads a key, so after the confirming key the
// screen still shows the frame it was pressed on.
TEST_F(ScaleScreenTest, MarkersDisappearAtTheLimits) {
  ScaleState state = state_for(false, false);
  push_keys({KEY_LEFT, KEY_LEFT, KEY_LEFT, KEY_LEFT, KEY_LEFT, enter});
  ASSERT_EQ(ScreenExit::Done, run_scale_screen_loop(state));
  char text[16] = {};
  mvwinnstr(stdscr, 1, 0, text, 7);
  EXPECT_STREQ("  1.1 >", text);
  EXPECT_EQ("19 -> 17", screen_line(15));
  state = state_for(false, false);
  push_keys({KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, space});
  ASSERT_EQ(ScreenExit::Done, run_scale_screen_loop(state));
  mvwinnstr(stdscr, 1, 0, text, 7);
  EXPECT_STREQ("< 1.9  ", text);
  EXPECT_EQ("19 -> 10", screen_line(15));
}

}  // namespace
