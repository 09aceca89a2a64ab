// songfile/token.cpp: token texts and writing tokens back.
#include "songfile/token.h"

#include <cstring>

bool operator==(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.mtime_seconds == b.mtime_seconds && a.mtime_nanoseconds == b.mtime_nanoseconds;
}

std::string_view token_text(const TokenList& list, const Token& token) {
  std::string_view bytes = token_bytes(list, token);
  const void* zero = std::memchr(bytes.data(), '\0', bytes.size());
  if (zero == nullptr) return bytes;
  return bytes.substr(0, static_cast<const char*>(zero) - bytes.data());
}

void append_file_text(std::string& out, std::string_view text) {
  for (;;) {
    std::size_t lf = text.find('\n');
    if (lf == std::string_view::npos) break;
    out.append(text.data(), lf);
    out.append("\r\n", 2);
    text.remove_prefix(lf + 1);
  }
  out.append(text);
}

void write_token(std::string& out, const TokenList& list, const Token& token) {
  if (token.kind == TokenKind::ID) out.push_back('#');
  append_file_text(out, token_bytes(list, token));
  if (token.kind == TokenKind::ID) out.push_back(':');
}

std::string write_tokens(const TokenList& list) {
  std::string out;
  out.reserve(list.text_size + list.text_size / 16 + list.tail_size);
  for (const Token& token : list.tokens) write_token(out, list, token);
  out.append(kept_tail(list));
  return out;
}
