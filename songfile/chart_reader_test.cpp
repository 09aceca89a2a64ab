// songfile/chart_reader_test.cpp: titles and charts taken from a song file's tokens.
#include "songfile/chart_reader.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/support/song_text.h"

namespace {

// The song's charts as "Mode Difficulty meter" items, e.g. "Single Hard 9".
std::string describe_charts(const Song& song) {
  std::string out;
  for (const Chart& chart : song.charts) {
    if (!out.empty()) out += ", ";
    out += mode_name(chart.mode);
    out += ' ';
    out += difficulty_name(chart.difficulty);
    out += ' ' + std::to_string(chart.meter);
  }
  return out;
}

TEST(ChartReader, ReadsChartsOfKnownTypesAndDifficulties) {
  EXPECT_EQ("Single Hard 9", describe_charts(read_song(notes("dance-single", "Hard", "9"))));
  EXPECT_EQ("Double Expert 12",
            describe_charts(read_song(notes("dance-double", "Challenge", "12"))));
  EXPECT_EQ("", describe_charts(read_song(notes("dance-single", "Expert", "9"))));
  EXPECT_EQ("", describe_charts(read_song(notes("dance-couple", "Hard", "9"))));
  EXPECT_EQ("", describe_charts(read_song(notes("Dance-Single", "Hard", "9"))));
  EXPECT_EQ("", describe_charts(read_song(notes("dance-single", "hard", "9"))));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:dance-single :d:Hard:9:x;")));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:dance-single:d:Hard :9:x;")));
  EXPECT_EQ("Single Beginner 1, Single Easy 2, Double Medium 3, Double Edit 4",
            describe_charts(read_song(notes("dance-single", "Beginner", "1") +
                                      notes("dance-single", "Easy", "2") +
                                      notes("dance-double", "Medium", "3") +
                                      notes("dance-double", "Edit", "4"))));
}

TEST(ChartReader, ReadsTheLeadingDigitsOfAMeter) {
  EXPECT_EQ("Single Hard 10", describe_charts(read_song(notes("dance-single", "Hard", "10abc"))));
  EXPECT_EQ("Single Hard 7", describe_charts(read_song(notes("dance-single", "Hard", "007"))));
  EXPECT_EQ("Single Hard 12", describe_charts(read_song(notes("dance-single", "Hard", "12  "))));
  EXPECT_EQ("Single Hard 2147483647",
            describe_charts(read_song(notes("dance-single", "Hard", "99999999999999999999"))));
  for (const char* meter : {"0", "abc", "+3", "-3", " "})
    EXPECT_EQ("", describe_charts(read_song(notes("dance-single", "Hard", meter)))) << meter;
  EXPECT_EQ(2147483647, leading_number("2147483647"));
  EXPECT_EQ(2147483647, leading_number("2147483648"));
  EXPECT_EQ(214748364, leading_number("214748364x9"));
}

TEST(ChartReader, RemembersWhichTokenHoldsEachMeter) {
  Song song = read_song(notes("dance-single", "Hard", "9") + notes("dance-double", "Easy", "3"));
  ASSERT_EQ(2, song.charts.count);
  for (const Chart& chart : song.charts) {
    const Token& token = song.tokens->tokens[chart.meter_token];
    EXPECT_EQ(TokenKind::Value, token.kind);
    EXPECT_EQ(std::to_string(chart.meter), token_text(*song.tokens, token));
  }
}

TEST(ChartReader, SkipsCommentsAndWhiteSpaceBeforeFieldsOnly) {
  EXPECT_EQ("Single Hard 9",
            describe_charts(read_song("#NOTES:dance-single:d:// c\n Hard:// c\n 9:x;")));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:dance-single:d:,Hard:9:x;")));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:dance-single:a:b:Hard:9:x;")));
}

TEST(ChartReader, TakesTheFirstUsableTitle) {
  EXPECT_EQ("Song A ", read_song("#TITLE:  Song A ;").title.value_or("absent"));
  EXPECT_EQ("A", read_song("#TITLE:A, B;").title.value_or("absent"));
  EXPECT_EQ("Act 1", read_song("#TITLE:Act 1: Dawn;").title.value_or("absent"));
  EXPECT_EQ("Real", read_song("#TITLE:;\n#TITLE:Real;\n#TITLE:Other;").title.value_or("absent"));
  EXPECT_EQ("absent", read_song("#ARTIST:x;").title.value_or("absent"));
  EXPECT_EQ("absent", read_song("#TITLE:").title.value_or("absent"));
  EXPECT_EQ("A", read_song(std::string("#TITLE:A\0B;", 11)).title.value_or("absent"));
  // The NOTES tag is the title's value candidate, so that block is passed over.
  Song song = read_song("#TITLE:\n  " + notes("dance-single", "Hard", "9"));
  EXPECT_EQ("absent", song.title.value_or("absent"));
  EXPECT_EQ("", describe_charts(song));
}

TEST(ChartReader, EndsAtABlockThatBreaksOffAndKeepsWhatItFound) {
  EXPECT_EQ("Single Hard 9",
            describe_charts(read_song(notes("dance-single", "Hard", "9") +
                                      "#NOTES:dance-single:desc:Hard:")));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:")));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:dance-single")));
  // A block cut short by its semicolon takes its fields from the tags that follow.
  Song song = read_song("#NOTES:dance-single:d;\n#TITLE:Hard;\n#X:9;\n" +
                        notes("dance-single", "Easy", "3"));
  EXPECT_EQ("absent", song.title.value_or("absent"));
  EXPECT_EQ("", describe_charts(song));
}

TEST(ChartReader, ReportsFilesThatCannotBeTokenized) {
  TempDir dir;
  write_file(dir.path + "/bad.sm", "#TITLE:A;\n#");
  write_file(dir.path + "/good.sm", "\xEF\xBB\xBF#TITLE:A;\r\n" + notes("dance-single", "Hard", "9"));
  Song bad;
  EXPECT_FALSE(read_song_file(dir.path + "/bad.sm", bad));
  EXPECT_FALSE(bad.tokens);
  EXPECT_FALSE(bad.title);
  EXPECT_EQ(0, bad.charts.count);
  Song good;
  EXPECT_TRUE(read_song_file(dir.path + "/good.sm", good));
  EXPECT_EQ("A", good.title.value_or("absent"));
  EXPECT_EQ("Single Hard 9", describe_charts(good));
}

}  // namespace
