// rewrite/rescaled_test.cpp: the marks of charts rescaled before, through rewrites, an
// edit and undos of a small library.
#include "rewrite/rescaled.h"

#include <ctime>

#include "tests/support/small_library.h"

namespace {

// Songs A, B and C, each with a Single Hard 12 and a Double Easy 9 (small_library.h).
TEST_F(SmallLibraryTest, MarksFollowTheJournalsThroughRewritesAnEditAndUndos) {
  only_mode = Mode::Single;
  rewrite();
  std::optional<std::string> first = outcome.journal;
  EXPECT_EQ("~.~.~.", marks());  // exactly the converted charts

  only_mode.reset();  // everything again: the report names the charts rescaled before
  std::string report = rewrite();
  std::optional<std::string> second = outcome.journal;
  std::string c_second = read_file(files[3]);
  std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%Y-%m-%d", std::gmtime(&now));
  EXPECT_NE(std::string::npos,
            report.find("Rewriting Songs/G/B/b.sm...\n - Single Hard (8 -> 5)\n   already "
                        "rescaled on " +
                        std::string(today) + " from 12\n - Double Easy (9 -> 6)\n"))
      << report;
  EXPECT_EQ("~~~~~~", marks());

  ASSERT_TRUE(first && second);
  undo(*second);  // the first run's marks come back, from the older journal
  EXPECT_EQ("~.~.~.", marks());
  write_file("Songs/G/B/b.sm", read_file("Songs/G/B/b.sm") + "\n");  // an edit drops B's
  EXPECT_EQ("~...~.", marks());
  undo(*first);
  EXPECT_EQ("......", marks());
  write_file(files[3], c_second);  // the bytes the second run wrote, but it was undone
  EXPECT_EQ("......", marks());
}

}  // namespace
