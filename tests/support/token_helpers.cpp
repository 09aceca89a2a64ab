// tests/support/token_helpers.cpp: tokenizing inline text and rendering the tokens.
#include "tests/support/token_helpers.h"

#include <cstdio>

std::optional<TokenizedText> tokenize_text(std::string_view bytes) {
  TokenizedText text{std::string(bytes), {}};
  TokenReader in = make_token_reader(text.bytes);
  while (std::optional<Token> token = next_token(in)) text.tokens.push_back(*token);
  if (in.failed) return std::nullopt;
  return text;
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
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (byte < 32 || byte >= 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else
      out += c;
  }
}

}  // namespace

std::string describe_tokens(const std::optional<TokenizedText>& text) {
  if (!text) return "failed";
  std::string out;
  for (const Token& token : text->tokens) {
    if (!out.empty()) out += ' ';
    out += kind_name(token.kind);
    out += '[';
    append_escaped(out, std::string_view(text->bytes).substr(token.start, token.length));
    out += ']';
  }
  return out;
}
