// tests/support/token_helpers.h: tokenizing inline text and rendering the tokens.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "songfile/tokenizer.h"

// A text and every token read from it.
struct TokenizedText {
  std::string bytes;
  std::vector<Token> tokens;
};

// Tokenizes `bytes` as if they were a file's content; nothing when that fails.
std::optional<TokenizedText> tokenize_text(std::string_view bytes);

// Renders tokens as `Kind[bytes]` items separated by blanks, with LF shown as \n, CR as
// \r and other control or non-ASCII bytes as \xHH; "failed" when there are none.
std::string describe_tokens(const std::optional<TokenizedText>& text);
