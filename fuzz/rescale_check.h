// fuzz/rescale_check.h: the properties a song file reader and the splice must keep for any
// bytes, checked by each fuzz target with its own reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "songfile/song_reader.h"

// Reads `bytes` into `fields`; false when they cannot be tokenized.
using ReadSongFields = bool (*)(std::string_view bytes, SongFields& fields);

// Reads the bytes, rescales every chart with a step from 1 to 9 taken from the first byte,
// and aborts with a message on stderr when:
// - the new bytes differ from the old anywhere but in the meters' digits, or a meter's
//   digits are not the converted meter;
// - reading the new bytes does not give the same title and charts, in the same order,
//   with the converted meters (less any chart whose meter became 0);
// - an empty list of edits does not give back the bytes as they were.
void check_rescale(std::string_view bytes, ReadSongFields read);
