// tests/support/small_library.cpp: the small library of the rewrite and undo tests.
#include "tests/support/small_library.h"

#include <filesystem>

#include "library/scan.h"
#include "rewrite/undo.h"
#include "tests/support/song_text.h"

SmallLibraryTest::SmallLibraryTest() {
  for (auto [single, dual] : {std::pair("12", "9"), std::pair("8", "6")}) {
    std::vector<std::string>& texts = before.empty() ? before : after;
    std::string charts =
        notes("dance-single", "Hard", single) + notes("dance-double", "Easy", dual);
    std::string ssc =
        ssc_chart("dance-single", "Hard", single) + ssc_chart("dance-double", "Easy", dual);
    texts = {song_file("A", charts), "#TITLE:A;\n" + ssc, song_file("B", charts),
             song_file("C", charts)};
  }
  write_library();
}

void SmallLibraryTest::write_library() {
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::filesystem::remove(files[i]);
    write_file(files[i], before[i]);
  }
  for (const auto& entry : std::filesystem::directory_iterator("."))
    if (entry.path().filename().string().starts_with("rerate-undo-"))
      std::filesystem::remove(entry);
}

std::string SmallLibraryTest::rewrite(const BatchLimits& limits, const FileCallHook& hook,
                                      int step) {
  GrowArray<SongGroup> groups;
  EXPECT_TRUE(scan_library(groups));
  for (Song& song : groups[0].songs)
    for (Chart& chart : song.charts) chart.selected = true;
  if (hook) set_file_call_hook(hook);
  std::FILE* report = std::fopen("report.txt", "w");
  outcome = rewrite_library(groups, table_of(step), report, limits);
  if (hook) set_file_call_hook({});
  std::fclose(report);
  return read_file("report.txt");
}

std::string SmallLibraryTest::undo(const std::string& journal, const BatchLimits& limits) {
  std::FILE* report = std::fopen("report.txt", "w");
  std::string error;
  std::optional<UndoOutcome> undone = undo_rewrite(journal, report, error, limits);
  std::fputs(!undone                                  ? error.c_str()
             : undone->not_restored || undone->unread ? "status 1"
                                                      : "",
             report);
  std::fclose(report);
  return read_file("report.txt");
}

std::string SmallLibraryTest::states() {
  std::string states;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string now = read_file(files[i]);
    states += now == after[i] ? 'n' : now == before[i] ? 'o' : '?';
  }
  return states;
}
