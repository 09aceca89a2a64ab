// bench/rewrite_timing.h: the whole rewrite of a library with every chart selected,
// against copying the same song files into a fresh folder and syncing them.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct RewriteRun {
  double copy_seconds;     // copying every song file to a fresh folder, then one sync
  double rewrite_seconds;  // rewrite_library on that copy, every chart selected, step 5
  int files_rewritten;
  int files_failed;
};

// Copies the song files `paths` (relative to the working folder) into `copy_root`/Songs,
// timed, then rewrites that copy, timed, and removes it. Nothing when the copy fails.
std::optional<RewriteRun> time_rewrite(const std::vector<std::string>& paths,
                                       const std::string& copy_root);
