// app/driver_test.cpp: what a failure, a kill or Ctrl-C at each file call of a rewrite and
// of an undo (as the command line runs it) leaves behind, and the exit status it gives.
#include "app/driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "rewrite/undo.h"
#include "tests/support/small_library.h"

namespace fs = std::filesystem;

namespace {

const BatchLimits two_files{2, 1 << 20};  // A's .sm and .ssc in one batch, B and C in the next

enum class Stop { Fail, Kill, Interrupt };

// Runs `run` in a child process whose `at`-th file call fails (a write after writing half
// its bytes, as on a full disk), ends the process or raises SIGINT. Returns its wait
// status: an exit with 0 when the run made fewer calls.
int run_stopped_at(int at, Stop stop, const std::function<void()>& run) {
  pid_t child = fork();
  if (child == 0) {
    int calls = 0;
    set_file_call_hook([&](const FileCallEvent& event) {
      if (++calls != at) return 0;
      if (stop == Stop::Interrupt) return std::raise(SIGINT);
      if (stop == Stop::Kill) _exit(3);
      bool half = event.call == FileCall::Write &&
                  write(event.fd, event.data.data(), event.data.size() / 2);
      return half ? ENOSPC : EIO;
    });
    run();
    _exit(calls >= at ? 3 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(SmallLibraryTest, AStopAtAnyFileCallOfTheRewriteOrTheUndoLeavesALibraryTheUndoRestores) {
  int points = 0;
  for (bool undoing : {false, true})
    for (Stop stop : {Stop::Fail, Stop::Kill, Stop::Interrupt})
      for (int at = 1;; ++at, ++points) {
        SCOPED_TRACE((undoing ? "undo, stop " : "rewrite, stop ") +
                     std::to_string(static_cast<int>(stop)) + " at call " + std::to_string(at));
        write_library();
        if (undoing) rewrite(two_files);
        std::string journal = newest_journal(".").value_or("");
        int status = run_stopped_at(at, stop, [&] {
          if (!undoing) return (void)rewrite(two_files);  // its report in report.txt
          std::freopen("report.txt", "w", stdout);
          std::freopen("/dev/null", "w", stderr);
          const char* arguments[] = {"--undo", journal.c_str()};
          run_command_line(arguments);
        });
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) break;
        std::string now = states(), report = read_file("report.txt");
        if (stop == Stop::Kill)  // the next undo sweeps what a killed run left
          run_stopped_at(0, stop, [&] {
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            const char* arguments[] = {"--undo"};
            run_command_line(arguments);
          });
        for (const auto& entry : fs::recursive_directory_iterator("Songs"))
          if (entry.path().filename().string().starts_with(".rerate-"))
            ADD_FAILURE() << entry.path();
        EXPECT_EQ(std::string::npos, now.find('?'));
        bool named = report.find("Song only partly rewritten: Songs/G/A (") != std::string::npos ||
                     report.find("Not restored Songs/G/A/a.s") != std::string::npos;
        EXPECT_TRUE(now[0] == now[1] || (named && stop == Stop::Fail) || stop == Stop::Kill);
        if (stop == Stop::Interrupt) {  // after the batch: the songs left counted, 128 + N
          int left = (now[0] == 'o') + (now[2] == 'o') + (now[3] == 'o');
          std::string line = undoing     ? ""
                             : left == 1 ? "1 selected song was"
                                         : std::to_string(left) + " selected songs were";
          EXPECT_NE(std::string::npos, report.find("Interrupted: " + line)) << report;
          EXPECT_TRUE(!undoing || WTERMSIG(status) == SIGINT);
        }
        for (int round = 0; round < 2; ++round) {  // the next undo, and any after it
          std::optional<std::string> next = newest_journal(".");
          EXPECT_TRUE(!next || !undo(*next).ends_with("status 1"));
        }
        EXPECT_EQ("oooo", states());
      }
  std::printf("[   NOTE   ] checked %d stop points (failed, killed, interrupted)\n", points);
  EXPECT_GT(points, 150);
}

}  // namespace
