// songfile/tokenizer.cpp: the song file grammar, one reader per token kind.
#include "songfile/tokenizer.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "songfile/text_file.h"

namespace {

enum CharClass : std::uint8_t { Plain = 0, Separator = 1, Space = 2 };

// ',' ':' ';' end a value; the classic six white-space bytes make a white-space run.
constexpr std::array<std::uint8_t, 256> char_classes = [] {
  std::array<std::uint8_t, 256> classes{};
  for (unsigned char c : {',', ':', ';'}) classes[c] = Separator;
  for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) classes[c] = Space;
  return classes;
}();

bool is_white_space(char c) { return char_classes[static_cast<unsigned char>(c)] == Space; }
bool is_separator(char c) { return char_classes[static_cast<unsigned char>(c)] == Separator; }

struct Reader {
  const char* text;
  std::size_t size;
  std::size_t pos;
  std::vector<Token>& tokens;
};

bool add_token(Reader& in, TokenKind kind, std::size_t start, std::size_t length) {
  in.tokens.push_back(Token{static_cast<std::uint32_t>(start),
                            static_cast<std::uint16_t>(length), kind});
  return true;
}

bool at_byte_order_mark(const Reader& in) {
  return in.size - in.pos >= 3 && std::memcmp(in.text + in.pos, "\xEF\xBB\xBF", 3) == 0;
}

// '#', the name, ':'. The name may hold anything but ':' and is at most 256 bytes.
bool read_tag_name(Reader& in) {
  std::size_t start = in.pos + 1;
  std::size_t limit = std::min(in.size, start + tag_name_limit + 1);
  const void* colon = std::memchr(in.text + start, ':', limit - start);
  if (colon == nullptr) return false;  // the end, or a name too long
  std::size_t end = static_cast<const char*>(colon) - in.text;
  in.pos = end + 1;
  return add_token(in, TokenKind::ID, start, end - start);
}

bool add_one_char(Reader& in, TokenKind kind) {
  ++in.pos;
  return add_token(in, kind, in.pos - 1, 1);
}

// "//" to the end of the line, with the LF when there is one.
bool read_comment(Reader& in) {
  std::size_t start = in.pos;
  std::size_t limit = std::min(in.size, start + text_limit);
  const void* lf = std::memchr(in.text + start, '\n', limit - start);
  if (lf == nullptr) {
    if (limit - start >= text_limit) return false;
    in.pos = in.size;
  } else {
    in.pos = static_cast<const char*>(lf) - in.text + 1;
  }
  return add_token(in, TokenKind::Comment, start, in.pos - start);
}

bool read_whitespace(Reader& in) {
  std::size_t start = in.pos;
  while (in.pos < in.size && is_white_space(in.text[in.pos])) ++in.pos;
  if (in.pos - start >= text_limit) return false;
  return add_token(in, TokenKind::Whitespace, start, in.pos - start);
}

// Eight bytes with the first one in memory as the lowest, whatever the machine's order.
std::uint64_t load_eight_bytes(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, 8);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

// The bytes of `word` equal to `c` have their high bit set. The lowest flagged byte is
// always a true match; higher ones may be flagged falsely (a borrow runs upwards).
std::uint64_t flag_bytes_equal(std::uint64_t word, char c) {
  constexpr std::uint64_t ones = 0x0101010101010101ULL;
  constexpr std::uint64_t highs = 0x8080808080808080ULL;
  std::uint64_t x = word ^ (ones * static_cast<unsigned char>(c));
  return (x - ones) & ~x & highs;
}


// The position of the first ',', ':' or ';' at or after `from`, or `size`. Note data
// runs for many bytes between separators, so eight bytes are looked at in one go.
std::size_t find_separator(const char* text, std::size_t from, std::size_t size) {
  while (size - from >= 8) {
    std::uint64_t word = load_eight_bytes(text + from);
    std::uint64_t flags =
        flag_bytes_equal(word, ',') | flag_bytes_equal(word, ':') | flag_bytes_equal(word, ';');
    if (flags != 0) return from + std::countr_zero(flags) / 8;
    from += 8;
  }
  while (from < size && !is_separator(text[from])) ++from;
  return from;
}

// Anything up to the next ',', ':', ';' or the end, line breaks included.
bool read_value(Reader& in) {
  std::size_t start = in.pos;
  in.pos = find_separator(in.text, in.pos, in.size);
  if (in.pos - start >= text_limit) return false;
  return add_token(in, TokenKind::Value, start, in.pos - start);
}

bool next_token(Reader& in) {
  if (at_byte_order_mark(in)) {  // dropped wherever a token starts
    in.pos += 3;
    return true;
  }
  char c0 = in.text[in.pos];
  switch (c0) {
    case '#': return read_tag_name(in);
    case ',': return add_one_char(in, TokenKind::CommaDelim);
    case ':': return add_one_char(in, TokenKind::ColonDelim);
    case ';': return add_one_char(in, TokenKind::SemicolonDelim);
  }
  if (c0 == '/' && in.pos + 1 < in.size && in.text[in.pos + 1] == '/') return read_comment(in);
  if (is_white_space(c0)) return read_whitespace(in);
  return read_value(in);
}

}  // namespace

std::optional<TokenList> tokenize_song_bytes(std::unique_ptr<char[]> bytes, std::size_t size,
                                             FileStamp stamp) {
  // Token offsets are 32 bits wide; no song file comes near that size.
  if (size > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  TokenList list;
  TextSplit split = apply_text_mode(bytes.get(), size);
  list.bytes = std::move(bytes);
  list.text_size = split.text_size;
  list.tail_size = split.tail_size;
  list.stamp = stamp;
  list.tokens.reserve(split.text_size / 12 + 16);
  Reader in{list.bytes.get(), list.text_size, 0, list.tokens};
  while (in.pos < in.size)
    if (!next_token(in)) return std::nullopt;
  list.tokens.shrink_to_fit();
  return list;
}

std::optional<TokenList> tokenize_song_file(const std::string& path) {
  std::optional<RawFile> raw = read_whole_file(path);
  if (!raw) return std::nullopt;
  return tokenize_song_bytes(std::move(raw->bytes), raw->size, raw->stamp);
}
