// tests/support/library_builder.cpp: in-memory song libraries.
#include "tests/support/library_builder.h"

std::vector<SongGroup> make_library(const std::vector<TestGroup>& groups) {
  std::vector<SongGroup> library;
  for (const TestGroup& test_group : groups) {
    SongGroup& group = library.emplace_back();
    group.name = test_group.name;
    for (const TestSong& test_song : test_group.songs) {
      Song& song = group.songs.emplace_back();
      song.folder = test_song.title;
      song.file = test_song.title + ".sm";
      song.title = test_song.title;
      for (const TestChart& c : test_song.charts)
        song.charts.push_back(
            Chart{c.mode, c.difficulty, c.meter, c.selected, c.rescaled, MeterDigits{}});
    }
  }
  return library;
}

TestGroup make_test_group(const std::string& name, int song_count, int charts_per_song) {
  TestGroup group{name, {}};
  for (int s = 0; s < song_count; ++s) {
    TestSong song{"Song " + std::to_string(s + 1), {}};
    for (int c = 0; c < charts_per_song; ++c) {
      Mode mode = static_cast<Mode>(c / difficulty_count % mode_count);
      Difficulty difficulty = static_cast<Difficulty>(c % difficulty_count);
      song.charts.push_back(TestChart{mode, difficulty, c + 1});
    }
    group.songs.push_back(song);
  }
  return group;
}

std::string selection(const std::vector<SongGroup>& groups) {
  std::string text;
  for (const SongGroup& group : groups) {
    if (!text.empty()) text += " | ";
    for (std::size_t s = 0; s < group.songs.size(); ++s) {
      if (s > 0) text += ",";
      for (const Chart& chart : group.songs[s].charts) text += chart.selected ? "Y" : ".";
    }
  }
  return text;
}
