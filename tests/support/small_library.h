// tests/support/small_library.h: a small library in a scratch working folder for the tests
// of the rewrite and the undo: songs A, B and C in group G, A with an .ssc beside its .sm,
// each with a Single Hard 12 and a Double Easy 9 (8 and 6 once divided by 1.5).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "library/scan.h"
#include "rewrite/file_calls.h"
#include "rewrite/rescaled.h"
#include "rewrite/rewriter.h"
#include "rewrite/undo.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"

struct SmallLibraryTest : testing::Test {
  TempDir dir;
  WorkingDir cwd{dir.path};
  std::vector<std::string> files{"Songs/G/A/a.sm", "Songs/G/A/a.ssc", "Songs/G/B/b.sm",
                                 "Songs/G/C/c.sm"};
  std::vector<std::string> before, after;  // the files' bytes, and divided by 1.5
  RewriteOutcome outcome;
  RewriteSettings settings;       // for rewrite(), but for its limits and marks
  RescaledCharts rescaled;        // the marks rewrite() found before it ran
  std::optional<Mode> only_mode;  // rewrite() selects the charts of this mode, or all

  SmallLibraryTest() {
    for (auto [single, dual] : {std::pair("12", "9"), std::pair("8", "6")}) {
      std::vector<std::string>& texts = before.empty() ? before : after;
      std::string sm = notes("dance-single", "Hard", single) + notes("dance-double", "Easy", dual);
      std::string ssc =
          ssc_chart("dance-single", "Hard", single) + ssc_chart("dance-double", "Easy", dual);
      texts = {song_file("A", sm), "#TITLE:A;\n" + ssc, song_file("B", sm), song_file("C", sm)};
    }
    write_library();
  }
  // Writes the library afresh (new files), with no undo journal beside it.
  void write_library() {
    for (std::size_t i = 0; i < files.size(); ++i) {
      std::filesystem::remove(files[i]);
      write_file(files[i], before[i]);
    }
    for (const auto& entry : std::filesystem::directory_iterator("."))
      if (entry.path().filename().string().starts_with("rerate-undo-"))
        std::filesystem::remove(entry);
  }
  // The report (also in report.txt) of every chart divided by 1.`step`, `hook` (when given)
  // watching the file calls.
  std::string rewrite(const BatchLimits& limits = {}, const FileCallHook& hook = {}, int step = 5) {
    std::vector<SongGroup> groups;
    EXPECT_TRUE(scan_library(groups));
    mark_rescaled_charts(groups, rescaled);
    for (Song& song : groups[0].songs)
      for (Chart& chart : song.charts) chart.selected = !only_mode || chart.mode == *only_mode;
    if (hook) set_file_call_hook(hook);
    std::FILE* report = std::fopen("report.txt", "w");
    RewriteSettings run = settings;
    run.limits = limits;
    run.rescaled = &rescaled;
    outcome = rewrite_library(groups, table_of(step), report, run);
    if (hook) set_file_call_hook({});
    std::fclose(report);
    return read_file("report.txt");
  }
  // The report of the undo of `journal`, ending in "status 1" when the undo ends with it; or
  // the error.
  std::string undo(const std::string& journal, const BatchLimits& limits = {}) {
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
  // Per chart of a new scan, in library order: "~" when it is marked rescaled before.
  std::string marks() {
    std::vector<SongGroup> groups;
    EXPECT_TRUE(scan_library(groups));
    RescaledCharts found;
    mark_rescaled_charts(groups, found);
    std::string marks;
    for (const Song& song : groups[0].songs)
      for (const Chart& chart : song.charts) marks += chart.rescaled ? '~' : '.';
    return marks;
  }
  // Per file: "n" for its new bytes, "o" for its old ones, "?" for others.
  std::string states() {
    std::string states;
    for (std::size_t i = 0; i < files.size(); ++i) {
      std::string now = read_file(files[i]);
      states += now == after[i] ? 'n' : now == before[i] ? 'o' : '?';
    }
    return states;
  }
};
