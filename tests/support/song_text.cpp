// tests/support/song_text.cpp: song file texts and songs read from them, for tests.
#include "tests/support/song_text.h"

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

std::string ssc_chart(std::string_view type, std::string_view difficulty, std::string_view meter) {
  return "#NOTEDATA:;\n#STEPSTYPE:" + std::string(type) +
         ";\n#DIFFICULTY:" + std::string(difficulty) + ";\n#METER:" + std::string(meter) +
         ";\n#NOTES:\n0000\n;\n";
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
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

ScaleTable table_of(int step) {
  ScaleTable table;
  for (auto& row : table.steps)
    for (int& cell : row) cell = step;
  return table;
}

SongFields read_song(std::string_view bytes) {
  SongFields fields;
  if (!read_song_fields(bytes, fields)) return SongFields{};
  return fields;
}
