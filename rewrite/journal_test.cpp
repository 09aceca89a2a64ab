// rewrite/journal_test.cpp: the journal read back as written, whatever the path holds.
// Journals that are not one, or go wrong, are read in undo_test.cpp.
#include "rewrite/journal.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(Journal, ReadsBackWhatItWrote) {
  TempDir dir;
  WorkingDir cwd(dir.path);
  JournalFile file{.number = 1, .path = "Songs/A \\ B/x\ny.sm", .old_hash = 0x0123456789abcdef};
  file.meters = {{7, "8", "012", "Single Hard"}, {90, "10", "15", "X"}};
  FileStamp stamp{1, 2, 3, -4, 5, 6, 999999999};
  std::optional<JournalWriter> journal = create_journal({86400, 5});
  ASSERT_TRUE(journal);
  EXPECT_EQ("rerate-undo-1970-01-02T00-00-00Z.txt", journal->name);
  EXPECT_EQ("rerate-undo-1970-01-02T00-00-00Z-2.txt", create_journal({86400, 0}).value().name);
  ASSERT_TRUE(append_journal(*journal, journal_entry(file) + journal_mark("replaced", 1, stamp) +
                                           "restoring 1\nrestored 1 dev"));
  EXPECT_NE(std::string::npos,
            read_file(journal->name).find("\nfile 1 Songs/A \\\\ B/x\\x0ay.sm\n"));
  std::string error;
  EXPECT_FALSE(open_journal(journal->name, error));  // the rewrite holds it
  EXPECT_EQ("is in use by another rerate", error);
  Journal back = read_journal(journal->name, error).value();
  EXPECT_EQ(std::tuple(2, std::string("xxh3"), 86400, 5, std::string()),
            std::tuple(back.header.format, back.header.hash, back.header.started_seconds,
                       back.header.started_nanoseconds, back.stopped));
  ASSERT_EQ(1u, back.files.size());
  EXPECT_EQ(journal_entry(file), journal_entry(back.files[0]));
  EXPECT_TRUE(back.files[0].replaced == stamp && !back.files[0].kept && !back.files[0].restored);
}

}  // namespace
