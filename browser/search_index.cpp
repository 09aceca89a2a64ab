// browser/search_index.cpp: case folding and the search over the folded names.
#include "browser/search_index.h"

#include <algorithm>
#include <iterator>

#include "songfile/text.h"

namespace {

// Letters whose lower-case form lies at a fixed distance: upper-case letters from
// `first` to `last` map to code + `shift`.
struct ShiftedRange {
  char32_t first;
  char32_t last;
  char32_t shift;
};

// clang-format off
constexpr ShiftedRange shifted_ranges[] = {
    {0x00C0, 0x00D6, 32},  // Latin-1 letters (0x00D7 is the multiplication sign)
    {0x00D8, 0x00DE, 32},
    {0x0388, 0x038A, 37},  // Greek letters with tonos
    {0x038E, 0x038F, 63},
    {0x0391, 0x03A1, 32},  // Greek (0x03A2 is unassigned)
    {0x03A3, 0x03AB, 32},
    {0x0400, 0x040F, 80},  // Cyrillic
    {0x0410, 0x042F, 32},
    {0x0531, 0x0556, 48},  // Armenian
    {0xFF21, 0xFF3A, 32},  // full-width Latin
};
// clang-format on

// Blocks where upper and lower case alternate: the upper-case letter is the one whose
// code has the parity `upper_parity`, its lower-case form the code after it.
struct PairedRange {
  char32_t first;
  char32_t last;
  char32_t upper_parity;
};

constexpr PairedRange paired_ranges[] = {
    {0x0100, 0x012F, 0}, {0x0132, 0x0137, 0}, {0x0139, 0x0148, 1}, {0x014A, 0x0177, 0},
    {0x0179, 0x017E, 1}, {0x0460, 0x0481, 0}, {0x048A, 0x04BF, 0}, {0x04C1, 0x04CE, 1},
    {0x04D0, 0x052F, 0}, {0x1E00, 0x1E95, 0}, {0x1EA0, 0x1EFF, 0},
};

// Single letters outside the ranges above.
struct SingleFold {
  char32_t upper;
  char32_t lower;
};

constexpr SingleFold single_folds[] = {
    {0x0178, 0x00FF},  // Y with diaeresis
    {0x017F, 's'},     // long s
    {0x0386, 0x03AC},  // Greek Alpha with tonos
    {0x038C, 0x03CC},  // Greek Omicron with tonos
    {0x03C2, 0x03C3},  // Greek final sigma
    {0x04C0, 0x04CF},  // Cyrillic palochka
    {0x1E9E, 0x00DF},  // capital sharp s
};

char32_t fold_code(char32_t code) {
  if (code < 0x80) return code >= 'A' && code <= 'Z' ? code + 32 : code;
  for (const ShiftedRange& range : shifted_ranges)
    if (code >= range.first && code <= range.last) return code + range.shift;
  for (const PairedRange& range : paired_ranges)
    if (code >= range.first && code <= range.last)
      return code % 2 == range.upper_parity ? code + 1 : code;
  for (const SingleFold& fold : single_folds)
    if (code == fold.upper) return fold.lower;
  return code;
}

void append_utf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void add_entry(SearchIndex& index, int row, std::string_view text) {
  index.entries.push_back(SearchEntry{row, static_cast<std::uint32_t>(index.folded.size())});
  index.folded += fold_case(text);
  index.folded += '\n';
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
  for (std::size_t at = 0; at < text.size();) {
    auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {  // the common case, without decoding
      out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
      ++at;
      continue;
    }
    TextChar c = decode_char(text, at);
    if (c.valid)
      append_utf8(out, fold_code(c.code));
    else
      out += text[at];
    at += c.length;
  }
  return out;
}

SearchIndex build_search_index(const std::vector<TreeRow>& rows,
                               const std::vector<SongGroup>& groups) {
  SearchIndex index;
  for (int r = 0; r < row_count(rows); ++r) {
    const TreeRow& row = item_at(rows, r);
    const SongGroup& group = item_at(groups, row.group);
    if (is_group_row(row)) {
      add_entry(index, r, group.name);
    } else if (is_song_row(row)) {
      const std::optional<std::string>& title = item_at(group.songs, row.song).title;
      add_entry(index, r, title ? *title : std::string_view());
    }
  }
  return index;
}

std::optional<int> find_forward(const SearchIndex& index, std::string_view folded_text, int from) {
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
