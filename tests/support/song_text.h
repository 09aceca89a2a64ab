// tests/support/song_text.h: song file texts and songs read from them, for tests.
#pragma once

#include <string>
#include <string_view>

#include "library/library.h"
#include "scale/scale.h"

// One NOTES block as song files usually lay it out, one field per line.
std::string notes(std::string_view type, std::string_view difficulty, std::string_view meter,
                  std::string_view data = "0000\n1000\n");

// A song file: its TITLE and BPMS tags, then `blocks`.
std::string song_file(std::string_view title, std::string_view blocks);

// What a file written in text mode from `text` holds: every LF as CR LF.
std::string crlf(std::string_view text);

// A scale table with every cell at `step`.
ScaleTable table_of(int step);

// A song read from `bytes` as if they were its file (tokens, title, charts).
Song read_song(std::string_view bytes);
