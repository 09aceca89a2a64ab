// app/choice_screens_test.cpp: the options and scale screens run together from the
// keyboard.
#include "app/choice_screens.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/library_builder.h"
#include "tests/support/screen_test.h"

namespace {

constexpr int enter = 13;

// Queues keys for the screens in the order given.
void push_key_list(const std::vector<int>& keys) {
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) ungetch(*it);
}

// Keys that move a screen from step 5 to `step`, then confirm it.
void add_screen_keys(std::vector<int>& keys, int step) {
  for (int s = 5; s > step; --s) keys.push_back(KEY_LEFT);
  for (int s = 5; s < step; ++s) keys.push_back(KEY_RIGHT);
  keys.push_back(enter);
}

// The keys that choose the options, one step per screen from `steps`, in screen order.
std::vector<int> keys_for(bool per_mode, bool per_difficulty, const std::vector<int>& steps) {
  std::vector<int> keys;
  if (per_mode) keys.push_back(enter);
  keys.push_back(KEY_DOWN);
  if (per_difficulty) keys.push_back(enter);
  keys.push_back(KEY_DOWN);
  keys.push_back(enter);  // Continue
  for (int step : steps) add_screen_keys(keys, step);
  return keys;
}

// The table the screens filled, or nothing when they did not end with Done.
std::optional<ScaleTable> run_scale_screens() {
  ScaleChoices choices;
  if (::run_scale_screens(choices) != ScreenExit::Done) return std::nullopt;
  return choices.table;
}

using ScaleScreensTest = ScreenTest;

TEST_F(ScaleScreensTest, NeitherOptionGivesOneScreenForEverything) {
  push_key_list(keys_for(false, false, {7}));
  std::optional<ScaleTable> table = run_scale_screens();
  ASSERT_TRUE(table);
  for (auto& row : table->steps)
    for (int step : row) EXPECT_EQ(7, step);
}

TEST_F(ScaleScreensTest, PerDifficultyGivesSixScreensBeginnerToEditForBothModes) {
  push_key_list(keys_for(false, true, {1, 2, 3, 4, 6, 9}));
  std::optional<ScaleTable> table = run_scale_screens();
  ASSERT_TRUE(table);
  const int expected[] = {1, 2, 3, 4, 6, 9};
  for (auto& row : table->steps)
    for (int d = 0; d < difficulty_count; ++d) EXPECT_EQ(expected[d], row[d]) << d;
}

TEST_F(ScaleScreensTest, PerModeGivesSingleThenDoubleForAllDifficulties) {
  push_key_list(keys_for(true, false, {2, 8}));
  std::optional<ScaleTable> table = run_scale_screens();
  ASSERT_TRUE(table);
  for (int d = 0; d < difficulty_count; ++d) {
    EXPECT_EQ(2, table->steps[0][d]);
    EXPECT_EQ(8, table->steps[1][d]);
  }
}

TEST_F(ScaleScreensTest, BothOptionsGiveTwelveScreensSingleFirst) {
  std::vector<int> steps = {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3};
  push_key_list(keys_for(true, true, steps));
  std::optional<ScaleTable> table = run_scale_screens();
  ASSERT_TRUE(table);
  for (int m = 0; m < mode_count; ++m)
    for (int d = 0; d < difficulty_count; ++d)
      EXPECT_EQ(steps[static_cast<std::size_t>(m * difficulty_count + d)], table->steps[m][d])
          << m << " " << d;
}

TEST_F(ScaleScreensTest, InputEndingBeforeTheLastScreenIsConfirmedGivesNothing) {
  std::vector<int> keys = keys_for(true, false, {5, 5});
  keys.pop_back();  // the Double screen is never confirmed
  push_key_list(keys);
  EXPECT_FALSE(run_scale_screens());
  push_keys({KEY_DOWN, enter});  // still on the options screen
  EXPECT_FALSE(run_scale_screens());
}

// Esc on the options screen goes back to the browser, Esc on a scale screen to the
// screen before, and then to the options screen; the choices made stay.
TEST_F(ScaleScreensTest, EscGoesBackAScreenKeepingTheChoices) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 1, 1)});
  BrowserState browser = make_browser_state(groups, 21);
  push_key_list({KEY_F(5), 27, ' ', KEY_F(5), enter, KEY_UP, enter, KEY_LEFT, enter, 27, 27, enter,
                 enter, KEY_RIGHT, enter});
  ScaleTable table{};
  EXPECT_EQ(ScreenExit::Done, run_choice_screens(browser, groups, table));
  EXPECT_TRUE(groups[0].songs[0].charts[0].selected);
  for (int d = 0; d < difficulty_count; ++d) {
    EXPECT_EQ(4, table.steps[0][d]);
    EXPECT_EQ(6, table.steps[1][d]);
  }
}

}  // namespace
