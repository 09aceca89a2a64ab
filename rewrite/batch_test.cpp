// rewrite/batch_test.cpp: the batch engine watched through its file calls: the order in
// which the new files, the journal and the renames reach the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "rewrite/undo.h"
#include "tests/support/small_library.h"

namespace {

// A rewrite and its undo, two batches each: no rename while a write before it (a new file,
// a journal entry) is not on disk, no journal write (a mark) while a rename is not, and a
// mark for each rename.
TEST_F(SmallLibraryTest, FilesAndEntriesReachTheDiskBeforeTheRenamesAndTheRenamesBeforeTheMarks) {
  std::string calls, journal;  // a letter per call: W write, J journal write, F flush, R rename
  FileCallHook record = [&](const FileCallEvent& event) {
    std::string file =
        event.fd < 0 ? ""
                     : std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(event.fd));
    bool to_journal =
        event.call == FileCall::Write && file.find("/rerate-undo-") != std::string::npos;
    journal += to_journal ? event.data : "";
    calls += to_journal                                                       ? 'J'
             : event.call == FileCall::FlushFileSystem                        ? 'F'
             : event.call == FileCall::Rename                                 ? 'R'
             : event.call == FileCall::Write || event.call == FileCall::Close ? 'W'
                                                                              : '.';
    return 0;
  };
  rewrite({2, 1 << 20}, record);
  set_file_call_hook(record);
  undo(newest_journal(".").value(), {2, 1 << 20});
  set_file_call_hook({});
  EXPECT_FALSE(std::regex_search(calls, std::regex("[WJ][^F]*R|R[^F]*J"))) << calls;
  std::regex marks("\n(replaced|restored|temp) ");  // and the new files named while in flight
  EXPECT_EQ(16, std::distance(std::sregex_iterator(journal.begin(), journal.end(), marks),
                              std::sregex_iterator()));
  EXPECT_EQ("oooo", states());
}

}  // namespace
