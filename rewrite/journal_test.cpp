// rewrite/journal_test.cpp: the journal read back as written, whatever the path holds, and
// the newest journal found by the time in its name.
#include "rewrite/journal.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(Journal, ReadsBackWhatItWroteAndStopsAtACutLine) {
  JournalFile file;
  file.number = 1;
  file.path = "Songs/A \\ B/x\ny.sm";
  file.target = "/g/Songs/A \\ B/x\ny.sm";
  file.old_hash = 0x0123456789abcdef;
  file.new_hash = 42;
  file.meters = {{7, "8", "012", "Single Hard"}, {90, "10", "15", "Double Challenge Edit"}};
  FileStamp stamp{1, 2, 3, -4, 5, 6, 999999999};
  file.written = stamp;
  TempDir dir;
  WorkingDir cwd(dir.path);
  std::optional<JournalWriter> journal = create_journal(0);
  ASSERT_TRUE(journal);
  EXPECT_EQ("rerate-undo-1970-01-01T00-00-00Z.txt", journal->name);
  EXPECT_EQ("rerate-undo-1970-01-01T00-00-00Z-2.txt", create_journal(0).value().name);
  ASSERT_TRUE(append_journal(*journal, journal_entry(file) + journal_mark("replaced", 1, stamp) +
                                           journal_mark("restoring", 1, stamp) + "restored 1 dev"));
  std::string error;
  std::optional<std::vector<JournalFile>> read = parse_journal(read_file(journal->name), error);
  ASSERT_TRUE(read) << error;
  ASSERT_EQ(1u, read->size());
  const JournalFile& back = (*read)[0];
  EXPECT_EQ(file.path, back.path);
  EXPECT_EQ(file.target, back.target);
  EXPECT_EQ(file.old_hash, back.old_hash);
  EXPECT_EQ(file.new_hash, back.new_hash);
  ASSERT_EQ(2u, back.meters.size());
  EXPECT_EQ("012", back.meters[0].old_text);
  EXPECT_EQ("Double Challenge Edit", back.meters[1].chart);
  EXPECT_EQ(90u, back.meters[1].offset);
  EXPECT_TRUE(back.written == stamp && back.replaced == stamp && back.restoring == stamp);
  EXPECT_FALSE(back.restored);  // its line was cut short
  EXPECT_EQ("rerate-undo-1970-01-01T00-00-00Z-2.txt", newest_journal(".").value().substr(2));

  std::string head = "# rerate undo journal, format 1\n";
  const std::string wrong[] = {"# some other file\n", head + "meter 1 7 8 12 Single Hard\n",
                               head + "file 2 skips a number\n",
                               head + "file 1 a\nreplaced 1 device 1\n",
                               head + "file 1 a\ntarget 1 a\\qb\n"};
  for (const std::string& text : wrong) EXPECT_FALSE(parse_journal(text, error)) << text;
}

}  // namespace
