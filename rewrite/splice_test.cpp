// rewrite/splice_test.cpp: meter digits replaced in a file's bytes, and bytes that are
// not what the scan read refused.
#include "rewrite/splice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

MeterEdit edit(std::uint32_t offset, std::uint16_t length, int old_meter, int new_meter) {
  return MeterEdit{MeterDigits{offset, length}, old_meter, new_meter};
}

TEST(Splice, ReplacesOnlyTheDigits) {
  std::string bytes = "a:12  :b:007.5;\r\n";
  std::vector<MeterEdit> edits = {edit(2, 2, 12, 8), edit(9, 3, 7, 5)};
  EXPECT_EQ("a:8  :b:5.5;\r\n", splice_meters(bytes, edits).value_or("refused"));
  EXPECT_EQ(bytes, splice_meters(bytes, {}).value_or("refused"));
  std::vector<MeterEdit> longer = {edit(0, 1, 9, 10)};
  EXPECT_EQ("10", splice_meters("9", longer).value_or("refused"));
}

// What undoes a splice puts back every digit as it was, leading zeros too, and only where
// the spliced digits still stand whole.
TEST(Splice, ReversedEditsGiveTheBytesBack) {
  std::string bytes = "a:12  :b:007.5:9;";
  std::vector<MeterEdit> edits = {edit(2, 2, 12, 8), edit(9, 3, 7, 5), edit(15, 1, 9, 10)};
  std::vector<TextEdit> texts = meter_text_edits(bytes, edits).value();
  std::string spliced = splice_texts(bytes, texts).value();
  EXPECT_EQ(bytes, splice_texts(spliced, reverse_edits(texts)).value_or("refused"));
  EXPECT_FALSE(splice_texts("a:81  :b:5.5:10;", reverse_edits(texts)));
  EXPECT_FALSE(splice_texts("a:8  :b:5.5:1", reverse_edits(texts)));
}

TEST(Splice, RefusesDigitsThatAreNotTheMeterRead) {
  const std::vector<std::vector<MeterEdit>> wrong = {
      {edit(2, 2, 13, 8)},                     // another number
      {edit(2, 1, 1, 1)},                      // part of a longer number
      {edit(1, 2, 12, 8)},                     // not digits
      {edit(8, 2, 12, 8)},                     // past the end
      {edit(2, 2, 12, 8), edit(2, 2, 12, 8)},  // the same digits twice
  };
  for (const auto& edits : wrong) EXPECT_FALSE(splice_meters("a:12:b;", edits));
}

}  // namespace
