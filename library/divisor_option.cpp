// library/divisor_option.cpp: reading divisors by name, and which one each chart gets.
#include "library/divisor_option.h"

#include <cstddef>

#include "library/chart_rule.h"

namespace {

// The step of a divisor written "1.N", N from 1 to 9.
std::optional<std::int32_t> parse_step(std::string_view text) {
  if (text.size() != 3 || text[0] != '1' || text[1] != '.' || text[2] < '1' || text[2] > '9')
    return std::nullopt;
  return text[2] - '0';
}

// How much of a chart's kind `option` names: the more, the more specific it is. A
// difficulty names fewer charts (two kinds) than a mode (six).
int specificity(const DivisorOption& option) {
  return (option.difficulty ? 2 : 0) + (option.mode ? 1 : 0);
}

bool covers(const DivisorOption& option, Mode mode, Difficulty difficulty) {
  return (!option.mode || *option.mode == mode) &&
         (!option.difficulty || *option.difficulty == difficulty);
}

}  // namespace

std::optional<DivisorOption> parse_divisor_option(std::string_view text) {
  DivisorOption option;
  std::size_t equals = text.rfind('=');
  std::optional<std::int32_t> step =
      parse_step(equals == std::string_view::npos ? text : text.substr(equals + 1));
  if (!step) return std::nullopt;
  option.step = *step;
  if (equals == std::string_view::npos) return option;
  std::string_view kind = text.substr(0, equals);
  std::size_t colon = kind.find(':');
  if (colon != std::string_view::npos) {
    option.mode = parse_mode(kind.substr(0, colon));
    option.difficulty = parse_difficulty(kind.substr(colon + 1));
    if (!option.mode || !option.difficulty) return std::nullopt;
    return option;
  }
  option.mode = parse_mode(kind);
  if (!option.mode) option.difficulty = parse_difficulty(kind);
  if (!option.mode && !option.difficulty) return std::nullopt;
  return option;
}

bool same_charts(const DivisorOption& a, const DivisorOption& b) {
  return a.mode == b.mode && a.difficulty == b.difficulty;
}

ScaleTable resolve_divisors(std::span<const DivisorOption> options) {
  ScaleTable table{};
  for (int m = 0; m < mode_count; ++m)
    for (int d = 0; d < difficulty_count; ++d) {
      int best = -1;
      for (const DivisorOption& option : options)
        if (covers(option, static_cast<Mode>(m), static_cast<Difficulty>(d)) &&
            specificity(option) > best) {
          best = specificity(option);
          table.steps[m][d] = option.step;
        }
    }
  return table;
}
