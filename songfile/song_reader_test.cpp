// songfile/song_reader_test.cpp: titles and charts taken from a song file, and where
// the meters lie in it.
#include "songfile/song_reader.h"

#include <gtest/gtest.h>

#include "tests/support/song_text.h"

namespace {

// The song's charts as "Mode Difficulty meter" items, e.g. "Single Hard 9".
std::string describe_charts(const SongFields& song) {
  std::string out;
  for (const FoundChart& chart : song.charts) {
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
            describe_charts(read_song(
                notes("dance-single", "Beginner", "1") + notes("dance-single", "Easy", "2") +
                notes("dance-double", "Medium", "3") + notes("dance-double", "Edit", "4"))));
}

TEST(ChartReader, ReadsTheLeadingDigitsOfAMeter) {
  EXPECT_EQ("Single Hard 10", describe_charts(read_song(notes("dance-single", "Hard", "10abc"))));
  EXPECT_EQ("Single Hard 7", describe_charts(read_song(notes("dance-single", "Hard", "007"))));
  EXPECT_EQ("Single Hard 12", describe_charts(read_song(notes("dance-single", "Hard", "12  "))));
  EXPECT_EQ("Single Hard 2147483647",
            describe_charts(read_song(notes("dance-single", "Hard", "0002147483647"))));
  // A meter too large to hold exactly is no chart at all, rather than a capped one.
  for (const char* meter : {"0", "abc", "+3", "-3", " ", "2147483648", "99999999999999999999"})
    EXPECT_EQ("", describe_charts(read_song(notes("dance-single", "Hard", meter)))) << meter;
  EXPECT_EQ(214748364, leading_number("214748364x9")->value);
  EXPECT_EQ(9u, leading_number("214748364x9")->digits);
}

// The digits are found in the file as it is on disk: CR LF line ends, byte-order marks
// where tokens start and zero bytes all count.
TEST(ChartReader, FindsEachMetersDigitsInTheFileOnDisk) {
  using namespace std::string_literals;
  std::string file = crlf("\xEF\xBB\xBF#TITLE:A\0x;\n"s +
                          notes("dance-single", "Hard", "12 // was 13") + "\xEF\xBB\xBF" +
                          notes("dance-double", "Easy",
                                "\xEF\xBB\xBF"
                                "007.5"));
  SongFields song = read_song(file);
  EXPECT_EQ("A", song.title.value_or("absent"));
  ASSERT_EQ("Single Hard 12, Double Easy 7", describe_charts(song));
  EXPECT_EQ("12", file.substr(song.charts[0].digits.offset, song.charts[0].digits.length));
  EXPECT_EQ("007", file.substr(song.charts[1].digits.offset, song.charts[1].digits.length));
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
  EXPECT_EQ("Yoru", read_song("#TITLETRANSLIT:;\n#TITLE:夜;\n#TITLETRANSLIT:Yoru;#TITLETRANSLIT:x;")
                        .title_translit.value_or("absent"));
  EXPECT_EQ("absent", read_song("#TITLE:").title.value_or("absent"));
  EXPECT_EQ("A", read_song(std::string("#TITLE:A\0B;", 11)).title.value_or("absent"));
  // The NOTES tag is the title's value candidate, so that block is passed over.
  SongFields song = read_song("#TITLE:\n  " + notes("dance-single", "Hard", "9"));
  EXPECT_EQ("absent", song.title.value_or("absent"));
  EXPECT_EQ("", describe_charts(song));
}

TEST(ChartReader, EndsAtABlockThatBreaksOffAndKeepsWhatItFound) {
  EXPECT_EQ("Single Hard 9", describe_charts(read_song(notes("dance-single", "Hard", "9") +
                                                       "#NOTES:dance-single:desc:Hard:")));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:")));
  EXPECT_EQ("", describe_charts(read_song("#NOTES:dance-single")));
}

// A block's fields end at its own semicolon: one with too few fields is no chart, and
// the tags after it are read as tags.
TEST(ChartReader, ABlockCutShortByItsSemicolonIsNoChart) {
  SongFields song = read_song("#NOTES:dance-single:desc:Hard;\n#DISPLAYBPM:120:180;\n");
  EXPECT_EQ("", describe_charts(song));
  song = read_song("#NOTES:dance-single:d;\n#TITLE:Hard;\n#X:9;\n" +
                   notes("dance-single", "Easy", "3"));
  EXPECT_EQ("Hard", song.title.value_or("absent"));
  EXPECT_EQ("Single Easy 3", describe_charts(song));
}

TEST(ChartReader, ReportsFilesThatCannotBeTokenizedWhereverTheyBreak) {
  SongFields fields;
  EXPECT_FALSE(read_song_fields(notes("dance-single", "Hard", "9") + "#TITLE:A;\n#", fields));
  EXPECT_FALSE(read_song_fields("#TITLE:A;\n" + std::string(4096, ' '), fields));
  EXPECT_TRUE(read_song_fields("#TITLE:A;\x1A#", fields));
  EXPECT_EQ("A", fields.title.value_or("absent"));
}

// Fields in any order among timing and other tags; a section of another steps type,
// without a meter or with a field given twice is no chart; the title is a song tag's.
TEST(SscReader, ReadsEachSectionWithItsFieldsInAnyOrder) {
  std::string file = "#VERSION:0.83;\n#TITLE:\n" + ssc_chart("dance-single", "Hard", "12") +
                     "#NOTEDATA:;\n#METER:9;\n#BPMS:0=150;\n#NOTES:\n0000\n;\n"
                     "#DIFFICULTY:Challenge;\n#STEPSTYPE:dance-double;\n#TITLE:Late;\n"
                     "#TITLETRANSLIT:Late;\n" +
                     ssc_chart("pump-single", "Hard", "19") +
                     "#NOTEDATA:;\n#STEPSTYPE:dance-single;\n#DIFFICULTY:Easy;\n#NOTES:\n;\n" +
                     ssc_chart("dance-single", "Edit", "4") + "#METER:5;\n" +
                     ssc_chart("dance-single", "Easy", "7");
  SongFields fields;
  ASSERT_TRUE(read_song_fields("#TITLETRANSLIT:S;", fields) &&
              read_ssc_fields("#TITLETRANSLIT:T;", fields));  // each file's own
  EXPECT_EQ("T", fields.title_translit.value_or("absent"));
  EXPECT_TRUE(read_song_fields("#TITLE:A;", fields) && !fields.title_translit);
  ASSERT_TRUE(read_ssc_fields(crlf(file), fields));
  EXPECT_FALSE(fields.title || fields.title_translit);
  ASSERT_EQ("Single Hard 12, Double Expert 9, Single Easy 7", describe_charts(fields));
  EXPECT_EQ("9", crlf(file).substr(fields.charts[1].digits.offset, fields.charts[1].digits.length));
  EXPECT_FALSE(read_ssc_fields(ssc_chart("dance-single", "Hard", "12") + "#", fields));
}

}  // namespace
