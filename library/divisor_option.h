// library/divisor_option.h: divisors given by name rather than on the divisor screens, as
// a scripted run takes them: one for every chart, per mode, per difficulty, or per mode
// and difficulty, the most specific one covering a chart giving its divisor.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "library/scale_table.h"

// One divisor: the charts it covers and the scale step it gives them.
struct DivisorOption {
  std::optional<Mode> mode;              // absent: both modes
  std::optional<Difficulty> difficulty;  // absent: every difficulty
  std::int32_t step = 5;                 // 1 to 9: the divisor 1.1 to 1.9
};

// Reads "X", "MODE=X", "DIFFICULTY=X" or "MODE:DIFFICULTY=X", where X is one of 1.1, 1.2,
// ... 1.9 written so, MODE "single" or "double" and DIFFICULTY a difficulty's name (any
// letter case, "challenge" for Expert). Nothing when the text is not one of these.
std::optional<DivisorOption> parse_divisor_option(std::string_view text);

// Whether `a` and `b` cover the same charts.
bool same_charts(const DivisorOption& a, const DivisorOption& b);

// The step of each mode and difficulty, from the option covering it that names the most:
// mode and difficulty, then the difficulty alone, then the mode alone, then the option for
// every chart. Step 0 where no option covers the charts: they get no divisor.
ScaleTable resolve_divisors(std::span<const DivisorOption> options);
