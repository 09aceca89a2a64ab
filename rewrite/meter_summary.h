// rewrite/meter_summary.h: the lines that end a rewrite's report (and a dry run's): the
// totals, and a text histogram of the converted charts' meters before and after, so that
// a user sees at a glance which old meters each new one gathers.
//
// The totals are four lines, each a label and a number:
//
//   Files rewritten: 12
//   Charts converted: 80
//   Files failed: 0
//   Files left alone: 3
//
// The histogram has one section per mode that has converted charts (Single first), a
// blank line between two sections. A section is a title line, a header line and one row
// per meter value that some chart of the mode had before or has after, lowest first:
//
//   Single: 3 charts, meters before and after
//   meter  before            after
//       8       0                2 ########
//       9       0                1 ####
//      12       2 ########       0
//      13       1 ####           0
//
// A row is the meter right-aligned in 5 columns, two spaces, the count before in 6
// columns, a space, its bar, two spaces, the count after in 6 columns, a space and its
// bar. Both bars of every row of a section are scaled to its largest count, which gets
// the full bar width, (width - 23) / 2 but at least 1; any other count above 0 gets at
// least one '#', rounded up. Every line ends in a line feed, with no blanks before it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "songfile/chart_kind.h"

// One chart that a rewrite converted (or a dry run would): its mode and meters.
struct ConvertedChart {
  Mode mode;
  std::int32_t old_meter;
  std::int32_t new_meter;
};

// What a rewrite did, in files and charts.
struct RewriteTotals {
  int files_rewritten = 0;   // replaced by their new bytes
  int charts_converted = 0;  // meters changed in them
  int files_failed = 0;      // reported as "Failed to write to"
  int files_left_alone = 0;  // had selected charts but were not written (e.g. no match)
};

// The four totals lines.
std::string totals_text(const RewriteTotals& totals);

// The histogram of `charts` for lines of at most `width` columns (wider only when `width`
// is below 25); empty when there are no charts.
std::string meter_histogram(std::span<const ConvertedChart> charts, int width);
