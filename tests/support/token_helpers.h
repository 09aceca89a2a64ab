// tests/support/token_helpers.h: tokenizing inline text and rendering token lists.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "songfile/token.h"

// Tokenizes `bytes` as if they were a file's content.
std::optional<TokenList> tokenize_text(std::string_view bytes);

// Renders tokens as `Kind[text]` items separated by blanks, with LF shown as \n, CR as
// \r and other control or non-ASCII bytes as \xHH; "failed" when there is no list.
std::string describe_tokens(const std::optional<TokenList>& list);
