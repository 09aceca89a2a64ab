// library/chart_rule_test.cpp: rules applied to a small library, and the texts they are
// read from.
#include "library/chart_rule.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/library_builder.h"

namespace {

// Group A: A1 with Single Easy 5, Single Hard 12, Double Hard 13 (rescaled before),
// Double Expert 15; A2 without charts. Group B: B1 with Single Hard 12, Double Medium 8.
// Group C without songs.
std::vector<SongGroup> small_library() {
  return make_library(
      {{"A",
        {{"A1",
          {{Mode::Single, Difficulty::Easy, 5},
           {Mode::Single, Difficulty::Hard, 12},
           {Mode::Double, Difficulty::Hard, 13, false, true},
           {Mode::Double, Difficulty::Expert, 15}}},
         {"A2", {}}}},
       {"B",
        {{"B1", {{Mode::Single, Difficulty::Hard, 12}, {Mode::Double, Difficulty::Medium, 8}}}}},
       {"C", {}}});
}

struct RuleCase {
  const char* what;
  std::function<void(ChartRule&)> change;
  int group;  // the scope: the whole library when -1
  const char* selected;
};

TEST(ChartRule, EachFieldAloneAndCombinedSelectsWhatItMatchesInItsScope) {
  const RuleCase cases[] = {
      {"everything not rescaled", [](ChartRule&) {}, -1, "YY.Y, | YY | "},
      {"Single",
       [](ChartRule& r) {
         r.modes = {true, false};
       },
       -1, "YY.., | Y. | "},
      {"Hard", [](ChartRule& r) { r.difficulties = {false, false, false, true, false, false}; }, -1,
       ".Y.., | Y. | "},
      {"12-13", [](ChartRule& r) { r.meter_from = 12, r.meter_to = 13; }, -1, ".Y.., | Y. | "},
      {"rescaled too", [](ChartRule& r) { r.include_rescaled = true; }, -1, "YYYY, | YY | "},
      {"Double 8-13 with rescaled",
       [](ChartRule& r) {
         r.modes = {false, true};
         r.meter_from = 8, r.meter_to = 13;
         r.include_rescaled = true;
       },
       -1, "..Y., | .Y | "},
      {"no meter in range", [](ChartRule& r) { r.meter_from = 16; }, -1, "...., | .. | "},
      {"no difficulty", [](ChartRule& r) { r.difficulties = {}; }, -1, "...., | .. | "},
      {"group B", [](ChartRule&) {}, 1, "...., | YY | "},
      {"group C", [](ChartRule&) {}, 2, "...., | .. | "},
  };
  for (const RuleCase& c : cases) {
    std::vector<SongGroup> groups = small_library();
    SelectionCounts counts = count_selection(groups);
    ChartRule rule;
    c.change(rule);
    SongScope scope = c.group < 0 ? library_scope(groups) : group_scope(groups, c.group);
    RuleOutcome outcome = apply_rule(counts, groups, rule, scope, RuleAction::Select);
    EXPECT_EQ(c.selected, describe_selection(groups)) << c.what;
    EXPECT_EQ(outcome.changed, counts.charts) << c.what;
  }
}

TEST(ChartRule, ClearingUndoesOnlyWhatItMatchesAndTellsWhatItLeftOut) {
  std::vector<SongGroup> groups = small_library();
  SelectionCounts counts = count_selection(groups);
  ChartRule rule;
  rule.include_rescaled = true;
  apply_rule(counts, groups, rule, library_scope(groups), RuleAction::Select);
  ChartRule hard;
  hard.difficulties = {false, false, false, true, false, false};
  RuleOutcome outcome = apply_rule(counts, groups, hard, library_scope(groups), RuleAction::Clear);
  EXPECT_EQ("Y.YY, | .Y | ", describe_selection(groups));
  EXPECT_EQ(2, outcome.matched);
  EXPECT_EQ(2, outcome.changed);
  EXPECT_EQ(1, outcome.rescaled_left_out);
  outcome = apply_rule(counts, groups, hard, library_scope(groups), RuleAction::Clear);
  EXPECT_EQ(2, outcome.matched);
  EXPECT_EQ(0, outcome.changed);
}

TEST(ChartRule, ReadsMeterRangesModesAndDifficultyLists) {
  std::optional<MeterRange> range = parse_meter_range("10-15");
  ASSERT_TRUE(range);
  EXPECT_EQ(10, range->from);
  EXPECT_EQ(15, range->to);
  range = parse_meter_range("7");
  ASSERT_TRUE(range);
  EXPECT_EQ(7, range->from);
  EXPECT_EQ(7, range->to);
  for (const char* wrong :
       {"", "-", "15-10", "a-b", "1-", "-5", "0-3", "1-2-3", "+1-2", " 1-2", "9999999999-1"})
    EXPECT_FALSE(parse_meter_range(wrong)) << wrong;

  EXPECT_EQ(Mode::Double, parse_mode("DOUBLE"));
  EXPECT_EQ(Mode::Single, parse_mode("single"));
  EXPECT_FALSE(parse_mode("singles"));
  std::optional<std::array<bool, difficulty_count>> list =
      parse_difficulty_list("hard,Challenge,EDIT");
  ASSERT_TRUE(list);
  EXPECT_EQ((std::array<bool, difficulty_count>{false, false, false, true, true, true}), *list);
  EXPECT_EQ(Difficulty::Beginner, parse_difficulty("Beginner"));
  for (const char* wrong : {"", "hard,", "harder", ",easy"})
    EXPECT_FALSE(parse_difficulty_list(wrong)) << wrong;
}

}  // namespace
