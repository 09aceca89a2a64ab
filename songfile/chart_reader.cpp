// songfile/chart_reader.cpp: the walk over a song file's tokens for TITLE and NOTES.
#include "songfile/chart_reader.h"

#include <limits>
#include <optional>

#include "songfile/tokenizer.h"

namespace {

// Token indexes within one list; `none` when a search runs off the end.
constexpr int none = -1;

bool is_significant(const Token& token) {
  return token.kind != TokenKind::Comment && token.kind != TokenKind::Whitespace;
}

// The first token after `index` that is neither a comment nor white space.
int next_significant(const TokenList& list, int index) {
  int count = static_cast<int>(list.tokens.size());
  for (int i = index + 1; i < count; ++i)
    if (is_significant(list.tokens[i])) return i;
  return none;
}

// The first colon after `index`, whatever lies between.
int next_colon(const TokenList& list, int index) {
  int count = static_cast<int>(list.tokens.size());
  for (int i = index + 1; i < count; ++i)
    if (list.tokens[i].kind == TokenKind::ColonDelim) return i;
  return none;
}

bool is_value(const TokenList& list, int index) {
  return list.tokens[index].kind == TokenKind::Value;
}

std::string_view text_at(const TokenList& list, int index) {
  return token_text(list, list.tokens[index]);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The outcome of reading one tag: where the walk goes on, or that it stops.
struct Step {
  int continue_from;  // the walk's next candidate is the token after this one
  bool stop;
};

Step stop_walk() { return Step{none, true}; }
Step continue_from(int index) { return Step{index, false}; }

Step read_title(Song& song, const TokenList& list, int tag) {
  int value = next_significant(list, tag);
  if (value == none) return stop_walk();
  if (is_value(list, value) && !song.title) song.title = std::string(text_at(list, value));
  return continue_from(value);
}

// chart type ':' description ':' difficulty ':' meter, each field found in turn.
Step read_notes(Song& song, const TokenList& list, int tag) {
  int type = next_significant(list, tag);
  if (type == none) return stop_walk();
  if (!is_value(list, type)) return continue_from(type);
  std::optional<Mode> mode = mode_from_file_name(text_at(list, type));
  if (!mode) return continue_from(type);
  int description_start = next_colon(list, type);
  if (description_start == none) return stop_walk();
  int description_end = next_colon(list, description_start);
  if (description_end == none) return stop_walk();
  int field = next_significant(list, description_end);
  if (field == none) return stop_walk();
  if (!is_value(list, field)) return continue_from(field);
  std::optional<Difficulty> difficulty = difficulty_from_file_name(text_at(list, field));
  if (!difficulty) return continue_from(field);
  int meter_colon = next_colon(list, field);
  if (meter_colon == none) return stop_walk();
  int meter = next_significant(list, meter_colon);
  if (meter == none) return stop_walk();
  std::string_view meter_text = text_at(list, meter);
  if (!is_value(list, meter) || meter_text.empty() || !is_digit(meter_text[0]))
    return continue_from(meter);
  std::int32_t rating = leading_number(meter_text);
  if (rating > 0) append(song.charts) = Chart{*mode, *difficulty, rating, false, meter};
  return continue_from(meter);
}

}  // namespace

std::int32_t leading_number(std::string_view text) {
  constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
  std::int32_t number = 0;
  for (char c : text) {
    if (!is_digit(c)) break;
    int digit = c - '0';
    number = number > (max - digit) / 10 ? max : number * 10 + digit;
  }
  return number;
}

void read_song_tokens(Song& song) {
  const TokenList& list = *song.tokens;
  for (int t = next_significant(list, -1); t != none;) {
    Step step = continue_from(t);
    if (list.tokens[t].kind == TokenKind::ID) {
      std::string_view name = text_at(list, t);
      if (name == "TITLE") step = read_title(song, list, t);
      else if (name == "NOTES") step = read_notes(song, list, t);
    }
    if (step.stop) return;
    t = next_significant(list, step.continue_from);
  }
}

bool read_song_file(const std::string& path, Song& song) {
  song.tokens = tokenize_song_file(path);
  if (!song.tokens) return false;
  read_song_tokens(song);
  return true;
}
