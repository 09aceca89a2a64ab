// tests/support/song_text.h: song file texts and songs read from them, for tests.
#pragma once

#include <string>
#include <string_view>

#include "library/scale_table.h"
#include "songfile/song_reader.h"

// One NOTES block as song files usually lay it out, one field per line.
std::string notes(std::string_view type, std::string_view difficulty, std::string_view meter,
                  std::string_view data = "0000\n1000\n");

// One .ssc chart section: NOTEDATA, STEPSTYPE, DIFFICULTY, METER and NOTES tags.
std::string ssc_chart(std::string_view type, std::string_view difficulty, std::string_view meter);

// A song file: its TITLE and BPMS tags, then `blocks`.
std::string song_file(std::string_view title, std::string_view blocks);

// `text` with every LF written as CR LF.
std::string crlf(std::string_view text);

// A scale table with every cell at `step`.
ScaleTable table_of(int step);

// The title and charts read from `bytes` as if they were a song file (none when the file
// cannot be tokenized).
SongFields read_song(std::string_view bytes);
