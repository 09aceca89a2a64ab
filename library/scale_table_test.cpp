// library/scale_table_test.cpp: the meter conversion.
#include "library/scale_table.h"

#include <gtest/gtest.h>

namespace {

TEST(ConvertMeter, StepFiveDividesByOnePointFive) {
  const int expected[] = {5, 5, 6, 7, 7, 8, 9, 9, 10, 11, 11, 12, 13};
  for (int meter = 7; meter <= 19; ++meter)
    EXPECT_EQ(expected[meter - 7], convert_meter(meter, 5)) << meter;
}

TEST(ConvertMeter, HalvesRoundUp) {
  EXPECT_EQ(8, convert_meter(9, 2));
  EXPECT_EQ(13, convert_meter(15, 2));
}

TEST(ConvertMeter, SmallAndHugeMetersStayInRange) {
  EXPECT_EQ(1, convert_meter(1, 9));
  EXPECT_EQ(0, convert_meter(0, 5));
  EXPECT_EQ(1952257861, convert_meter(2147483647, 1));
}

}  // namespace
