// library/divisor_option_test.cpp: divisors by name, and the most specific one winning.
#include "library/divisor_option.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The steps of `table` as twelve digits: Single Beginner to Edit, then Double.
std::string digits(const ScaleTable& table) {
  std::string text;
  for (const auto& mode : table.steps)
    for (std::int32_t step : mode) text += std::to_string(step);
  return text;
}

std::string resolve(std::vector<const char*> texts) {
  std::vector<DivisorOption> options;
  for (const char* text : texts) {
    std::optional<DivisorOption> option = parse_divisor_option(text);
    if (!option) return std::string("refused ") + text;
    options.push_back(*option);
  }
  return digits(resolve_divisors(options));
}

TEST(DivisorOption, ReadsEachFormAndTheMostSpecificWins) {
  EXPECT_EQ("555555555555", resolve({"1.5"}));
  EXPECT_EQ("000090000090", resolve({"Challenge=1.9"}));
  EXPECT_EQ("444444000010", resolve({"double:expert=1.1", "SINGLE=1.4"}));
  // The mode and difficulty, then the difficulty, then the mode, then everything; in any
  // order.
  EXPECT_EQ("222622000600", resolve({"hard=1.6", "single=1.2"}));
  EXPECT_EQ("222822777637",
            resolve({"single:hard=1.8", "1.7", "hard=1.6", "single=1.2", "double:expert=1.3"}));
  EXPECT_EQ("222822777637",
            resolve({"double:expert=1.3", "single=1.2", "hard=1.6", "1.7", "single:hard=1.8"}));
  for (const char* wrong : {"", "1", "1.0", "2.0", "1.55", "1,5", " 1.5", "=1.5",
                            "hard=", "single:=1.5", ":hard=1.5", "triple=1.5", "single:double=1.5",
                            "hard:single=1.5", "single:hard:edit=1.5", "single=hard=1.5"})
    EXPECT_FALSE(parse_divisor_option(wrong)) << wrong;
}

}  // namespace
