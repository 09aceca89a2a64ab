// rewrite/batch_test.cpp: the batch engine watched through its file calls: the order in
// which files and the journal reach the disk, and what a failure or a crash at every call
// of a rewrite and of its undo leaves behind.
#include "rewrite/batch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>

#include "rewrite/file_calls.h"
#include "rewrite/rewriter.h"
#include "rewrite/undo.h"
#include "tests/support/small_library.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const BatchLimits two_files{2, 1 << 20};  // A's pair in one batch, B and C in the next

struct Recorded {
  FileCall call;
  std::string name;  // the path it names or, for a descriptor, the file open there
  std::string target;
  std::string data;
};

std::vector<Recorded> record_calls(const std::function<void()>& run) {
  std::vector<Recorded> calls;
  set_file_call_hook([&](const FileCallEvent& event) {
    std::string name(event.path);
    if (event.fd >= 0) name = fs::read_symlink("/proc/self/fd/" + std::to_string(event.fd));
    calls.push_back(Recorded{event.call, name, std::string(event.target), std::string(event.data)});
    return 0;
  });
  run();
  set_file_call_hook({});
  return calls;
}

// For each rename in `calls`: its new file and the journal lines `before_word` gives of its
// file are on disk before it, and the rename is on disk before the journal's `after_word`
// mark. Returns what is wrong.
std::string order_faults(const std::vector<Recorded>& calls, const std::string& before_word,
                         const std::string& after_word, const std::map<std::string, int>& numbers) {
  std::string faults;
  auto says = [](const std::string& data, const std::string& word, const std::string& number) {
    return data.find(word + " " + number + " ") != std::string::npos ||
           data.find(word + " " + number + "\n") != std::string::npos;
  };
  auto is_journal = [](const Recorded& c) {
    return c.name.find("/rerate-undo-") != std::string::npos;
  };
  for (std::size_t r = 0; r < calls.size(); ++r) {
    if (calls[r].call != FileCall::Rename) continue;
    std::string song = calls[r].target.substr(calls[r].target.find("/Songs/") + 1);
    std::string number = std::to_string(numbers.at(song));
    std::size_t written = 0, entry = 0, flushed = 0, mark = calls.size();
    for (std::size_t i = 0; i < r; ++i) {
      const Recorded& c = calls[i];
      if (c.name == calls[r].name && (c.call == FileCall::Write || c.call == FileCall::Close))
        written = i;
      if (is_journal(c) && says(c.data, before_word, number)) entry = i;
      if (c.call == FileCall::FlushFileSystem) flushed = i;
    }
    for (std::size_t i = calls.size(); i-- > r;)
      if (is_journal(calls[i]) && says(calls[i].data, after_word, number)) mark = i;
    bool flushed_after = false;
    for (std::size_t i = r; i < mark; ++i)
      flushed_after |= calls[i].call == FileCall::FlushFileSystem;
    if (written == 0 || entry == 0 || flushed < std::max(written, entry))
      faults += "not on disk before its rename: " + song + "\n";
    if (mark == calls.size() || !flushed_after)
      faults += "marked before its rename is on disk: " + song + "\n";
  }
  return faults;
}

std::map<std::string, int> journal_numbers(const std::string& path) {
  std::string error;
  std::map<std::string, int> numbers;
  std::optional<Journal> journal = read_journal(path, error);
  for (const JournalFile& file : journal.value().files) numbers[file.path] = file.number;
  return numbers;
}

struct Engine : testing::Test {
  TempDir dir;
  WorkingDir cwd{dir.path};
  std::FILE* quiet = std::fopen("/dev/null", "w");
  ~Engine() override { std::fclose(quiet); }
};

TEST_F(Engine, NewFilesAndJournalEntriesReachTheDiskBeforeTheRenamesAndTheRenamesBeforeTheMarks) {
  write_small_library();
  GrowArray<SongGroup> groups = scan_selected();
  auto rewrite = record_calls([&] { rewrite_library(groups, table_of(5), quiet, two_files); });
  std::string journal = newest_journal(".").value();
  std::map<std::string, int> numbers = journal_numbers(journal);
  ASSERT_EQ(4u, numbers.size());
  EXPECT_EQ("", order_faults(rewrite, "file", "replaced", numbers));
  std::string error;
  auto undo = record_calls([&] { undo_rewrite(journal, quiet, error, two_files); });
  EXPECT_EQ("", order_faults(undo, "restoring", "restored", numbers));
  auto renames = [](const std::vector<Recorded>& calls) {
    return std::count_if(calls.begin(), calls.end(),
                         [](auto& c) { return c.call == FileCall::Rename; });
  };
  EXPECT_EQ(4, renames(rewrite));
  EXPECT_EQ(4, renames(undo));
}

// Runs `run` in a child process whose `stop`-th file call fails with EIO or, with `kill`,
// ends the process there. Returns false when the run made fewer calls.
bool run_stopped_at(int stop, bool kill, const std::function<void()>& run) {
  pid_t child = fork();
  if (child == 0) {
    int calls = 0;
    set_file_call_hook([&](const FileCallEvent&) {
      if (++calls != stop) return 0;
      if (kill) _exit(3);
      return EIO;
    });
    run();
    _exit(calls >= stop ? 3 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}

// TODO: once the next run removes a killed run's temporary files (the leftovers sweep),
// call it here instead.
void remove_leftovers() {
  for (const auto& entry : fs::recursive_directory_iterator("Songs"))
    if (entry.path().filename().string().starts_with(".rerate-")) fs::remove(entry.path());
}

// After a stop: every file old or new; A's pair alike or named in the report; with a
// failed call, no temporary file.
void expect_settled(const SmallLibrary& library, bool killed, const std::string& what) {
  if (killed) remove_leftovers();
  EXPECT_EQ("", files_neither_old_nor_new(library)) << what;
  std::string report = read_file("report.txt");
  bool named = report.find("Songs/G/A/a.s") != report.rfind("Songs/G/A/a.s") &&
               (report.find("Failed to write to Songs/G/A/a.s") != std::string::npos ||
                report.find("Not restored Songs/G/A/a.s") != std::string::npos);
  bool alike = (read_file(library.files[0]) == library.before[0]) ==
               (read_file(library.files[1]) == library.before[1]);
  EXPECT_TRUE(alike || named || killed) << what << "\n" << report;
}

// Undoes the newest journal, twice; the library must be as before.
void expect_undone(const SmallLibrary& library, const std::string& what) {
  std::FILE* quiet = std::fopen("/dev/null", "w");
  for (int round = 0; round < 2; ++round) {
    std::optional<std::string> journal = newest_journal(".");
    std::string error;
    std::optional<UndoOutcome> outcome;
    if (journal) outcome = undo_rewrite(*journal, quiet, error);
    EXPECT_TRUE(!journal || (outcome && outcome->not_restored == 0)) << what << error;
  }
  std::fclose(quiet);
  for (std::size_t i = 0; i < library.files.size(); ++i)
    EXPECT_EQ(library.before[i], read_file(library.files[i])) << what << library.files[i];
  EXPECT_EQ("", files_neither_old_nor_new(library)) << what;
}

TEST_F(Engine, AStopAtAnyFileCallOfTheRewriteOrTheUndoLeavesALibraryTheUndoRestores) {
  int points = 0;
  for (bool undo : {false, true})
    for (bool kill : {false, true})
      for (int stop = 1;; ++stop) {
        std::string what = std::string(undo ? "undo" : "rewrite") + (kill ? " killed" : " failed") +
                           " at call " + std::to_string(stop) + ": ";
        SmallLibrary library = write_small_library();
        GrowArray<SongGroup> groups = scan_selected();
        std::string error;
        if (undo) rewrite_library(groups, table_of(5), quiet, two_files);
        std::optional<std::string> journal = newest_journal(".");
        bool stopped = run_stopped_at(stop, kill, [&] {
          std::FILE* report = std::fopen("report.txt", "w");
          if (undo)
            undo_rewrite(*journal, report, error, two_files);
          else
            rewrite_library(groups, table_of(5), report, two_files);
          std::fclose(report);
        });
        if (!stopped) break;
        ++points;
        expect_settled(library, kill, what);
        expect_undone(library, what);
      }
  std::printf("[   NOTE   ] checked %d stop points (failed and killed, rewrite and undo)\n",
              points);
  EXPECT_GT(points, 80);
}

}  // namespace
