// rewrite/song_writer.h: a song file's new content: its tokens written back with the
// selected charts' meters converted.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "library/library.h"
#include "scale/scale.h"

// One meter that was converted, for the report.
struct ConvertedMeter {
  Mode mode;
  Difficulty difficulty;
  int old_meter;
  int new_meter;
};

// The whole new file, and the meters converted in it, in file order.
struct SongRewrite {
  std::string content;
  std::vector<ConvertedMeter> converted;
};

// Writes `song`'s tokens back as the file will hold them: every token as read (LF as
// CR LF), apart from each selected chart's meter token, whose text becomes the converted
// meter; then the kept tail. Returns nothing when the song has no tokens or a selected
// chart's meter token is not a value of its token list.
std::optional<SongRewrite> build_song_rewrite(const Song& song, const ScaleTable& table);
