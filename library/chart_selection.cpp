// library/chart_selection.cpp: a named selection turned into the shared rules: one rule
// per mode and meter range over the songs the patterns match.
#include "library/chart_selection.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstddef>
#include <span>

namespace {

bool any(std::span<const bool> flags) { return std::ranges::find(flags, true) != flags.end(); }

// Whether `name` matches one of `patterns`, or there are none.
bool matches_one(const std::vector<std::string>& patterns, const std::string& name) {
  if (patterns.empty()) return true;
  for (const std::string& pattern : patterns)
    if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0) return true;
  return false;
}

}  // namespace

bool names_anything(const ChartSelection& selection) {
  return !selection.group_patterns.empty() || !selection.song_patterns.empty() ||
         any(selection.modes) || any(selection.difficulties) || !selection.meters.empty() ||
         selection.include_rescaled;
}

ChartKinds every_kind() {
  ChartKinds kinds;
  for (auto& difficulties : kinds) difficulties.fill(true);
  return kinds;
}

ChartKinds kinds_with_steps(const ScaleTable& table) {
  ChartKinds kinds{};
  for (std::size_t m = 0; m < kinds.size(); ++m)
    for (std::size_t d = 0; d < kinds[m].size(); ++d) kinds[m][d] = table.steps[m][d] > 0;
  return kinds;
}

SongScope pattern_scope(const std::vector<SongGroup>& groups, const ChartSelection& selection) {
  SongScope scope;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (!matches_one(selection.group_patterns, groups[g].name)) continue;
    const std::vector<Song>& songs = groups[g].songs;
    for (std::size_t s = 0; s < songs.size(); ++s)
      if (matches_one(selection.song_patterns, songs[s].folder) ||
          matches_one(selection.song_patterns, songs[s].title.value_or("")))
        scope.push_back(SongPlace{static_cast<std::int32_t>(g), static_cast<std::int32_t>(s)});
  }
  return scope;
}

void select_named_charts(SelectionCounts& counts, std::vector<SongGroup>& groups,
                         const ChartSelection& selection, const ChartKinds& kinds) {
  SongScope scope = pattern_scope(groups, selection);
  std::vector<MeterRange> meters = selection.meters;
  if (meters.empty()) meters.push_back(MeterRange{ChartRule{}.meter_from, ChartRule{}.meter_to});
  bool every_mode = !any(selection.modes);
  bool every_difficulty = !any(selection.difficulties);
  // One rule per mode, as the kinds allowed differ by mode; one pass per meter range, as a
  // rule holds one range. A chart matched twice is selected once.
  for (std::size_t m = 0; m < kinds.size(); ++m) {
    if (!every_mode && !selection.modes[m]) continue;
    ChartRule rule;
    rule.modes.fill(false);
    rule.modes[m] = true;
    for (std::size_t d = 0; d < rule.difficulties.size(); ++d)
      rule.difficulties[d] = kinds[m][d] && (every_difficulty || selection.difficulties[d]);
    rule.include_rescaled = selection.include_rescaled;
    for (const MeterRange& range : meters) {
      rule.meter_from = range.from;
      rule.meter_to = range.to;
      apply_rule(counts, groups, rule, scope, RuleAction::Select);
    }
  }
}
