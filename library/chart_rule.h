// library/chart_rule.h: choosing charts by rule rather than one by one: which charts a
// rule matches (mode, difficulty, meter range, rescaled before or not), which songs it
// looks at (its scope), and applying it to the selection. The browser's rule form and
// the command line share these, and the parsers of the names and ranges they are given as.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "library/selection.h"

// Which charts a rule matches: every field must hold. The default matches every chart
// not rescaled before.
struct ChartRule {
  std::array<bool, mode_count> modes{true, true};  // by Mode
  std::array<bool, difficulty_count> difficulties{true, true, true, true, true, true};
  std::int32_t meter_from = 1;                                       // lowest meter matched
  std::int32_t meter_to = std::numeric_limits<std::int32_t>::max();  // highest meter matched
  bool include_rescaled = false;  // charts an earlier run rescaled match too
};

// Whether `chart` is one that `rule` chooses.
bool rule_matches(const ChartRule& rule, const Chart& chart);

// One song of the library: song `song` of group `group`.
struct SongPlace {
  std::int32_t group;
  std::int32_t song;
};

// The songs a rule looks at, each once, in library order.
using SongScope = std::vector<SongPlace>;

// Every song of the library.
SongScope library_scope(const std::vector<SongGroup>& groups);

// Every song of group `group`.
SongScope group_scope(const std::vector<SongGroup>& groups, int group);

// Whether applying a rule selects the charts it matches or clears them.
enum class RuleAction { Select, Clear };

// What applying a rule did.
struct RuleOutcome {
  std::int64_t matched = 0;            // charts in the scope that the rule matches
  std::int64_t changed = 0;            // of those, the charts whose flag it changed
  std::int64_t rescaled_left_out = 0;  // charts in the scope left out as rescaled before
};

// Selects or clears every chart of the songs in `scope` that `rule` matches.
RuleOutcome apply_rule(SelectionCounts& counts, std::vector<SongGroup>& groups,
                       const ChartRule& rule, const SongScope& scope, RuleAction action);

// A meter range as "A-B" (A <= B) or a single meter "A": decimal digits, each at least 1.
struct MeterRange {
  std::int32_t from;
  std::int32_t to;
};
std::optional<MeterRange> parse_meter_range(std::string_view text);

// "single" or "double", in any letter case.
std::optional<Mode> parse_mode(std::string_view text);

// A difficulty by its shown name ("beginner" ... "edit"), in any letter case; "challenge",
// as song files name Expert, is Expert too.
std::optional<Difficulty> parse_difficulty(std::string_view text);

// The difficulties of a comma-separated list of names ("hard,expert"); nothing when a
// name is unknown or empty.
std::optional<std::array<bool, difficulty_count>> parse_difficulty_list(std::string_view text);
