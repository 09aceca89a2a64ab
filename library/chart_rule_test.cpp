// library/chart_rule_test.cpp: rules applied to a small library, and the texts they are
// read from.
#include "library/chart_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/support/library_builder.h"

namespace {

// Group A: A1 with Single Easy 5, Single Hard 12, Double Hard 13 (rescaled before),
// Double Expert 15; A2 without charts. Group B: B1 with Single Hard 12 (selected),
// Double Medium 8. Group C without songs.
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
        {{"B1",
          {{Mode::Single, Difficulty::Hard, 12, true}, {Mode::Double, Difficulty::Medium, 8}}}}},
       {"C", {}}});
}

constexpr std::array<bool, difficulty_count> hard{false, false, false, true, false, false};
constexpr RuleAction select = RuleAction::Select;

TEST(ChartRule, EachFieldAloneAndCombinedInEachScopeSelectsOrClearsWhatItMatches) {
  struct {
    ChartRule rule;
    int group;  // the scope: the whole library when -1
    RuleAction action;
    const char* after;  // the selection, then charts matched / changed / rescaled left out
  } const cases[] = {
      {{}, -1, select, "YY.Y, | YY | 5/4/1"},
      {{.modes = {true, false}}, -1, select, "YY.., | Y. | 3/2/0"},
      {{.difficulties = hard}, -1, select, ".Y.., | Y. | 2/1/1"},
      {{.meter_from = 12, .meter_to = 13}, -1, select, ".Y.., | Y. | 2/1/1"},
      {{.include_rescaled = true}, -1, select, "YYYY, | YY | 6/5/0"},
      {{.modes = {false, true}, .meter_from = 8, .meter_to = 13, .include_rescaled = true},
       -1,
       select,
       "..Y., | YY | 2/2/0"},
      {{.meter_from = 16}, -1, select, "...., | Y. | 0/0/0"},
      {{.difficulties = {}}, -1, select, "...., | Y. | 0/0/0"},
      {{}, 1, select, "...., | YY | 2/1/0"},
      {{}, 2, select, "...., | Y. | 0/0/0"},
      {{.difficulties = hard}, -1, RuleAction::Clear, "...., | .. | 2/1/1"},
      {{}, 0, RuleAction::Clear, "...., | Y. | 3/0/1"},
  };
  for (const auto& c : cases) {
    std::vector<SongGroup> groups = small_library();
    SelectionCounts counts = count_selection(groups);
    SongScope scope = c.group < 0 ? library_scope(groups) : group_scope(groups, c.group);
    RuleOutcome outcome = apply_rule(counts, groups, c.rule, scope, c.action);
    EXPECT_EQ(c.after, selection(groups) + std::to_string(outcome.matched) + "/" +
                           std::to_string(outcome.changed) + "/" +
                           std::to_string(outcome.rescaled_left_out));
  }
}

TEST(ChartRule, ReadsMeterRangesModesAndDifficultyLists) {
  for (auto [text, from, to] :
       {std::tuple{"10-15", 10, 15}, {"7", 7, 7}, {"1-2147483647", 1, 2147483647}}) {
    std::optional<MeterRange> range = parse_meter_range(text);
    EXPECT_TRUE(range && range->from == from && range->to == to) << text;
  }
  for (const char* wrong :
       {"", "-", "15-10", "a-b", "1-", "-5", "0-3", "1-2-3", "+1-2", " 1-2", "9999999999-1"})
    EXPECT_FALSE(parse_meter_range(wrong)) << wrong;

  EXPECT_EQ(Mode::Double, parse_mode("DOUBLE"));
  EXPECT_FALSE(parse_mode("singles"));
  EXPECT_EQ((std::array<bool, difficulty_count>{false, false, false, true, true, true}),
            parse_difficulty_list("HARD,Challenge,edit"));
  EXPECT_EQ(Difficulty::Beginner, parse_difficulty("Beginner"));
  for (const char* wrong : {"", "hard,", "harder", ",easy"})
    EXPECT_FALSE(parse_difficulty_list(wrong)) << wrong;
}

}  // namespace
