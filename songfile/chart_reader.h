// songfile/chart_reader.h: reads a song file into its Song: the tokens, the title and
// the charts that can be rescaled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "library/library.h"

// Tokenizes `path` and fills `song`: its tokens, its title (the first usable TITLE value,
// or none) and one Chart per NOTES block of a known mode, difficulty and a meter above 0.
// Returns false when the file cannot be tokenized; the song's tokens are then absent.
bool read_song_file(const std::string& path, Song& song);

// Walks the tokens of `song` for its title and charts.
void read_song_tokens(Song& song);

// The number formed by the leading decimal digits of `text`; it stops at the first
// non-digit and saturates at 2147483647.
std::int32_t leading_number(std::string_view text);
