// rewrite/meter_summary_test.cpp: the totals and the histogram of a known set of meters.
#include "rewrite/meter_summary.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MeterSummary, HistogramHasARowPerMeterWithBarsScaledPerModeToTheWidth) {
  // Divided by 1.5: 12 and 12 become 8, 13 becomes 9; Double 15 becomes 10.
  const std::vector<ConvertedChart> charts = {
      {Mode::Double, 15, 10}, {Mode::Single, 12, 8}, {Mode::Single, 13, 9}, {Mode::Single, 12, 8}};
  EXPECT_EQ(
      "Single: 3 charts, meters before and after\n"
      "meter  before            after\n"
      "    8       0                2 ########\n"
      "    9       0                1 ####\n"
      "   12       2 ########       0\n"
      "   13       1 ####           0\n"
      "\n"
      "Double: 1 chart, meters before and after\n"
      "meter  before            after\n"
      "   10       0                1 ########\n"
      "   15       1 ########       0\n",
      meter_histogram(charts, 40));
  EXPECT_EQ(
      "Double: 1 chart, meters before and after\n"
      "meter  before     after\n"
      "   10       0         1 #\n   15       1 #       0\n",
      meter_histogram(std::span(charts).first(1), 10));
  EXPECT_EQ("", meter_histogram({}, 80));
}

TEST(MeterSummary, TotalsAreFourLabelledLines) {
  EXPECT_EQ("Files rewritten: 12\nCharts converted: 80\nFiles failed: 1\nFiles left alone: 3\n",
            totals_text(RewriteTotals{12, 80, 1, 3}));
}

}  // namespace
