// songfile/tokenizer.h: a song file read as a stream of tokens, one at a time.
//
// The tokenizer knows the punctuation only: '#' opens a tag name that runs to ':', and
// ',' ':' ';' separate values. It reads the file's bytes as they are on disk and gives
// every token as a stretch of them, so that a reader can tell exactly where a field lies
// in the file. The file is read in text mode: its text ends at the first 0x1A byte, and a
// CR right before an LF counts as nothing (the token that holds the pair holds the CR
// too, but its length in the text, which the limits below apply to, does not count it).
// Nothing is allocated: a file of any size is read with the memory of one token.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class TokenKind : std::uint8_t {
  Comment = 0,     // "//" and the rest of the line, with its LF if there was one
  Whitespace = 1,  // a maximal run of space, TAB, LF, VT, FF, CR
  ID = 2,          // a tag name: the bytes between '#' and ':', neither included
  Value = 3,       // everything up to the next ',', ':', ';' or the end of the text
  CommaDelim = 4,
  ColonDelim = 5,
  SemicolonDelim = 6,
};

// Longest tag name, and the length from which a comment, white-space run or value fails
// (both counted in text-mode characters).
constexpr std::size_t tag_name_limit = 256;
constexpr std::size_t text_limit = 4096;

// One token: where its bytes lie in the file.
struct Token {
  std::uint32_t start;
  std::uint32_t length;
  TokenKind kind;
};

// A position in a song file's text.
struct TokenReader {
  std::string_view text;  // the file's bytes up to its first 0x1A byte
  std::size_t pos = 0;
  bool failed = false;  // the text broke a limit: the file cannot be read
};

// Files are addressed with 32-bit offsets; larger ones are not song files.
constexpr std::size_t largest_song_file = 0xFFFF'FFFFu;

// A reader at the start of `file_bytes`, the whole file as it is on disk.
TokenReader make_token_reader(std::string_view file_bytes);

// The next token, or nothing at the end of the text or when the text breaks a limit
// (`failed` tells which). A byte-order mark where a token would start is passed over.
std::optional<Token> next_token(TokenReader& in);

// The next token that is neither a comment nor white space, or nothing as above.
std::optional<Token> next_significant_token(TokenReader& in);

// The next tag name (an ID token), passing over every other token, or nothing as above.
std::optional<Token> next_tag(TokenReader& in);

// The token's bytes as they are in the file (a tag name without its '#' and ':').
inline std::string_view token_bytes(const TokenReader& in, const Token& token) {
  return in.text.substr(token.start, token.length);
}

// The token's bytes up to its first zero byte: what a comparison sees. For a text with
// no CR or LF in it (a tag or field name), comparing these bytes is comparing the text
// as read in text mode: a token that holds a CR LF pair holds an LF in text mode too.
std::string_view token_compared(const TokenReader& in, const Token& token);

// The token's text as read in text mode, up to its first zero byte: CR LF as LF.
std::string token_text(const TokenReader& in, const Token& token);
