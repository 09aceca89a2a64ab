// songfile/tokenizer.cpp: the song file grammar, one reader per token kind.
#include "songfile/tokenizer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum CharClass : std::uint8_t { Plain = 0, Separator, Space, Hash, Slash, BomLead };

// ',' ':' ';' end a value; the classic six white-space bytes make a white-space run; '#',
// '/' and the first byte of a byte-order mark may start something else where a token
// starts.
constexpr std::array<std::uint8_t, 256> char_classes = [] {
  std::array<std::uint8_t, 256> classes{};
  for (char c : {',', ':', ';'}) classes[static_cast<unsigned char>(c)] = Separator;
  for (char c : {' ', '\t', '\n', '\v', '\f', '\r'}) classes[static_cast<unsigned char>(c)] = Space;
  classes['#'] = Hash;
  classes['/'] = Slash;
  classes[0xEF] = BomLead;
  return classes;
}();

CharClass class_of(char c) {
  return static_cast<CharClass>(char_classes[static_cast<unsigned char>(c)]);
}
bool is_white_space(char c) { return class_of(c) == Space; }
bool is_separator(char c) { return class_of(c) == Separator; }

Token make_token(TokenKind kind, std::size_t start, std::size_t end) {
  return Token{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start), kind};
}

// The CRs in text[start, end) that text mode drops: each one right before an LF.
std::size_t dropped_crs(std::string_view text, std::size_t start, std::size_t end) {
  std::size_t count = 0;
  for (std::size_t i = start; i + 1 < end; ++i)
    if (text[i] == '\r' && text[i + 1] == '\n') ++count;
  return count;
}

// Whether text[start, end) holds `limit` characters or more in text mode. Counting the
// dropped CRs is needed only for a stretch that long on disk.
bool reaches_limit(std::string_view text, std::size_t start, std::size_t end, std::size_t limit) {
  return end - start >= limit && end - start - dropped_crs(text, start, end) >= limit;
}

bool at_byte_order_mark(const TokenReader& in) {
  return in.text.size() - in.pos >= 3 &&
         std::memcmp(in.text.data() + in.pos, "\xEF\xBB\xBF", 3) == 0;
}

bool at_comment(const TokenReader& in) {
  return in.pos + 1 < in.text.size() && in.text[in.pos + 1] == '/';
}

std::optional<Token> fail(TokenReader& in) {
  in.failed = true;
  return std::nullopt;
}

// '#', the name, ':'. The name may hold anything but ':' and is at most 256 characters;
// with every character a CR LF pair, that is twice as many bytes.
std::optional<Token> read_tag_name(TokenReader& in) {
  std::size_t start = in.pos + 1;
  if (start >= in.text.size()) return fail(in);  // '#' is the last character
  std::size_t window = std::min(in.text.size(), start + 2 * (tag_name_limit + 1));
  const void* colon = std::memchr(in.text.data() + start, ':', window - start);
  if (colon == nullptr) return fail(in);  // the end, or a name far too long
  std::size_t end = static_cast<std::size_t>(static_cast<const char*>(colon) - in.text.data());
  if (reaches_limit(in.text, start, end, tag_name_limit + 1)) return fail(in);
  in.pos = end + 1;
  return make_token(TokenKind::ID, start, end);
}

// The readers below move past one token and return false when it breaks a limit.

// "//" to the end of the line, with the LF when there is one. The line ends at its first
// LF, so the only CR text mode can drop is the one right before that LF.
bool pass_comment(TokenReader& in) {
  std::size_t start = in.pos;
  std::size_t window = std::min(in.text.size(), start + text_limit + 1);
  const void* lf = std::memchr(in.text.data() + start, '\n', window - start);
  if (lf == nullptr) {
    if (in.text.size() - start >= text_limit) return false;
    in.pos = in.text.size();
    return true;
  }
  std::size_t line_end = static_cast<std::size_t>(static_cast<const char*>(lf) - in.text.data());
  std::size_t length = line_end - start;
  if (length > 0 && in.text[line_end - 1] == '\r') --length;
  in.pos = line_end + 1;
  return length < text_limit;
}

bool pass_whitespace(TokenReader& in) {
  std::size_t start = in.pos;
  while (in.pos < in.text.size() && is_white_space(in.text[in.pos])) ++in.pos;
  return !reaches_limit(in.text, start, in.pos, text_limit);
}

#if defined(__SSE2__)
// The position of the first byte at or after `from` that is one of `wanted`, or the end;
// sixteen bytes are looked at in one go.
template <char... wanted>
std::size_t find_any_of(std::string_view text, std::size_t from) {
  const char* bytes = text.data();
  std::size_t size = text.size();
  while (size - from >= 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
    __m128i found = _mm_setzero_si128();
    ((found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(wanted)))), ...);
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(found));
    if (mask != 0) return from + static_cast<std::size_t>(std::countr_zero(mask));
    from += 16;
  }
  while (from < size && ((bytes[from] != wanted) && ...)) ++from;
  return from;
}
#else
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

// The position of the first byte at or after `from` that is one of `wanted`, or the end;
// eight bytes are looked at in one go.
template <char... wanted>
std::size_t find_any_of(std::string_view text, std::size_t from) {
  const char* bytes = text.data();
  std::size_t size = text.size();
  while (size - from >= 8) {
    std::uint64_t word = load_eight_bytes(bytes + from);
    std::uint64_t flags = (flag_bytes_equal(word, wanted) | ...);
    if (flags != 0) return from + std::countr_zero(flags) / 8;
    from += 8;
  }
  while (from < size && ((bytes[from] != wanted) && ...)) ++from;
  return from;
}
#endif

// The position of the first ',', ':' or ';' at or after `from`, or the end. Note data
// runs for many bytes between separators.
std::size_t find_separator(std::string_view text, std::size_t from) {
  return find_any_of<',', ':', ';'>(text, from);
}

// Most of every song file is note data, of which the walk between tags needs nothing, so
// it is passed over many stretches (from one separator to the next) at a time. A stretch
// with no '#' or '/' in it holds no tag and no comment: a white-space run and a value at
// most (a byte-order mark there only moves where one starts). Neither reaches the text
// limit where every block of half the limit holds a separator, since a run of the whole
// limit would hold a whole block. So from `pos`, a token start, everything before the
// first '#' or '/', or before the first block without a separator, is passed over at
// once, up to the start of the stretch that holds it, where the token-level walk goes on.
std::size_t pass_plain_stretches(std::string_view text, std::size_t pos) {
  constexpr std::size_t block = text_limit / 2;
  std::size_t end = find_any_of<'#', '/'>(text, pos);
  for (std::size_t checked = pos; end - checked >= block; checked += block) {
    if (find_separator(text, checked) >= checked + block) {
      end = checked;
      break;
    }
  }
  while (end > pos && !is_separator(text[end - 1])) --end;  // back to the stretch's start
  return end;
}

// Anything up to the next ',', ':', ';' or the end, line breaks included.
bool pass_value(TokenReader& in) {
  std::size_t start = in.pos;
  in.pos = find_separator(in.text, in.pos);
  return !reaches_limit(in.text, start, in.pos, text_limit);
}

// Makes a token of what `pass` moves over, or fails.
template <typename Pass>
std::optional<Token> read_token(TokenReader& in, TokenKind kind, Pass pass) {
  std::size_t start = in.pos;
  if (!pass(in)) return fail(in);
  return make_token(kind, start, in.pos);
}

std::optional<Token> read_one_char(TokenReader& in, TokenKind kind) {
  ++in.pos;
  return make_token(kind, in.pos - 1, in.pos);
}

// What starts at the reader's position, once byte-order marks are passed over.
CharClass next_start(TokenReader& in) {
  for (;;) {
    if (in.pos >= in.text.size()) return Plain;
    CharClass start = class_of(in.text[in.pos]);
    if (start != BomLead || !at_byte_order_mark(in)) return start;
    in.pos += 3;  // dropped wherever a token starts
  }
}

}  // namespace

TokenReader make_token_reader(std::string_view file_bytes) {
  const void* eof_mark = std::memchr(file_bytes.data(), 0x1A, file_bytes.size());
  if (eof_mark != nullptr)
    file_bytes = file_bytes.substr(
        0, static_cast<std::size_t>(static_cast<const char*>(eof_mark) - file_bytes.data()));
  TokenReader in{file_bytes};
  if (file_bytes.size() > largest_song_file) in.failed = true;
  return in;
}

std::optional<Token> next_token(TokenReader& in) {
  if (in.failed) return std::nullopt;
  CharClass start = next_start(in);
  if (in.pos >= in.text.size()) return std::nullopt;
  switch (start) {
  case Hash: return read_tag_name(in);
  case Separator: {
    TokenKind kind = in.text[in.pos] == ','   ? TokenKind::CommaDelim
                     : in.text[in.pos] == ':' ? TokenKind::ColonDelim
                                              : TokenKind::SemicolonDelim;
    return read_one_char(in, kind);
  }
  case Space: return read_token(in, TokenKind::Whitespace, pass_whitespace);
  case Slash:
    if (at_comment(in)) return read_token(in, TokenKind::Comment, pass_comment);
    break;
  default: break;
  }
  return read_token(in, TokenKind::Value, pass_value);
}

std::optional<Token> next_significant_token(TokenReader& in) {
  while (!in.failed) {
    CharClass start = next_start(in);
    if (in.pos >= in.text.size()) return std::nullopt;
    if (start == Space) {
      if (!pass_whitespace(in)) return fail(in);
    } else if (start == Slash && at_comment(in)) {
      if (!pass_comment(in)) return fail(in);
    } else {
      return next_token(in);
    }
  }
  return std::nullopt;
}

// Between tags the walk needs no token but the next tag name, so the rest is only passed
// over (its limits checked), with no token made: that is most of every song file.
std::optional<Token> next_tag(TokenReader& in) {
  while (!in.failed) {
    in.pos = pass_plain_stretches(in.text, in.pos);
    CharClass start = next_start(in);
    if (in.pos >= in.text.size()) return std::nullopt;
    bool passed = true;
    switch (start) {
    case Hash: return read_tag_name(in);
    case Separator: ++in.pos; break;
    case Space: passed = pass_whitespace(in); break;
    case Slash: passed = at_comment(in) ? pass_comment(in) : pass_value(in); break;
    default: passed = pass_value(in); break;
    }
    if (!passed) return fail(in);
  }
  return std::nullopt;
}

std::string_view token_compared(const TokenReader& in, const Token& token) {
  std::string_view bytes = token_bytes(in, token);
  const void* zero = std::memchr(bytes.data(), '\0', bytes.size());
  if (zero == nullptr) return bytes;
  return bytes.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data()));
}

std::string token_text(const TokenReader& in, const Token& token) {
  // No token ends with a CR that an LF outside it follows (a value ends at a separator, a
  // comment after its LF), so the pairs to drop all lie inside the compared bytes.
  std::string_view bytes = token_compared(in, token);
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
  return text;
}
