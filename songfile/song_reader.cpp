// songfile/song_reader.cpp: the walks over an .sm file's tokens for TITLE, TITLETRANSLIT
// and NOTES, and over an .ssc file's tokens for those titles and the NOTEDATA sections.
//
// A walk only ever moves forward: each step looks at the tokens after the last one it
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

// Takes `value` as the song's title (or its transliteration), unless it is no Value or
// the song has one already.
void take_title(const TokenReader& in, const std::optional<Token>& value,
                std::optional<std::string>& title) {
  if (is_value(value) && !title) title = token_text(in, *value);
}

// A meter and where its digits lie.
struct Meter {
  std::int32_t value;
  MeterDigits digits;
};

// The meter `token` holds: a Value whose leading digits make a number from 1 to 2147483647.
std::optional<Meter> meter_of(const TokenReader& in, const std::optional<Token>& token) {
  if (!is_value(token)) return std::nullopt;
  std::string_view text = token_compared(in, *token);
  if (text.empty() || !is_digit(text[0])) return std::nullopt;
  std::optional<LeadingNumber> number = leading_number(text);
  if (!number || number->value == 0) return std::nullopt;
  return Meter{number->value,
               MeterDigits{token->start, static_cast<std::uint16_t>(number->digits)}};
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
  std::optional<Meter> meter = meter_of(in, next_significant_token(in));
  if (meter) fields.charts.push_back(FoundChart{*mode, *difficulty, meter->value, meter->digits});
}

// One field of an .ssc chart section: how many tags gave it, and what the last one said.
template <typename T>
struct SectionField {
  int tags = 0;
  std::optional<T> value;
};

// The chart fields of one NOTEDATA section.
struct SscSection {
  SectionField<Mode> mode;
  SectionField<Difficulty> difficulty;
  SectionField<Meter> meter;
};

template <typename T>
void set_field(SectionField<T>& field, std::optional<T> value) {
  ++field.tags;
  field.value = value;
}

// The field's value when exactly one tag gave it. A field given twice is no field: which
// of the two the game takes is not for this program to guess.
template <typename T>
std::optional<T> single_value(const SectionField<T>& field) {
  return field.tags == 1 ? field.value : std::nullopt;
}

// The value of an .ssc tag: its first significant token, when that is a Value. A tag with
// no value before the next tag leaves that tag to the walk, so a section start is never
// taken for a value.
std::optional<Token> ssc_value(TokenReader& in) {
  TokenReader before = in;
  std::optional<Token> token = next_significant_token(in);
  if (token && token->kind == TokenKind::ID) in = before;
  return is_value(token) ? token : std::nullopt;
}

// Reads one tag inside a NOTEDATA section; tags other than the chart fields are passed over.
void read_section_tag(TokenReader& in, std::string_view name, SscSection& section) {
  if (name == "STEPSTYPE") {
    std::optional<Token> value = ssc_value(in);
    set_field(section.mode, value ? mode_from_file_name(token_compared(in, *value)) : std::nullopt);
  } else if (name == "DIFFICULTY") {
    std::optional<Token> value = ssc_value(in);
    set_field(section.difficulty,
              value ? difficulty_from_file_name(token_compared(in, *value)) : std::nullopt);
  } else if (name == "METER") {
    set_field(section.meter, meter_of(in, ssc_value(in)));
  }
}

void add_section_chart(const SscSection& section, SongFields& fields) {
  std::optional<Mode> mode = single_value(section.mode);
  std::optional<Difficulty> difficulty = single_value(section.difficulty);
  std::optional<Meter> meter = single_value(section.meter);
  if (mode && difficulty && meter)
    fields.charts.push_back(FoundChart{*mode, *difficulty, meter->value, meter->digits});
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
  fields.title_translit.reset();
  fields.charts.clear();
  TokenReader in = make_token_reader(file_bytes);
  while (std::optional<Token> token = next_tag(in)) {
    std::string_view name = token_compared(in, *token);
    if (name == "TITLE")
      take_title(in, next_significant_token(in), fields.title);
    else if (name == "TITLETRANSLIT")
      take_title(in, next_significant_token(in), fields.title_translit);
    else if (name == "NOTES")
      read_notes(in, fields);
  }
  return !in.failed;
}

bool read_ssc_fields(std::string_view file_bytes, SongFields& fields) {
  fields.title.reset();
  fields.title_translit.reset();
  fields.charts.clear();
  TokenReader in = make_token_reader(file_bytes);
  std::optional<SscSection> section;  // none while the song tags last
  while (std::optional<Token> token = next_tag(in)) {
    std::string_view name = token_compared(in, *token);
    if (name == "NOTEDATA") {
      if (section) add_section_chart(*section, fields);
      section.emplace();
    } else if (section) {
      read_section_tag(in, name, *section);
    } else if (name == "TITLE") {
      take_title(in, ssc_value(in), fields.title);
    } else if (name == "TITLETRANSLIT") {
      take_title(in, ssc_value(in), fields.title_translit);
    }
  }
  if (section) add_section_chart(*section, fields);
  return !in.failed;
}

std::optional<SongFormat> song_format_of(std::string_view file_name) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  auto ends_with = [&](std::string_view ending) {
    if (file_name.size() < ending.size()) return false;
    std::string_view tail = file_name.substr(file_name.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i)
      if (lower(tail[i]) != ending[i]) return false;
    return true;
  };
  if (ends_with(".sm")) return SongFormat::Sm;
  if (ends_with(".ssc")) return SongFormat::Ssc;
  return std::nullopt;
}

bool read_fields_of(SongFormat format, std::string_view file_bytes, SongFields& fields) {
  return format == SongFormat::Ssc ? read_ssc_fields(file_bytes, fields)
                                   : read_song_fields(file_bytes, fields);
}
