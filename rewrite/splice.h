// rewrite/splice.h: a song file's new bytes: its own bytes with some meters' digits
// replaced, and nothing else changed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "songfile/song_reader.h"

// One meter to write: the digits that hold `old_meter` become those of `new_meter`.
struct MeterEdit {
  MeterDigits digits;
  std::int32_t old_meter;
  std::int32_t new_meter;
};

// `bytes` with each edit's digits replaced by the decimal digits of its new meter; every
// other byte (line ends, byte-order marks, zero bytes, whatever follows a 0x1A) stays as
// it is. Edits come in file order and do not overlap. Returns nothing when an edit's
// digits are not in `bytes` or are not exactly the digits of its old meter (a number with
// more digits, or other bytes there): then `bytes` are not what the scan read.
std::optional<std::string> splice_meters(std::string_view bytes, std::span<const MeterEdit> edits);
