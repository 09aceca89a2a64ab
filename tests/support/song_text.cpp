// tests/support/song_text.cpp: song file texts and songs read from them, for tests.
#include "tests/support/song_text.h"

#include "songfile/chart_reader.h"
#include "tests/support/token_helpers.h"

std::string notes(std::string_view type, std::string_view difficulty, std::string_view meter,
                  std::string_view data) {
  std::string block = "#NOTES:\n     ";
  block += type;
  block += ":\n     someone:\n     ";
  block += difficulty;
  block += ":\n     ";
  block += meter;
  block += ":\n     0.1,0.2,0.3,0.4,0.5:\n";
  block += data;
  block += ";\n";
  return block;
}

std::string song_file(std::string_view title, std::string_view blocks) {
  std::string text = "#TITLE:";
  text += title;
  text += ";\n#BPMS:0.000=120.000;\n";
  text += blocks;
  return text;
}

std::string crlf(std::string_view text) {
  std::string out;
  append_file_text(out, text);
  return out;
}

ScaleTable table_of(int step) {
  ScaleTable table;
  for (auto& row : table.steps)
    for (int& cell : row) cell = step;
  return table;
}

Song read_song(std::string_view bytes) {
  Song song;
  song.tokens = tokenize_text(bytes);
  if (song.tokens) read_song_tokens(song);
  return song;
}
