// songfile/text.h: library texts (group, folder and file names, titles) as the screens
// and the report show them. Texts are taken as UTF-8 where they are valid UTF-8; any other
// byte stands for itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One character of a text: its code point and how many bytes it takes. A byte that does
// not begin a valid UTF-8 sequence is a character of its own: `valid` is false and
// `code` holds the byte.
struct TextChar {
  char32_t code;
  std::size_t length;
  bool valid;
};

// The character that starts at byte `at` of `text` (`at` < text.size()).
TextChar decode_char(std::string_view text, std::size_t at);

// Appends the escaped form \xNN of `code` (below 0x100) to `out`.
void append_escaped(std::string& out, char32_t code);

// `text` with every control character written as \xNN (its code in hex), so that it can
// neither start a new line nor send a terminal sequence: the C0 controls and DEL, the C1
// controls written in UTF-8, and the bytes 0x80 to 0x9F outside a UTF-8 sequence (which a
// terminal in an 8-bit mode takes as C1 controls). Any other text comes back unchanged.
std::string escape_controls(std::string_view text);
