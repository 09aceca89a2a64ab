// tests/support/small_library.h: a small library in a scratch working folder for the tests
// of the rewrite and the undo: songs A, B and C in group G, A with an .ssc beside its .sm,
// each with a Single Hard 12 and a Double Easy 9 (8 and 6 once divided by 1.5).
#pragma once

#include <gtest/gtest.h>

#include "rewrite/file_calls.h"
#include "rewrite/rewriter.h"
#include "tests/support/temp_dir.h"

struct SmallLibraryTest : testing::Test {
  TempDir dir;
  WorkingDir cwd{dir.path};
  std::vector<std::string> files{"Songs/G/A/a.sm", "Songs/G/A/a.ssc", "Songs/G/B/b.sm",
                                 "Songs/G/C/c.sm"};
  std::vector<std::string> before, after;  // the files' bytes, and divided by 1.5
  RewriteOutcome outcome;

  SmallLibraryTest();
  void write_library();  // afresh (new files), with no undo journal beside it
  // Every chart divided by 1.`step`, `hook` (when given) watching the file calls: the report
  // (also in report.txt).
  std::string rewrite(const BatchLimits& limits = {}, const FileCallHook& hook = {}, int step = 5);
  // The report of the undo of `journal`, ending in "status 1" when the undo would end with
  // it; or the error.
  std::string undo(const std::string& journal, const BatchLimits& limits = {});
  std::string states();  // per file: "n" for its new bytes, "o" for its old ones, "?" else
};
