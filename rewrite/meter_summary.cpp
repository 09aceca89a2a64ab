// rewrite/meter_summary.cpp: the totals lines and the histogram of meters.
#include "rewrite/meter_summary.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

// The fixed columns of a row: meter, two spaces, count, space, two spaces, count, space.
constexpr int fixed_columns = 5 + 2 + 6 + 1 + 2 + 6 + 1;

// Charts before and after, per meter value.
struct MeterCounts {
  std::int64_t before = 0;
  std::int64_t after = 0;
};

// `count` in '#', rounded up so that any count above 0 shows (and 0 shows none).
std::string bar(std::int64_t count, std::int64_t largest, int bar_width) {
  return std::string(static_cast<std::size_t>((count * bar_width + largest - 1) / largest), '#');
}

std::string without_trailing_blanks(std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  return line + "\n";
}

std::string section(Mode mode, std::span<const ConvertedChart> charts, int bar_width) {
  std::map<std::int32_t, MeterCounts> meters;
  std::int64_t total = 0;
  for (const ConvertedChart& chart : charts) {
    if (chart.mode != mode) continue;
    ++meters[chart.old_meter].before;
    ++meters[chart.new_meter].after;
    ++total;
  }
  if (total == 0) return "";
  std::int64_t largest = 0;
  for (const auto& [meter, counts] : meters)
    largest = std::max({largest, counts.before, counts.after});
  std::string text = std::string(mode_name(mode)) + ": " + std::to_string(total) +
                     (total == 1 ? " chart" : " charts") + ", meters before and after\n";
  std::string pad(static_cast<std::size_t>(bar_width), ' ');
  text += without_trailing_blanks("meter  before " + pad + "   after");
  for (const auto& [meter, counts] : meters) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%5d  %6lld ", meter,
                  static_cast<long long>(counts.before));
    std::string before_bar = bar(counts.before, largest, bar_width);
    before_bar.resize(static_cast<std::size_t>(bar_width), ' ');
    std::string line = numbers + before_bar;
    std::snprintf(numbers, sizeof numbers, "  %6lld ", static_cast<long long>(counts.after));
    text += without_trailing_blanks(line + numbers + bar(counts.after, largest, bar_width));
  }
  return text;
}

}  // namespace

std::string totals_text(const RewriteTotals& totals) {
  return "Files rewritten: " + std::to_string(totals.files_rewritten) +
         "\nCharts converted: " + std::to_string(totals.charts_converted) +
         "\nFiles failed: " + std::to_string(totals.files_failed) +
         "\nFiles left alone: " + std::to_string(totals.files_left_alone) + "\n";
}

std::string meter_histogram(std::span<const ConvertedChart> charts, int width) {
  int bar_width = std::max(1, (width - fixed_columns) / 2);
  std::string single = section(Mode::Single, charts, bar_width);
  std::string double_charts = section(Mode::Double, charts, bar_width);
  return single + (single.empty() || double_charts.empty() ? "" : "\n") + double_charts;
}
