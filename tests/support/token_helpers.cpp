// tests/support/token_helpers.cpp: tokenizing inline text and rendering token lists.
#include "tests/support/token_helpers.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "songfile/tokenizer.h"

std::optional<TokenList> tokenize_text(std::string_view bytes) {
  auto buffer = std::make_unique<char[]>(bytes.size() + 1);
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  return tokenize_song_bytes(std::move(buffer), bytes.size());
}

namespace {

const char* kind_name(TokenKind kind) {
  switch (kind) {
    case TokenKind::Comment: return "Comment";
    case TokenKind::Whitespace: return "Whitespace";
    case TokenKind::ID: return "ID";
    case TokenKind::Value: return "Value";
    case TokenKind::CommaDelim: return "CommaDelim";
    case TokenKind::ColonDelim: return "ColonDelim";
    case TokenKind::SemicolonDelim: return "SemicolonDelim";
  }
  return "?";
}

void append_escaped(std::string& out, std::string_view text) {
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (byte < 32 || byte >= 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else out += c;
  }
}

}  // namespace

std::string describe_tokens(const std::optional<TokenList>& list) {
  if (!list) return "failed";
  std::string out;
  for (const Token& token : list->tokens) {
    if (!out.empty()) out += ' ';
    out += kind_name(token.kind);
    out += '[';
    append_escaped(out, token_bytes(*list, token));
    out += ']';
  }
  return out;
}
