// songfile/text.cpp: UTF-8 decoding and the escaped form of control characters.
#include "songfile/text.h"

namespace {

constexpr char32_t last_code_point = 0x10FFFF;
constexpr char32_t first_surrogate = 0xD800;
constexpr char32_t last_surrogate = 0xDFFF;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence a lead byte opens, its payload bits, and the smallest code
// point that may be written with that length (a smaller one is an overlong form).
struct Lead {
  std::size_t length;
  char32_t bits;
  char32_t smallest;
};

Lead lead_of(unsigned char byte) {
  if (byte < 0x80) return {1, byte, 0};
  if ((byte & 0xE0) == 0xC0) return {2, byte & 0x1Fu, 0x80};
  if ((byte & 0xF0) == 0xE0) return {3, byte & 0x0Fu, 0x800};
  if ((byte & 0xF8) == 0xF0) return {4, byte & 0x07u, 0x10000};
  return {0, 0, 0};
}

bool is_control(char32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

}  // namespace

void append_escaped(std::string& out, char32_t code) {
  constexpr char digits[] = "0123456789abcdef";
  out += "\\x";
  out += digits[(code >> 4) & 0xF];
  out += digits[code & 0xF];
}

TextChar decode_char(std::string_view text, std::size_t at) {
  auto byte = static_cast<unsigned char>(text[at]);
  TextChar single{byte, 1, false};
  Lead lead = lead_of(byte);
  if (lead.length == 0 || at + lead.length > text.size()) return single;
  char32_t code = lead.bits;
  for (std::size_t i = 1; i < lead.length; ++i) {
    auto next = static_cast<unsigned char>(text[at + i]);
    if (!is_continuation(next)) return single;
    code = (code << 6) | (next & 0x3Fu);
  }
  bool in_range = code >= lead.smallest && code <= last_code_point &&
                  (code < first_surrogate || code > last_surrogate);
  if (!in_range) return single;
  return {code, lead.length, true};
}

std::string escape_controls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    TextChar c = decode_char(text, at);
    if (is_control(c.code))
      append_escaped(out, c.code);
    else
      out.append(text.substr(at, c.length));
    at += c.length;
  }
  return out;
}
