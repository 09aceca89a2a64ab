// songfile/song_reader.h: what the program needs of a song file: its title and the charts
// that can be rescaled, with where each chart's meter digits lie in the file. Song files
// come in two formats with the same punctuation: .sm, where a chart is one NOTES tag with
// its fields separated by colons, and the newer .ssc, where a chart is a NOTEDATA section
// whose fields are tags of their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "songfile/chart_kind.h"

// Where a meter's digits lie in the file as it is on disk.
struct MeterDigits {
  std::uint32_t offset;
  std::uint16_t length;
};

// One chart found in a song file.
struct FoundChart {
  Mode mode;
  Difficulty difficulty;
  std::int32_t meter;  // always > 0
  MeterDigits digits;
};

// What a song file holds for the program.
struct SongFields {
  std::optional<std::string> title;           // the first usable TITLE value
  std::optional<std::string> title_translit;  // the first usable TITLETRANSLIT value
  std::vector<FoundChart> charts;             // in file order
};

// Reads an .sm file's title, transliterated title and charts from its bytes as they are on disk,
// into `fields` (emptied first, its storage kept for the next file). A chart is a NOTES block of a
// known chart type and difficulty whose meter starts with digits that make a number from 1 to
// 2147483647. Returns false when the file cannot be tokenized.
bool read_song_fields(std::string_view file_bytes, SongFields& fields);

// Reads an .ssc file's titles and charts in the same way. The titles are those of the song
// tags, before the first NOTEDATA tag. A chart is a section from a NOTEDATA tag to the next
// one or the end of the file that holds one STEPSTYPE of a known chart type, one known
// DIFFICULTY and one METER read as an .sm chart's meter field, in any order among its
// other tags. Returns false when the file cannot be tokenized.
bool read_ssc_fields(std::string_view file_bytes, SongFields& fields);

enum class SongFormat { Sm, Ssc };

// The format a song file's name ends in (".sm" or ".ssc", any letter case), if either.
std::optional<SongFormat> song_format_of(std::string_view file_name);

// Reads a song file of either format.
bool read_fields_of(SongFormat format, std::string_view file_bytes, SongFields& fields);

// The number the leading decimal digits of `text` make, and how many digits there are;
// nothing when the number is above 2147483647.
struct LeadingNumber {
  std::int32_t value;
  std::size_t digits;
};
std::optional<LeadingNumber> leading_number(std::string_view text);
