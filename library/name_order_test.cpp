// library/name_order_test.cpp: case-insensitive order, and ties placed as a selection
// sort places them.
#include "library/name_order.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(NameOrder, ComparesLettersWithoutCaseAndOtherBytesByValue) {
  EXPECT_EQ(0, compare_names("Alpha", "aLPHA"));
  EXPECT_LT(compare_names("Alpha", "beta"), 0);
  EXPECT_LT(compare_names("beta", "Gamma"), 0);
  EXPECT_LT(compare_names("abc", "abcd"), 0);
  EXPECT_GT(compare_names("abcd", "ABC"), 0);
  EXPECT_LT(compare_names("", "a"), 0);
  EXPECT_LT(compare_names("#ERROR#Foo", "0 Song"), 0);
  EXPECT_LT(compare_names("_under", "Alpha"), 0);  // capitals fold to a-z, above 95
  EXPECT_LT(compare_names("[", "a"), 0);           // '[' is 91, 'a' is 97
  EXPECT_LT(compare_names("z", "\xC3\xA9"), 0);    // bytes above 127 sort last
}

// The plain selection sort that the fast order replays.
std::vector<std::size_t> naive_selection_sort(const std::vector<std::string_view>& keys) {
  std::vector<std::size_t> at(keys.size());
  for (std::size_t i = 0; i < at.size(); ++i) at[i] = i;
  for (std::size_t i = 0; i + 1 < at.size(); ++i) {
    std::size_t m = i;
    for (std::size_t k = i + 1; k < at.size(); ++k)
      if (compare_names(keys[at[k]], keys[at[m]]) < 0) m = k;
    if (m != i) std::swap(at[i], at[m]);
  }
  return at;
}

TEST(NameOrder, PlacesTiesExactlyAsASelectionSortDoes) {
  EXPECT_EQ((std::vector<std::size_t>{}), selection_sort_order({}));
  std::vector<std::string_view> three = {"b", "a", "B"};
  // Selection sort: swap "a" to the front, which moves "b" behind its twin "B".
  EXPECT_EQ((std::vector<std::size_t>{1, 0, 2}), selection_sort_order(three));
  std::vector<std::string_view> groups = {"gamma", "beta", "Alpha"};
  EXPECT_EQ((std::vector<std::size_t>{2, 1, 0}), selection_sort_order(groups));

  const char* pool[] = {"a", "A", "b", "B", "ab", "Ab", "", "c"};
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string_view> keys(random() % 12);
    for (auto& key : keys) key = pool[random() % 8];
    EXPECT_EQ(naive_selection_sort(keys), selection_sort_order(keys)) << "round " << round;
  }
}

}  // namespace
