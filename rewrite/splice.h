// rewrite/splice.h: a song file's new bytes: its own bytes with some meters' digits
// replaced, and nothing else changed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// One run of digits replaced by other text: the `old_text` at `offset` becomes `new_text`.
struct TextEdit {
  std::uint32_t offset;
  std::string old_text;
  std::string new_text;
};

// The text edits that make `edits`: each meter's digits as they are in `bytes`, and the
// decimal digits of its new meter. Nothing when splice_meters would refuse them.
std::optional<std::vector<TextEdit>> meter_text_edits(std::string_view bytes,
                                                      std::span<const MeterEdit> edits);

// `bytes` with each edit's old text replaced by its new text, every other byte kept. Edits
// come in file order and do not overlap. Returns nothing when an edit's old text is not at
// its offset, or is followed there by another digit (it is part of a longer number).
std::optional<std::string> splice_texts(std::string_view bytes, std::span<const TextEdit> edits);

// The edits that take the bytes `edits` made back to what they were: at the offsets in the
// new bytes, with old and new text swapped.
std::vector<TextEdit> reverse_edits(std::span<const TextEdit> edits);
