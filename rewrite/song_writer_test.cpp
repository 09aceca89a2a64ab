// rewrite/song_writer_test.cpp: the new content of a song file, compared whole.
#include "rewrite/song_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "songfile/chart_reader.h"
#include "tests/support/song_text.h"

namespace {

const std::string header = "#TITLE:Song A;\n#BPMS:0.000=120.000;\n";

TEST(SongWriter, SelectedSingleHardTwelveAtStepFiveBecomesEight) {
  Song song = read_song(header + notes("dance-single", "Hard", "12"));
  ASSERT_EQ(1, song.charts.count);
  song.charts[0].selected = true;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(crlf(header + notes("dance-single", "Hard", "8")), rewrite->content);
  ASSERT_EQ(1u, rewrite->converted.size());
  EXPECT_EQ(Mode::Single, rewrite->converted[0].mode);
  EXPECT_EQ(Difficulty::Hard, rewrite->converted[0].difficulty);
  EXPECT_EQ(12, rewrite->converted[0].old_meter);
  EXPECT_EQ(8, rewrite->converted[0].new_meter);
}

TEST(SongWriter, DoubleOnlySelectionLeavesSingleBlocksAlone) {
  std::string before = header + notes("dance-single", "Hard", "12") +
                       notes("dance-double", "Hard", "12") + notes("dance-single", "Easy", "9");
  Song song = read_song(before);
  ASSERT_EQ(3, song.charts.count);
  song.charts[1].selected = true;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(crlf(header + notes("dance-single", "Hard", "12") + notes("dance-double", "Hard", "8") +
                 notes("dance-single", "Easy", "9")),
            rewrite->content);
  ASSERT_EQ(1u, rewrite->converted.size());
  EXPECT_EQ(Mode::Double, rewrite->converted[0].mode);
}

TEST(SongWriter, EachChartUsesTheStepOfItsModeAndDifficulty) {
  Song song = read_song(header + notes("dance-single", "Challenge", "15") +
                        notes("dance-double", "Beginner", "9"));
  for (Chart& chart : song.charts) chart.selected = true;
  ScaleTable table = table_of(5);
  table.steps[0][4] = 2;
  table.steps[1][0] = 9;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table);
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(crlf(header + notes("dance-single", "Challenge", "13") +
                 notes("dance-double", "Beginner", "5")),
            rewrite->content);
  ASSERT_EQ(2u, rewrite->converted.size());
  EXPECT_EQ(Difficulty::Expert, rewrite->converted[0].difficulty);
  EXPECT_EQ(13, rewrite->converted[0].new_meter);
  EXPECT_EQ(5, rewrite->converted[1].new_meter);
}

TEST(SongWriter, TrailingBlanksOfTheMeterGoWithIt) {
  Song song = read_song(header + notes("dance-single", "Hard", "12  "));
  song.charts[0].selected = true;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(crlf(header + notes("dance-single", "Hard", "8")), rewrite->content);
}

TEST(SongWriter, UnselectedTwinOfTheSameModeAndDifficultyIsUntouched) {
  Song song =
      read_song(header + notes("dance-single", "Edit", "12") + notes("dance-single", "Edit", "15"));
  ASSERT_EQ(2, song.charts.count);
  song.charts[1].selected = true;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(
      crlf(header + notes("dance-single", "Edit", "12") + notes("dance-single", "Edit", "10")),
      rewrite->content);
  ASSERT_EQ(1u, rewrite->converted.size());
  EXPECT_EQ(15, rewrite->converted[0].old_meter);
}

TEST(SongWriter, BlocksTheReaderSkippedAreWrittenBackAsRead) {
  std::string skipped = notes("dance-single", "Hard", "abc") + notes("dance-single", "Hard", "0") +
                        notes("dance-single", "Hard", "+3") + notes("dance-single", "Hard", "-3") +
                        notes("dance-couple", "Hard", "12") + notes("dance-single", "hard", "12");
  Song song = read_song(header + skipped + notes("dance-single", "Hard", "12"));
  ASSERT_EQ(1, song.charts.count);
  song.charts[0].selected = true;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(crlf(header + skipped + notes("dance-single", "Hard", "8")), rewrite->content);
}

TEST(SongWriter, ZeroBytesAndTheTailFromTheEndOfFileMarkAreKept) {
  std::string body = header + notes("dance-single", "Hard", "12");
  std::string with_zero = std::string("#TITLE:A\0B;\n", 12) + "#X:1\n";
  std::string tail = std::string("\x1A#NOTES:\r\n junk\n\0\xFF", 18);
  Song song = read_song(with_zero + body + tail);
  ASSERT_EQ(1, song.charts.count);
  song.charts[0].selected = true;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(crlf(with_zero + header + notes("dance-single", "Hard", "8")) + tail, rewrite->content);
}

TEST(SongWriter, LineEndsBecomeCrLfAndByteOrderMarksAtTokenStartsAreDropped) {
  std::string bom = "\xEF\xBB\xBF";
  Song song = read_song(bom + "#TITLE:A;\r\n" + bom + "#ARTIST:" + bom + "B;\n" +
                        notes("dance-single", "Hard", "12"));
  song.charts[0].selected = true;
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ("#TITLE:A;\r\n#ARTIST:B;\r\n" + crlf(notes("dance-single", "Hard", "8")),
            rewrite->content);
}

TEST(SongWriter, NothingSelectedWritesTheFileBackAsRead) {
  std::string before = header + notes("dance-single", "Hard", "12") + "// end";
  Song song = read_song(before);
  std::optional<SongRewrite> rewrite = build_song_rewrite(song, table_of(5));
  ASSERT_TRUE(rewrite);
  EXPECT_EQ(crlf(before), rewrite->content);
  EXPECT_TRUE(rewrite->converted.empty());
}

TEST(SongWriter, AChartWhoseMeterTokenIsNotAValueGivesNothing) {
  Song song = read_song(header + notes("dance-single", "Hard", "12"));
  song.charts[0].selected = true;
  song.charts[0].meter_token = 0;  // the TITLE tag
  EXPECT_FALSE(build_song_rewrite(song, table_of(5)));
  song.charts[0].meter_token = 100000;
  EXPECT_FALSE(build_song_rewrite(song, table_of(5)));
  song.tokens.reset();
  EXPECT_FALSE(build_song_rewrite(song, table_of(5)));
}

}  // namespace
