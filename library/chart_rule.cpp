// library/chart_rule.cpp: matching charts against a rule, scopes, applying a rule, and
// reading the texts rules are given as.
#include "library/chart_rule.h"

#include <charconv>
#include <cstddef>

namespace {

// Whether `text` is `name` in any letter case (ASCII).
bool same_name(std::string_view text, std::string_view name) {
  if (text.size() != name.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(name[i])) return false;
  }
  return true;
}

// A meter: decimal digits only, at least 1, within int32.
std::optional<std::int32_t> parse_meter(std::string_view text) {
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  bool digits_only = !text.empty() && text[0] != '-' && text[0] != '+';
  if (!digits_only || error != std::errc{} || end != text.data() + text.size() || value < 1)
    return std::nullopt;
  return value;
}

void add_songs_of(SongScope& scope, const std::vector<SongGroup>& groups, std::size_t group) {
  std::size_t songs = groups[group].songs.size();
  for (std::size_t s = 0; s < songs; ++s)
    scope.push_back(SongPlace{static_cast<std::int32_t>(group), static_cast<std::int32_t>(s)});
}

}  // namespace

bool rule_matches(const ChartRule& rule, const Chart& chart) {
  return rule.modes[static_cast<std::size_t>(chart.mode)] &&
         rule.difficulties[static_cast<std::size_t>(chart.difficulty)] &&
         chart.meter >= rule.meter_from && chart.meter <= rule.meter_to &&
         (rule.include_rescaled || !chart.rescaled);
}

SongScope library_scope(const std::vector<SongGroup>& groups) {
  SongScope scope;
  for (std::size_t g = 0; g < groups.size(); ++g) add_songs_of(scope, groups, g);
  return scope;
}

SongScope group_scope(const std::vector<SongGroup>& groups, int group) {
  SongScope scope;
  add_songs_of(scope, groups, static_cast<std::size_t>(group));
  return scope;
}

RuleOutcome apply_rule(SelectionCounts& counts, std::vector<SongGroup>& groups,
                       const ChartRule& rule, const SongScope& scope, RuleAction action) {
  RuleOutcome outcome;
  ChartRule with_rescaled = rule;
  with_rescaled.include_rescaled = true;
  for (SongPlace place : scope) {
    const Song& song =
        groups[static_cast<std::size_t>(place.group)].songs[static_cast<std::size_t>(place.song)];
    int charts = static_cast<int>(song.charts.size());
    for (int c = 0; c < charts; ++c) {
      const Chart& chart = song.charts[static_cast<std::size_t>(c)];
      if (!rule_matches(rule, chart)) {
        if (rule_matches(with_rescaled, chart)) ++outcome.rescaled_left_out;
        continue;
      }
      ++outcome.matched;
      if (set_chart_selected(counts, groups, place.group, place.song, c,
                             action == RuleAction::Select))
        ++outcome.changed;
    }
  }
  return outcome;
}

std::optional<MeterRange> parse_meter_range(std::string_view text) {
  std::size_t dash = text.find('-');
  std::optional<std::int32_t> from = parse_meter(text.substr(0, dash));
  std::optional<std::int32_t> to =
      dash == std::string_view::npos ? from : parse_meter(text.substr(dash + 1));
  if (!from || !to || *from > *to) return std::nullopt;
  return MeterRange{*from, *to};
}

std::optional<Mode> parse_mode(std::string_view text) {
  for (Mode mode : {Mode::Single, Mode::Double})
    if (same_name(text, mode_name(mode))) return mode;
  return std::nullopt;
}

std::optional<Difficulty> parse_difficulty(std::string_view text) {
  for (int d = 0; d < difficulty_count; ++d) {
    auto difficulty = static_cast<Difficulty>(d);
    if (same_name(text, difficulty_name(difficulty)) ||
        same_name(text, difficulty_file_name(difficulty)))
      return difficulty;
  }
  return std::nullopt;
}

std::optional<std::array<bool, difficulty_count>> parse_difficulty_list(std::string_view text) {
  std::array<bool, difficulty_count> chosen{};
  for (;;) {
    std::size_t comma = text.find(',');
    std::optional<Difficulty> difficulty = parse_difficulty(text.substr(0, comma));
    if (!difficulty) return std::nullopt;
    chosen[static_cast<std::size_t>(*difficulty)] = true;
    if (comma == std::string_view::npos) return chosen;
    text.remove_prefix(comma + 1);
  }
}
