// songfile/token.h: a song file as a lossless list of tokens, and how tokens are
// written back to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TokenKind : std::uint8_t {
  Comment = 0,     // "//" and the rest of the line, with its LF if there was one
  Whitespace = 1,  // a maximal run of space, TAB, LF, VT, FF, CR
  ID = 2,          // a tag name: the text between '#' and ':', neither included
  Value = 3,       // everything up to the next ',', ':', ';' or the end
  CommaDelim = 4,
  ColonDelim = 5,
  SemicolonDelim = 6,
};

// One token: a stretch of the list's text. Texts are at most 4096 bytes long.
struct Token {
  std::uint32_t start;   // offset of the text in TokenList::bytes
  std::uint16_t length;  // bytes of text
  TokenKind kind;
};

// What the file looked like when it was read, to notice later changes on disk.
struct FileStamp {
  std::uint64_t device;
  std::uint64_t inode;
  std::int64_t size;
  std::int64_t mtime_seconds;
  std::int64_t mtime_nanoseconds;
};

bool operator==(const FileStamp& a, const FileStamp& b);

// A song file's tokens, with the text they point into.
// `bytes` holds the file as read in text mode (CR LF as LF), `text_size` bytes, followed
// by `tail_size` bytes kept verbatim: the file from its first 0x1A byte to its end.
struct TokenList {
  std::unique_ptr<char[]> bytes;
  std::size_t text_size = 0;
  std::size_t tail_size = 0;
  std::vector<Token> tokens;  // in file order
  FileStamp stamp{};          // of the file the list was read from
};

// Every byte of the token's text, zero bytes included: what is written back.
inline std::string_view token_bytes(const TokenList& list, const Token& token) {
  return {list.bytes.get() + token.start, token.length};
}

// The token's text up to its first zero byte: what is compared and shown.
std::string_view token_text(const TokenList& list, const Token& token);

// The bytes kept from the first 0x1A byte of the file on (empty when there was none).
inline std::string_view kept_tail(const TokenList& list) {
  return {list.bytes.get() + list.text_size, list.tail_size};
}

// Appends `text` as a text-mode file holds it: every LF becomes CR LF.
void append_file_text(std::string& out, std::string_view text);

// Appends the token as the file holds it: an ID as '#', its text, ':'; any other token
// as its text; every LF as CR LF.
void write_token(std::string& out, const TokenList& list, const Token& token);

// The whole file as the tokens describe it: every token, then the kept tail.
std::string write_tokens(const TokenList& list);
