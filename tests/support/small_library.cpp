// tests/support/small_library.cpp: the small library of the rewrite and undo tests.
#include "tests/support/small_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "library/scan.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

SmallLibrary write_small_library() {
  SmallLibrary library;
  for (const char* song : {"A", "B", "C"}) {
    std::string folder = std::string("Songs/G/") + song + "/";
    std::string name(1, static_cast<char>(song[0] - 'A' + 'a'));
    auto add = [&](const std::string& file, auto text) {
      library.files.push_back(folder + file);
      library.before.push_back(text("12", "9"));
      library.after.push_back(text("8", "6"));
    };
    add(name + ".sm", [&](const char* single, const char* dual) {
      return song_file(song,
                       notes("dance-single", "Hard", single) + notes("dance-double", "Easy", dual));
    });
    if (name == "a")
      add(name + ".ssc", [&](const char* single, const char* dual) {
        return "#TITLE:A;\n" + ssc_chart("dance-single", "Hard", single) +
               ssc_chart("dance-double", "Easy", dual);
      });
  }
  for (std::size_t i = 0; i < library.files.size(); ++i) {
    fs::remove(library.files[i]);
    write_file(library.files[i], library.before[i]);
  }
  for (const auto& entry : fs::directory_iterator("."))
    if (entry.path().filename().string().starts_with("rerate-undo-")) fs::remove(entry.path());
  return library;
}

GrowArray<SongGroup> scan_selected() {
  GrowArray<SongGroup> groups;
  EXPECT_TRUE(scan_library(groups));
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      for (Chart& chart : song.charts) chart.selected = true;
  return groups;
}

std::string report_of(const std::function<void(std::FILE*)>& run) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* report = open_memstream(&text, &size);
  run(report);
  std::fclose(report);
  std::string out(text, size);
  std::free(text);
  return out;
}

std::string files_neither_old_nor_new(const SmallLibrary& library) {
  std::string wrong;
  for (std::size_t i = 0; i < library.files.size(); ++i) {
    std::string now = read_file(library.files[i]);
    if (now != library.before[i] && now != library.after[i]) wrong += library.files[i] + " ";
  }
  for (const auto& entry : fs::recursive_directory_iterator("Songs"))
    if (entry.path().filename().string().starts_with(".rerate-"))
      wrong += entry.path().string() + " ";
  return wrong;
}
