// app/driver_test.cpp: how the end of an undo becomes the exit status.
#include "app/driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "rewrite/file_calls.h"
#include "rewrite/rewriter.h"
#include "tests/support/small_library.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"

namespace {

// An undo interrupted in its batch finishes the batch, prints the interrupt line and ends
// by the signal, so that the shell sees 128 + N.
TEST(Driver, AnInterruptedUndoEndsByItsSignal) {
  TempDir dir;
  WorkingDir cwd(dir.path);
  SmallLibrary library = write_small_library();
  GrowArray<SongGroup> groups = scan_selected();
  report_of([&](std::FILE* report) { rewrite_library(groups, table_of(5), report); });
  pid_t child = fork();
  if (child == 0) {
    std::freopen("report.txt", "w", stdout);
    set_file_call_hook([](const FileCallEvent& event) {
      if (event.call == FileCall::Rename) std::raise(SIGINT);
      return 0;
    });
    const char* arguments[] = {"--undo"};
    _exit(run_command_line(arguments));
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(read_file("report.txt")
                  .ends_with("Interrupted: 0 song files were not restored; run the undo again\n"));
  for (std::size_t i = 0; i < library.files.size(); ++i)
    EXPECT_EQ(library.before[i], read_file(library.files[i]));
}

}  // namespace
