// library/temp_file_name.cpp: telling the rewrite's temporary files by their name.
#include "library/temp_file_name.h"

#include <algorithm>

namespace {

constexpr std::size_t unique_part_length = 6;  // the XXXXXX mkstemps fills in

bool is_letter_or_digit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool is_temp_file_name(std::string_view name) {
  if (name.size() != temp_file_prefix.size() + unique_part_length + temp_file_suffix.size())
    return false;
  if (!name.starts_with(temp_file_prefix) || !name.ends_with(temp_file_suffix)) return false;
  std::string_view unique = name.substr(temp_file_prefix.size(), unique_part_length);
  return std::all_of(unique.begin(), unique.end(), is_letter_or_digit);
}
