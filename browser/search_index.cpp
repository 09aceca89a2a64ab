// browser/search_index.cpp: case folding and the search over the folded names.
#include "browser/search_index.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

// Full Unicode case folding, compatibility forms taken as their plain ones (full-width
// letters, ligatures), typographic quotes, dashes and spaces as their ASCII forms, marks
// (accents) and invisible characters left out: "Straße" matches "STRASSE", "Café" "cafe".
constexpr auto fold_options =
    static_cast<utf8proc_option_t>(UTF8PROC_COMPOSE | UTF8PROC_COMPAT | UTF8PROC_CASEFOLD |
                                   UTF8PROC_STRIPMARK | UTF8PROC_IGNORE | UTF8PROC_LUMP);

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Appends `run`, valid UTF-8, folded.
void append_folded(std::string& out, std::string_view run) {
  if (is_ascii(run)) {  // the common case, without the library
    for (char c : run) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return;
  }
  utf8proc_uint8_t* folded = nullptr;
  utf8proc_ssize_t length =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(run.data()),
                   static_cast<utf8proc_ssize_t>(run.size()), &folded, fold_options);
  if (length >= 0)
    out.append(reinterpret_cast<const char*>(folded), static_cast<std::size_t>(length));
  else
    out += run;  // memory ran out: the text as it is
  std::free(folded);
}

// The bytes of the valid UTF-8 character at the start of `text`, or 0 when there is none.
std::size_t valid_char_length(std::string_view text) {
  if (static_cast<unsigned char>(text[0]) < 0x80) return 1;
  utf8proc_int32_t code = 0;
  utf8proc_ssize_t length = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                             static_cast<utf8proc_ssize_t>(text.size()), &code);
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

// Adds the entry of `row`: each of `texts` that is not empty, folded, with its line feed.
void add_entry(SearchIndex& index, int row, std::initializer_list<std::string_view> texts) {
  index.entries.push_back(SearchEntry{row, static_cast<std::uint32_t>(index.folded.size())});
  for (std::string_view text : texts) {
    if (text.empty()) continue;
    index.folded += fold_case(text);
    index.folded += '\n';
  }
}

// The first entry whose row is at or after `row`.
std::size_t first_entry_from(const SearchIndex& index, int row) {
  auto it = std::lower_bound(index.entries.begin(), index.entries.end(), row,
                             [](const SearchEntry& entry, int r) { return entry.row < r; });
  return static_cast<std::size_t>(it - index.entries.begin());
}

// The row of the entry that holds byte `offset` of the folded text.
int row_at(const SearchIndex& index, std::size_t offset) {
  auto it =
      std::upper_bound(index.entries.begin(), index.entries.end(), offset,
                       [](std::size_t o, const SearchEntry& entry) { return o < entry.offset; });
  return std::prev(it)->row;
}

std::string_view entry_text(const SearchIndex& index, std::size_t entry) {
  std::size_t start = index.entries[entry].offset;
  std::size_t end =
      entry + 1 < index.entries.size() ? index.entries[entry + 1].offset : index.folded.size();
  return std::string_view(index.folded).substr(start, end - start);
}

// The last entry before entry `end` that holds `text`.
std::optional<int> last_holding(const SearchIndex& index, std::string_view text, std::size_t end) {
  for (std::size_t entry = end; entry-- > 0;)
    if (entry_text(index, entry).find(text) != std::string_view::npos)
      return index.entries[entry].row;
  return std::nullopt;
}

}  // namespace

std::string fold_case(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t run = 0;  // where the valid UTF-8 not yet folded starts
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = valid_char_length(text.substr(at));
    if (length > 0) {
      at += length;
      continue;
    }
    append_folded(out, text.substr(run, at - run));
    out += text[at];  // a byte that is no UTF-8 stands for itself
    run = ++at;
  }
  append_folded(out, text.substr(run));
  return out;
}

SearchIndex build_search_index(const std::vector<TreeRow>& rows,
                               const std::vector<SongGroup>& groups) {
  SearchIndex index;
  for (int r = 0; r < row_count(rows); ++r) {
    const TreeRow& row = item_at(rows, r);
    const SongGroup& group = item_at(groups, row.group);
    if (is_group_row(row)) {
      add_entry(index, r, {group.name});
    } else if (is_song_row(row)) {
      const Song& song = item_at(group.songs, row.song);
      std::string_view title = song.title ? *song.title : std::string_view();
      add_entry(index, r, {title, song.title_translit, song.folder == title ? "" : song.folder});
    }
  }
  return index;
}

std::optional<int> find_forward(const SearchIndex& index, std::string_view folded_text, int from) {
  if (folded_text.empty()) return std::nullopt;
  std::string_view all(index.folded);
  std::size_t first = first_entry_from(index, from);
  std::size_t start = first < index.entries.size() ? index.entries[first].offset : all.size();
  std::size_t hit = all.find(folded_text, start);
  if (hit == std::string_view::npos) hit = all.find(folded_text);
  if (hit == std::string_view::npos) return std::nullopt;
  return row_at(index, hit);
}

std::optional<int> find_backward(const SearchIndex& index, std::string_view folded_text,
                                 int before) {
  if (folded_text.empty()) return std::nullopt;
  std::optional<int> row = last_holding(index, folded_text, first_entry_from(index, before));
  return row ? row : last_holding(index, folded_text, index.entries.size());
}

std::vector<int> rows_holding(const SearchIndex& index, std::string_view folded_text) {
  std::vector<int> rows;
  for (std::size_t entry = 0; entry < index.entries.size(); ++entry)
    if (entry_text(index, entry).find(folded_text) != std::string_view::npos)
      rows.push_back(index.entries[entry].row);
  return rows;
}
