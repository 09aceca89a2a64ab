// library/grow_array_test.cpp: the growth rule and fresh elements.
#include "library/grow_array.h"

#include <gtest/gtest.h>

#include <string>

#include "library/library.h"

namespace {

TEST(GrowArray, GrowsBy10Then15Then22AndKeepsItsElements) {
  GrowArray<std::string> array;
  std::vector<int> capacities;
  for (int i = 0; i < 34; ++i) {
    append(array) = std::to_string(i);
    if (capacities.empty() || capacities.back() != array.capacity)
      capacities.push_back(array.capacity);
  }
  EXPECT_EQ((std::vector<int>{10, 15, 22, 33, 49}), capacities);
  for (int i = 0; i < 34; ++i) EXPECT_EQ(std::to_string(i), array[i]);
}

TEST(GrowArray, ReserveTakesTheNeededCountWhenItIsLarger) {
  GrowArray<int> array;
  reserve(array, 3);
  EXPECT_EQ(10, array.capacity);
  reserve(array, 40);
  EXPECT_EQ(40, array.capacity);
  reserve(array, 41);
  EXPECT_EQ(60, array.capacity);
  EXPECT_EQ(0, array.count);
}

TEST(GrowArray, AppendsEmptyRecords) {
  GrowArray<Song> songs;
  for (int i = 0; i < 12; ++i) {
    Song& song = append(songs);
    EXPECT_FALSE(song.title);
    EXPECT_EQ(0, song.charts.count);
    Chart& chart = append(song.charts);
    EXPECT_FALSE(chart.selected);
    EXPECT_EQ(0, chart.meter);
    chart.selected = true;
  }
  for (const Song& song : songs) EXPECT_TRUE(song.charts[0].selected);
}

}  // namespace
