// scale/options_screen_test.cpp: the options screen's keys and what it shows.
#include "scale/options_screen.h"

#include <gtest/gtest.h>

#include "tests/support/screen_test.h"

namespace {

constexpr int enter = 13;
constexpr int space = 32;

TEST(OptionsKeys, UpAndDownWrapAroundTheThreeItems) {
  OptionsState state = make_options_state();
  handle_options_key(state, KEY_UP);
  EXPECT_EQ(2, state.item);
  handle_options_key(state, KEY_DOWN);
  EXPECT_EQ(0, state.item);
  handle_options_key(state, KEY_DOWN);
  handle_options_key(state, KEY_DOWN);
  EXPECT_EQ(2, state.item);
}

TEST(OptionsKeys, EnterAndSpaceFlipTheHighlightedChoiceOnly) {
  OptionsState state = make_options_state();
  EXPECT_FALSE(handle_options_key(state, enter));
  EXPECT_TRUE(state.per_mode);
  EXPECT_FALSE(state.per_difficulty);
  EXPECT_FALSE(handle_options_key(state, enter));
  EXPECT_FALSE(state.per_mode);
  handle_options_key(state, KEY_DOWN);
  EXPECT_FALSE(handle_options_key(state, space));
  EXPECT_TRUE(state.per_difficulty);
  EXPECT_FALSE(state.per_mode);
}

TEST(OptionsKeys, ContinueEndsTheScreenWithEnterOrSpace) {
  OptionsState state = make_options_state();
  handle_options_key(state, KEY_UP);
  EXPECT_TRUE(handle_options_key(state, enter));
  EXPECT_TRUE(handle_options_key(state, space));
}

TEST(OptionsKeys, OtherKeysDoNothing) {
  OptionsState state = make_options_state();
  const int keys[] = {'\n', 'y', KEY_LEFT, KEY_RIGHT, KEY_ENTER, KEY_F(5)};
  for (int key : keys) EXPECT_FALSE(handle_options_key(state, key)) << key;
  EXPECT_EQ(0, state.item);
  EXPECT_FALSE(state.per_mode);
  EXPECT_FALSE(state.per_difficulty);
}

using OptionsScreenTest = ScreenTest;

TEST_F(OptionsScreenTest, ShowsBothChoicesAndContinueWithTheFirstHighlighted) {
  draw_options_screen(make_options_state());
  EXPECT_EQ("[ ] Use different multiplier for Single/Double", screen_line(0));
  EXPECT_EQ("[ ] Use different multiplier per difficulty", screen_line(1));
  EXPECT_EQ("", screen_line(2));
  EXPECT_EQ("Continue", screen_line(3));
  EXPECT_TRUE(is_highlighted(0, 0));
  EXPECT_TRUE(is_highlighted(0, 45));
  EXPECT_FALSE(is_highlighted(0, 46));
  EXPECT_FALSE(is_highlighted(1, 0));
  EXPECT_FALSE(is_highlighted(3, 0));
}

TEST_F(OptionsScreenTest, ChosenOptionsShowYAndContinueIsHighlightedWhole) {
  draw_options_screen(OptionsState{true, true, 2});
  EXPECT_EQ("[Y] Use different multiplier for Single/Double", screen_line(0));
  EXPECT_EQ("[Y] Use different multiplier per difficulty", screen_line(1));
  EXPECT_FALSE(is_highlighted(0, 0));
  EXPECT_TRUE(is_highlighted(3, 0));
  EXPECT_TRUE(is_highlighted(3, 7));
  EXPECT_FALSE(is_highlighted(3, 8));
}

TEST_F(OptionsScreenTest, EnterBeforeMovingSwitchesTheFirstChoiceAndStays) {
  OptionsState state = make_options_state();
  push_keys({enter, KEY_UP, enter});
  EXPECT_EQ(ScreenExit::Done, run_options_screen(state));
  EXPECT_TRUE(state.per_mode);
  EXPECT_FALSE(state.per_difficulty);
}

}  // namespace
