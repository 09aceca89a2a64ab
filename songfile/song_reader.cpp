// songfile/song_reader.cpp: the walk over an .sm file's tokens for TITLE and NOTES.
//
// The walk only ever moves forward: each step looks at the tokens after the last one it
// examined, so the file is tokenized once, a token at a time, and nothing is kept but the
// title and the charts. Every path reads the file to its end, so a file that breaks a
// limit anywhere is found unreadable.
#include "songfile/song_reader.h"

#include <limits>

#include "songfile/tokenizer.h"

namespace {


bool is_digit(char c) { return c >= '0' && c <= '9'; }

// What the search for the colon that ends a field met first.
enum class FieldEnd { Colon, BlockEnd, FileEnd };

// Passes over everything up to the next colon. A block's fields end at its own ';':
// a block with too few fields never takes them from the tags that follow it.
FieldEnd next_colon(TokenReader& in) {
  while (std::optional<Token> token = next_token(in)) {
    if (token->kind == TokenKind::ColonDelim) return FieldEnd::Colon;
    if (token->kind == TokenKind::SemicolonDelim) return FieldEnd::BlockEnd;
  }
  return FieldEnd::FileEnd;
}

bool is_value(const std::optional<Token>& token) {
  return token && token->kind == TokenKind::Value;
}

void read_title(TokenReader& in, SongFields& fields) {
  std::optional<Token> value = next_significant_token(in);
  if (is_value(value) && !fields.title) fields.title = token_text(in, *value);
}

// chart type ':' description ':' difficulty ':' meter, each field found in turn. A field
// that is not what it should be ends the block's reading; the walk goes on after it.
void read_notes(TokenReader& in, SongFields& fields) {
  std::optional<Token> type = next_significant_token(in);
  if (!is_value(type)) return;
  std::optional<Mode> mode = mode_from_file_name(token_compared(in, *type));
  if (!mode) return;
  if (next_colon(in) != FieldEnd::Colon || next_colon(in) != FieldEnd::Colon) return;
  std::optional<Token> field = next_significant_token(in);
  if (!is_value(field)) return;
  std::optional<Difficulty> difficulty = difficulty_from_file_name(token_compared(in, *field));
  if (!difficulty) return;
  if (next_colon(in) != FieldEnd::Colon) return;
  std::optional<Token> meter = next_significant_token(in);
  if (!is_value(meter)) return;
  std::string_view meter_text = token_compared(in, *meter);
  if (meter_text.empty() || !is_digit(meter_text[0])) return;
  std::optional<LeadingNumber> number = leading_number(meter_text);
  if (!number || number->value == 0) return;
  MeterDigits digits{meter->start, static_cast<std::uint16_t>(number->digits)};
  fields.charts.push_back(FoundChart{*mode, *difficulty, number->value, digits});
}

}  // namespace

std::optional<LeadingNumber> leading_number(std::string_view text) {
  constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
  LeadingNumber number{0, 0};
  for (char c : text) {
    if (!is_digit(c)) break;
    int digit = c - '0';
    if (number.value > (max - digit) / 10) return std::nullopt;
    number.value = number.value * 10 + digit;
    ++number.digits;
  }
  return number;
}

bool read_song_fields(std::string_view file_bytes, SongFields& fields) {
  fields.title.reset();
  fields.charts.clear();
  TokenReader in = make_token_reader(file_bytes);
  while (std::optional<Token> token = next_tag(in)) {
    std::string_view name = token_compared(in, *token);
    if (name == "TITLE")
      read_title(in, fields);
    else if (name == "NOTES")
      read_notes(in, fields);
  }
  return !in.failed;
}
