// rewrite/splice.cpp: replacing meter digits in a file's bytes.
#include "rewrite/splice.h"

namespace {

// Whether the digits at `digits` in `bytes` are those of `meter`, all of them.
bool holds_meter(std::string_view bytes, const MeterDigits& digits, std::int32_t meter) {
  if (digits.offset > bytes.size() || bytes.size() - digits.offset < digits.length) return false;
  std::optional<LeadingNumber> number = leading_number(bytes.substr(digits.offset));
  return number && number->digits == digits.length && number->value == meter;
}

}  // namespace

std::optional<std::string> splice_meters(std::string_view bytes, std::span<const MeterEdit> edits) {
  std::string out;
  out.reserve(bytes.size() + 16 * edits.size());
  std::size_t copied = 0;  // bytes[0, copied) are in `out`
  for (const MeterEdit& edit : edits) {
    if (edit.digits.offset < copied || !holds_meter(bytes, edit.digits, edit.old_meter))
      return std::nullopt;
    out.append(bytes.substr(copied, edit.digits.offset - copied));
    out += std::to_string(edit.new_meter);
    copied = edit.digits.offset + edit.digits.length;
  }
  out.append(bytes.substr(copied));
  return out;
}
