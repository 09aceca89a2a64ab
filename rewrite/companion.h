// rewrite/companion.h: the .ssc beside a song's .sm, rewritten with the same charts: its
// job, the search for the .sm's selected charts in it, and its report lines.
//
// The game reads the .ssc in place of the .sm, so a chart changed in the .sm alone would
// not change in the game. The k-th selected chart of a mode and difficulty in the .sm is
// the k-th chart of the same chart type and difficulty in the .ssc, and only when the .ssc
// gives it the meter the .sm had before the change. Nothing else is guessed: a chart in
// one file only, charts in another order, a meter that differs or another difficulty
// name is no match, and that chart stays as it is in the .ssc.
#pragma once

#include <cstdio>
#include <string_view>

#include "library/library.h"
#include "rewrite/file_job.h"

// The job for the .ssc beside `song`'s .sm, whose own job is `song_job`. Which of the
// .ssc's meters change is found only when it is read again (match_companion), after the
// check that it is still the file the scan read.
FileJob companion_job(const SongGroup& group, const Song& song, const FileJob& song_job);

// Searches the .ssc's bytes for the wanted charts: fills the job's `converted`, in file
// order, and its unmatched charts. Returns false when the .ssc is not to be rewritten: it
// cannot be read, or it holds none of the wanted charts.
bool match_companion(FileJob& job, std::string_view bytes);

// For an .ssc that holds none of the wanted charts, prints the one line that says it was
// left as it is and returns true; for any other job prints nothing and returns false.
bool report_companion_kept(std::FILE* report, const FileJob& job);

// For an .ssc that was rewritten, one line per wanted chart that it does not hold.
void report_unmatched_charts(std::FILE* report, const FileJob& job);
