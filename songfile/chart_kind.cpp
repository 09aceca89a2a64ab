// songfile/chart_kind.cpp: names of modes and difficulties.
#include "songfile/chart_kind.h"

#include <array>

namespace {

constexpr std::array<std::string_view, mode_count> mode_names = {"Single", "Double"};
constexpr std::array<std::string_view, mode_count> mode_file_names = {"dance-single",
                                                                      "dance-double"};
constexpr std::array<std::string_view, difficulty_count> difficulty_names = {
    "Beginner", "Easy", "Medium", "Hard", "Expert", "Edit"};
constexpr std::array<std::string_view, difficulty_count> difficulty_file_names = {
    "Beginner", "Easy", "Medium", "Hard", "Challenge", "Edit"};

}  // namespace

std::string_view mode_name(Mode mode) { return mode_names[static_cast<std::size_t>(mode)]; }

std::string_view difficulty_name(Difficulty difficulty) {
  return difficulty_names[static_cast<std::size_t>(difficulty)];
}

std::string_view mode_file_name(Mode mode) {
  return mode_file_names[static_cast<std::size_t>(mode)];
}

std::string_view difficulty_file_name(Difficulty difficulty) {
  return difficulty_file_names[static_cast<std::size_t>(difficulty)];
}

std::optional<Mode> mode_from_file_name(std::string_view text) {
  for (std::size_t i = 0; i < mode_file_names.size(); ++i)
    if (text == mode_file_names[i]) return static_cast<Mode>(i);
  return std::nullopt;
}

std::optional<Difficulty> difficulty_from_file_name(std::string_view text) {
  for (std::size_t i = 0; i < difficulty_file_names.size(); ++i)
    if (text == difficulty_file_names[i]) return static_cast<Difficulty>(i);
  return std::nullopt;
}
