// songfile/chart_kind.h: the modes and difficulties of the charts that can be rescaled,
// with the names they have on screen and in song files.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

enum class Mode : std::int32_t { Single = 0, Double = 1 };
enum class Difficulty : std::int32_t { Beginner = 0, Easy, Medium, Hard, Expert, Edit };

constexpr int mode_count = 2;
constexpr int difficulty_count = 6;

// "Single", "Double".
std::string_view mode_name(Mode mode);
// "Beginner" ... "Edit"; Expert is written "Challenge" in song files but shown as "Expert".
std::string_view difficulty_name(Difficulty difficulty);

// The chart type that stands for `mode` in a song file, e.g. "dance-single".
std::string_view mode_file_name(Mode mode);
// The difficulty as written in a song file, e.g. "Challenge" for Expert.
std::string_view difficulty_file_name(Difficulty difficulty);

// The mode whose chart type is exactly `text`, if any (case-sensitive).
std::optional<Mode> mode_from_file_name(std::string_view text);
// The difficulty written exactly as `text`, if any (case-sensitive).
std::optional<Difficulty> difficulty_from_file_name(std::string_view text);
