// library/temp_file_name.h: the name of the temporary file that a rewrite or an undo
// writes beside a song file before it takes the song file's place: ".rerate-XXXXXX.tmp",
// the X made unique by mkstemps from letters and digits. A run that is killed in the
// middle leaves such files behind; the next run of that library finds them in its scan
// and removes them.
#pragma once

#include <string_view>

constexpr std::string_view temp_file_prefix = ".rerate-";
constexpr std::string_view temp_file_suffix = ".tmp";

// The pattern mkstemps fills in, after the folder: "/.rerate-XXXXXX.tmp".
constexpr const char* temp_file_pattern = "/.rerate-XXXXXX.tmp";

// Whether `name` has exactly that form: the prefix, six letters or digits, the suffix.
bool is_temp_file_name(std::string_view name);
