// rewrite/file_job.h: one song file to rewrite, the meters it gets and what became of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rewrite/journal.h"
#include "rewrite/replace_file.h"
#include "rewrite/splice.h"
#include "songfile/chart_kind.h"
#include "songfile/song_file.h"

// One selected chart's meter, before and after.
struct ConvertedMeter {
  Mode mode;
  Difficulty difficulty;
  MeterEdit edit;
  std::string rescaled{};  // "already rescaled on <date> from <old>" for a chart an earlier
                           // run rescaled (rewrite/rescaled.h), else empty
};

// A selected chart of a song's .sm, to be found in the .ssc beside it.
struct WantedChart {
  Mode mode;
  Difficulty difficulty;
  std::int32_t rank;  // 0 for the .sm's first chart of this mode and difficulty, 1 for the next
  std::int32_t old_meter;  // in the .sm, before the change
  std::int32_t new_meter;
};

// What an .ssc beside a song's .sm is searched for, and what the search found.
struct CompanionMatch {
  std::vector<WantedChart> wanted;     // the .sm's selected charts, in its order
  std::vector<WantedChart> unmatched;  // those the .ssc does not hold
  bool searched = false;               // the .ssc was read as the scan saw it and searched
};

// One song file to rewrite and what became of it.
struct FileJob {
  std::string path;  // as the report names it
  FileStamp stamp;   // the file as the scan read it
  std::uint64_t hash;
  std::vector<ConvertedMeter> converted;    // in file order
  Replacement replacement;                  // `placed` once the new file is in place
  std::optional<CompanionMatch> companion;  // an .ssc beside an .sm: `converted` is found in it
  JournalFile journal{};                    // its undo journal entry, once the new file is written
};
