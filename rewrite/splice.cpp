// rewrite/splice.cpp: replacing meter digits in a file's bytes.
#include "rewrite/splice.h"

namespace {

// Whether the digits at `digits` in `bytes` are those of `meter`, all of them.
bool holds_meter(std::string_view bytes, const MeterDigits& digits, std::int32_t meter) {
  if (digits.offset > bytes.size() || bytes.size() - digits.offset < digits.length) return false;
  std::optional<LeadingNumber> number = leading_number(bytes.substr(digits.offset));
  return number && number->digits == digits.length && number->value == meter;
}

bool is_digit_at(std::string_view bytes, std::size_t at) {
  return at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9';
}

}  // namespace

std::optional<std::vector<TextEdit>> meter_text_edits(std::string_view bytes,
                                                      std::span<const MeterEdit> edits) {
  std::vector<TextEdit> texts;
  texts.reserve(edits.size());
  for (const MeterEdit& edit : edits) {
    if (!holds_meter(bytes, edit.digits, edit.old_meter)) return std::nullopt;
    texts.push_back(TextEdit{edit.digits.offset,
                             std::string(bytes.substr(edit.digits.offset, edit.digits.length)),
                             std::to_string(edit.new_meter)});
  }
  return texts;
}

std::optional<std::string> splice_meters(std::string_view bytes, std::span<const MeterEdit> edits) {
  std::optional<std::vector<TextEdit>> texts = meter_text_edits(bytes, edits);
  if (!texts) return std::nullopt;
  return splice_texts(bytes, *texts);
}

std::optional<std::string> splice_texts(std::string_view bytes, std::span<const TextEdit> edits) {
  std::string out;
  out.reserve(bytes.size() + 16 * edits.size());
  std::size_t copied = 0;  // bytes[0, copied) are in `out`
  for (const TextEdit& edit : edits) {
    std::size_t end = std::size_t{edit.offset} + edit.old_text.size();
    if (edit.offset < copied || end > bytes.size() ||
        bytes.substr(edit.offset, edit.old_text.size()) != edit.old_text || is_digit_at(bytes, end))
      return std::nullopt;
    out.append(bytes.substr(copied, edit.offset - copied));
    out += edit.new_text;
    copied = end;
  }
  out.append(bytes.substr(copied));
  return out;
}

std::vector<TextEdit> reverse_edits(std::span<const TextEdit> edits) {
  std::vector<TextEdit> reversed;
  reversed.reserve(edits.size());
  std::int64_t shift = 0;  // how far the new bytes have moved at this edit
  for (const TextEdit& edit : edits) {
    auto offset = static_cast<std::uint32_t>(edit.offset + shift);
    reversed.push_back(TextEdit{offset, edit.new_text, edit.old_text});
    shift += static_cast<std::int64_t>(edit.new_text.size()) -
             static_cast<std::int64_t>(edit.old_text.size());
  }
  return reversed;
}
