// rewrite/journal_test.cpp: the journal read back as written, whatever the path holds, in
// both formats, and where reading stops.
#include "rewrite/journal.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

const char* format_1 =
    "# rerate undo journal, format 1\n"
    "file 1 Songs/a.sm\ntarget 1 /g/Songs/a.sm\nhashes 1 00000000000000ff 0000000000000001\n"
    "meter 1 7 8 12 Single Hard\nwritten 1 device 1 inode 2 size 3 mtime 4.000000005 ctime "
    "6.000000007\nfile 2 Songs/b.sm\n";  // cut before its target: never replaced

TEST(Journal, ReadsBackWhatItWroteInEitherFormat) {
  TempDir dir;
  WorkingDir cwd(dir.path);
  JournalFile file;
  file.number = 1;
  file.path = "Songs/A \\ B/x\ny.sm";
  file.old_hash = 0x0123456789abcdef;
  file.new_hash = 42;
  file.meters = {{7, "8", "012", "Single Hard"}, {90, "10", "15", "Double Challenge Edit"}};
  FileStamp stamp{1, 2, 3, -4, 5, 6, 999999999};
  std::optional<JournalWriter> journal = create_journal({86400, 5});
  ASSERT_TRUE(journal);
  EXPECT_EQ("rerate-undo-1970-01-02T00-00-00Z.txt", journal->name);
  EXPECT_EQ("rerate-undo-1970-01-02T00-00-00Z-2.txt", create_journal({86400, 0}).value().name);
  ASSERT_TRUE(append_journal(*journal, journal_entry(file) + journal_mark("replaced", 1, stamp) +
                                           "restoring 1\n" + journal_mark("kept", 1, {}) +
                                           "restored 1 dev"));
  std::string error;
  std::optional<Journal> read = read_journal(journal->name, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(2, read->header.format);
  EXPECT_EQ("mix64", read->header.hash);
  EXPECT_EQ(86400, read->header.started_seconds);
  EXPECT_EQ(5, read->header.started_nanoseconds);
  ASSERT_EQ(1u, read->files.size());
  const JournalFile& back = read->files[0];
  EXPECT_EQ(file.path, back.path);
  EXPECT_EQ(file.old_hash, back.old_hash);
  EXPECT_EQ(file.new_hash, back.new_hash);
  ASSERT_EQ(2u, back.meters.size());
  EXPECT_EQ("012", back.meters[0].old_text);
  EXPECT_EQ("Double Challenge Edit", back.meters[1].chart);
  EXPECT_EQ(90u, back.meters[1].offset);
  EXPECT_TRUE(back.replaced == stamp && back.kept && !back.restored);  // its line was cut short
  EXPECT_EQ("", read->stopped);

  write_file(dir.path + "/rerate-undo-2026-12-07T09-16-52Z.txt", format_1);
  read = read_journal("rerate-undo-2026-12-07T09-16-52Z.txt", error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(1796635012, read->header.started_seconds);
  ASSERT_EQ(1u, read->files.size());
  EXPECT_EQ("/g/Songs/a.sm", read->files[0].target);
  EXPECT_EQ(0xffu, read->files[0].old_hash);
}

// A journal that is not one is refused at its first line; one that goes wrong later gives
// the entries before, and says where it stopped.
TEST(Journal, StopsAtTheFirstLineItCannotRead) {
  TempDir dir;
  std::string head = "# rerate undo journal, format 2\n# hash mix64\n";
  std::string entry = "file 1 a\nhashes 1 1 2\n";
  const std::pair<std::string, std::string> journals[] = {
      {"# some other file\n", "is not a rerate undo journal"},
      {std::string(100000, '\0'), "is not a rerate undo journal"},
      {"# rerate undo journal, format 2\n# hash xxh3\n",
       "uses the content hash xxh3, "
       "which this rerate does not compute"},
      {head + entry + "meter 1 7 8 12 x\nmeter 2 7 8 12 x\n", "line 6 cannot be read"},
      {head + entry + "file 3 skips a number\n", "line 5 cannot be read"},
      {head + entry + "replaced 1 device 1\n", "line 5 cannot be read"},
      {head + entry + "file 2 a\\qb\n", "line 5 cannot be read"},
      {head + entry + std::string(70000, 'x') + "\n", "line 5 is too long"},
  };
  for (const auto& [text, reason] : journals) {
    write_file(dir.path + "/j.txt", text);
    std::string error;
    std::optional<Journal> read = read_journal(dir.path + "/j.txt", error);
    EXPECT_EQ(reason, read ? read->stopped : error) << text.substr(0, 80);
    EXPECT_EQ(read ? 1u : 0u, read ? read->files.size() : 0u) << text.substr(0, 80);
  }
}

}  // namespace
